// Printing through a real CUPS queue: the setting sheet sent to the queue
// "PDF" (cups-pdf) must come out as the same one-page A4 sheet as the PDF
// file written directly. cups-pdf turns text into Type 3 glyphs that
// pdftotext cannot read, so the pages are compared as pictures.
#include "data/clock.h"
#include "printtest.h"
#include "printing/settingprint.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// Where cups-pdf puts its files: the job owner's ~/PDF, or the spool.
QStringList outputFolders() {
  QStringList out{QDir::homePath() + QStringLiteral("/PDF"), QStringLiteral("/var/spool/cups-pdf/ANONYMOUS")};
  const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
  if (!user.isEmpty()) out << QStringLiteral("/var/spool/cups-pdf/") + user;
  return out;
}

QSet<QString> pdfsNow() {
  QSet<QString> out;
  for (const QString& folder : outputFolders()) {
    QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
    while (it.hasNext()) out.insert(it.next());
  }
  return out;
}

bool jobsPending() {
  return !runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("PDF")}).trimmed().isEmpty();
}

QImage rasterOf(const QString& pdf, const QString& base) {
  runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-gray"),
                                       QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, base});
  return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

}  // namespace

class CupsQueueTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void printsTheSheetThroughCups() {
    if (QPrinterInfo::printerInfo(QStringLiteral("PDF")).isNull())
      QSKIP("no CUPS queue \"PDF\": cupsd is not running or cups-pdf is not set up (./test starts it as root)");
    DataDir dir(false);
    Clock::setToday(QDate(2024, 7, 9));
    QVERIFY(copyWheelPictures());
    SettingPrint screen(nullptr, sampleSetting);
    QVERIFY(showAndActivate(&screen));

    // The same sheet, once straight into a file and once through CUPS.
    writePdfPrnFile(QStringLiteral("SETTING"));
    const QString direct = dir.file(QStringLiteral("direct.pdf"));
    {
      ScriptedPdfPath chooser(direct);
      QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
    }
    QVERIFY(QFile::exists(direct));

    const QSet<QString> before = pdfsNow();
    writePrnFile(QStringLiteral("SETTING"), QStringLiteral("PDF\r\nA4 - 210 x 297 mm\r\n縦方向\r\n0\r\n0\r\n"));
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("Print_Switch")), Qt::LeftButton);
    QVERIFY(dir.messages.take().isEmpty());

    QString printed;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 90000) {
      const QSet<QString> now = pdfsNow() - before;
      if (!now.isEmpty() && !jobsPending()) {
        printed = *now.begin();
        break;
      }
      QTest::qWait(250);
    }
    QVERIFY2(!printed.isEmpty(), "cups-pdf wrote no file within 90 s");
    QString info;
    for (int i = 0; i < 20 && !info.contains(QStringLiteral("Pages:")); ++i) {  // the file may still be closing
      info = runTool(QStringLiteral("pdfinfo"), {printed});
      if (!info.contains(QStringLiteral("Pages:"))) QTest::qWait(250);
    }
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    QVERIFY2(size.hasMatch(), qPrintable(info));
    QVERIFY(std::abs(size.captured(1).toDouble() - 595.3) < 1.5);
    QVERIFY(std::abs(size.captured(2).toDouble() - 841.9) < 1.5);

    const QImage a = rasterOf(direct, dir.file(QStringLiteral("direct")));
    const QImage b = rasterOf(printed, dir.file(QStringLiteral("printed")));
    QVERIFY(!a.isNull() && !b.isNull());
    QVERIFY(std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1);
    // Compare the pages in blocks of 8 x 8 pixels (5 mm): the two routes
    // anti-alias differently, but each block must carry about the same ink.
    // (The same page moved by 0.6 mm gives a mean block difference of 6.)
    const int w = std::min(a.width(), b.width()) / 8, h = std::min(a.height(), b.height()) / 8;
    double worst = 0, mean = 0, ink = 0;
    for (int by = 0; by < h; ++by)
      for (int bx = 0; bx < w; ++bx) {
        double sa = 0, sb = 0;
        for (int y = by * 8; y < by * 8 + 8; ++y)
          for (int x = bx * 8; x < bx * 8 + 8; ++x) {
            sa += 255 - a.constScanLine(y)[x];
            sb += 255 - b.constScanLine(y)[x];
          }
        worst = std::max(worst, std::abs(sa - sb) / 64);
        mean += std::abs(sa - sb) / 64;
        ink += sa / 64;
      }
    mean /= double(w) * h;
    ink /= double(w) * h;
    qInfo("cups-pdf page: mean ink %.1f, block difference mean %.2f, largest %.1f (of 255)", ink, mean, worst);
    QVERIFY2(ink > 10, "the direct PDF looks blank");
    QVERIFY2(mean < 3, "the printed page differs from the direct PDF");
    QVERIFY2(worst < 45, "part of the printed page differs from the direct PDF");
    if (const QString dest = qEnvironmentVariable("ASHIMEMO_KEEP_PDF"); !dest.isEmpty()) {
      QFile::remove(dest + QStringLiteral("/cups-setting-sheet.pdf"));
      QFile::copy(printed, dest + QStringLiteral("/cups-setting-sheet.pdf"));
    }
    QFile::remove(printed);
    Clock::setToday(QDate());
  }
};

ASHIMEMO_TEST(CupsQueueTest)
#include "tst_cups.moc"
