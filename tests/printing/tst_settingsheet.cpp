// The setting sheet: where every kind of element lands in twips at two
// margins, the value texts with their pads and units, fitted fonts, the
// wheel pictures, and the screen that previews and prints it.
#include "data/clock.h"
#include "data/rules.h"
#include "printtest.h"
#include "printing/previewpane.h"
#include "printing/printer.h"
#include "printing/printsurface.h"
#include "printing/prninf.h"
#include "printing/settingprint.h"
#include "printing/settingsheet.h"
#include "printing/sheettext.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

PrintDocument drawSetting(const SettingRecord& r, float L, float T) {
  PrintSurface s;
  s.setPreview(true);
  int pages = 0;
  SettingSheet::PrintData_Setting(s, r, L, T, pages);
  return s.document();
}

const TextItem* textAt(const PrintPage& page, int x, int y) {
  static TextItem found;
  for (const TextItem& t : textsOf(page))
    if (t.x == x && t.y == y) return &(found = t);
  return nullptr;
}

QString textAtOrEmpty(const PrintPage& page, int x, int y) {
  const TextItem* t = textAt(page, x, y);
  return t ? t->text : QStringLiteral("<none>");
}

}  // namespace

class SettingSheetLayoutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { Clock::setToday(QDate(2024, 7, 9)); }
  void cleanup() { Clock::setToday(QDate()); }

  void placesElementsAtExactTwips_data() {
    QTest::addColumn<float>("margin");
    QTest::addColumn<QList<int>>("n");  // expected twips, in the order checked below
    QTest::newRow("0/0") << 0.0f
                         << QList<int>{0,    0,    7632, 0,    57,   301,  3918, 1633, 7059, 7785, 113,  12803,
                                       1021, 301,  1860, 567,  3958, 567,  8505, 833,  0,    533,  10093, 0,
                                       1599, 10093, 2132, 0,   266,  10093, 1865, 5046, 1865, 6951, 5205, 4321,
                                       8845, 5086, 9151, 5352, 5160, 4287, 10025, 6685, 6141, 6186, 8051, 9310,
                                       8165, 5120, 9321, 6067, 6452, 8233, 4321};
    QTest::newRow("30/30") << 30.0f
                           << QList<int>{1701, 1701, 9333, 1701, 1758, 2002, 5619, 3334, 8760, 9486, 1814, 14504,
                                         2722, 2002, 3561, 2268, 5659, 2268, 10206, 2534, 1701, 2234, 11794, 1701,
                                         3300, 11794, 3833, 1701, 1967, 11794, 3566, 6747, 3566, 8652, 6906, 6022,
                                         10546, 6787, 10852, 7053, 6861, 5988, 11726, 8386, 7842, 7887, 9752, 11011,
                                         9866, 6821, 11022, 7768, 8153, 9934, 6022};
  }
  void placesElementsAtExactTwips() {
    QFETCH(float, margin);
    QFETCH(QList<int>, n);
    FakePrinters printers;
    const PrintDocument doc = drawSetting(sampleSetting(), margin, margin);
    QCOMPARE(doc.pages.size(), 1);
    const PrintPage& p = doc.pages[0];
    // Frame texts.
    QCOMPARE(textAtOrEmpty(p, n[0], n[1]), QStringLiteral("セッティング情報"));
    QCOMPARE(textAtOrEmpty(p, n[2], n[3]), QStringLiteral("印刷日:2024年07月09日"));
    QCOMPARE(textAtOrEmpty(p, n[4], n[5]), QStringLiteral("ＵＳＥＲ"));
    QCOMPARE(textAtOrEmpty(p, n[6], n[7]), QStringLiteral("フロントのセッティング"));
    QCOMPARE(textAtOrEmpty(p, n[8], n[9]), QStringLiteral("リア・右側"));
    QCOMPARE(textAtOrEmpty(p, n[10], n[11]), QStringLiteral("【その他】"));
    QCOMPARE(textAt(p, n[0], n[1])->fontName, QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(textAt(p, n[0], n[1])->fontSize, 12.0);
    QCOMPARE(textAt(p, n[4], n[5])->fontName, QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(textAt(p, n[4], n[5])->fontSize, 10.5);
    // Header values, in Mincho 10.5.
    QCOMPARE(textAtOrEmpty(p, n[12], n[13]), QStringLiteral(" 0003:佐藤　一郎"));
    QCOMPARE(textAtOrEmpty(p, n[14], n[15]), QStringLiteral("0012"));
    QCOMPARE(textAtOrEmpty(p, n[16], n[17]), QStringLiteral(" サーキット用　初期セット"));
    QCOMPARE(textAtOrEmpty(p, n[18], n[19]), QStringLiteral(" 2024年03月05日"));
    QCOMPARE(textAt(p, n[12], n[13])->fontName, QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(textAt(p, n[12], n[13])->fontSize, 10.5);
    // A thin full-width rule, a shaded band, a thick box and a long vertical.
    QVERIFY(hasLine(p, n[20], n[21], n[22], n[21], 10));
    QVERIFY(hasShade(p, n[23], n[24], n[25], n[26]));
    QVERIFY(hasLine(p, n[27], n[28], n[29], n[28], 20));
    QVERIFY(hasLine(p, n[27], n[28], n[27], n[30], 20));
    QVERIFY(hasLine(p, n[29], n[28], n[29], n[30], 20));
    QVERIFY(hasLine(p, n[27], n[30], n[29], n[30], 20));
    QVERIFY(hasLine(p, n[31], n[32], n[31], n[33], 10));
    // Wheel block 1 (front right): a label, a shaded cell, its box.
    QCOMPARE(textAtOrEmpty(p, n[34], n[35]), QStringLiteral("①"));
    QVERIFY(hasShade(p, n[36], n[37], n[38], n[39]));
    QVERIFY(hasLine(p, n[40], n[41], n[42], n[41], 20));
    QVERIFY(hasLine(p, n[40], n[43], n[42], n[43], 20));
    // Its values.
    QCOMPARE(textAtOrEmpty(p, n[44], n[45]), QStringLiteral("   8 kgf･mm"));
    QCOMPARE(textAtOrEmpty(p, n[46], n[45]), QStringLiteral("65"));
    QCOMPARE(textAtOrEmpty(p, n[47], n[45]), QStringLiteral("200 mm"));
    QCOMPARE(textAtOrEmpty(p, n[48], n[49]), QStringLiteral("12 段"));
    QCOMPARE(textAtOrEmpty(p, n[50], n[49]), QStringLiteral(" 8 段"));
    QCOMPARE(textAtOrEmpty(p, n[51], n[52]), QStringLiteral("異音なし"));
    QCOMPARE(textAtOrEmpty(p, n[53], n[54]), QStringLiteral("641 mm"));
  }

  void marginsMoveEverything() {
    FakePrinters printers;
    const PrintPage a = drawSetting(sampleSetting(), 0, 0).pages[0];
    const PrintPage b = drawSetting(sampleSetting(), 30, 30).pages[0];
    QCOMPARE(b.items.size(), a.items.size());
    QCOMPARE(a.items.size(), 4 * (7 + 4 + 8 + 12 + 19 + 12) + 7 + 20 + 7 + 10 + 11 + 3 + 5);
    // Every element moves by 30 mm (1701 twips), give or take the rounding
    // of each coordinate.
    for (qsizetype i = 0; i < a.items.size(); ++i) {
      if (const auto* t = std::get_if<TextItem>(&a.items[i])) {
        const auto& u = std::get<TextItem>(b.items[i]);
        QCOMPARE(u.text, t->text);
        QVERIFY(std::abs(u.x - t->x - 1701) <= 1 && std::abs(u.y - t->y - 1701) <= 1);
      } else if (const auto* l = std::get_if<LineItem>(&a.items[i])) {
        const auto& m = std::get<LineItem>(b.items[i]);
        QVERIFY(std::abs(m.x1 - l->x1 - 1701) <= 1 && std::abs(m.y2 - l->y2 - 1701) <= 1);
      }
    }
  }

  void valueTexts() {
    QCOMPARE(wheelValueText(QStringLiteral(" 8 "), 4, QStringLiteral(" kgf･mm")), QStringLiteral("   8 kgf･mm"));
    QCOMPARE(wheelValueText(QStringLiteral("123"), 2, QString()), QStringLiteral("123"));  // ID as typed
    QCOMPARE(wheelValueText(QStringLiteral("5"), 2, QString()), QStringLiteral(" 5"));
    QCOMPARE(wheelValueText(QString(), 3, QStringLiteral(" mm")), QStringLiteral("    mm"));
    QCOMPARE(wheelValueText(QString(), 2, QStringLiteral(" 段")), QStringLiteral("   段"));
    QCOMPARE(wheelValueText(QStringLiteral("1234"), 3, QStringLiteral(" mm")), QStringLiteral("1234 mm"));
    QCOMPARE(settingDateText(QStringLiteral("2024"), QStringLiteral("3"), QStringLiteral("5")),
             QStringLiteral(" 2024年03月05日"));
    QCOMPARE(settingDateText(QStringLiteral("3"), QStringLiteral("12"), QStringLiteral("31")),
             QStringLiteral(" 0003年12月31日"));
    QCOMPARE(settingDateText(QString(), QString(), QString()), QStringLiteral(" 0000年00月00日"));
    QCOMPARE(printDateText(QStringLiteral("20030512")), QStringLiteral("印刷日:2003年05月12日"));

    // An empty setting prints spaces and units only.
    FakePrinters printers;
    const PrintPage p = drawSetting(SettingRecord{}, 0, 0).pages[0];
    QCOMPARE(textAtOrEmpty(p, 6141, 6186), QStringLiteral("     kgf･mm"));
    QCOMPARE(textAtOrEmpty(p, 8051, 6186), QStringLiteral("  "));
    QCOMPARE(textAtOrEmpty(p, 8505, 833), QStringLiteral(" 0000年00月00日"));
  }

  void wideValuesAreFitted() {
    FakePrinters printers;
    SettingRecord r = sampleSetting();
    r.user = QStringLiteral("0003:株式会社サスペンション工房代表");  // a little over 48 mm
    r.name = QString(80, QChar(0x30BB));                              // far over 106 mm
    r.wheel[2][11] = QStringLiteral("左リアからの異音、段差で強く出る。要再点検");
    const PrintPage p = drawSetting(r, 0, 0).pages[0];
    PrintSurface measure;
    measure.setFontName(QStringLiteral("ＭＳ 明朝"));

    const TextItem* user = textAt(p, 1021, 301);
    QVERIFY(user);
    QVERIFY(user->fontSize < 10.5 && user->fontSize > 4);
    measure.setFontSize(user->fontSize);
    QVERIFY(TwipsToMm(measure.TextWidth(user->text)) <= 48);
    measure.setFontSize(user->fontSize + 0.5);
    QVERIFY(TwipsToMm(measure.TextWidth(user->text)) > 48);

    QCOMPARE(textAt(p, 3958, 567)->fontSize, 3.5);  // nothing fits: 3.5 pt and overruns
    const TextItem* remark = textAt(p, MmToTwips(2 + 16), MmToTwips(178.2f + 0.6f + 8 * 4.7f));
    QVERIFY(remark);
    QVERIFY(remark->fontSize < 10.5);
    // Values after a fitted one are back at 10.5 pt.
    QCOMPARE(textAt(p, 1860, 567)->fontSize, 10.5);
    QCOMPARE(textAt(p, 8505, 833)->fontSize, 10.5);
  }

  void wheelPictures() {
    DataDir dir(false);
    FakePrinters printers;
    const PrintPage without = drawSetting(sampleSetting(), 0, 0).pages[0];
    QVERIFY(picturesOf(without).isEmpty());
    QVERIFY(copyWheelPictures());
    const PrintPage with = drawSetting(sampleSetting(), 0, 0).pages[0];
    const QList<PictureItem> pics = picturesOf(with);
    QCOMPARE(pics.size(), 4);
    QCOMPARE((QList<int>{pics[0].x1, pics[0].y1, pics[0].x2, pics[0].y2}), (QList<int>{113, 2415, 4961, 4287}));
    QCOMPARE((QList<int>{pics[3].x1, pics[3].y1, pics[3].x2, pics[3].y2}), (QList<int>{5160, 8233, 10008, 10104}));
    QCOMPARE((QStringList{pics[0].source, pics[1].source, pics[2].source, pics[3].source}),
             (QStringList{QStringLiteral("セッティング左.GIF"), QStringLiteral("セッティング右.GIF"),
                          QStringLiteral("セッティング左.GIF"), QStringLiteral("セッティング右.GIF")}));
    QVERIFY(!pics[0].image.isNull());
    QCOMPARE(pics[0].image.size(), QSize(1026, 396));
    // Otherwise the layout is the same.
    QList<PrintItem> rest;
    for (const PrintItem& item : with.items)
      if (!std::holds_alternative<PictureItem>(item)) rest.append(item);
    QCOMPARE(rest.size(), without.items.size());
    for (qsizetype i = 0; i < rest.size(); ++i) QCOMPARE(rest[i].index(), without.items[i].index());
    // A broken picture file is left out as a missing one.
    QFile f(QStringLiteral("セッティング右.GIF"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a picture");
    f.close();
    QCOMPARE(picturesOf(drawSetting(sampleSetting(), 0, 0).pages[0]).size(), 2);
  }
};

class SettingPrintScreenTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { Clock::setToday(QDate(2024, 7, 9)); }
  void cleanup() { Clock::setToday(QDate()); }

  void refusesWithoutPrinterFile() {
    DataDir dir(false);
    FakePrinters printers;
    SettingPrint screen(nullptr, sampleSetting);
    QCOMPARE(screen.windowTitle(), QStringLiteral("Ashimemo　－　セッティング値の印字"));
    QVERIFY(showAndActivate(&screen));
    for (const char* button : {"Preview_Switch", "Print_Switch"}) {
      QTest::mouseClick(control<QPushButton>(&screen, QString::fromLatin1(button)), Qt::LeftButton);
      const QList<ShownMessage> shown = dir.messages.take();
      QCOMPARE(shown.size(), 1);
      QCOMPARE(shown[0].title, QStringLiteral("Ashimemo　－　セッティング値の印字"));
      QCOMPARE(shown[0].text, QStringLiteral("先にプリンタの設定を行ってください。"));
      QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
      QCOMPARE(shown[0].buttons, MessageRequest::Buttons::Ok);
    }
    QCOMPARE(screen.previewPane()->pageCount(), 0);
    QVERIFY(printers.printed.isEmpty());
  }

  void previewShowsWhatTheScreenHoldsNow() {
    DataDir dir(false);
    FakePrinters printers;
    writePdfPrnFile(QStringLiteral("SETTING"), 10, 5);
    SettingRecord current = sampleSetting();
    SettingPrint screen(nullptr, [&current] { return current; });
    QVERIFY(showAndActivate(&screen));
    QCOMPARE(control<QPushButton>(&screen, QStringLiteral("PrinterSetSwitch"))->text(), QStringLiteral("プリンター設定"));
    QCOMPARE(control<QPushButton>(&screen, QStringLiteral("Preview_Switch"))->text(), QStringLiteral("プレビュー"));
    QCOMPARE(control<QPushButton>(&screen, QStringLiteral("Print_Switch"))->text(), QStringLiteral("印　刷"));
    QCOMPARE(control<QPushButton>(&screen, QStringLiteral("ExitSwitch"))->text(), QStringLiteral("閉じる"));
    PreviewPane* pane = control<PreviewPane>(&screen, QStringLiteral("vsPrinter1"));
    QVERIFY(pane);
    QVERIFY(pane->height() > screen.height() * 3 / 4);
    QVERIFY(pane->width() > screen.width() * 9 / 10);

    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QVERIFY(dir.messages.take().isEmpty());
    QCOMPARE(pane->pageCount(), 1);
    QCOMPARE(screen.PageCount, 1);
    // Margins 10 (top) and 5 (left): the title sits at (5, 10) mm.
    QCOMPARE(textsNamed(pane->document().pages[0], QStringLiteral("セッティング情報")).at(0).x, 284);
    QCOMPARE(textsNamed(pane->document().pages[0], QStringLiteral("セッティング情報")).at(0).y, 567);
    QVERIFY(printers.printed.isEmpty());

    // An edit not yet stored is printed the next time.
    current.wheel[0][0] = QStringLiteral("777");
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QCOMPARE(textsNamed(pane->document().pages[0], QStringLiteral("777 mm")).size(), 1);
    QCOMPARE(screen.PageCount, 1);  // every document starts again at page 0

    // Margins that are no number, or negative, count as 0.
    writePrnFile(QStringLiteral("SETTING"), QStringLiteral("PDFファイル\r\nA4 - 210 x 297 mm\r\n縦方向\r\n-5\r\nabc\r\n"));
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QCOMPARE(textsNamed(pane->document().pages[0], QStringLiteral("セッティング情報")).at(0).x, 0);
    QCOMPARE(textsNamed(pane->document().pages[0], QStringLiteral("セッティング情報")).at(0).y, 0);
  }

  void printerSetAppliesTheStoredSettings() {
    DataDir dir(false);
    FakePrinters printers;
    printers.sizes[QStringLiteral("Office")] = {QPageSize(QPageSize::A4)};
    SettingPrint screen(nullptr, sampleSetting);
    PrintSurface& s = screen.surface();
    writePrnFile(QStringLiteral("SETTING"), QStringLiteral(" Office \r\nA5 - 148 x 210 mm\r\n横方向\r\n0\r\n0\r\n"));
    screen.PageCount = 3;
    LinePitch = 4.7f;
    screen.PrinterSet();
    QCOMPARE(s.Device(), QStringLiteral("Office"));
    QVERIFY(!s.DefaultDevice());
    QCOMPARE(s.PaperSize(), 11);
    QCOMPARE(s.Orientation(), 1);
    QCOMPARE(s.PaperBin(), 8);
    QCOMPARE(s.FontName(), QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(screen.PageCount, 0);
    QCOMPARE(LinePitch, 4.218f);
    // Names not in the tables leave the surface's paper and orientation.
    writePrnFile(QStringLiteral("SETTING"), QStringLiteral("Office\r\nA4\r\n斜め\r\n0\r\n0\r\n"));
    screen.PrinterSet();
    QCOMPARE(s.PaperSize(), 11);
    QCOMPARE(s.Orientation(), 1);
  }

  void printsToPdfAndReportsFailures() {
    DataDir dir(false);
    FakePrinters printers;
    QVERIFY(copyWheelPictures());
    writePdfPrnFile(QStringLiteral("SETTING"));
    SettingPrint screen(nullptr, sampleSetting);
    QVERIFY(showAndActivate(&screen));
    const QString path = dir.file(QStringLiteral("セッティング_0012.pdf"));
    {
      ScriptedPdfPath chooser(path);
      QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
      QCOMPARE(chooser.asked, QStringList{path});
    }
    QVERIFY(dir.messages.take().isEmpty());
    if (const QString dest = qEnvironmentVariable("ASHIMEMO_KEEP_PDF"); !dest.isEmpty()) {
      QFile::remove(dest + QStringLiteral("/setting-sheet.pdf"));
      QFile::copy(path, dest + QStringLiteral("/setting-sheet.pdf"));
    }
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)"))),
             qPrintable(info));
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    // pdftotext reads full-width spaces as blanks and "･" as "·".
    for (const char* expected : {"セッティング情報", "印刷日:2024年07月09日", "ＵＳＥＲ", "セッティング番号",
                                 "0003:佐藤", "02:ストリートスペック", "0012", "サーキット用", "2024年03月05日",
                                 "フロント・左側", "リア・右側", "実車高(フェンダー高)", "ピロアッパー車高調節",
                                 "640 mm", "643 mm", "12 段", "8 kgf", "ﾊﾞﾈﾚｰﾄ", "異音なし", "【その他】"})
      QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

    // The stored printer has gone: a message, and the screen carries on.
    writePrnFile(QStringLiteral("SETTING"), QStringLiteral("Gone\r\nA4 - 210 x 297 mm\r\n縦方向\r\n0\r\n0\r\n"));
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
    const QList<ShownMessage> shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("プリンター「Gone」が見つかりません。\nプリンターの設定を確認してください。"));
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QCOMPARE(shown[0].title, screen.windowTitle());
    QVERIFY(screen.isVisible());
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QCOMPARE(screen.previewPane()->pageCount(), 1);
  }

  void keys() {
    DataDir dir(false);
    FakePrinters printers;
    SettingPrint screen(nullptr, sampleSetting);
    QVERIFY(showAndActivate(&screen));
    control<QPushButton>(&screen, QStringLiteral("Preview_Switch"))->setFocus();
    press(Qt::Key_Escape);
    press(Qt::Key_Return);
    press(Qt::Key_F11);
    QVERIFY(screen.isVisible());
    QVERIFY(dir.messages.take().isEmpty());
    press(Qt::Key_F12);
    QVERIFY(!screen.isVisible());
    QCOMPARE(screen.result(), int(QDialog::Rejected));
  }

  void printerSettingsOpenForThisSheet() {
    DataDir dir(false);
    FakePrinters printers;
    SettingPrint screen(nullptr, sampleSetting);
    QVERIFY(showAndActivate(&screen));
    PrnInf.PrnInfKey = QStringLiteral("ARAIMENT");
    QString title, key;
    onNextModal([&](QDialog* d) {
      title = d->windowTitle();
      key = PrnInf.PrnInfKey;
      press(Qt::Key_F1);  // PrnList has the focus: stores SETTING.PRN
      press(Qt::Key_F10);
    });
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("PrinterSetSwitch")), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("使用するプリンターの設定"));
    QCOMPARE(key, QStringLiteral("SETTING"));
    QVERIFY(QFile::exists(QStringLiteral("SETTING.PRN")));
    QVERIFY(!QFile::exists(QStringLiteral("ARAIMENT.PRN")));
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QVERIFY(dir.messages.take().isEmpty());
    QCOMPARE(screen.previewPane()->pageCount(), 1);
  }
};

ASHIMEMO_TEST(SettingSheetLayoutTest)
ASHIMEMO_TEST(SettingPrintScreenTest)
#include "tst_settingsheet.moc"
