#pragma once
// The setting sheet: a one-page form with the setting's header and, for
// each wheel, a picture and a block of its twelve values. Coordinates are
// millimetres from the page origin (L, T), the stored margins.
#include "data/records.h"

#include <QString>

class PrintSurface;

namespace SettingSheet {
inline const QString kLeftPicture = QStringLiteral("セッティング左.GIF");
inline const QString kRightPicture = QStringLiteral("セッティング右.GIF");

// Origin of the block of wheel i (0 FL, 1 FR, 2 RL, 3 RR).
struct Origin {
  float x, y;
};
Origin wheelBlock(int wheel);

// The form of the page at (x0, y0): title and print date, cells, boxes,
// rules, labels and, when their files are in the working directory, the
// wheel pictures.
void PageFrame(PrintSurface& surface, float x0, float y0);

// The whole document: form, header values and the values of every wheel.
// Returns the result of EndDoc (false when printing failed).
bool PrintData_Setting(PrintSurface& surface, const SettingRecord& setting, float L, float T, int& PageCount);
}  // namespace SettingSheet
