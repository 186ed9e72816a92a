#include "printing/sheetpage.h"

#include "data/clock.h"
#include "data/numfmt.h"
#include "printing/printer.h"
#include "printing/printsurface.h"
#include "printing/prninf.h"
#include "printing/sheettext.h"

#include <algorithm>

int PageChgChk(int& LineCount, PrintSurface& s, float x0, float y0, int& PageCount, const PageFrameFn& frame) {
  if (LineCount > 55) {
    LineCount = 0;
    if (PageCount > 0) s.NewPage();
    frame(s, x0, y0);
    PageCount = PageCount + 1;
  }
  LineCount = LineCount + 1;
  return LineCount;
}

void PrintSheetTitle(PrintSurface& s, float x0, float y0, const QString& title) {
  s.setAlign(0);
  s.setFontName(kGothic);
  s.setFontSize(12);
  PrnText(x0, y0, title, s);
  PrnText(x0 + 134.6f, y0, printDateText(TodayDigits()), s);
  s.setFontSize(10.5);
}

void PrintSettingHeader(PrintSurface& s, const SettingRecord& r, float L, float T) {
  s.setFontName(kMincho);
  s.setFontSize(10.5);
  PrnFittedText(L + 18, T + 5.3f, QStringLiteral(" ") + r.user.trimmed(), 48, s);
  PrnFittedText(L + 82.8f, T + 5.3f, QStringLiteral(" ") + r.coilOver.trimmed(), 92, s);
  PrnText(L + 32.8f, T + 10, r.code.trimmed(), s);
  PrnFittedText(L + 69.8f, T + 10, QStringLiteral(" ") + r.name.trimmed(), 106, s);
  PrnText(L + 150, T + 14.7f, settingDateText(r.year, r.month, r.day), s);
}

static float margin(const QString& text) { return std::max(0.0f, float(numfmt::val(text.trimmed()))); }
float marginLeftOf(const PrnInfRecord& r) { return margin(r.MarginLeft); }
float marginTopOf(const PrnInfRecord& r) { return margin(r.MarginTop); }
