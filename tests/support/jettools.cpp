#include "support/jettools.h"

#include "data/safefile.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>

#include <unistd.h>

namespace ct {

void writeJet(const QString& path, const QList<jetfile::Table>& tables, jetfile::Version v) {
  jetfile::Options o;
  o.version = v;
  QString error;
  if (!jetfile::write(path, tables, o, &error)) qFatal("cannot write %s: %s", qPrintable(path), qPrintable(error));
}

QByteArray bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class F>
static void withDb(const QString& file, F f) {
  const QString name = QUuid::createUuid().toString();
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (db.open()) f(db);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

QVariantMap row(const QString& file, const QString& table, int code) {
  QVariantMap out;
  withDb(file, [&](QSqlDatabase& db) {
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT * FROM \"%1\"%2").arg(table, code ? QStringLiteral(" WHERE コード=%1").arg(code) : QString()));
    if (!q.next()) return;
    const QSqlRecord r = q.record();
    for (int i = 0; i < r.count(); ++i) out.insert(r.fieldName(i), r.value(i));
  });
  return out;
}

QStringList codes(const QString& file, const QString& table) {
  QStringList out;
  withDb(file, [&](QSqlDatabase& db) {
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT コード FROM \"%1\" ORDER BY コード").arg(table));
    while (q.next()) out << q.value(0).toString();
  });
  return out;
}

QByteArray mdb(const QString& tool, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("MDB_JET3_CHARSET"), QStringLiteral("CP932"));
  p.setProcessEnvironment(env);
  p.start(tool, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    qWarning("%s failed (exit %d): %s", qPrintable(tool), p.exitCode(), p.readAllStandardError().constData());
    return QByteArray();
  }
  return p.readAllStandardOutput();
}

bool haveMdbTools() { return !QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty(); }

QString binary(const QString& name) {
  const QString dir = qEnvironmentVariable("ASHIMEMO_BIN_DIR");
  return (dir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/..") : dir) + u'/' + name;
}

bool isolated(const QString& setup, const QStringList& command, QString* output, int* exitCode) {
  if (QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty()) return false;
  QStringList quoted;
  for (const QString& a : command) quoted << u'\'' + QString(a).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
  QProcess p;
  const QStringList ns = ::geteuid() == 0 ? QStringList{QStringLiteral("-m")} : QStringList{QStringLiteral("-rm")};
  p.start(QStringLiteral("unshare"),
          ns + QStringList{QStringLiteral("sh"), QStringLiteral("-c"),
                           setup + QStringLiteral(" || exit 97; ") + quoted.join(u' ')});
  p.waitForFinished(60000);
  *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
  *exitCode = p.exitCode();
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() != 97 && !output->contains(QStringLiteral("unshare:"));
}

QString wholeFile(const QString& path, const QByteArray& original, qint64 rows) {
  const QByteArray now = bytes(path);
  if (now == original) return QString();
  const safefile::Check c = safefile::checkDataFile(path);
  if (!c.ok) return QStringLiteral("neither the Jet file nor a sound data file: ") + c.problem;
  if (c.rowCounts.value(schema::kSettings) != rows) return QStringLiteral("a data file with the wrong row count");
  return QString();
}

QProcess* ChildProgram::start(QObject* owner, const QString& answers, const QString& workDir) {
  auto* p = new QProcess(owner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("TMPDIR"), temp.path());
  env.insert(QStringLiteral("ASHIMEMO_TEST_MESSAGES"), log);
  env.insert(QStringLiteral("ASHIMEMO_TEST_ANSWERS"), answers);
  p->setProcessEnvironment(env);
  p->setWorkingDirectory(workDir.isEmpty() ? work.path() : workDir);
  p->start(binary(QStringLiteral("ashimemo")), {});
  return p;
}

QStringList ChildProgram::lines() const {
  return QString::fromUtf8(bytes(log)).split(u'\n', Qt::SkipEmptyParts);
}

bool ChildProgram::waitForLine(const QString& text, int ms) const {
  for (int waited = 0; waited < ms; waited += 5) {
    for (const QString& l : lines())
      if (l.contains(text)) return true;
    QTest::qWait(5);
  }
  return false;
}

}  // namespace ct
