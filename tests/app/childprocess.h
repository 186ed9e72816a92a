#pragma once
// The real programs (ashimemo, ashimemo-mkdata) run as child processes in a
// working directory of their own, with a private temporary folder (for the
// locks) and a message log per run (ASHIMEMO_TEST_MESSAGES).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

inline QString program(const QString& name = QStringLiteral("ashimemo")) {
  const QString dir = qEnvironmentVariable("ASHIMEMO_BIN_DIR");
  return (dir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/..") : dir) + u'/' + name;
}

struct Place {
  QTemporaryDir work, temp;
  int started = 0;
  QString file(const QString& name) const { return work.filePath(name); }
  QProcessEnvironment environment(const QStringList& extra = {}) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    for (const QString& e : extra) env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
    return env;
  }
  // Starts the program; `extra` adds "NAME=value" environment entries.
  QProcess* start(QObject* owner, QString* log, const QStringList& extra = {}) {
    *log = work.filePath(QStringLiteral("messages-%1.log").arg(++started));
    return run(owner, program(), {}, extra + QStringList{QStringLiteral("ASHIMEMO_TEST_MESSAGES=") + *log});
  }
  QProcess* run(QObject* owner, const QString& path, const QStringList& args, const QStringList& extra = {}) {
    auto* p = new QProcess(owner);
    p->setProcessEnvironment(environment(extra));
    p->setWorkingDirectory(work.path());
    p->start(path, args);
    return p;
  }
};

inline QStringList lines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

inline bool waitForLine(const QString& path, const QString& text, int ms = 10000) {
  for (int waited = 0; waited < ms; waited += 50) {
    for (const QString& l : lines(path))
      if (l.contains(text)) return true;
    QTest::qWait(50);
  }
  return false;
}
