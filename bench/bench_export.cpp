// Comparing two settings and exporting for a spreadsheet, on the largest
// data file (9,999 settings, 9,999 users):
// - opening a comparison (choosing the second setting, reading both, the
//   window built, shown and painted) against the 16 ms of one frame, with two
//   floors: a bare window holding four empty QTableWidgets (what the window
//   was built of before it drew its tables itself), and an empty window of
//   the comparison's size, shown and painted (the least any window costs);
// - `ashimemo-mkdata --export` of the five tables against sqlite3's own
//   `.mode csv` export of the same tables, both as programs started in the
//   same run (target: within 2x).
#include "benchmain.h"
#include "bigdata.h"
#include "data/comparison.h"
#include "data/csvexport.h"
#include "data/datafile.h"
#include "screens/screendialog.h"
#include "settings/settingcompare.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct BigFile {
  QTemporaryDir dir;
  QString old = QDir::currentPath();
  BigFile() {
    QDir::setCurrent(dir.path());
    makeBigDataFile(dir.filePath(kDataFileName));
    OpenDataFile();
  }
  ~BigFile() {
    CloseDataFile();
    QDir::setCurrent(old);
  }
};

// Median CPU time of this thread for one run, in ms: what the opening costs
// the program itself, whatever else the machine is busy with.
double medianCpuMs(int repeat, const std::function<void()>& fn) {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) {
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    fn();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    t.push_back(double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void runProgram(const QString& program, const QStringList& args, const QString& input = QString()) {
  QProcess p;
  p.start(program, args);
  if (!input.isEmpty()) {
    p.write(input.toUtf8());
    p.closeWriteChannel();
  }
  p.waitForFinished(60000);
  if (p.exitCode() != 0) std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
}

}  // namespace

ASHIMEMO_BENCH(compareOpen, "compare: opening a comparison of two of 9,999 settings") {
  BigFile big;
  const auto bare = [] {
    ScreenDialog d;
    auto* grid = new QGridLayout(&d);
    for (int w = 0; w < 4; ++w) grid->addWidget(new QTableWidget(12, 4, &d), w / 2, w % 2);
    d.show();
    (void)QTest::qWaitForWindowExposed(&d);
    d.repaint();
  };
  qint64 chosen = 5000;
  const auto opening = [&chosen] {
    const qint64 partner = comparison::partnerOf(chosen, 0);
    const auto a = comparison::readSetting(chosen);
    const auto b = comparison::readSetting(partner ? partner : chosen - 1);
    SettingCompare window(nullptr, comparison::compare(*a, *b));
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    window.repaint();
    ++chosen;
  };
  const QSize size = [] {
    const auto a = comparison::readSetting(1), b = comparison::readSetting(2);
    return SettingCompare(nullptr, comparison::compare(*a, *b)).size();
  }();
  const auto empty = [size] {
    ScreenDialog d;
    d.resize(size);
    d.show();
    (void)QTest::qWaitForWindowExposed(&d);
    d.repaint();
  };
  const double floor = bench::medianMs(31, bare), open = bench::medianMs(31, opening);
  const double emptyFloor = bench::medianMs(31, empty);
  const double floorCpu = medianCpuMs(31, bare), openCpu = medianCpuMs(31, opening);
  bench::report(QStringLiteral("opening a comparison, until painted (target < 16 ms)"), open, QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor: a bare window with four empty tables"), floor, QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor: an empty window of the same size"), emptyFloor, QStringLiteral("ms"));
  bench::report(QStringLiteral("  the same, CPU time of the program's thread"), openCpu, QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor, CPU time"), floorCpu, QStringLiteral("ms"));
}

ASHIMEMO_BENCH(exportCsv, "export: the five tables of the largest file as CSV") {
  BigFile big;
  const QString out = big.dir.filePath(QStringLiteral("out"));
  const QString sqliteOut = big.dir.filePath(QStringLiteral("sqlite"));
  QDir().mkpath(sqliteOut);
  QString script = QStringLiteral(".headers on\n.mode csv\n");
  for (const QString& table : csv::exportTables())
    script += QStringLiteral(".once '%1/%2.csv'\nSELECT * FROM \"%2\" ORDER BY \"コード\";\n").arg(sqliteOut, table);
  const QString mkdata = QCoreApplication::applicationDirPath() + QStringLiteral("/ashimemo-mkdata");
  const QString file = big.dir.filePath(kDataFileName);
  const double ours = bench::medianMs(7, [&] { runProgram(mkdata, {QStringLiteral("--export"), big.dir.path(), out}); });
  const double floor = bench::medianMs(7, [&] { runProgram(QStringLiteral("sqlite3"), {file}, script); });
  const double inProcess = bench::medianMs(7, [&] {
    for (const QString& table : csv::exportTables()) (void)csv::exportTable(file, table, csv::Encoding::Utf8);
  });
  bench::report(QStringLiteral("ashimemo-mkdata --export (9,999 settings and users)"), ours, QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor: sqlite3 .mode csv of the same tables"), floor, QStringLiteral("ms"));
  bench::report(QStringLiteral("  ratio (target <= 2)"), ours / floor, QString());
  bench::report(QStringLiteral("  in the program: reading and encoding the five tables"), inProcess, QStringLiteral("ms"));
}
