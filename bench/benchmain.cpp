#include "benchmain.h"

#include "screens/listgrid.h"
#include "screens/look.h"
#include "screens/screendialog.h"
#include "settings/settinglist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <vector>

QList<bench::Case>& bench::cases() {
  static QList<Case> list;
  return list;
}

void bench::report(const QString& what, double value, const QString& unit) {
  std::printf("%-60s %10.3f %s\n", what.toUtf8().constData(), value, unit.toUtf8().constData());
  std::fflush(stdout);
}

double bench::median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double bench::timedMs(const std::function<void()>& fn) {
  QElapsedTimer timer;
  timer.start();
  fn();
  return double(timer.nsecsElapsed()) / 1e6;
}

double bench::medianMs(int repeat, const std::function<void()>& fn) {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) t.push_back(timedMs(fn));
  return median(std::move(t));
}

double bench::medianCpuMs(int repeat, const std::function<void()>& fn) {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) {
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    fn();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    t.push_back(double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6);
  }
  return median(std::move(t));
}

void bench::showPainted(QWidget* window, QWidget* painted) {
  window->show();
  (void)QTest::qWaitForWindowExposed(window);
  (painted ? painted : window)->repaint();
}

double bench::timeToIdle(const QString& program, const QStringList& args, const QString& workDir,
                         const std::function<bool(QProcess&)>& ready) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("ASHIMEMO_TEST_MESSAGES"), QDir(workDir).filePath(QStringLiteral("bench.log")));
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(workDir);
  QFile::remove(QDir(workDir).filePath(QStringLiteral("bench.log")));
  QElapsedTimer t;
  t.start();
  p.start(program, args);
  p.waitForStarted();
  while (!ready(p)) {
    if (t.elapsed() > 20000) break;
    QThread::usleep(200);
  }
  const double ms = double(t.nsecsElapsed()) / 1e6;
  p.kill();
  p.waitForFinished();
  return ms;
}

std::unique_ptr<SettingList> bench::openSettingList() {
  auto list = std::make_unique<SettingList>();
  showPainted(list.get(), list->grid()->viewport());
  return list;
}

void bench::bareSettingGrid() {
  ScreenDialog d;
  auto* grid = new ListGrid({{QStringLiteral("登録日"), QStringLiteral("登録日"), QStringLiteral("0000/00/00")},
                             {QStringLiteral("コード"), QStringLiteral("コード"), QStringLiteral("0000")},
                             {QStringLiteral("セッティング名称"), QStringLiteral("セッティング名称"), QString()},
                             {QStringLiteral("ユーザー名"), QStringLiteral("名前"), QString()},
                             {QStringLiteral("車高調名称"), QStringLiteral("名称"), QString()}},
                            &d);
  (new QVBoxLayout(&d))->addWidget(grid);
  d.resize(1000, 600);
  grid->setRecordSource(SettingList::recordSource());
  showPainted(&d, grid->viewport());
}

// The bare Qt program that start-up is compared with: one empty window,
// shown, then "idle" on standard output once the event loop is idle.
static int bareWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget w;
  w.resize(800, 600);
  w.show();
  QTimer::singleShot(0, &app, [&] {
    std::printf("idle\n");
    std::fflush(stdout);
    app.quit();
  });
  return app.exec();
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc > 1 && std::strcmp(argv[1], "--bare-window") == 0) return bareWindow(argc, argv);
  if (argc > 2 && std::strcmp(argv[1], "--other-pc") == 0) return bench::otherPc(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ashimemo"));
  setUpLookAndLanguage(app);
  const QString filter = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  for (const bench::Case& c : bench::cases()) {
    if (!filter.isEmpty() && !QString::fromLatin1(c.name).contains(filter)) continue;
    std::printf("== %s\n", c.name);
    c.run();
  }
  return 0;
}
