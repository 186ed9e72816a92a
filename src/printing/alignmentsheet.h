#pragma once
// The alignment sheet: a one-page record of a wheel-alignment measurement
// with the setting's header, the base master, a grid of standard, before
// and after values for each axle, the tyres and empty remark boxes.
// Coordinates are millimetres from the page origin (L, T).
#include "data/records.h"

#include <QString>

class PrintSurface;

namespace AlignmentSheet {

// A column block of the grid: single values at `single`, pair value j at
// `pair` + 24 j.
struct Column {
  float single, pair;
};
inline constexpr Column kStandard{33.4f, 31.4f};
inline constexpr Column kBefore{81.4f, 79.4f};
inline constexpr Column kAfter{129.4f, 127.4f};

// One printed row of the grid. A standard entry is either one value (index
// into AlignmentRecord::standard) or a range pair; a measured entry one
// index or a pair of indices into before/after. -1 leaves a place empty.
struct Row {
  float y;
  int standard = -1;
  int rangeFirst = -1;  // the pair's second index follows it
  const char16_t* standardUnit = u"";
  int measured = -1;
  int measuredPair = -1;  // first index of an LH/RH pair
  const char16_t* measuredUnit = u"";
};
const Row* rows(int* count);

void PageFrame(PrintSurface& surface, float x0, float y0);

// The whole document. Returns the result of EndDoc.
bool PrintData_Araiment(PrintSurface& surface, const SettingRecord& setting, const AlignmentRecord& alignment,
                        float L, float T, int& PageCount);
}  // namespace AlignmentSheet
