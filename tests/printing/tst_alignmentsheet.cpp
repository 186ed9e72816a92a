// The alignment sheet: the base-master line, the measurement grid with its
// pads and units, the tyres, the page frame at two margins, and the screen.
#include "data/clock.h"
#include "data/rules.h"
#include "printtest.h"
#include "printing/alignmentsheet.h"
#include "printing/araimentprint.h"
#include "printing/previewpane.h"
#include "printing/printsurface.h"
#include "printing/prninf.h"
#include "printing/sheettext.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

PrintPage drawAlignment(const AlignmentRecord& a, float L, float T, const SettingRecord& s = sampleSetting()) {
  PrintSurface surface;
  surface.setPreview(true);
  int pages = 0;
  AlignmentSheet::PrintData_Araiment(surface, s, a, L, T, pages);
  return surface.document().pages.value(0);
}

QString textAt(const PrintPage& page, int x, int y) {
  for (const TextItem& t : textsOf(page))
    if (t.x == x && t.y == y) return t.text;
  return QStringLiteral("<none>");
}

double sizeOf(const PrintPage& page, const QString& text) {
  const QList<TextItem> found = textsNamed(page, text);
  return found.isEmpty() ? -1 : found[0].fontSize;
}

}  // namespace

class AlignmentSheetLayoutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { Clock::setToday(QDate(2024, 7, 9)); }
  void cleanup() { Clock::setToday(QDate()); }

  void baseMasterLine() {
    QCOMPARE(::baseMasterLine(QString(), QStringLiteral(" 標準 ")), QStringLiteral("【アライメントの基準値:標準】"));
    QCOMPARE(::baseMasterLine(QStringLiteral(" 7 "), QStringLiteral("標準")),
             QStringLiteral("【アライメントの基準値[0007]:標準】"));
    FakePrinters printers;
    AlignmentRecord a = sampleAlignment();
    QCOMPARE(textAt(drawAlignment(a, 0, 0), 0, 1100), QStringLiteral("【アライメントの基準値[0007]:ＧＴ－Ｒ標準】"));
    a.alignmentCode = QStringLiteral("  ");
    QCOMPARE(textAt(drawAlignment(a, 30, 30), 1701, 2801), QStringLiteral("【アライメントの基準値:ＧＴ－Ｒ標準】"));
  }

  void gridValues_data() {
    QTest::addColumn<float>("margin");
    QTest::addColumn<QList<int>>("n");
    QTest::newRow("0/0") << 0.0f
                         << QList<int>{1894, 2699, 4502, 3232, 5863, 4615, 4031, 7337, 7484, 1633, 9469, 6963, 1780,
                                       8295, 3141};
    QTest::newRow("30/30") << 30.0f
                           << QList<int>{3595, 4400, 6203, 4933, 7564, 6316, 5732, 9038, 9185, 3334, 11170, 8664,
                                         3481, 9996, 4842};
  }
  void gridValues() {
    QFETCH(float, margin);
    QFETCH(QList<int>, n);
    FakePrinters printers;
    AlignmentRecord a = sampleAlignment();
    a.before[1] = QStringLiteral("-0.25");   // five characters: three spaces in front
    a.standard[17] = QStringLiteral("-1.2345678");  // a rear range value of ten characters
    const PrintPage p = drawAlignment(a, margin, margin);
    // Total toe standard: a single value, 14 wide, "mm".
    QCOMPARE(textAt(p, n[0], n[1]), QStringLiteral("          0.00mm"));
    // Individual toe before: LH at 79.4, RH at 103.4, 8 wide.
    QCOMPARE(textAt(p, n[2], n[3]), QStringLiteral("   -0.25mm"));
    QCOMPARE(textAt(p, n[4], n[3]), QStringLiteral("   -1.02mm"));
    // Camber's second line (index 5) carries "mm"; its row's range pair "°".
    QCOMPARE(textAt(p, n[5], n[6]), QStringLiteral("         -1.05mm"));
    QCOMPARE(textAt(p, n[7], n[6]), QStringLiteral("          2.05mm"));
    QCOMPARE(textAt(p, MmToTwips(margin + 31.4f), n[6]), QStringLiteral("    0.07°"));
    QCOMPARE(textAt(p, MmToTwips(margin + 55.4f), n[6]), QStringLiteral("    0.08°"));
    // Tyres: size as typed, diameter padded to 3 with "mm".
    QCOMPARE(textAt(p, n[8], n[9]), QStringLiteral("205/50R16"));
    QCOMPARE(textAt(p, n[10], n[9]), QStringLiteral(" 62mm"));
    QCOMPARE(textAt(p, n[10], n[11]), QStringLiteral("640mm"));
    // The long rear range value is printed without spaces in front.
    QCOMPARE(textAt(p, n[12], n[13]), QStringLiteral("-1.2345678mm"));
    QCOMPARE(textAt(p, n[14], n[13]), QStringLiteral("    0.18mm"));
  }

  void everyMeasuredValueOnce() {
    FakePrinters printers;
    const PrintPage p = drawAlignment(sampleAlignment(), 0, 0);
    const QList<TextItem> texts = textsOf(p);
    auto count = [&](const QString& v) {
      int c = 0;
      for (const TextItem& t : texts)
        if (t.text.trimmed().startsWith(v)) ++c;
      return c;
    };
    for (int i = 0; i < 22; ++i) {
      QCOMPARE(count(QStringLiteral("-1.%1").arg(i, 2, 10, QLatin1Char('0'))), 1);
      QCOMPARE(count(QStringLiteral("2.%1").arg(i, 2, 10, QLatin1Char('0'))), 1);
    }
    for (int i = 0; i < 26; ++i) QCOMPARE(count(QStringLiteral("0.%1").arg(i, 2, 10, QLatin1Char('0'))), 1);
    // Units of the second-line values 5, 8, 11, 14 and 20, and of thrust angle.
    for (int i : {5, 8, 11, 14, 20}) QCOMPARE(count(QStringLiteral("-1.%1mm").arg(i, 2, 10, QLatin1Char('0'))), 1);
    QCOMPARE(count(QStringLiteral("-1.21°")), 1);
    QCOMPARE(count(QStringLiteral("0.25°")), 1);
    // An empty field prints spaces and the unit only.
    AlignmentRecord empty;
    const PrintPage e = drawAlignment(empty, 0, 0);
    QCOMPARE(textAt(e, 1894, 2699), QString(14, u' ') + QStringLiteral("mm"));
    QCOMPARE(textAt(e, 0, 1100), QStringLiteral("【アライメントの基準値:】"));
  }

  void pageFrame_data() {
    QTest::addColumn<float>("margin");
    QTest::addColumn<QList<int>>("n");
    QTest::newRow("0/0") << 0.0f
                         << QList<int>{0,    0,    0,    10926, 10070, 11193, 0,    266,  13892, 3368,
                                       2415, 2299, 5352, 2166, 142,  2832,  102,  5497, 7632};
    QTest::newRow("30/30") << 30.0f
                           << QList<int>{1701, 1701, 1701, 12627, 11771, 12894, 1701, 1967, 15592, 5069,
                                         4116, 4000, 7053, 3867, 1843, 4533,  1803, 7198, 9333};
  }
  void pageFrame() {
    QFETCH(float, margin);
    QFETCH(QList<int>, n);
    FakePrinters printers;
    const PrintPage p = drawAlignment(sampleAlignment(), margin, margin);
    QCOMPARE(textAt(p, n[0], n[1]), QStringLiteral("アライメント測定の記録"));
    QCOMPARE(textAt(p, n[18], n[1]), QStringLiteral("印刷日:2024年07月09日"));
    QCOMPARE(sizeOf(p, QStringLiteral("アライメント測定の記録")), 12.0);
    QVERIFY(hasShade(p, n[2], n[3], n[4], n[5]));           // remark heads (0, 192.7)-(177.6, 192.7 + P)
    QVERIFY(hasLine(p, n[6], n[7], n[4], n[7], 20));        // page box top
    QVERIFY(hasLine(p, n[6], n[7], n[6], n[8], 20));        // left
    QVERIFY(hasLine(p, n[4], n[7], n[4], n[8], 20));        // right
    QVERIFY(hasLine(p, n[6], n[8], n[4], n[8], 20));        // bottom
    QVERIFY(hasLine(p, n[9], n[3], n[9], n[8], 20));        // remarks divider
    QCOMPARE(textAt(p, n[10], n[11]), QStringLiteral("メーカー基準値"));
    QCOMPARE(textAt(p, n[12], n[13]), QStringLiteral("調　整　前"));
    QCOMPARE(textAt(p, n[14], n[15]), QStringLiteral("トータルトウ"));
    QCOMPARE(textAt(p, n[16], n[17]), QStringLiteral("インクルード角"));
    QCOMPARE(sizeOf(p, QStringLiteral("インクルード角")), 9.0);
    QCOMPARE(sizeOf(p, QStringLiteral("個別トウ")), 10.5);
    QCOMPARE(textsNamed(p, QStringLiteral("トータルトウ")).size(), 2);
    QCOMPARE(textsNamed(p, QStringLiteral("トータルトウ"))[1].fontSize, 9.5);
    QCOMPARE(textsNamed(p, QStringLiteral("ＬＨホイール")).size(), 4);
    QCOMPARE(textsNamed(p, QStringLiteral("ＲＨホイール")).size(), 4);
    for (const char* label : {"ＵＳＥＲ", "車高調", "セッティング番号", "セッティング名", "セッティング日",
                              "フロント　アクスル", "リア　アクスル", "スラスト角", "ＳＡＩ", "状態、感想．．．",
                              "【備　考】"})
      QCOMPARE(textsNamed(p, QString::fromUtf8(label)).size(), 1);
    QCOMPARE(textsNamed(p, QStringLiteral("ﾀｲﾔｻｲｽﾞ")).size(), 2);
    // The short verticals of the grids: x 55.4 in six front and four rear
    // rows; x 103.4 and 151.4 in five front and two rear rows; plus the
    // tyre cells' 151.4 in each axle band.
    auto verticalsAt = [&](float x) {
      int c = 0;
      for (const LineItem& l : linesOf(p))
        if (l.x1 == l.x2 && l.x1 == MmToTwips(margin + x) && l.penWidth == 10) ++c;
      return c;
    };
    QCOMPARE(verticalsAt(55.4f), 10);
    QCOMPARE(verticalsAt(103.4f), 7);
    QCOMPARE(verticalsAt(151.4f), 9);
    QCOMPARE(rectsOf(p).size(), 12);
  }
};

class AraimentPrintScreenTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { Clock::setToday(QDate(2024, 7, 9)); }
  void cleanup() { Clock::setToday(QDate()); }

  void flowAndPdf() {
    DataDir dir(false);
    FakePrinters printers;
    SettingRecord setting = sampleSetting();
    AlignmentRecord alignment = sampleAlignment();
    AraimentPrint screen(nullptr, [&] { return setting; }, [&] { return alignment; });
    QCOMPARE(screen.windowTitle(), QStringLiteral("Ashimemo　－　アライメント計測値印刷"));
    QCOMPARE(PrnInf.PrnInfKey, QStringLiteral("ARAIMENT"));
    QVERIFY(showAndActivate(&screen));

    // The setting sheet's file does not count for this sheet.
    writePdfPrnFile(QStringLiteral("SETTING"));
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QList<ShownMessage> shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("先にプリンタの設定を行ってください。"));
    QCOMPARE(shown[0].title, QStringLiteral("Ashimemo　－　アライメント計測値印刷"));
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);

    writePdfPrnFile(QStringLiteral("ARAIMENT"), 20, 15);
    alignment.after[0] = QStringLiteral("0.99");  // an edit not yet stored
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Preview_Switch")), Qt::LeftButton);
    QVERIFY(dir.messages.take().isEmpty());
    const PrintPage& page = screen.previewPane()->document().pages.at(0);
    QCOMPARE(textsNamed(page, QStringLiteral("          0.99mm")).size(), 1);
    QCOMPARE(textsNamed(page, QStringLiteral("アライメント測定の記録")).at(0).x, 850);   // 15 mm: 850.5, the half to even
    QCOMPARE(textsNamed(page, QStringLiteral("アライメント測定の記録")).at(0).y, 1134);  // 20 mm

    const QString path = dir.file(QStringLiteral("アライメント_0012.pdf"));
    {
      ScriptedPdfPath chooser(path);
      QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
      QCOMPARE(chooser.asked, QStringList{path});
    }
    QVERIFY(dir.messages.take().isEmpty());
    if (const QString dest = qEnvironmentVariable("ASHIMEMO_KEEP_PDF"); !dest.isEmpty()) {
      QFile::remove(dest + QStringLiteral("/alignment-sheet.pdf"));
      QFile::copy(path, dest + QStringLiteral("/alignment-sheet.pdf"));
    }
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    for (const char* expected : {"アライメント測定の記録", "印刷日:2024年07月09日", "【アライメントの基準値[0007]:",
                                 "フロント", "アクスル", "メーカー基準値", "ＬＨホイール", "ＲＨホイール",
                                 "トータルトウ", "インクルード角", "スラスト角", "0.99mm", "-1.01mm", "0.25°",
                                 "205/50R16", "62mm", "640mm", "状態、感想．．．", "0003:佐藤", "0012"})
      QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

    press(Qt::Key_F12);
    QVERIFY(!screen.isVisible());
  }
};

ASHIMEMO_TEST(AlignmentSheetLayoutTest)
ASHIMEMO_TEST(AraimentPrintScreenTest)
#include "tst_alignmentsheet.moc"
