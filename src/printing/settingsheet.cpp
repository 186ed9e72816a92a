#include "printing/settingsheet.h"

#include "data/datafile.h"
#include "data/rules.h"
#include "printing/printer.h"
#include "printing/printsurface.h"
#include "printing/sheetpage.h"
#include "printing/sheettext.h"

#include <QImage>

namespace SettingSheet {

Origin wheelBlock(int wheel) {
  static const Origin blocks[4] = {{2, 75.6f}, {91, 75.6f}, {2, 178.2f}, {91, 178.2f}};
  return blocks[wheel & 3];
}

namespace {

QImage pictureFile(const QString& name) {
  if (!FileExists(name)) return QImage();
  return QImage(name);
}

void wheelBlockForm(PrintSurface& s, float bx, float by, const QImage& picture, const QString& pictureName) {
  const float t = kThinPen, k = kThickPen;
  if (!picture.isNull()) {
    s.setX1(MmToTwips(bx));
    s.setY1(MmToTwips(by - 33));
    s.setX2(MmToTwips(bx + 85.5f));
    s.setY2(MmToTwips(by));
    s.setCurrentX(MmToTwips(bx));
    s.setCurrentY(MmToTwips(by - 33));
    s.Picture(picture, pictureName);
  }
  struct Cell {
    float x1, y1, x2, y2;
  };
  for (const Cell& c : {Cell{0, 0, 44.6f, 14.1f}, Cell{0, 14.1f, 50, 18.8f}, Cell{65, 14.1f, 70.4f, 18.8f},
                        Cell{0, 18.8f, 44.6f, 32.9f}, Cell{0, 32.9f, 15, 42.3f}, Cell{39, 32.9f, 48.2f, 37.6f},
                        Cell{57.6f, 32.9f, 70.4f, 37.6f}})
    PrnShade(bx + c.x1, by + c.y1, bx + c.x2, by + c.y2, 0, s);
  PrnBox(bx, by, bx + 85.8f, by + 42.3f, kThickPen, s);
  struct Rule {
    float y;
    float pen;
  };
  for (const Rule& r : {Rule{4.7f, t}, Rule{9.4f, t}, Rule{14.1f, k}, Rule{18.8f, t}, Rule{23.5f, t},
                        Rule{28.2f, t}, Rule{32.9f, k}, Rule{37.6f, k}})
    PrnLine(bx, by + r.y, bx + 85.8f, by + r.y, qint16(r.pen), s);
  struct Vertical {
    float x, y1, y2;
  };
  for (const Vertical& v :
       {Vertical{5.8f, 0, 14.1f}, Vertical{5.8f, 18.8f, 32.9f}, Vertical{24.2f, 14.1f, 18.8f},
        Vertical{50, 14.1f, 18.8f}, Vertical{65, 14.1f, 18.8f}, Vertical{70.4f, 14.1f, 18.8f},
        Vertical{44.6f, 0, 32.9f}, Vertical{15, 32.9f, 42.3f}, Vertical{39, 32.9f, 37.6f},
        Vertical{48.2f, 32.9f, 37.6f}, Vertical{57.6f, 32.9f, 37.6f}, Vertical{70.4f, 32.9f, 37.6f}})
    PrnLine(bx + v.x, by + v.y1, bx + v.x, by + v.y2, kThinPen, s);
  struct Label {
    float x, y;
    const char16_t* text;
  };
  for (const Label& l : {Label{0.8f, 0.6f, u"①"}, Label{6.8f, 0.6f, u"実車高(フェンダー高)"},
                         Label{0.8f, 5.3f, u"②"}, Label{6.8f, 5.3f, u"プリロード"},
                         Label{0.8f, 10, u"③"}, Label{6.8f, 10, u"全　　長"},
                         Label{1, 14.7f, u" 減衰力調節"}, Label{45.3f, 14.7f, u"伸"}, Label{65.7f, 14.7f, u"縮"},
                         Label{0.8f, 19.4f, u"④"}, Label{6.8f, 19.4f, u"ピロアッパーout側"},
                         Label{0.8f, 24.1f, u"⑤"}, Label{6.8f, 24.1f, u"ピロアッパーin側"},
                         Label{0.8f, 28.8f, u"⑥"}, Label{6.8f, 28.8f, u"ピロアッパー車高調節"},
                         Label{2, 33.5f, u"ﾊﾞﾈﾚｰﾄ"}, Label{40, 33.5f, u"ＩＤ"}, Label{58.6f, 33.5f, u"自由長"},
                         Label{1, 38.2f, u"備　 考"}})
    PrnText(bx + l.x, by + l.y, QString::fromUtf16(l.text), s);
}

}  // namespace

void PageFrame(PrintSurface& s, float x0, float y0) {
  PrintSheetTitle(s, x0, y0, QStringLiteral("セッティング情報"));
  struct Box {
    float x1, y1, x2, y2;
  };
  for (const Box& c : {Box{0, 4.7f, 17, 9.4f}, Box{68.8f, 4.7f, 81.8f, 9.4f}, Box{0, 9.4f, 31.8f, 14.1f},
                       Box{41, 9.4f, 68.8f, 14.1f}, Box{122.4f, 14.1f, 150, 18.8f}, Box{0, 28.2f, 178, 37.6f},
                       Box{0, 132, 178, 141.4f}})
    PrnShade(x0 + c.x1, y0 + c.y1, x0 + c.x2, y0 + c.y2, 0, s);
  for (const Box& b : {Box{0, 4.7f, 178, 32.9f}, Box{0, 32.9f, 178, 122.6f}, Box{0, 122.6f, 178, 136.7f},
                       Box{0, 136.7f, 178, 225.2f}, Box{0, 225.2f, 178, 255.6f}})
    PrnBox(x0 + b.x1, y0 + b.y1, x0 + b.x2, y0 + b.y2, kThickPen, s);
  for (float y : {9.4f, 14.1f, 18.8f, 28.2f, 37.6f, 132.0f, 141.4f}) PrnLine(x0, y0 + y, x0 + 178, y0 + y, kThinPen, s);
  struct Vertical {
    float x, y1, y2;
  };
  for (const Vertical& v : {Vertical{17, 4.7f, 9.4f}, Vertical{68.8f, 4.7f, 9.4f}, Vertical{81.8f, 4.7f, 9.4f},
                            Vertical{31.8f, 9.4f, 14.1f}, Vertical{41, 9.4f, 14.1f}, Vertical{68.8f, 9.4f, 14.1f},
                            Vertical{122.4f, 14.1f, 18.8f}, Vertical{150, 14.1f, 18.8f},
                            Vertical{89, 32.9f, 122.6f}, Vertical{89, 136.7f, 225.2f}})
    PrnLine(x0 + v.x, y0 + v.y1, x0 + v.x, y0 + v.y2, kThinPen, s);
  struct Label {
    float x, y;
    const char16_t* text;
  };
  for (const Label& l : {Label{1, 5.3f, u"ＵＳＥＲ"}, Label{69.8f, 5.3f, u"車高調"}, Label{1, 10, u"セッティング番号"},
                         Label{42, 10, u"セッティング名"}, Label{123.4f, 14.7f, u"セッティング日"},
                         Label{69.1f, 28.8f, u"フロントのセッティング"}, Label{31.5f, 33.5f, u"フロント・左側"},
                         Label{120.5f, 33.5f, u"フロント・右側"}, Label{72.5f, 132.6f, u"リアのセッティング"},
                         Label{35.5f, 137.3f, u"リア・左側"}, Label{124.5f, 137.3f, u"リア・右側"}})
    PrnText(x0 + l.x, y0 + l.y, QString::fromUtf16(l.text), s);

  // Each picture is read once per page and shared by both wheels of its side.
  const QImage left = pictureFile(kLeftPicture), right = pictureFile(kRightPicture);
  for (int i = 0; i < 4; ++i) {
    const Origin o = wheelBlock(i);
    const bool isLeft = i == 0 || i == 2;
    wheelBlockForm(s, x0 + o.x, y0 + o.y, isLeft ? left : right, isLeft ? kLeftPicture : kRightPicture);
  }

  PrnText(x0 + 2, y0 + 225.8f, QStringLiteral("【その他】"), s);
  s.setFontName(kMincho);
}

bool PrintData_Setting(PrintSurface& s, const SettingRecord& r, float L, float T, int& PageCount) {
  LinePitch = 4.7f;
  s.StartDoc();
  int LineCount = 99;
  PageChgChk(LineCount, s, L, T, PageCount, PageFrame);

  PrintSettingHeader(s, r, L, T);

  const QString mm = QStringLiteral(" mm"), steps = QStringLiteral(" 段");
  for (int i = 0; i < 4; ++i) {
    const Origin o = wheelBlock(i);
    const float bx = L + o.x, by = T + o.y;
    const auto& w = r.wheel[size_t(i)];
    auto row = [&](int n) { return by + 0.6f + float(n) * LinePitch; };
    // Items in the stored order: フェンダー高 プリロード 全長 アッパーout
    // アッパーin アッパー車高 伸 縮 バネレート ID 自由長 備考.
    PrnText(bx + 54.2f, row(0), wheelValueText(w[0], 3, mm), s);
    PrnText(bx + 54.2f, row(1), wheelValueText(w[1], 3, mm), s);
    PrnText(bx + 54.2f, row(2), wheelValueText(w[2], 3, mm), s);
    PrnText(bx + 53, row(3), wheelValueText(w[6], 2, steps), s);
    PrnText(bx + 73.4f, row(3), wheelValueText(w[7], 2, steps), s);
    PrnText(bx + 54.2f, row(4), wheelValueText(w[3], 3, mm), s);
    PrnText(bx + 54.2f, row(5), wheelValueText(w[4], 3, mm), s);
    PrnText(bx + 54.2f, row(6), wheelValueText(w[5], 3, mm), s);
    PrnText(bx + 17.3f, row(7), wheelValueText(w[8], 4, QStringLiteral(" kgf･mm")), s);
    PrnText(bx + 51, row(7), wheelValueText(w[9], 2, QString()), s);
    PrnText(bx + 73.2f, row(7), wheelValueText(w[10], 3, mm), s);
    PrnFittedText(bx + 16, row(8), w[11].trimmed(), 68, s);
  }
  return s.EndDoc();
}

}  // namespace SettingSheet
