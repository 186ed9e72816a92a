// The printed comparison of two settings: one A4 page written as a PDF
// through the printing screen, its texts read back with pdftotext, and the
// differing values (and only those) drawn bold.
#include "data/clock.h"
#include "data/comparison.h"
#include "data/rules.h"
#include "printing/comparisonprint.h"
#include "printing/comparisonsheet.h"
#include "printing/printer.h"
#include "printtest.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

class ComparisonSheetTest : public QObject {
  Q_OBJECT

  static comparison::SettingComparison sample() {
    SettingRecord older = sampleSetting(), newer = sampleSetting();
    newer.code = QStringLiteral("0015");
    newer.name = QStringLiteral("サーキット用　二回目");
    newer.month = QStringLiteral("06");
    newer.wheel[0][0] = QStringLiteral("652");   // 640 -> 652
    newer.wheel[3][8] = QStringLiteral("7.5");   // 8 -> 7.5
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
    {
      ScriptedPdfPath chooser(path);
      QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
      QCOMPARE(chooser.asked, QStringList{path});
    }
    QVERIFY(dir.messages.take().isEmpty());
    if (const QString dest = qEnvironmentVariable("ASHIMEMO_KEEP_PDF"); !dest.isEmpty()) {
      QFile::remove(dest + QStringLiteral("/comparison-sheet.pdf"));
      QFile::copy(path, dest + QStringLiteral("/comparison-sheet.pdf"));
    }
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
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
    QStringList bold, plain;
    for (const TextItem& t : textsOf(page))
      if (t.y == row8 && t.x > MmToTwips(15 + rr.x + 30)) (t.bold ? bold : plain) << t.text.trimmed();
    QCOMPARE(bold, (QStringList{"8", "7.5", "-0.5"}));
    QVERIFY(plain.isEmpty());
    int boldCount = 0;
    for (const TextItem& t : textsOf(page)) boldCount += t.bold;
    QCOMPARE(boldCount, 3 * 3 - 1);  // the changed remark has no difference
    QCOMPARE(textsNamed(page, QStringLiteral("異音なし")).size(), 7);
  }
};

ASHIMEMO_TEST(ComparisonSheetTest)
#include "tst_comparisonsheet.moc"
