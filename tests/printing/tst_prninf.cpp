// The printer files: their exact bytes, reading them back field by field,
// files that cannot be used, and the paper and orientation tables.
#include "printtest.h"
#include "printing/papers.h"
#include "printing/prninf.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QStringEncoder>
#include <QTest>

class PrnInfFileTest : public QObject {
  Q_OBJECT

  static PrnInfRecord sample() {
    PrnInfRecord r;
    r.PrnName = QStringLiteral("PDFファイル");
    r.PaperName = QStringLiteral("B5 - 182 x 257 mm");
    r.OrientName = QStringLiteral("横方向");
    r.MarginTop = QStringLiteral("12");
    r.MarginLeft = QStringLiteral("7");
    return r;
  }

 private Q_SLOTS:
  void writesFiveShiftJisLines() {
    DataDir dir(false);
    PrnInf = sample();
    QVERIFY(WritePrnInf(QStringLiteral("SETTING")));
    const QByteArray bytes = fileBytes(QStringLiteral("SETTING.PRN"));
    QStringEncoder sjis("Shift_JIS");
    const QByteArray expected = sjis(QStringLiteral("PDFファイル\r\nB5 - 182 x 257 mm\r\n横方向\r\n12\r\n7\r\n"));
    QCOMPARE(bytes, expected);
    QCOMPARE(bytes.count("\r\n"), 5);
    QCOMPARE(bytes.count('\n'), 5);
    // "横" in Shift-JIS, not UTF-8.
    QVERIFY(bytes.contains(QByteArray("\x89\xA1", 2)));

    PrnInf = PrnInfRecord{};
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 1);
    QCOMPARE(PrnInf.PrnName, QStringLiteral("PDFファイル"));
    QCOMPARE(PrnInf.PaperName, QStringLiteral("B5 - 182 x 257 mm"));
    QCOMPARE(PrnInf.OrientName, QStringLiteral("横方向"));
    QCOMPARE(PrnInf.MarginTop, QStringLiteral("12"));
    QCOMPARE(PrnInf.MarginLeft, QStringLiteral("7"));
  }

  void sheetsHaveIndependentFiles() {
    DataDir dir(false);
    PrnInf = sample();
    QVERIFY(WritePrnInf(QStringLiteral("SETTING")));
    const QByteArray setting = fileBytes(QStringLiteral("SETTING.PRN"));
    PrnInf.PrnName = QStringLiteral("Office");
    PrnInf.MarginTop = QStringLiteral("30");
    QVERIFY(WritePrnInf(QStringLiteral(" ARAIMENT ")));  // blanks around the key are dropped
    QVERIFY(QFile::exists(QStringLiteral("ARAIMENT.PRN")));
    QCOMPARE(fileBytes(QStringLiteral("SETTING.PRN")), setting);
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 1);
    QCOMPARE(PrnInf.PrnName, QStringLiteral("PDFファイル"));
    QCOMPARE(PrnInf.MarginTop, QStringLiteral("12"));
    QCOMPARE(ReadPrnInf(QStringLiteral("ARAIMENT")), 1);
    QCOMPARE(PrnInf.PrnName, QStringLiteral("Office"));
    QCOMPARE(PrnInf.MarginTop, QStringLiteral("30"));
  }

  void readsFieldByField() {
    DataDir dir(false);
    // A comma ends a field, so a printer name with a comma is cut there and
    // the values after it move up one place.
    writePrnFile(QStringLiteral("SETTING"),
                 QStringLiteral("HP,LaserJet\r\nA4 - 210 x 297 mm\r\n縦方向\r\n20\r\n20\r\n"));
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 1);
    QCOMPARE(PrnInf.PrnName, QStringLiteral("HP"));
    QCOMPARE(PrnInf.PaperName, QStringLiteral("LaserJet"));
    QCOMPARE(PrnInf.OrientName, QStringLiteral("A4 - 210 x 297 mm"));
    QCOMPARE(PrnInf.MarginLeft, QStringLiteral("20"));

    // Blanks around a value are dropped; quotes are removed and a comma
    // inside them stays; a line without CR LF at the end still counts.
    writePrnFile(QStringLiteral("SETTING"),
                 QStringLiteral("  \"Office, 2F\"  \r\n\t A4 - 210 x 297 mm \r\n\"横方向\"\n 5 \r\n3"));
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 1);
    QCOMPARE(PrnInf.PrnName, QStringLiteral("Office, 2F"));
    QCOMPARE(PrnInf.PaperName, QStringLiteral("A4 - 210 x 297 mm"));
    QCOMPARE(PrnInf.OrientName, QStringLiteral("横方向"));
    QCOMPARE(PrnInf.MarginTop, QStringLiteral("5"));
    QCOMPARE(PrnInf.MarginLeft, QStringLiteral("3"));
  }

  void unusableFileCountsAsMissing() {
    DataDir dir(false);
    PrnInf = sample();
    const auto untouched = [] {
      return PrnInf.PrnName == QStringLiteral("PDFファイル") && PrnInf.MarginLeft == QStringLiteral("7");
    };
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 0);  // no file
    QVERIFY(untouched());
    writePrnFile(QStringLiteral("SETTING"), QStringLiteral("Office\r\nA4 - 210 x 297 mm\r\n縦方向\r\n20\r\n"));
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 0);  // four values
    QVERIFY(untouched());
    writePrnFile(QStringLiteral("SETTING"), QString());
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 0);  // empty
    QVERIFY(untouched());
    QFile f(QStringLiteral("SETTING.PRN"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("Office\r\n\x80\xA0\xFF\r\n\xE6\x96\xB9\r\n20\r\n20\r\n");  // not Shift-JIS
    f.close();
    QCOMPARE(ReadPrnInf(QStringLiteral("SETTING")), 0);
    QVERIFY(untouched());
  }

  void fileNumbersAndFailedWrite() {
    DataDir dir(false);
    QCOMPARE(OpenPrnInf(QStringLiteral("SETTING"), QStringLiteral("r")), 0);
    const int out = OpenPrnInf(QStringLiteral("SETTING"), QStringLiteral("w"));
    QCOMPARE(out, 1);
    const int second = OpenPrnInf(QStringLiteral("ARAIMENT"), QStringLiteral("W"));
    QCOMPARE(second, 2);
    QVERIFY(ClosePrnInf(out));
    QVERIFY(ClosePrnInf(second));
    QCOMPARE(OpenPrnInf(QStringLiteral("SETTING"), QStringLiteral("R")), 1);
    QVERIFY(ClosePrnInf(1));
    QCOMPARE(OpenPrnInf(QStringLiteral("SETTING"), QStringLiteral("X")), 0);

    // A file that cannot be replaced is reported, not silently lost.
    QVERIFY(QFile::remove(QStringLiteral("ARAIMENT.PRN")));
    QVERIFY(QDir().mkdir(QStringLiteral("ARAIMENT.PRN")));
    PrnInf = sample();
    QVERIFY(!WritePrnInf(QStringLiteral("ARAIMENT")));
  }

  void paperAndOrientationTables() {
    QCOMPARE(paperTable().size(), 38);
    QList<int> codes;
    for (const PaperEntry& e : paperTable()) {
      codes << e.code;
      QVERIFY2(e.size.isValid(), qPrintable(e.name));
      QCOMPARE(GetPaperCode(e.name), std::optional<int>(e.code));
    }
    QList<int> expected;
    for (int c = 1; c <= 35; ++c) expected << c;
    expected << 44 << 45 << 46;
    QCOMPARE(codes, expected);
    QCOMPARE(GetPaperCode(QStringLiteral("A4 - 210 x 297 mm")), std::optional<int>(9));
    QCOMPARE(GetPaperCode(QStringLiteral("９型封筒 - 3 7/8 x 8 7/8 in")), std::optional<int>(19));
    QCOMPARE(GetPaperCode(QStringLiteral("9型封筒 - 3 7/8 x 8 7/8 in")), std::nullopt);  // half-width 9
    QCOMPARE(GetPaperCode(QStringLiteral("A4")), std::nullopt);
    QCOMPARE(GetPaperCode(QStringLiteral(" A4 - 210 x 297 mm")), std::nullopt);
    // The printed page follows the name.
    QCOMPARE(paperEntry(9)->size.id(), QPageSize::A4);
    QCOMPARE(paperEntry(13)->size.size(QPageSize::Millimeter), QSizeF(182, 257));
    QCOMPARE(paperEntry(28)->size.id(), QPageSize::EnvelopeC3);
    QCOMPARE(paperEntry(46)->size.id(), QPageSize::Imperial15x11);

    QCOMPARE(GetOrientationCode(QStringLiteral("縦方向")), std::optional<int>(0));
    QCOMPARE(GetOrientationCode(QStringLiteral("横方向")), std::optional<int>(1));
    QCOMPARE(GetOrientationCode(QStringLiteral("横")), std::nullopt);
  }
};

ASHIMEMO_TEST(PrnInfFileTest)
#include "tst_prninf.moc"
