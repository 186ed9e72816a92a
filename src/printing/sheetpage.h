#pragma once
// What both sheets share on the page: the page-change check that draws a
// new page's form, the header values of the setting, and the numeric
// margins of a printer-information record.
#include "data/records.h"

#include <functional>

class PrintSurface;
struct PrnInfRecord;

// Draws the form of a new page with its origin at (x0, y0) millimetres.
using PageFrameFn = std::function<void(PrintSurface&, float x0, float y0)>;

// The page-change check: above 55 lines a new page is started (NewPage
// unless it is the document's first) and its form drawn at (x0, y0). The
// line count is counted on and returned.
int PageChgChk(int& LineCount, PrintSurface& surface, float x0, float y0, int& PageCount,
               const PageFrameFn& frame);

// The head of a sheet's page at (x0, y0): its title and the print date in
// "ＭＳ ゴシック" 12 pt, left-aligned; the form below goes on in 10.5 pt.
void PrintSheetTitle(PrintSurface& surface, float x0, float y0, const QString& title);

// The header values of a setting at (L, T): user, coil-over product, code,
// name and date, in "ＭＳ 明朝" 10.5 pt, wide values fitted to their cells.
void PrintSettingHeader(PrintSurface& surface, const SettingRecord& setting, float L, float T);

// The numeric left and top margins of a printer record; a value that is no
// number counts as 0, and so does a negative one.
float marginLeftOf(const PrnInfRecord& record);
float marginTopOf(const PrnInfRecord& record);

inline const QString kMincho = QStringLiteral("ＭＳ 明朝");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
