// Records into a PostgreSQL server and back through the real
// ashimemo-mkdata: every value and NULL of the largest file comes back
// exactly, a database with records is refused with nothing changed, a Jet
// file goes straight in, a killed transfer leaves no rows, and the file
// written from the server is whole and checked.
#include "bigdata.h"
#include "data/backup.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "support/jettools.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <limits>

namespace {

struct Run {
  int code = -1;
  QString out, err;
};

Run mkdata(const QStringList& args, const QStringList& env = {}) {
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.remove(QStringLiteral("PGPASSWORD"));
  for (const QString& kv : env) e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
  p.setProcessEnvironment(e);
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(ct::binary(QStringLiteral("ashimemo-mkdata")), args);
  Run r;
  if (!p.waitForFinished(120000)) p.kill();
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// Runs `fn` on a connection of its own to the data file at `path`.
void withFile(const QString& path, const std::function<void(QSqlQuery&)>& fn) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("file"));
    db.setDatabaseName(path);
    QVERIFY(db.open());
    QSqlQuery q(db);
    fn(q);
  }
  QSqlDatabase::removeDatabase(QStringLiteral("file"));
}

// Every row of every table as the engine keeps it: each value's storage
// class and its exact text (quote() gives a double's every bit), in code order.
QStringList dump(const QString& path) {
  QStringList out;
  withFile(path, [&](QSqlQuery& q) {
    for (const schema::Table& t : schema::tables()) {
      QStringList values;
      for (const schema::Column& c : t.columns) values << QStringLiteral("typeof(%1)||quote(%1)").arg(schema::quoted(c.name));
      QVERIFY(q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY 1").arg(values.join(QStringLiteral("||'|'||")), schema::quoted(t.name))));
      while (q.next()) out << t.name + u' ' + q.value(0).toString();
    }
  });
  return out;
}

void exec(const QString& path, const QString& sql, const QVariantList& values = {}) {
  withFile(path, [&](QSqlQuery& q) {
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
  });
}

// A fingerprint of every row on the server, to show that nothing changed.
QString serverRows(const QString& database) {
  QString all;
  for (const schema::Table& t : schema::tables())
    all += PgServer::instance().psql(database, QStringLiteral("SELECT count(*) || ':' || coalesce(md5(string_agg(t::text, ',' ORDER BY t::text)), '') FROM %1 t")
                                                   .arg(schema::quoted(t.name))) + u';';
  return all;
}

bool hasOurTables(const QString& database) { return !PgServer::instance().psql(database, QStringLiteral("SELECT to_regclass('\"セッティング\"')")).isEmpty(); }

}  // namespace

class ServerCopyTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // The largest file with values of every awkward kind goes to the server
  // and comes back identical, value by value, NULLs and doubles' bits.
  void roundTripKeepsEveryValue() {
    REQUIRE_PGSERVER();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Setting.MDB"));
    makeBigDataFile(file, 999, 50);
    const double inf = std::numeric_limits<double>::infinity();
    const QString products = QStringLiteral("UPDATE \"車高調マスタ\" SET \"バネレート_F\"=?, \"バネレート_R\"=?, \"ID_F\"=?, \"ID_R\"=?, "
                                            "\"自由長_F\"=?, \"自由長_R\"=?, \"減衰力_伸段_F\"=?, \"ピロアッパー車高調節_F\"=?, "
                                            "\"ピロアッパー車高調節_R\"=?, \"名称\"=? WHERE \"コード\"=?");
    exec(file, products, {0.1, 1.0 / 3, 1e-300, 5e-324, 123456789.123456789, -2.5e17, QVariant(), 2147483647, -2147483647 - 1,
                          QStringLiteral("𠮷野家🍜\t\\N\n\r\n'\"\\"), 1});
    exec(file, products, {1.7976931348623157e308, -0.1, inf, -inf, 65.3, 0.0, 12.25, QVariant(), 0, QString(""), 2});
    exec(file, QStringLiteral("UPDATE \"セッティング\" SET \"セッティング名称\"=?, \"登録日\"=NULL, \"ユーザー\"=NULL, \"FL_備考\"=?, "
                              "\"RR_備考\"=? WHERE \"コード\"=7"),
         {QStringLiteral("  末尾の空白  "), QStringLiteral("\\N"), QString("")});
    exec(file, QStringLiteral("INSERT INTO \"ユーザー\" (\"コード\") VALUES (0)"));
    exec(file, QStringLiteral("UPDATE \"アライメント\" SET \"タイヤ外径F\"=? WHERE \"コード\"=(SELECT min(\"コード\") FROM \"アライメント\")"), {9876543210LL});
    exec(file, QStringLiteral("UPDATE \"バージョン情報\" SET \"バージョン\"='0.9.1'"));
    const QStringList original = dump(file);
    QVERIFY(original.size() > 20000);
    QVERIFY(original.join(u'\n').contains(QStringLiteral("|real-Inf|")));
    QVERIFY(original.join(u'\n').contains(QStringLiteral("integer9876543210")));

    const QString db = PgServer::instance().newDatabase();
    const QString url = PgServer::instance().url(db);
    const Run to = mkdata({QStringLiteral("--to-server"), file, url});
    QVERIFY2(to.code == 0, qPrintable(to.err));
    QVERIFY2(to.out.contains(QStringLiteral("セッティング 9,999件")), qPrintable(to.out));
    QCOMPARE(PgServer::instance().psql(db, QStringLiteral("SELECT \"バネレート_R\" FROM \"車高調マスタ\" WHERE \"コード\"=1")),
             QStringLiteral("0.3333333333333333"));

    const QString back = dir.filePath(QStringLiteral("戻し.MDB"));
    const Run from = mkdata({QStringLiteral("--from-server"), url, back});
    QVERIFY2(from.code == 0, qPrintable(from.err));
    QCOMPARE(dump(back), original);  // names the first row that differs
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporaries left
  }

  // Refusals change nothing on the server: a database with records, a
  // value the server's column could not keep. Our tables without records
  // are made anew.
  void refusesWithoutChangingTheServer() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Setting.MDB"));
    QVERIFY(mkdata({QStringLiteral("--sample"), file}).code == 0);

    const QString db = server.newDatabase();
    QVERIFY(server.psql(db, QStringLiteral("CREATE TABLE \"セッティング\" (\"コード\" text)")).isEmpty());
    Run r = mkdata({QStringLiteral("--to-server"), file, server.url(db)});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(server.psql(db, QStringLiteral("SELECT data_type FROM information_schema.columns WHERE table_name='セッティング' AND column_name='コード'")),
             QStringLiteral("bigint"));
    const QString before = serverRows(db);
    r = mkdata({QStringLiteral("--to-server"), file, server.url(db)});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("すでにレコードがあります（セッティング 2件、車高調マスタ 5件")), qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("postgres@127.0.0.1:%1/%2").arg(server.port()).arg(db)));
    QCOMPARE(serverRows(db), before);

    exec(file, QStringLiteral("UPDATE \"セッティング\" SET \"ユーザー\"='山田' WHERE \"コード\"=2"));
    const QString empty = server.newDatabase();
    r = mkdata({QStringLiteral("--to-server"), file, server.url(empty)});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("「セッティング」コード 2 の「ユーザー」はサーバーにそのまま移せません（整数ではありません）")), qPrintable(r.err));
    QVERIFY(!hasOurTables(empty));
    r = mkdata({QStringLiteral("--to-server"), dir.path(), server.url(empty)});  // the folder, not the file
    QVERIFY2(r.code == 1 && r.err.contains(QStringLiteral("フォルダーです")), qPrintable(r.err));
  }

  // A Jet-format file goes through the conversion straight to the server;
  // the server then holds what --import would have made of it.
  void jetFileStraightToTheServer() {
    REQUIRE_PGSERVER();
    QTemporaryDir dir;
    const QString jet = dir.filePath(QStringLiteral("Access.MDB"));
    ct::writeJet(jet, jetdata::filled(30, 20, 5, 10, 3), jetfile::Version::Jet3);
    const QByteArray original = ct::bytes(jet);
    const QString imported = dir.filePath(QStringLiteral("imported.MDB"));
    QCOMPARE(mkdata({QStringLiteral("--import"), jet, imported}).code, 0);

    const QString db = PgServer::instance().newDatabase();
    const Run to = mkdata({QStringLiteral("--to-server"), jet, PgServer::instance().url(db)});
    QVERIFY2(to.code == 0, qPrintable(to.err));
    QVERIFY2(to.out.contains(QStringLiteral("・セッティング: 30 件")) && to.out.contains(QStringLiteral("セッティング 30件")), qPrintable(to.out));
    QCOMPARE(ct::bytes(jet), original);
    const QString back = dir.filePath(QStringLiteral("back.MDB"));
    QCOMPARE(mkdata({QStringLiteral("--from-server"), PgServer::instance().url(db), back}).code, 0);
    QCOMPARE(dump(back), dump(imported));
  }

  // Killed in the middle of the copy: the database has none of our tables
  // and takes the next transfer.
  void killedTransferLeavesNoRows() {
    REQUIRE_PGSERVER();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Setting.MDB"));
    makeBigDataFile(file, 99, 5);
    const QString db = PgServer::instance().newDatabase();
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("ASHIMEMO_TEST_STOP_AT"), QStringLiteral("to-server-copying"));
    p.setProcessEnvironment(e);
    p.start(ct::binary(QStringLiteral("ashimemo-mkdata")), {QStringLiteral("--to-server"), file, PgServer::instance().url(db)});
    QVERIFY(p.waitForStarted());
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT((said += p.readAllStandardError()).contains("stopped at to-server-copying"), said.constData(), 30000);
    // Rows have reached the server inside the open transaction.
    QVERIFY(PgServer::instance().psql(db, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname='%1' AND query LIKE 'COPY%%'").arg(db)) == QLatin1String("1"));
    p.kill();
    p.waitForFinished();
    QVERIFY(!hasOurTables(db));
    const Run again = mkdata({QStringLiteral("--to-server"), file, PgServer::instance().url(db)});
    QVERIFY2(again.code == 0, qPrintable(again.err));
    QCOMPARE(PgServer::instance().psql(db, QStringLiteral("SELECT count(*) FROM \"セッティング\"")), QStringLiteral("9999"));
  }

  // --from-server never overwrites, leaves nothing behind when it fails,
  // and names the server but never the password.
  void fromServerRefusesAndLeavesNothing() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    QTemporaryDir dir;
    const QString db = server.newDatabase(QLatin1String(PgServer::kPasswordUser));
    const QString out = dir.filePath(QStringLiteral("out.MDB"));
    const QString url = server.url(db, QLatin1String(PgServer::kPasswordUser));

    Run r = mkdata({QStringLiteral("--from-server"), url, out});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("パスワードを求めています")) && r.err.contains(QStringLiteral("PGPASSWORD")), qPrintable(r.err));
    r = mkdata({QStringLiteral("--from-server"), QString(url).replace(QStringLiteral("@127"), QStringLiteral(":nai-sho@127")), out});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("拒否")) && r.err.contains(QStringLiteral("詳細: ")) && !r.err.contains(QStringLiteral("nai-sho")), qPrintable(r.err));

    const QStringList pw{QStringLiteral("PGPASSWORD=") + QLatin1String(PgServer::kPassword)};
    r = mkdata({QStringLiteral("--from-server"), url, out}, pw);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Ashimemo の表がありません")), qPrintable(r.err));
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    const QString sample = dir.filePath(QStringLiteral("sample.MDB"));
    QCOMPARE(mkdata({QStringLiteral("--sample"), sample}).code, 0);
    QCOMPARE(mkdata({QStringLiteral("--to-server"), sample, url}, pw).code, 0);
    r = mkdata({QStringLiteral("--from-server"), url, out}, pw);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(safefile::checkDataFile(out).rowCounts.value(schema::kSettings), 2);
    const QByteArray made = ct::bytes(out);
    r = mkdata({QStringLiteral("--from-server"), url, out}, pw);
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("上書きはしません")));
    QCOMPARE(ct::bytes(out), made);
    r = mkdata({QStringLiteral("--from-server"), url, dir.filePath(QStringLiteral("ない/out.MDB"))}, pw);
    QVERIFY2(r.code == 1 && r.err.contains(QStringLiteral("ない」がありません")), qPrintable(r.err));
  }

  // The copies of a server, made on a worker thread with its connection of
  // its own, are ordinary checked copies: the names and checks of the
  // daily copies, listed by --backups, and put back with --to-server.
  void serverCopiesAreOrdinaryCopies() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    QTemporaryDir dir;
    const QString sample = dir.filePath(QStringLiteral("sample.MDB"));
    QCOMPARE(mkdata({QStringLiteral("--sample"), sample}).code, 0);
    const QString db = server.newDatabase();
    QCOMPARE(mkdata({QStringLiteral("--to-server"), sample, server.url(db)}).code, 0);
    ServerUrl url;
    QVERIFY(parseServerUrl(server.url(db), &url));
    const QString work = dir.filePath(QStringLiteral("pc"));
    const QString folder = safefile::backupFolder(QDir(work).filePath(QStringLiteral("Setting.MDB")));
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 30));

    ServerUrl none = url;
    none.database = server.newDatabase();  // no tables of ours
    QList<backup::Result> made;
    QThread* worker = QThread::create([&] {
      for (int i = 0; i < 2; ++i) made << backup::makeServerCopyIn(folder, url, QString(), when);
      made << backup::makeServerCopyIn(folder, none, QString(), when.addDays(1));
    });
    worker->start();
    QVERIFY(worker->wait(60000));
    delete worker;
    QCOMPARE(made.size(), 3);
    QVERIFY2(made[0].ok && made[1].ok, qPrintable(made[0].problem + made[1].problem));
    QCOMPARE(QFileInfo(made[0].path).fileName(), QStringLiteral("Setting-20261208-0930.MDB"));
    QCOMPARE(QFileInfo(made[1].path).fileName(), QStringLiteral("Setting-20261208-0930-2.MDB"));
    QCOMPARE(dump(made[0].path), dump(sample));
    QVERIFY(!made[2].ok);
    QVERIFY2(made[2].problem.contains(QStringLiteral("Ashimemo の表がありません")), qPrintable(made[2].problem));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);  // the failed one left nothing
    for (const QString& name : QSqlDatabase::connectionNames()) QVERIFY2(!name.startsWith(QLatin1String("servercopy")), qPrintable(name));

    const Run list = mkdata({QStringLiteral("--backups"), work});
    QCOMPARE(list.code, 0);
    QCOMPARE(list.out.count(QStringLiteral("セッティング 2件  検査OK")), 2);
    const QString empty = server.newDatabase();
    QCOMPARE(mkdata({QStringLiteral("--to-server"), made[1].path, server.url(empty)}).code, 0);
    QCOMPARE(serverRows(empty), serverRows(db));
  }
};

ASHIMEMO_TEST(ServerCopyTest)
#include "tst_servercopy.moc"
