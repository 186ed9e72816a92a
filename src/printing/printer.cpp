#include "printing/printer.h"

#include "data/rules.h"
#include "printing/printsurface.h"

float LinePitch = 4.218f;

void InitPrnPitch() { LinePitch = 4.218f; }

void PrnText(float x, float y, const QString& text, PrintSurface& s) {
  s.setCurrentX(MmToTwips(x));
  s.setCurrentY(MmToTwips(y));
  s.Text(text);
}

void PrnLine(float x1, float y1, float x2, float y2, qint16 penWidth, PrintSurface& s) {
  s.setPenWidth(penWidth);
  s.DrawLine(MmToTwips(x1), MmToTwips(y1), MmToTwips(x2), MmToTwips(y2));
}

void PrnBox(float x1, float y1, float x2, float y2, qint16 penWidth, PrintSurface& s) {
  s.setPenWidth(penWidth);
  const int l = MmToTwips(x1), t = MmToTwips(y1), r = MmToTwips(x2), b = MmToTwips(y2);
  s.DrawLine(l, t, r, t);
  s.DrawLine(l, t, l, b);
  s.DrawLine(r, t, r, b);
  s.DrawLine(l, b, r, b);
}

void PrnShade(float x1, float y1, float x2, float y2, qint16 penWidth, PrintSurface& s) {
  s.setPenWidth(penWidth);
  const qint32 pen = s.PenColor();
  s.setPenColor(kWhite);
  s.setBrushColor(kShadeColour);
  s.DrawRectangle(MmToTwips(x1), MmToTwips(y1), MmToTwips(x2), MmToTwips(y2));
  s.setBrushColor(0);
  s.setPenColor(pen);
}

float FitFontSize(float size, const QString& text, float maxWidthMm, PrintSurface& s) {
  float r = 0.5f;
  for (;;) {
    s.setFontSize(size - r);
    const int width = TwipsToMm(s.TextWidth(text));
    if (width <= maxWidthMm) break;
    if (size - r < 4) break;
    r += 0.5f;
  }
  s.setFontSize(size);
  return size - r;
}

void PrnFittedText(float x, float y, const QString& text, float maxWidthMm, PrintSurface& s) {
  const double normal = s.FontSize();
  if (TwipsToMm(s.TextWidth(text)) > maxWidthMm) {
    s.setFontSize(FitFontSize(float(normal), text, maxWidthMm, s));
    PrnText(x, y, text, s);
    s.setFontSize(normal);
  } else {
    PrnText(x, y, text, s);
  }
}
