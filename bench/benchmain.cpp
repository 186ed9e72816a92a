#include "benchmain.h"

#include "screens/look.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <cstdio>
#include <vector>

QList<bench::Case>& bench::cases() {
  static QList<Case> list;
  return list;
}

void bench::report(const QString& what, double value, const QString& unit) {
  std::printf("%-60s %10.3f %s\n", what.toUtf8().constData(), value, unit.toUtf8().constData());
  std::fflush(stdout);
}

double bench::medianMs(int repeat, const std::function<void()>& fn) {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) {
    QElapsedTimer timer;
    timer.start();
    fn();
    t.push_back(double(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
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
