#include "support/testmain.h"

#include "screens/look.h"

#include <QApplication>
#include <QTest>

QList<std::pair<const char*, std::function<QObject*()>>>& testing::Registry::classes() {
  static QList<std::pair<const char*, std::function<QObject*()>>> list;
  return list;
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ashimemo"));
  setUpLookAndLanguage(app);
  // Arguments: optional class names, separated by commas, select those
  // classes; the rest go to QTest.
  QStringList args = app.arguments();
  QString only;
  if (args.size() > 1 && !args[1].startsWith(u'-')) only = args.takeAt(1);
  int failed = 0;
  for (auto& [name, make] : testing::Registry::classes()) {
    if (!only.isEmpty() && !only.split(u',').contains(QLatin1String(name))) continue;
    QObject* test = make();
    failed += QTest::qExec(test, args);
    delete test;
  }
  return failed == 0 ? 0 : 1;
}
