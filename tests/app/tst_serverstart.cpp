// Start-up with "Ashimemo.ini" naming a PostgreSQL server, with the real
// program as a child process: every refusal names the server, never the
// password, carries the labelled detail, ends with a non-zero status and
// creates nothing; the password dialog opens the server.
#include "childprocess.h"
#include "data/safefile.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

namespace {
void writeIni(const Place& place, const QString& url, const QString& more = {}) {
  QFile f(place.file(QStringLiteral("Ashimemo.ini")));
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write("[server]\nurl=" + url.toUtf8() + "\n" + more.toUtf8());
}
// No password from the environment or a ~/.pgpass of the machine.
const QStringList kNoStoredPassword{QStringLiteral("PGPASSWORD="), QStringLiteral("PGPASSFILE=/nonexistent")};
}  // namespace

class ServerStartTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { qunsetenv("PGPASSWORD"); }

  void refusalsNameTheServerAndCreateNothing() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    const QString empty = server.newDatabase();
    const QString tables = newServerDatabaseWithTables();
    const QString wrong = QStringLiteral("kugi-99");
    struct Case {
      QString url, expected, answers;
    };
    const QList<Case> cases{
        {QStringLiteral("postgresql://kojo@pit-pc:99999/ashimemo"), QStringLiteral("「Ashimemo.ini」のサーバーの指定を読めません。"), {}},
        {QStringLiteral("postgresql://postgres@127.0.0.1:1/ashimemo"),
         QStringLiteral("サーバー「postgres@127.0.0.1:1/ashimemo」から応答がありません。"), {}},
        {server.url(empty), QStringLiteral("のデータベースにこのプログラムのテーブルがありません。"), {}},
        {server.url(QStringLiteral("no_such_db")), QStringLiteral("ユーザー名・データベース名と接続の許可を確かめてください。"), {}},
        {server.url(tables, QLatin1String(PgServer::kPasswordUser)), QStringLiteral("パスワードが違うか"),
         QStringLiteral("password:") + wrong},
    };
    for (const Case& c : cases) {
      Place place;
      writeIni(place, c.url);
      QString log;
      QProcess* p = place.start(this, &log, kNoStoredPassword + QStringList{QStringLiteral("ASHIMEMO_TEST_ANSWERS=") + c.answers});
      QVERIFY(p->waitForFinished(15000));
      QVERIFY2(p->exitCode() != 0, qPrintable(c.url));
      const QStringList l = lines(log);
      QVERIFY2(!l.isEmpty(), qPrintable(c.url));
      const QString& last = l.last();
      QVERIFY2(last.startsWith(QStringLiteral("Ashimemo\t")) && last.endsWith(QStringLiteral("\tOK\tCritical")), qPrintable(last));
      QVERIFY2(last.contains(c.expected) && last.contains(QStringLiteral("\\n詳細: ")), qPrintable(last));
      QVERIFY2(!l.join(u'\n').contains(wrong), qPrintable(l.join(u'\n')));
      QCOMPARE(l.size(), c.answers.isEmpty() ? 1 : 2);  // the password question, then the refusal
      // Nothing made in the folder: no data file, no copies.
      QCOMPARE(QDir(place.work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
    }
    QCOMPARE(server.psql(empty, QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'")),
             QStringLiteral("0"));
  }

  void passwordDialogOpensTheServer() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    const QString tables = newServerDatabaseWithTables();
    QString error;
    server.psql(tables, QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO ") + QLatin1String(PgServer::kPasswordUser),
                &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    Place place;
    QTemporaryDir second;
    writeIni(place, server.url(tables, QLatin1String(PgServer::kPasswordUser)),
             QStringLiteral("[backup]\nsecond=") + second.path() + u'\n');
    QString log;
    QProcess* p = place.start(this, &log,
                              kNoStoredPassword + QStringList{QStringLiteral("ASHIMEMO_TEST_ANSWERS=password:") +
                                                                  QLatin1String(PgServer::kPassword),
                                                              QStringLiteral("ASHIMEMO_TEST_NOW=2026-12-09T09:30")});
    QVERIFY(waitForLine(log, QStringLiteral("main window idle"), 15000));
    const QStringList l = lines(log);
    QVERIFY2(l.first().startsWith(QStringLiteral("Ashimemo\tサーバー「ashimemo_pw@127.0.0.1:")) &&
                 l.first().endsWith(QStringLiteral("のパスワードを入力してください。\tPassword\tNone")),
             qPrintable(l.first()));
    QVERIFY(!l.join(u'\n').contains(QLatin1String(PgServer::kPassword)));
    // The day's copy is a snapshot of the server, made with the password
    // that was typed, as an ordinary checked data file.
    QVERIFY(waitForLine(log, QStringLiteral("backup made Setting-20261209-0930.MDB"), 15000));
    QVERIFY(safefile::checkDataFile(place.file(QStringLiteral("バックアップ/Setting-20261209-0930.MDB"))).ok);
    // It goes to the second place too, as a copy of the data file does.
    QVERIFY(waitForLine(log, QStringLiteral("second copy made Setting-20261209-0930.MDB"), 15000));
    QVERIFY(QFile::exists(second.filePath(QStringLiteral("Setting-20261209-0930.MDB"))));
    p->terminate();
    QVERIFY(p->waitForFinished(10000));
    QVERIFY(lines(log).contains(QStringLiteral("backup not needed at closing")));  // nothing was saved
    QVERIFY(!QFile::exists(place.file(QStringLiteral("Setting.MDB"))));
  }

  // The copies folder cannot be made (a file has its name): the user hears
  // that the server's copy failed, and works on.
  void aFailedCopyIsToldAsTheServers() {
    REQUIRE_PGSERVER();
    Place place;
    writeIni(place, PgServer::instance().url(newServerDatabaseWithTables()));
    QFile blocker(place.file(safefile::kBackupFolderName));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString log;
    QProcess* p = place.start(this, &log);
    QVERIFY(waitForLine(log, QStringLiteral("backup failed"), 15000));
    QVERIFY(waitForLine(log, QStringLiteral("\tOK\tCritical"), 5000));
    const QStringList told = lines(log).filter(QStringLiteral("\t"));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].startsWith(QStringLiteral("Ashimemo\tサーバーのデータのバックアップを作成できませんでした。")), qPrintable(told[0]));
    p->terminate();
    QVERIFY(p->waitForFinished(10000));
  }
};

ASHIMEMO_TEST(ServerStartTest)
#include "tst_serverstart.moc"
