// A server restarted in the middle of a session: the save that meets the
// lost connection says so in Japanese with the server's text and keeps what
// was typed; once the server is back the next save works without a restart
// and the lists follow other PCs again.
// A connection lost between two writes of one save keeps neither.
#include "masters/masterhelpers.h"
#include "data/database.h"
#include "data/server.h"
#include "masters/u_master.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QElapsedTimer>

class ServerFaultTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init() {
    previous_ = qgetenv("ASHIMEMO_TEST_SERVER");
    qputenv("ASHIMEMO_TEST_SERVER", "1");
  }
  void cleanup() { qputenv("ASHIMEMO_TEST_SERVER", previous_); }

  void lostConnectionKeepsTheScreenAndTheNextSaveWorks() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    DataDir dir;
    dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '鈴木')"));
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeText(QStringLiteral("2"));
    press(Qt::Key_Return);
    QCOMPARE(focused(), edit(&u, QStringLiteral("名前")));
    typeText(QStringLiteral("佐藤　一郎"));
    press(Qt::Key_Return);
    typeText(QStringLiteral("ｻﾄｳ"));

    QVERIFY(server.stop());
    QElapsedTimer waited;
    waited.start();
    click(&u, QStringLiteral("Save_Switch"));
    QVERIFY2(waited.elapsed() < kServerConnectTimeout * 1000 + 2000, qPrintable(QString::number(waited.elapsed())));
    QList<ShownMessage> shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QCOMPARE(shown[0].title, QStringLiteral("ユーザーの登録"));
    QVERIFY2(shown[0].text.startsWith(QStringLiteral("サーバー「postgres@127.0.0.1:")) &&
                 shown[0].text.contains(QStringLiteral("との接続が切れているため、処理できませんでした。")) &&
                 shown[0].text.contains(QStringLiteral("\n詳細: ")),
             qPrintable(shown[0].text));
    QVERIFY(u.isVisible());
    QCOMPARE(u.codeField()->text(), QStringLiteral("0002"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("佐藤　一郎"));
    QCOMPARE(edit(&u, QStringLiteral("フリガナ"))->text(), QStringLiteral("ｻﾄｳ"));

    QVERIFY(server.start());
    dir.messages.answer(true);
    click(&u, QStringLiteral("Save_Switch"));
    shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("登録しますか？"));
    QCOMPARE(stored(dir, QStringLiteral("SELECT * FROM ユーザー WHERE コード=2"), QStringLiteral("フリガナ")), QStringLiteral("ｻﾄｳ"));
    // The list beside the screen reads from the server again too.
    QCOMPARE(u.list()->data1()->rowCount(), 2);
    QCOMPARE(listCell(u, 1, 1), QStringLiteral("佐藤　一郎"));
    // And it follows another PC's saves again.
    dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (3, '高橋'); SELECT pg_notify('ashimemo', 'ユーザー')"));
    QTRY_COMPARE_WITH_TIMEOUT(u.list()->data1()->rowCount(), 3, 10000);
  }

  // The deletion of a setting with its alignment record is one transaction:
  // the server ending the connection after the first of the two deletes
  // (here a trigger on the second ends its own session) keeps both rows,
  // and the failure is not repeated on a new connection as if nothing had
  // happened.
  void connectionLostBetweenTwoWritesKeepsNeither() {
    REQUIRE_PGSERVER();
    DataDir dir;
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (1, 'ＡＥ８６')"));
    dir.exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード) VALUES (1, '0001')"));
    dir.exec(QStringLiteral("CREATE FUNCTION die() RETURNS trigger LANGUAGE plpgsql AS "
                            "$$BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN OLD; END$$"));
    dir.exec(QStringLiteral("CREATE TRIGGER die BEFORE DELETE ON アライメント FOR EACH ROW EXECUTE FUNCTION die()"));
    try {
      Transaction tx;
      Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=1"), Recordset::Updatable);
      rs.deleteRow();
      Recordset al(QStringLiteral("SELECT * FROM アライメント WHERE コード=1"), Recordset::Updatable);
      al.deleteRow();
      tx.commit();
      QFAIL("the save went through");
    } catch (const DbError& e) {
      QVERIFY2(e.message.contains(QStringLiteral("との接続が切れているため")), qPrintable(e.userText()));
    }
    // The next reading opens the connection again and finds both rows.
    Recordset both(QStringLiteral("SELECT (SELECT count(*) FROM セッティング) + (SELECT count(*) FROM アライメント) AS n"));
    QCOMPARE(both.number(QStringLiteral("n")), 2.0);
  }

  // The list grids read on a connection of their own; that must not make
  // the shared connection's statements be prepared afresh under names it
  // already holds, which would abort the next save's transaction.
  void aListReadBetweenTwoSavesKeepsTheSecond() {
    REQUIRE_PGSERVER();
    DataDir dir;
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (1, 'ＡＥ８６')"));
    const auto save = [](const QString& name) {
      Transaction tx;
      Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=1"), Recordset::Updatable);
      rs.edit();
      rs.setField(QStringLiteral("セッティング名称"), name);
      rs.update();
      tx.commit();
    };
    save(QStringLiteral("街乗り"));
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;
    Database::readList(QStringLiteral("SELECT コード FROM セッティング"), &columns, &rows);
    QCOMPARE(int(rows.size()), 1);
    try {
      save(QStringLiteral("峠"));
    } catch (const DbError& e) {
      QFAIL(qPrintable(e.userText()));
    }
    QCOMPARE(dir.row(QStringLiteral("SELECT セッティング名称 FROM セッティング WHERE コード=1")).value(QStringLiteral("セッティング名称")).toString(),
             QStringLiteral("峠"));
  }

 private:
  QByteArray previous_;
};

ASHIMEMO_TEST(ServerFaultTest)
#include "tst_serverfaults.moc"
