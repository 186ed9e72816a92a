// Printing: building each sheet's display list and writing it as a PDF
// file, and opening the setting sheet screen with its preview shown.
#include "benchmain.h"

#include "data/clock.h"
#include "printing/alignmentsheet.h"
#include "printing/previewpane.h"
#include "printing/printers.h"
#include "printing/printsurface.h"
#include "printing/prninf.h"
#include "printing/settingprint.h"
#include "printing/settingsheet.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

SettingRecord benchSetting() {
  SettingRecord r;
  r.code = QStringLiteral("0012");
  r.name = QStringLiteral("サーキット用　初期セット");
  r.year = QStringLiteral("2024");
  r.month = QStringLiteral("3");
  r.day = QStringLiteral("5");
  r.user = QStringLiteral("0003:佐藤　一郎");
  r.coilOver = QStringLiteral("02:ストリートスペック");
  for (auto& w : r.wheel)
    w = {QStringLiteral("640"), QStringLiteral("5"),  QStringLiteral("520"), QStringLiteral("2"),
         QStringLiteral("1"),   QStringLiteral("15"), QStringLiteral("12"),  QStringLiteral("8"),
         QStringLiteral("8"),   QStringLiteral("65"), QStringLiteral("200"), QStringLiteral("異音なし")};
  return r;
}

AlignmentRecord benchAlignment() {
  AlignmentRecord a;
  a.alignmentCode = QStringLiteral("0007");
  a.baseName = QStringLiteral("標準");
  for (auto& v : a.standard) v = QStringLiteral("0.30");
  for (auto& v : a.before) v = QStringLiteral("-1.25");
  for (auto& v : a.after) v = QStringLiteral("0.10");
  a.tyreSize = {QStringLiteral("205/50R16"), QStringLiteral("225/45R17")};
  a.tyreDiameter = {QStringLiteral("620"), QStringLiteral("640")};
  return a;
}

// A working directory with the wheel pictures and both printer files.
struct BenchDir {
  QTemporaryDir dir;
  QString old = QDir::currentPath();
  BenchDir() {
    QDir::setCurrent(dir.path());
    // The checkout's assets/: from ASHIMEMO_SOURCE_DIR, else beside build/.
    const QString source = qEnvironmentVariable("ASHIMEMO_SOURCE_DIR", QApplication::applicationDirPath() + "/..");
    const QString assets = source + QStringLiteral("/assets");
    for (const QString& pic : {QStringLiteral("セッティング左.GIF"), QStringLiteral("セッティング右.GIF")})
      QFile::copy(assets + u'/' + pic, pic);
    PrnInf.PrnName = kPdfDevice;
    PrnInf.PaperName = QStringLiteral("A4 - 210 x 297 mm");
    PrnInf.OrientName = QStringLiteral("縦方向");
    PrnInf.MarginTop = PrnInf.MarginLeft = QStringLiteral("20");
    WritePrnInf(kSettingSheetKey);
    WritePrnInf(kAlignmentSheetKey);
  }
  ~BenchDir() { QDir::setCurrent(old); }
};

void sheetToPdf(const QString& what, const std::function<void(PrintSurface&)>& draw) {
  BenchDir bench;
  PrintSurface surface;
  surface.setPreview(true);
  const QString path = bench.dir.filePath(QStringLiteral("sheet.pdf"));
  QString error;
  draw(surface);  // warm the font and picture caches once
  bench::report(what + QStringLiteral(": build the page"), bench::medianMs(20, [&] { draw(surface); }), "ms");
  bench::report(what + QStringLiteral(": write the PDF"),
                bench::medianMs(20, [&] { writePdf(surface.document(), path, &error); }), "ms");
  bench::report(what + QStringLiteral(": build and write"), bench::medianMs(20, [&] {
                  draw(surface);
                  writePdf(surface.document(), path, &error);
                }),
                "ms");
  bench::report(what + QStringLiteral(": PDF size"), double(QFile(path).size()) / 1024.0, "KiB");
}

}  // namespace

ASHIMEMO_BENCH(settingSheetPdf, "printing: setting sheet to PDF") {
  Clock::setToday(QDate(2024, 7, 9));
  const SettingRecord record = benchSetting();
  sheetToPdf(QStringLiteral("setting sheet"), [&](PrintSurface& s) {
    int pages = 0;
    SettingSheet::PrintData_Setting(s, record, 20, 20, pages);
  });
}

ASHIMEMO_BENCH(alignmentSheetPdf, "printing: alignment sheet to PDF") {
  Clock::setToday(QDate(2024, 7, 9));
  const SettingRecord setting = benchSetting();
  const AlignmentRecord alignment = benchAlignment();
  sheetToPdf(QStringLiteral("alignment sheet"), [&](PrintSurface& s) {
    int pages = 0;
    AlignmentSheet::PrintData_Araiment(s, setting, alignment, 20, 20, pages);
  });
}

ASHIMEMO_BENCH(settingPreview, "printing: open the setting sheet screen with its preview") {
  BenchDir bench;
  const SettingRecord record = benchSetting();
  auto open = [&] {
    SettingPrint screen(nullptr, [&] { return record; });
    screen.show();
    QApplication::processEvents();
    screen.Preview_Switch_Click();
    screen.previewPane()->widget()->repaint();  // paint the page now
  };
  open();
  bench::report(QStringLiteral("setting sheet: open, preview and paint"), bench::medianMs(10, open), "ms");
  SettingPrint screen(nullptr, [&] { return record; });
  screen.show();
  QApplication::processEvents();
  screen.Preview_Switch_Click();
  bench::report(QStringLiteral("setting sheet: repaint the preview"),
                bench::medianMs(10, [&] { screen.previewPane()->widget()->repaint(); }), "ms");
}
