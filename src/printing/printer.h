#pragma once
// Drawing in millimetres on a print surface: text, lines, four-line boxes,
// shaded cells, and the font size at which a text fits a width. Each routine
// converts with MmToTwips and adds nothing to the coordinates it is given.
#include <QString>
#include <QtGlobal>

class PrintSurface;

// Height of one printed row in millimetres (program-wide).
extern float LinePitch;
void InitPrnPitch();  // LinePitch = 4.218

// Pen widths the sheets use, and the shading colours.
constexpr qint16 kThinPen = 10;
constexpr qint16 kThickPen = 20;
constexpr qint32 kWhite = 16777215;
constexpr qint32 kShadeColour = 8454143;  // pale yellow, RGB (255, 255, 128)

void PrnText(float x, float y, const QString& text, PrintSurface& surface);
void PrnLine(float x1, float y1, float x2, float y2, qint16 penWidth, PrintSurface& surface);
// Four lines: top, left, right, bottom.
void PrnBox(float x1, float y1, float x2, float y2, qint16 penWidth, PrintSurface& surface);
// A pale yellow cell with a white outline; the pen colour is restored and
// the brush colour left at 0.
void PrnShade(float x1, float y1, float x2, float y2, qint16 penWidth, PrintSurface& surface);
// The largest size, in half-point steps below `size`, at which the text is
// at most `maxWidthMm` wide (whole millimetres), or the first size below 4
// points when none fits. The surface's font size is left at `size`.
float FitFontSize(float size, const QString& text, float maxWidthMm, PrintSurface& surface);

// Prints the text at (x, y); when it is wider than `maxWidthMm` at the
// current size, in the size FitFontSize finds for it, then the size is set
// back.
void PrnFittedText(float x, float y, const QString& text, float maxWidthMm, PrintSurface& surface);
