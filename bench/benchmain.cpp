#include "benchmain.h"

#include "screens/look.h"

#include <QApplication>
#include <algorithm>
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

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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
