// Records moved to a PostgreSQL server: `ashimemo-mkdata --to-server` of the
// largest data file beside psql's \copy of the same rows into the same
// tables in one transaction, in turns, on a private local server started
// as the tests start theirs; and `--from-server` of the same records.
#include "benchmain.h"
#include "bigdata.h"
#include "data/schema.h"
#include "support/pgserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs a program and returns its time in ms; stops the benchmark on failure.
double timedRun(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  QElapsedTimer t;
  t.start();
  p.start(program, args);
  if (!p.waitForFinished(300000) || p.exitCode() != 0)
    qFatal("%s failed: %s", qPrintable(program), p.readAll().constData());
  return double(t.nsecsElapsed()) / 1e6;
}

QStringList psqlArgs(const QString& database) {
  return {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
          QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(PgServer::instance().port()), QStringLiteral("-U"),
          QStringLiteral("postgres"), QStringLiteral("-d"), database};
}

}  // namespace

ASHIMEMO_BENCH(toServer, "server") {
  PgServer& server = PgServer::instance();
  if (!server.available()) {
    std::printf("server: skipped (%s)\n", qPrintable(server.why()));
    return;
  }
  QTemporaryDir dir;
  const QString data = dir.filePath(QStringLiteral("Setting.MDB"));
  makeBigDataFile(data);
  const QString mkdata = QCoreApplication::applicationDirPath() + QStringLiteral("/ashimemo-mkdata");

  // The same rows in COPY's text form, one file per table, taken from a
  // first transfer; and the script that psql runs for the floor: the same
  // tables, keys and index, every row through \copy, one transaction.
  const QString first = server.newDatabase();
  timedRun(mkdata, {QStringLiteral("--to-server"), data, server.url(first)});
  QString script = QStringLiteral("BEGIN;\n");
  for (const QString& sql : schema::createStatements(schema::Dialect::Server)) script += sql + QStringLiteral(";\n");
  qint64 rows = 0;
  for (const schema::Table& t : schema::tables()) {
    const QString copy = dir.filePath(QStringLiteral("%1.copy").arg(&t - &schema::tables().first()));
    timedRun(QStringLiteral("psql"), psqlArgs(first) << QStringLiteral("-c")
                                                     << QStringLiteral("\\copy %1 TO '%2'").arg(schema::quoted(t.name), copy));
    script += QStringLiteral("\\copy %1 FROM '%2'\n").arg(schema::quoted(t.name), copy);
    rows += server.psql(first, QStringLiteral("SELECT count(*) FROM %1").arg(schema::quoted(t.name))).toLongLong();
  }
  script += QStringLiteral("COMMIT;\n");
  const QString scriptFile = dir.filePath(QStringLiteral("floor.sql"));
  QFile f(scriptFile);
  if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the floor script");
  f.write(script.toUtf8());
  f.close();
  bench::report(QStringLiteral("rows in the data file"), double(rows), QStringLiteral("rows"));

  std::vector<double> floor, ours, back;
  for (int i = 0; i < 7; ++i) {
    const QString a = server.newDatabase(), b = server.newDatabase();
    floor.push_back(timedRun(QStringLiteral("psql"), psqlArgs(a) << QStringLiteral("-f") << scriptFile));
    ours.push_back(timedRun(mkdata, {QStringLiteral("--to-server"), data, server.url(b)}));
    const QString out = dir.filePath(QStringLiteral("back-%1.MDB").arg(i));
    back.push_back(timedRun(mkdata, {QStringLiteral("--from-server"), server.url(b), out}));
    QFile::remove(out);
    server.psql(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE %1").arg(a));
  }
  const double f0 = median(floor), o = median(ours);
  bench::report(QStringLiteral("floor: psql \\copy of the same rows, one transaction, median of 7"), f0, QStringLiteral("ms"));
  bench::report(QStringLiteral("ashimemo-mkdata --to-server, median of 7"), o, QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio --to-server / psql \\copy (at most 2)"), o / f0, QStringLiteral("x"));
  bench::report(QStringLiteral("ashimemo-mkdata --from-server (snapshot, check), median of 7"), median(back), QStringLiteral("ms"));
}
