#pragma once
// The comparison sheet: one page in the look of the setting sheet with the
// headers of two settings side by side and, per wheel, a block of the twelve
// values of each with their difference; differing values are printed in
// bold Gothic.
// Coordinates are millimetres from the page origin (L, T), the stored margins.
#include "data/comparison.h"

class PrintSurface;

namespace ComparisonSheet {

// Origin of the block of wheel i (0 FL, 1 FR, 2 RL, 3 RR).
struct Origin {
  float x, y;
};
Origin wheelBlock(int wheel);

// The whole document. Returns the result of EndDoc (false when printing failed).
bool PrintData_Comparison(PrintSurface& surface, const comparison::SettingComparison& comparison, float L, float T,
                          int& PageCount);

}  // namespace ComparisonSheet
