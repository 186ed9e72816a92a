#include "printing/alignmentsheet.h"

#include "printing/printer.h"
#include "printing/printsurface.h"
#include "printing/sheetpage.h"
#include "printing/sheettext.h"

namespace AlignmentSheet {

namespace {

constexpr const char16_t* mm = u"mm";
constexpr const char16_t* deg = u"°";

// Standard columns in the stored order: トータルトウF 0-2, 個別トウF 3-5,
// キャンバーF 6-8, キャスターF 9-11, SAI 12, インクルード角F 13-15,
// トータルトウR 16-18, 個別トウR 19-21, キャンバーR 22-24, スラスト角 25.
// Each quantity's range pair follows its value. The second-line values of
// the before and after columns (indices 5, 8, 11, 14, 20) carry "mm".
const Row kRows[] = {
    {47.6f, 0, -1, mm, 0, -1, mm},      {52.3f, -1, 1, mm, -1, -1, u""},
    {57.0f, 3, -1, mm, -1, 1, mm},      {61.7f, -1, 4, mm, -1, -1, u""},
    {66.4f, 6, -1, deg, -1, 3, deg},    {71.1f, -1, 7, deg, 5, -1, mm},
    {75.8f, 9, -1, deg, -1, 6, deg},    {80.5f, -1, 10, deg, 8, -1, mm},
    {85.2f, 12, -1, deg, -1, 9, deg},   {89.9f, -1, -1, u"", 11, -1, mm},
    {94.6f, 13, -1, deg, -1, 12, deg},  {99.3f, -1, 14, deg, 14, -1, mm},
    {141.6f, 16, -1, mm, 15, -1, mm},   {146.3f, -1, 17, mm, -1, -1, u""},
    {151.0f, 19, -1, mm, -1, 16, mm},   {155.7f, -1, 20, mm, -1, -1, u""},
    {160.4f, 22, -1, deg, -1, 18, deg}, {165.1f, -1, 23, deg, 20, -1, mm},
    {169.8f, 25, -1, deg, 21, -1, deg},
};

void shade(PrintSurface& s, float x0, float y0, float x1, float y1, float x2, float y2) {
  PrnShade(x0 + x1, y0 + y1, x0 + x2, y0 + y2, 0, s);
}
void across(PrintSurface& s, float x0, float y0, float y, qint16 pen, float from = 0, float to = 177.6f) {
  PrnLine(x0 + from, y0 + y, x0 + to, y0 + y, pen, s);
}
void down(PrintSurface& s, float x0, float y0, float x, float y1, float y2, qint16 pen = kThinPen) {
  PrnLine(x0 + x, y0 + y1, x0 + x, y0 + y2, pen, s);
}
void label(PrintSurface& s, float x0, float y0, float x, float y, const char16_t* text) {
  PrnText(x0 + x, y0 + y, QString::fromUtf16(text), s);
}

// Column heads of a grid: the block heads at `head`, the wheel heads below.
void columnHeads(PrintSurface& s, float x0, float y0, float head, float sub) {
  label(s, x0, y0, 42.6f, head + LinePitch / 2, u"メーカー基準値");
  label(s, x0, y0, 94.4f, head, u"調　整　前");
  label(s, x0, y0, 142.4f, head, u"調　整　後");
  label(s, x0, y0, 80.4f, sub, u"ＬＨホイール");
  label(s, x0, y0, 104.4f, sub, u"ＲＨホイール");
  label(s, x0, y0, 128.4f, sub, u"ＬＨホイール");
  label(s, x0, y0, 152.4f, sub, u"ＲＨホイール");
}

void caption(PrintSurface& s, float x0, float y0, float x, float rowTop, const char16_t* text, double size) {
  s.setFontSize(size);
  label(s, x0, y0, x, rowTop + LinePitch / 2, text);
}

}  // namespace

const Row* rows(int* count) {
  *count = int(sizeof kRows / sizeof kRows[0]);
  return kRows;
}

void PageFrame(PrintSurface& s, float x0, float y0) {
  const float P = LinePitch;
  // 1. Title and print date.
  PrintSheetTitle(s, x0, y0, QStringLiteral("アライメント測定の記録"));

  // 2. Shaded cells.
  shade(s, x0, y0, 0, 4.7f, 17, 9.4f);
  shade(s, x0, y0, 68.8f, 4.7f, 81.8f, 9.4f);
  shade(s, x0, y0, 0, 9.4f, 31.8f, 14.1f);
  shade(s, x0, y0, 41, 9.4f, 68.8f, 14.1f);
  shade(s, x0, y0, 122.4f, 14.1f, 150, 18.8f);
  shade(s, x0, y0, 0, 23.5f, 177.6f, 28.2f);
  shade(s, x0, y0, 0, 117.5f, 177.6f, 122.2f);
  shade(s, x0, y0, 1.8f, 37.6f, 175.4f, 47);
  shade(s, x0, y0, 1.8f, 47, 31.4f, 103.4f);
  shade(s, x0, y0, 1.8f, 131.6f, 175.4f, 141);
  shade(s, x0, y0, 1.8f, 141, 31.4f, 178.6f);
  shade(s, x0, y0, 0, 192.7f, 177.6f, 192.7f + P);

  // 3. Page box.
  PrnBox(x0, y0 + P, x0 + 177.6f, y0 + 245, kThickPen, s);

  // 4. Header rules and labels.
  for (float y : {9.4f, 14.1f, 18.8f}) across(s, x0, y0, y, kThinPen);
  for (float x : {17.0f, 68.8f, 81.8f}) down(s, x0, y0, x, 4.7f, 9.4f);
  for (float x : {31.8f, 41.0f, 68.8f}) down(s, x0, y0, x, 9.4f, 14.1f);
  for (float x : {122.4f, 150.0f}) down(s, x0, y0, x, 14.1f, 18.8f);
  label(s, x0, y0, 1, 5.3f, u"ＵＳＥＲ");
  label(s, x0, y0, 69.8f, 5.3f, u"車高調");
  label(s, x0, y0, 1, 10, u"セッティング番号");
  label(s, x0, y0, 42, 10, u"セッティング名");
  label(s, x0, y0, 123.4f, 14.7f, u"セッティング日");

  // 5. Front axle band.
  across(s, x0, y0, 23.5f, kThickPen);
  across(s, x0, y0, 28.2f, kThinPen);
  across(s, x0, y0, 32.9f, kThickPen);
  for (float x : {116.2f, 131.0f, 151.4f, 166.0f}) down(s, x0, y0, x, 28.2f, 32.9f);
  label(s, x0, y0, 72.5f, 24.1f, u"フロント　アクスル");
  label(s, x0, y0, 117.2f, 28.8f, u"ﾀｲﾔｻｲｽﾞ");
  label(s, x0, y0, 152.4f, 28.8f, u"ﾀｲﾔ外径");

  // 6. Front grid.
  PrnBox(x0 + 1.8f, y0 + 37.6f, x0 + 175.4f, y0 + 47, kThickPen, s);
  PrnBox(x0 + 1.8f, y0 + 47, x0 + 175.4f, y0 + 103.4f, kThickPen, s);
  across(s, x0, y0, 42.3f, kThinPen, 79.4f, 175.4f);
  for (int k = 0; k <= 4; ++k) across(s, x0, y0, 56.4f + 2 * P * float(k), kThinPen, 1.8f, 175.4f);
  down(s, x0, y0, 24, 47, 103.4f);
  for (float x : {31.4f, 79.4f, 127.4f}) down(s, x0, y0, x, 37.6f, 103.4f);
  for (int k = 0; k <= 6; ++k) {
    const float y = 42.3f + 2 * P * float(k);
    if (k != 0) down(s, x0, y0, 55.4f, y, y + P);
    if (k >= 2) {
      down(s, x0, y0, 103.4f, y - P, y);
      down(s, x0, y0, 151.4f, y - P, y);
    }
  }

  // 7. Column heads.
  columnHeads(s, x0, y0, 38.2f, 42.9f);

  // 8. Front captions.
  caption(s, x0, y0, 2.5f, 47.6f, u"トータルトウ", 9.5);
  caption(s, x0, y0, 5.8f, 57, u"個別トウ", 10.5);
  caption(s, x0, y0, 3.8f, 66.4f, u"キャンバー", 10.5);
  caption(s, x0, y0, 3.8f, 75.8f, u"キャスター", 10.5);
  caption(s, x0, y0, 7.8f, 85.2f, u"ＳＡＩ", 10.5);
  caption(s, x0, y0, 1.8f, 94.6f, u"インクルード角", 9);
  s.setFontSize(10.5);

  // 9. Rear axle band.
  across(s, x0, y0, 117.5f, kThickPen);
  across(s, x0, y0, 122.2f, kThinPen);
  across(s, x0, y0, 126.9f, kThickPen);
  for (float x : {116.2f, 131.0f, 151.4f, 166.0f}) down(s, x0, y0, x, 122.2f, 126.9f);
  label(s, x0, y0, 76, 118.1f, u"リア　アクスル");
  label(s, x0, y0, 117.2f, 122.8f, u"ﾀｲﾔｻｲｽﾞ");
  label(s, x0, y0, 152.4f, 122.8f, u"ﾀｲﾔ外径");

  // 10. Rear grid.
  PrnBox(x0 + 1.8f, y0 + 131.6f, x0 + 175.4f, y0 + 141, kThickPen, s);
  PrnBox(x0 + 1.8f, y0 + 141, x0 + 175.4f, y0 + 178.6f, kThickPen, s);
  across(s, x0, y0, 136.3f, kThinPen, 79.4f, 175.4f);
  for (int k = 0; k <= 2; ++k) across(s, x0, y0, 150.4f + 2 * P * float(k), kThinPen, 1.8f, 175.4f);
  down(s, x0, y0, 24, 141, 178.6f);
  for (float x : {31.4f, 79.4f, 127.4f}) down(s, x0, y0, x, 131.6f, 178.6f);
  for (int k = 0; k <= 4; ++k) {
    const float y = 136.3f + 2 * P * float(k);
    if (k != 0) down(s, x0, y0, 55.4f, y, y + P);
    if (k >= 2 && k <= 3) {
      down(s, x0, y0, 103.4f, y - P, y);
      down(s, x0, y0, 151.4f, y - P, y);
    }
  }

  // 11. Rear column heads and captions.
  columnHeads(s, x0, y0, 132.2f, 136.9f);
  caption(s, x0, y0, 2.5f, 141.6f, u"トータルトウ", 9.5);
  caption(s, x0, y0, 5.8f, 151, u"個別トウ", 10.5);
  caption(s, x0, y0, 3.8f, 160.4f, u"キャンバー", 10.5);
  caption(s, x0, y0, 3.8f, 169.8f, u"スラスト角", 10.5);

  // 12. Remarks.
  across(s, x0, y0, 192.7f, kThickPen);
  down(s, x0, y0, 59.4f, 192.7f, 245, kThickPen);
  label(s, x0, y0, 2, 193.3f, u"状態、感想．．．");
  label(s, x0, y0, 59.4f, 193.3f, u"【備　考】");
  s.setFontName(kMincho);
}

bool PrintData_Araiment(PrintSurface& s, const SettingRecord& setting, const AlignmentRecord& a, float L, float T,
                        int& PageCount) {
  LinePitch = 4.7f;
  s.StartDoc();
  int LineCount = 99;
  PageChgChk(LineCount, s, L, T, PageCount, PageFrame);

  PrintSettingHeader(s, setting, L, T);
  PrnText(L + 0, T + 19.4f, baseMasterLine(a.alignmentCode, a.baseName), s);

  auto single = [&](float x, float y, const QString& v, const char16_t* unit) {
    PrnText(L + x, T + y, alignmentValueText(v, kSingleWidth, QString::fromUtf16(unit)), s);
  };
  auto pair = [&](float x, float y, const QString& v0, const QString& v1, const char16_t* unit) {
    PrnText(L + x, T + y, alignmentValueText(v0, kPairWidth, QString::fromUtf16(unit)), s);
    PrnText(L + x + 24, T + y, alignmentValueText(v1, kPairWidth, QString::fromUtf16(unit)), s);
  };
  for (const Row& r : kRows) {
    if (r.standard >= 0) single(kStandard.single, r.y, a.standard[size_t(r.standard)], r.standardUnit);
    if (r.rangeFirst >= 0)
      pair(kStandard.pair, r.y, a.standard[size_t(r.rangeFirst)], a.standard[size_t(r.rangeFirst + 1)],
           r.standardUnit);
    for (const auto& [column, values] : {std::pair{kBefore, &a.before}, std::pair{kAfter, &a.after}}) {
      if (r.measured >= 0) single(column.single, r.y, (*values)[size_t(r.measured)], r.measuredUnit);
      if (r.measuredPair >= 0)
        pair(column.pair, r.y, (*values)[size_t(r.measuredPair)], (*values)[size_t(r.measuredPair + 1)],
             r.measuredUnit);
    }
  }

  for (int i = 0; i < 2; ++i) {
    const float y = 28.8f + 94 * float(i);
    PrnText(L + 132, T + y, a.tyreSize[size_t(i)], s);
    PrnText(L + 167, T + y, tyreDiameterText(a.tyreDiameter[size_t(i)]), s);
  }
  return s.EndDoc();
}

}  // namespace AlignmentSheet
