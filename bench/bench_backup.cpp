// The daily copy of the largest data file (9,999 settings, 9,999 users, 99
// products, 9,999 alignment records, 999 base masters) beside a plain `cp`
// of the same file in the same run; start-up to the idle main window with a
// copy due and without; how long the window's event loop waits while a copy
// runs; the quick check that opening the file now does.
#include "app/autobackup.h"
#include "app/mainwindow.h"
#include "benchmain.h"
#include "bigdata.h"
#include "data/backup.h"
#include "data/clock.h"
#include "data/datafile.h"
#include "data/rules.h"
#include "data/secondplace.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <sqlite3.h>
#include <vector>

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double timed(const std::function<void()>& fn) { return bench::medianMs(1, fn); }

void run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished();
}

// The longest wait of a 2 ms timer on the event loop until `until` is true.
double longestTimerGap(const std::function<bool()>& until) {
  QElapsedTimer since;
  since.start();
  double longest = 0;
  QTimer tick;
  tick.setInterval(2);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
    since.restart();
  });
  tick.start();
  QElapsedTimer total;
  total.start();
  while (!until() && total.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return longest;
}

}  // namespace

ASHIMEMO_BENCH(dailyCopy, "backup") {
  QTemporaryDir dir;
  const QString data = dir.filePath(kDataFileName);
  makeBigDataFile(data, 9999, 999);
  const QString folder = safefile::backupFolder(data);
  const QString plain = dir.filePath(QStringLiteral("plain.MDB"));
  bench::report(QStringLiteral("data file size"), double(QFileInfo(data).size()) / 1024 / 1024, QStringLiteral("MB"));

  // Timed in turns, so that all three meet the same disk and cache.
  std::vector<double> cp, cpSync, copy;
  for (int i = 0; i < 15; ++i) {
    QFile::remove(plain);
    cp.push_back(timed([&] { run(QStringLiteral("cp"), {data, plain}); }));
    QFile::remove(plain);
    cpSync.push_back(timed([&] { run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cp \"$0\" \"$1\" && sync \"$1\""), data, plain}); }));
    QDir(folder).removeRecursively();
    copy.push_back(timed([&] {
      if (!backup::makeCopy(data, QDateTime(QDate(2026, 12, 8), QTime(9, 30))).ok) qFatal("backup failed");
    }));
  }
  const double floor = median(cp), floorSync = median(cpSync), ours = median(copy);
  bench::report(QStringLiteral("floor: cp of the data file, median of 15"), floor, QStringLiteral("ms"));
  bench::report(QStringLiteral("floor: cp and sync of the data file, median of 15"), floorSync, QStringLiteral("ms"));
  bench::report(QStringLiteral("daily copy: online backup, sync, check, rename"), ours, QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio daily copy / cp"), ours / floor, QStringLiteral("x"));
  bench::report(QStringLiteral("ratio daily copy / cp and sync"), ours / floorSync, QStringLiteral("x"));
  const double check = bench::medianMs(9, [&] { safefile::checkDataFile(plain); });
  bench::report(QStringLiteral("of which the check of the copy (integrity, counts)"), check, QStringLiteral("ms"));
  bench::report(QStringLiteral("daily copy without its check / cp and sync"), (ours - check) / floorSync,
                QStringLiteral("x"));

  // Thinning counts only copies that check out: the first thinning of a run
  // reads each of the 26 copies that 14 days and 12 months leave; later
  // ones in the same run read none of those again.
  for (int i = 1; i <= 26; ++i) {
    const QDate day = i <= 13 ? QDate(2026, 12, 8).addDays(-i) : QDate(2026, 11, 15).addMonths(13 - i);
    QFile::copy(plain, safefile::stampedPath(folder, QString(), QDateTime(day, QTime(9, 0))));
  }
  const QDateTime later(QDate(2026, 12, 8), QTime(18, 0));
  const double first = timed([&] { backup::thin(folder, later); });
  bench::report(QStringLiteral("first thinning of a run, 26 copies"), first, QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio first thinning / 26 checks of a copy"), first / (26 * check), QStringLiteral("x"));
  bench::report(QStringLiteral("later thinning in the same run"), bench::medianMs(9, [&] { backup::thin(folder, later); }),
                QStringLiteral("ms"));

  // Opening the data file reads every page once for the quick check.
  const QString old = QDir::currentPath();
  QDir::setCurrent(dir.path());
  bench::report(QStringLiteral("open the data file (with its quick check), median of 15"),
                bench::medianMs(15, [] {
                  OpenDataFile();
                  CloseDataFile();
                }),
                QStringLiteral("ms"));
  bench::report(QStringLiteral("of which PRAGMA quick_check"), bench::medianMs(15, [&] {
                  sqlite3* db = nullptr;
                  sqlite3_open_v2(QFile::encodeName(data).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
                  sqlite3_exec(db, "PRAGMA quick_check", nullptr, nullptr, nullptr);
                  sqlite3_close(db);
                }),
                QStringLiteral("ms"));

  // Start-up to the idle main window with the copy due (no copy of today)
  // and without, in turns.
  const QString ashimemo = QCoreApplication::applicationDirPath() + QStringLiteral("/ashimemo");
  const QString log = dir.filePath(QStringLiteral("bench.log"));
  auto idle = [&log](QProcess& p) {
    QFile f(log);
    return (f.open(QIODevice::ReadOnly) && f.readAll().contains("main window idle")) || p.state() == QProcess::NotRunning;
  };
  auto copied = [&log](QProcess& p) {
    QFile f(log);
    return (f.open(QIODevice::ReadOnly) && f.readAll().contains("backup made")) || p.state() == QProcess::NotRunning;
  };
  std::vector<double> due, notDue, made;
  for (int i = 0; i < 15; ++i) {
    QDir(folder).removeRecursively();
    due.push_back(bench::timeToIdle(ashimemo, {}, dir.path(), idle));
    QDir(folder).removeRecursively();
    made.push_back(bench::timeToIdle(ashimemo, {}, dir.path(), copied));
    notDue.push_back(bench::timeToIdle(ashimemo, {}, dir.path(), idle));
  }
  const double withCopy = median(due), without = median(notDue);
  bench::report(QStringLiteral("start to idle main window, no copy due, median of 15"), without, QStringLiteral("ms"));
  bench::report(QStringLiteral("start to idle main window, daily copy due, median of 15"), withCopy, QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio copy due / not due"), withCopy / without, QStringLiteral("x"));
  bench::report(QStringLiteral("start to daily copy made and checked, median of 15"), median(made), QStringLiteral("ms"));

  // The event loop of the shown window while the copy runs on its thread,
  // beside the same wait with no copy.
  OpenDataFile();
  InitMonthDays();
  {
    Setting window;
    window.startUp();
    window.show();
    QElapsedTimer quiet;
    quiet.start();
    const double idleGap = longestTimerGap([&] { return quiet.elapsed() > 1500; });
    QDir(folder).removeRecursively();
    AutoBackup backups(&window);
    const double copyGap = longestTimerGap([&] { return !backup::copies(data).isEmpty(); });
    backups.atClose();
    bench::report(QStringLiteral("longest event-loop wait, window idle, 1.5 s"), idleGap, QStringLiteral("ms"));
    bench::report(QStringLiteral("longest event-loop wait while the daily copy runs"), copyGap, QStringLiteral("ms"));
  }
  CloseDataFile();
  QDir::setCurrent(old);
}

ASHIMEMO_BENCH(secondCopy, "backup second place") {
  QTemporaryDir dir;
  const QString data = dir.filePath(kDataFileName);
  makeBigDataFile(data, 9999, 999);
  const QDateTime when(QDate(2026, 12, 8), QTime(9, 30));
  const backup::Result local = backup::makeCopy(data, when);
  if (!local.ok) qFatal("backup failed");
  const QString second = dir.filePath(QStringLiteral("second"));
  QDir().mkpath(second);
  const QString plain = QDir(second).filePath(QStringLiteral("plain.MDB"));
  const QString copied = QDir(second).filePath(QFileInfo(local.path).fileName());

  // In turns, so that both meet the same disk and cache.
  std::vector<double> cpSync, ours;
  for (int i = 0; i < 15; ++i) {
    QFile::remove(plain);
    cpSync.push_back(timed([&] {
      run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cp \"$0\" \"$1\" && sync \"$1\""), local.path, plain});
    }));
    QFile::remove(copied);
    ours.push_back(timed([&] {
      if (!secondplace::copyTo(local.path, second, when).ok) qFatal("second copy failed");
    }));
  }
  const double floor = median(cpSync), second_ = median(ours);
  bench::report(QStringLiteral("floor: cp and sync of the copy to the same folder, median of 15"), floor, QStringLiteral("ms"));
  bench::report(QStringLiteral("second copy: copy, sync, read back and compare, rename"), second_, QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio second copy / cp and sync (at most 2)"), second_ / floor, QStringLiteral("x"));
  // What the byte-for-byte read-back stands in for: the engine's full check of the same copy.
  bench::report(QStringLiteral("for comparison: the full check of that copy"),
                bench::medianMs(9, [&] { safefile::checkDataFile(copied); }), QStringLiteral("ms"));
}
