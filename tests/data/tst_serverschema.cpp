#include "data/schema.h"
#include "data/server.h"
#include "data/serverschema.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QSqlDatabase>
#include <QTest>

// The six tables on the private server: the types that keep the file's
// values, the keys, the version row, and what serverTables() reports.
class TestServerSchema : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void createsTheFilesTablesOnTheServer() {
    REQUIRE_PGSERVER();
    PgServer& server = PgServer::instance();
    const QString name = server.newDatabase();
    ServerUrl u;
    QVERIFY(parseServerUrl(server.url(name), &u));
    QCOMPARE(openServer(QStringLiteral("schema"), u, {}), ServerOpen::Opened);
    {
      QSqlDatabase db = QSqlDatabase::database(QStringLiteral("schema"));
      QCOMPARE(serverTables(db).missing, schema::kSettings);
      QString error;
      QVERIFY2(createServerTables(db, &error), qPrintable(error));
      const ServerTables made = serverTables(db);
      QVERIFY(made.complete() && made.missing.isEmpty() && serverHasTables(db));
      QVERIFY(made.rowCounts.value(schema::kVersion) == 1 && !made.hasRecords());  // the version row is no record
      QCOMPARE(server.psql(name, QStringLiteral("SELECT \"バージョン\" FROM \"バージョン情報\"")), schema::kVersionText);

      // Every field with the type that keeps its values, and no other.
      QStringList want;
      for (const schema::Table& t : schema::tables())
        for (const schema::Column& c : t.columns)
          want << t.name + u'.' + c.name + u' ' +
                      QLatin1String(c.type == schema::Type::Integer ? "bigint" : c.type == schema::Type::Real ? "double precision" : "text");
      QStringList types = server.psql(name, QStringLiteral("SELECT table_name || '.' || column_name || ' ' || data_type "
                                                           "FROM information_schema.columns WHERE table_schema = 'public'")).split(u'\n');
      want.sort(), types.sort();
      QCOMPARE(types, want);

      // Keys on コード.
      server.psql(name, QStringLiteral("INSERT INTO \"ユーザー\" (\"コード\") VALUES (7)"));
      QString refused;
      server.psql(name, QStringLiteral("INSERT INTO \"ユーザー\" (\"コード\") VALUES (7)"), &refused);
      QVERIFY(refused.contains(QLatin1String("duplicate key")) && serverTables(db).hasRecords());

      server.psql(name, QStringLiteral("ALTER TABLE \"アライメント\" DROP COLUMN \"タイヤ外径R\""));
      QCOMPARE(serverTables(db).missing, QStringLiteral("アライメント.タイヤ外径R"));
      QVERIFY(!serverHasTables(db));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("schema"));
  }
};
ASHIMEMO_TEST(TestServerSchema)
#include "tst_serverschema.moc"
