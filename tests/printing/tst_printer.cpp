// The millimetre drawing routines and the print surface they draw on:
// exact twips, the order of a box's lines, shading that leaves the pen as
// it was, font fitting with the real metrics of the mapped fonts, devices
// and papers, and where a finished document goes.
#include "printtest.h"
#include "data/rules.h"
#include "printing/previewpane.h"
#include "printing/printer.h"
#include "printing/printsurface.h"
#include "printing/render.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QTest>

class DrawingRoutinesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void textLinesAndBoxesInTwips() {
    FakePrinters printers;
    PrintSurface s;
    s.StartDoc();
    PrnText(10, 2.5f, QStringLiteral("A"), s);
    QCOMPARE(s.CurrentY(), 142);  // 141.75 rounded
    PrnText(0.5f, 10, QStringLiteral("B"), s);
    PrnLine(0, 9.4f, 178, 9.4f, 10, s);
    PrnBox(1, 2, 3, 4, 20, s);
    PrnBox(5, 0, 5, 8, 10, s);  // x1 = x2: a vertical line drawn twice
    const PrintPage& page = s.document().pages.at(0);
    const QList<TextItem> texts = textsOf(page);
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts[0].x, 567);
    QCOMPARE(texts[0].y, 142);
    QCOMPARE(texts[1].x, 28);  // 28.35 rounded
    QCOMPARE(texts[1].y, 567);
    const QList<LineItem> lines = linesOf(page);
    QCOMPARE(lines.size(), 9);
    QCOMPARE((QList<int>{lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2, lines[0].penWidth}),
             (QList<int>{0, 533, 10093, 533, 10}));
    // Top, left, right, bottom.
    const int l = 57, t = 113, r = 170, b = 227;
    const QList<QList<int>> box{{l, t, r, t}, {l, t, l, b}, {r, t, r, b}, {l, b, r, b}};
    for (int i = 0; i < 4; ++i) {
      const LineItem& e = lines[1 + i];
      QCOMPARE((QList<int>{e.x1, e.y1, e.x2, e.y2}), box[i]);
      QCOMPARE(e.penWidth, 20);
    }
    QCOMPARE((QList<int>{lines[6].x1, lines[6].y1, lines[6].x2, lines[6].y2}), (QList<int>{284, 0, 284, 454}));
    QCOMPARE((QList<int>{lines[7].x1, lines[7].x2}), (QList<int>{284, 284}));
  }

  void shadeRestoresThePen() {
    FakePrinters printers;
    PrintSurface s;
    s.StartDoc();
    s.setPenColor(255);
    s.setBrushColor(123);
    PrnShade(0, 28.2f, 178, 37.6f, 0, s);
    QCOMPARE(s.PenColor(), 255);
    QCOMPARE(s.BrushColor(), 0);
    QCOMPARE(s.PenWidth(), 0);
    const QList<RectItem> rects = rectsOf(s.document().pages.at(0));
    QCOMPARE(rects.size(), 1);
    QCOMPARE((QList<int>{rects[0].x1, rects[0].y1, rects[0].x2, rects[0].y2}), (QList<int>{0, 1599, 10093, 2132}));
    QCOMPARE(rects[0].penColor, 16777215);
    QCOMPARE(rects[0].brushColor, 8454143);
    QCOMPARE(colourOf(8454143), QColor(255, 255, 128));
    // A line drawn after the cell is in the restored colour.
    PrnLine(0, 0, 1, 1, 10, s);
    QCOMPARE(linesOf(s.document().pages.at(0)).at(0).penColor, 255);
  }

  void textIsMeasuredWithTheMappedFonts() {
    FakePrinters printers;
    QCOMPARE(QFontInfo(printFont(QStringLiteral("ＭＳ 明朝"), 10.5)).family(), QStringLiteral("IPAMincho"));
    QCOMPARE(QFontInfo(printFont(QStringLiteral("ＭＳ ゴシック"), 12)).family(), QStringLiteral("IPAGothic"));
    PrintSurface s;
    s.setFontName(QStringLiteral("ＭＳ 明朝"));
    s.setFontSize(10.5);
    QFont ipa(QStringLiteral("IPAMincho"));
    ipa.setPixelSize(210);
    const QString text = QStringLiteral("実車高(フェンダー高) 123");
    QCOMPARE(s.TextWidth(text), QFontMetricsF(ipa).horizontalAdvance(text));
    // Full-width characters are one em, 10.5 pt = 210 twips.
    QCOMPARE(s.TextWidth(QStringLiteral("ＵＳＥＲ")), 840.0);
    s.setFontSize(21);
    QCOMPARE(s.TextWidth(QStringLiteral("ＵＳＥＲ")), 1680.0);
  }

  void fitFontSize() {
    FakePrinters printers;
    PrintSurface s;
    s.setFontSize(10.5);
    QCOMPARE(FitFontSize(10.5f, QString(), 48, s), 10.0f);  // empty text: half a point down at once
    QCOMPARE(s.FontSize(), 10.5);
    QCOMPARE(FitFontSize(10.5f, QString(200, QChar(0x3042)), 48, s), 3.5f);  // nothing fits
    QCOMPARE(s.FontSize(), 10.5);
    // A name a little too wide: the largest half-point size that fits.
    const QString name = QStringLiteral(" 0003:株式会社サスペンション工房代表");
    QVERIFY(TwipsToMm(s.TextWidth(name)) > 48);
    const float fitted = FitFontSize(10.5f, name, 48, s);
    QVERIFY(fitted < 10.5f && fitted >= 4);
    QCOMPARE(std::fmod(fitted * 2, 1.0f), 0.0f);
    s.setFontSize(fitted);
    QVERIFY(TwipsToMm(s.TextWidth(name)) <= 48);
    s.setFontSize(fitted + 0.5);
    QVERIFY(TwipsToMm(s.TextWidth(name)) > 48);

    InitPrnPitch();
    QCOMPARE(LinePitch, 4.218f);
  }
};

class PrintSurfaceTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void devicesAndPapers() {
    FakePrinters printers;
    printers.sizes[QStringLiteral("Alpha")] = {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)};
    printers.sizes[QStringLiteral("Beta")] = {QPageSize(QPageSize::A5), QPageSize(QPageSize::JisB4)};
    printers.defaultPrinter = QStringLiteral("Beta");
    printers.defaults[QStringLiteral("Beta")] = QPageSize(QPageSize::A5);
    PrintSurface s;
    QCOMPARE(s.NDevices(), 3);
    QCOMPARE((QStringList{s.Devices(0), s.Devices(1), s.Devices(2)}),
             (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("PDFファイル")}));
    QCOMPARE(s.Device(), QStringLiteral("Beta"));
    QCOMPARE(s.PaperSize(), 11);  // A5, the printer's default
    QVERIFY(s.PaperSizeSupported(11));
    QVERIFY(s.PaperSizeSupported(12));  // B4 is the Japanese B4
    QVERIFY(!s.PaperSizeSupported(9));
    s.setDevice(QStringLiteral("Alpha"));
    QVERIFY(s.PaperSizeSupported(9));
    QVERIFY(s.PaperSizeSupported(1));
    QVERIFY(!s.PaperSizeSupported(11));
    s.setDevice(QStringLiteral("PDFファイル"));
    QVERIFY(s.PaperSizeSupported(11));
    QVERIFY(s.PaperSizeSupported(46));
    QVERIFY(!s.PaperSizeSupported(40));

    FakePrinters none;  // no system printer at all
    PrintSurface lone;
    QCOMPARE(lone.NDevices(), 1);
    QCOMPARE(lone.Device(), QStringLiteral("PDFファイル"));
    QCOMPARE(lone.PaperSize(), 9);
  }

  void previewShowsTheRecordedPages() {
    FakePrinters printers;
    PrintSurface s;
    PreviewPane pane;
    s.setPreviewPane(&pane);
    s.setPaperSize(8);
    s.setOrientation(1);
    s.setPreview(true);
    s.StartDoc();
    PrnText(1, 1, QStringLiteral("一"), s);
    s.NewPage();
    PrnText(1, 1, QStringLiteral("二"), s);
    QVERIFY(s.EndDoc());
    QCOMPARE(pane.pageCount(), 2);
    QCOMPARE(textsOf(pane.document().pages[1]).at(0).text, QStringLiteral("二"));
    QCOMPARE(pane.document().paperCode, 8);
    const QSizeF a3 = pane.document().sizeTwips();  // A3 landscape
    QCOMPARE(qRound(a3.width()), qRound(420 / 25.4 * 1440));
    QCOMPARE(qRound(a3.height()), qRound(297 / 25.4 * 1440));
  }

  void printingGoesToTheDevice() {
    DataDir dir(false);
    FakePrinters printers;
    printers.sizes[QStringLiteral("Alpha")] = {QPageSize(QPageSize::A4)};
    PrintSurface s;
    s.setPreview(false);
    s.setDevice(QStringLiteral("Alpha"));
    s.StartDoc();
    PrnText(1, 1, QStringLiteral("x"), s);
    QVERIFY(s.EndDoc());
    QCOMPARE(printers.printed.size(), 1);
    QCOMPARE(printers.printed[0].first, QStringLiteral("Alpha"));

    // A printer that is no longer installed: a clear message, nothing printed.
    s.setDevice(QStringLiteral("Gone"));
    s.StartDoc();
    QVERIFY(!s.EndDoc());
    QCOMPARE(s.lastError(), QStringLiteral("プリンター「Gone」が見つかりません。\nプリンターの設定を確認してください。"));
    s.setDevice(QString());
    s.StartDoc();
    QVERIFY(!s.EndDoc());
    QVERIFY(s.lastError().startsWith(QStringLiteral("プリンターが選ばれていません。")));
    QCOMPARE(printers.printed.size(), 1);
  }

  void pdfDeviceAsksForTheFile() {
    DataDir dir(false);
    FakePrinters printers;
    PrintSurface s;
    s.setPreview(false);
    s.setDevice(QStringLiteral("PDFファイル"));
    s.setPdfFileName(QStringLiteral("セッティング_0012.pdf"));
    s.setPaperSize(11);
    const QString path = dir.file(QStringLiteral("out.pdf"));
    {
      ScriptedPdfPath chooser(path);
      s.StartDoc();
      PrnText(10, 10, QStringLiteral("PDFの中身"), s);
      QVERIFY(s.EndDoc());
      QCOMPARE(chooser.asked, QStringList{QDir::current().filePath(QStringLiteral("セッティング_0012.pdf"))});
    }
    QCOMPARE(s.lastPdfPath(), path);
    QVERIFY(runTool(QStringLiteral("pdfinfo"), {path}).contains(QStringLiteral("(A5)")));
    QVERIFY(runTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}).contains(QStringLiteral("PDFの中身")));

    {  // Cancelled: nothing written, no failure.
      ScriptedPdfPath chooser{QString()};
      s.StartDoc();
      QVERIFY(s.EndDoc());
      QVERIFY(s.cancelled());
    }
    {  // Not writable: a message, and no file left behind.
      const QString bad = dir.file(QStringLiteral("no/such/folder/x.pdf"));
      ScriptedPdfPath chooser(bad);
      s.StartDoc();
      QVERIFY(!s.EndDoc());
      QVERIFY2(s.lastError().contains(QStringLiteral("に書き込めません。")), qPrintable(s.lastError()));
      QVERIFY(!QFile::exists(bad));
    }
  }
};

ASHIMEMO_TEST(DrawingRoutinesTest)
ASHIMEMO_TEST(PrintSurfaceTest)
#include "tst_printer.moc"
