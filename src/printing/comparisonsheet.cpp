#include "printing/comparisonsheet.h"

#include "data/schema.h"
#include "printing/printer.h"
#include "printing/printsurface.h"
#include "printing/sheetpage.h"
#include "printing/sheettext.h"

namespace ComparisonSheet {

namespace {

constexpr float kRow = 4.7f;
constexpr float kWidth = 85.8f;           // of a wheel block
constexpr float kItemX = 30, kOlderX = 50, kNewerX = 70;  // column edges in a block
constexpr float kHeaderLabel = 31.8f, kHeaderMiddle = 104.9f;

const char16_t* const kWheelNames[4] = {u"フロント左", u"フロント右", u"リア左", u"リア右"};

struct Box {
  float x1, y1, x2, y2;
};

void blockForm(PrintSurface& s, float bx, float by, int wheel) {
  for (const Box& c : {Box{0, 0, kWidth, 2 * kRow}, Box{0, 2 * kRow, kItemX, 14 * kRow}})
    PrnShade(bx + c.x1, by + c.y1, bx + c.x2, by + c.y2, 0, s);
  PrnBox(bx, by, bx + kWidth, by + 14 * kRow, kThickPen, s);
  for (int r = 1; r < 14; ++r) PrnLine(bx, by + float(r) * kRow, bx + kWidth, by + float(r) * kRow, r == 2 ? kThickPen : kThinPen, s);
  for (float x : {kItemX, kOlderX, kNewerX}) PrnLine(bx + x, by + kRow, bx + x, by + 14 * kRow, kThinPen, s);
  s.setFontSize(10.5);
  PrnText(bx + 1, by + 0.6f, QString::fromUtf16(kWheelNames[wheel]), s);
  s.setFontSize(9);
  PrnText(bx + 1, by + kRow + 0.6f, QStringLiteral("項目"), s);
  PrnText(bx + kItemX + 1, by + kRow + 0.6f, QStringLiteral("古い方"), s);
  PrnText(bx + kOlderX + 1, by + kRow + 0.6f, QStringLiteral("新しい方"), s);
  PrnText(bx + kNewerX + 1, by + kRow + 0.6f, QStringLiteral("差"), s);
  const QStringList& items = schema::wheelItems();
  for (int i = 0; i < 12; ++i) PrnFittedText(bx + 1, by + float(i + 2) * kRow + 0.6f, items[i], kItemX - 2, s);
}

void PageFrame(PrintSurface& s, float x0, float y0) {
  PrintSheetTitle(s, x0, y0, QStringLiteral("セッティング比較"));
  for (const Box& c : {Box{0, kRow, 178, 2 * kRow}, Box{0, 2 * kRow, kHeaderLabel, 7 * kRow}})
    PrnShade(x0 + c.x1, y0 + c.y1, x0 + c.x2, y0 + c.y2, 0, s);
  PrnBox(x0, y0 + kRow, x0 + 178, y0 + 7 * kRow, kThickPen, s);
  for (int r = 2; r < 7; ++r) PrnLine(x0, y0 + float(r) * kRow, x0 + 178, y0 + float(r) * kRow, kThinPen, s);
  for (float x : {kHeaderLabel, kHeaderMiddle}) PrnLine(x0 + x, y0 + kRow, x0 + x, y0 + 7 * kRow, kThinPen, s);
  PrnText(x0 + kHeaderLabel + 1, y0 + kRow + 0.6f, QStringLiteral("古い方のセッティング"), s);
  PrnText(x0 + kHeaderMiddle + 1, y0 + kRow + 0.6f, QStringLiteral("新しい方のセッティング"), s);
  int r = 2;
  for (const char16_t* label : {u"セッティング番号", u"セッティング名", u"セッティング日", u"ＵＳＥＲ", u"車高調"})
    PrnText(x0 + 1, y0 + float(r++) * kRow + 0.6f, QString::fromUtf16(label), s);

  s.setFontName(kMincho);
  for (int w = 0; w < 4; ++w) {
    const Origin o = wheelBlock(w);
    blockForm(s, x0 + o.x, y0 + o.y, w);
  }
  s.setFontSize(10.5);
}

void headerValues(PrintSurface& s, const SettingRecord& r, float x, float y) {
  const float width = kHeaderMiddle - kHeaderLabel - 2;
  PrnText(x, y + 2 * kRow + 0.6f, r.code.trimmed(), s);
  PrnFittedText(x, y + 3 * kRow + 0.6f, r.name.trimmed(), width, s);
  PrnText(x, y + 4 * kRow + 0.6f, settingDateText(r.year, r.month, r.day).trimmed(), s);
  PrnFittedText(x, y + 5 * kRow + 0.6f, r.user.trimmed(), width, s);
  PrnFittedText(x, y + 6 * kRow + 0.6f, r.coilOver.trimmed(), width, s);
}

}  // namespace

Origin wheelBlock(int wheel) {
  static const Origin blocks[4] = {{0, 41}, {92.2f, 41}, {0, 112}, {92.2f, 112}};
  return blocks[wheel & 3];
}

bool PrintData_Comparison(PrintSurface& s, const comparison::SettingComparison& c, float L, float T, int& PageCount) {
  LinePitch = kRow;
  s.StartDoc();
  int LineCount = 99;
  PageChgChk(LineCount, s, L, T, PageCount, PageFrame);

  s.setFontName(kMincho);
  s.setFontSize(10.5);
  headerValues(s, c.older, L + kHeaderLabel + 1, T);
  headerValues(s, c.newer, L + kHeaderMiddle + 1, T);
  s.setFontName(kGothic);
  PrnText(L, T + 7 * kRow + 1.6f, QStringLiteral("違い %1 項目").arg(c.count), s);
  s.setFontName(kMincho);
  s.setFontSize(9);
  PrnText(L + 40, T + 7 * kRow + 2, QStringLiteral("太字は違いのある値、差は新しい方から古い方を引いた値です。"), s);

  for (int w = 0; w < 4; ++w) {
    const Origin o = wheelBlock(w);
    const float bx = L + o.x, by = T + o.y;
    for (size_t i = 0; i < 12; ++i) {
      const float y = by + float(i + 2) * kRow + 0.6f;
      // Differing values stand out in bold Gothic beside the plain Mincho.
      const bool differs = c.differing[size_t(w)][i];
      s.setFontName(differs ? kGothic : kMincho);
      s.setFontBold(differs);
      PrnFittedText(bx + kItemX + 1, y, c.older.wheel[size_t(w)][i], kOlderX - kItemX - 2, s);
      PrnFittedText(bx + kOlderX + 1, y, c.newer.wheel[size_t(w)][i], kNewerX - kOlderX - 2, s);
      if (!c.difference[size_t(w)][i].isEmpty())
        PrnFittedText(bx + kNewerX + 1, y, c.difference[size_t(w)][i], kWidth - kNewerX - 2, s);
    }
    s.setFontBold(false);
    s.setFontName(kMincho);
  }
  return s.EndDoc();
}

}  // namespace ComparisonSheet
