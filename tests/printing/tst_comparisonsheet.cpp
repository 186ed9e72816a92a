// The printed comparison as a PDF read back with pdftotext; only the
// differing values bold.
#include "data/clock.h"
#include "data/comparison.h"
#include "data/rules.h"
#include "printing/comparisonprint.h"
#include "printing/comparisonsheet.h"
#include "printing/printer.h"
#include "printtest.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

class ComparisonSheetTest : public QObject {
  Q_OBJECT

  static comparison::SettingComparison sample() {
    SettingRecord older = sampleSetting(), newer = sampleSetting();
    newer.code = QStringLiteral("0015"), newer.month = QStringLiteral("06");
    newer.wheel[0][0] = QStringLiteral("652"), newer.wheel[3][8] = QStringLiteral("7.5");  // from 640 and 8
    newer.wheel[2][11] = QStringLiteral("突き上げ");
    return comparison::compare(newer, older);
  }

 private Q_SLOTS:
  void init() { Clock::setToday(QDate(2024, 7, 9)); }
  void cleanup() { Clock::setToday(QDate()); }

  void printsOnePageWithTheDifferencesBold() {
    DataDir dir(false);
    FakePrinters printers;
    writePdfPrnFile(QStringLiteral("SETTING"), 10, 15);
    ComparisonPrint screen(nullptr, sample());
    QVERIFY(showAndActivate(&screen));
    const QString path = dir.file(QStringLiteral("セッティング比較_0012_0015.pdf"));
    ScriptedPdfPath chooser(path);
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
    if (const QString dest = qEnvironmentVariable("ASHIMEMO_KEEP_PDF"); !dest.isEmpty()) {
      QFile::remove(dest + QStringLiteral("/comparison-sheet.pdf"));
      QFile::copy(path, dest + QStringLiteral("/comparison-sheet.pdf"));
    }
    QVERIFY(runTool(QStringLiteral("pdfinfo"), {path}).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    for (const char* expected : {"セッティング比較", "印刷日:2024年07月09日", "古い方のセッティング", "新しい方のセッティング",
                                 "0012", "0015", "2024年03月05日", "2024年06月05日", "0003:佐藤", "02:ストリートスペック",
                                 "違い 3 項目", "フロント左", "リア右", "フェンダー高", "バネレート", "652", "+12", "7.5",
                                 "-0.5", "突き上げ", "異音なし"})
      QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

    // Bold exactly where the values differ; the margins move everything.
    const PrintPage& page = screen.surface().document().pages.at(0);
    const ComparisonSheet::Origin rr = ComparisonSheet::wheelBlock(3);
    const int row8 = MmToTwips(10 + rr.y + 10 * 4.7f + 0.6f);
    QStringList bold;
    int boldCount = 0;
    for (const TextItem& t : textsOf(page)) {
      if (t.y == row8 && t.x > MmToTwips(15 + rr.x + 30)) bold << (t.bold ? t.text : QStringLiteral("plain"));
      boldCount += t.bold;
    }
    QCOMPARE(bold, (QStringList{"8", "7.5", "-0.5"}));
    QCOMPARE(boldCount, 3 * 3 - 1);  // the changed remark has no difference
  }
};

ASHIMEMO_TEST(ComparisonSheetTest)
#include "tst_comparisonsheet.moc"
