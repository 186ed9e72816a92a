// The data file: a new file's schema read back, record sets over the shared
// connection, transactions, code proposal on real tables, the list items and
// the refusal of files that are not usable data files.
#include "data/database.h"
#include "data/datafile.h"
#include "data/newfile.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

class DataFileTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void newFileHasEveryTableAndField() {
    DataDir dir;
    QSqlDatabase db = Database::connection();
    const QList<std::pair<QString, int>> expected{{schema::kSettings, 53},  {schema::kCoilOvers, 26},
                                                  {schema::kUsers, 11},     {schema::kAlignments, 76},
                                                  {schema::kAlignmentBases, 28}, {schema::kVersion, 1}};
    for (const auto& [table, columns] : expected) {
      const QSqlRecord rec = db.record(table);
      QCOMPARE(rec.count(), columns);
      const schema::Table& t = schema::table(table);
      for (int i = 0; i < t.columns.size(); ++i) QCOMPARE(rec.fieldName(i), t.columns[i].name);
    }
    QCOMPARE(db.record(schema::kSettings).fieldName(52), QStringLiteral("RR_備考"));
    QCOMPARE(db.record(schema::kAlignments).fieldName(28), QStringLiteral("調整前00"));
    // Column kinds: codes and flags numeric, values text.
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("SELECT name, type, pk FROM pragma_table_info('アライメント')")));
    QMap<QString, QString> types;
    while (q.next()) {
      types[q.value(0).toString()] = q.value(1).toString();
      if (q.value(0).toString() == QStringLiteral("コード")) QCOMPARE(q.value(2).toInt(), 1);
    }
    QCOMPARE(types[QStringLiteral("タイヤ外径F")], QStringLiteral("INTEGER"));
    QCOMPARE(types[QStringLiteral("調整後21")], QStringLiteral("TEXT"));
    QCOMPARE(dir.row(QStringLiteral("SELECT * FROM バージョン情報")).value(QStringLiteral("バージョン")).toString(),
             QStringLiteral("1.00"));
    QCOMPARE(dir.count(schema::kVersion), 1);
  }

  void newFileRefusesToOverwrite() {
    DataDir dir(false);
    QFile f(dir.file(QStringLiteral("other.MDB")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep me");
    f.close();
    QString error;
    QVERIFY(!createDataFile(dir.file(QStringLiteral("other.MDB")), false, &error));
    QVERIFY(error.contains(QStringLiteral("上書き")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
  }

  void sampleFileHoldsRealisticRows() {
    DataDir dir(false);
    const QString path = dir.file(QStringLiteral("sample.MDB"));
    QVERIFY(createDataFile(path, true, nullptr));
    QVERIFY(Database::open(path) == Database::Opened);
    QVERIFY(dir.count(schema::kCoilOvers) >= 4);
    QVERIFY(dir.count(schema::kUsers) >= 3);
    QCOMPARE(dir.count(schema::kSettings), 2);
    QCOMPARE(dir.count(schema::kAlignments), 1);
    QCOMPARE(dir.count(schema::kAlignmentBases), 1);
    const QVariantMap a = dir.row(QStringLiteral("SELECT * FROM アライメント"));
    QCOMPARE(a.size(), 76);
    QCOMPARE(a.value(QStringLiteral("タイヤ外径F")).toInt(), 580);
  }

  void recordsetAddEditDelete() {
    DataDir dir;
    {
      Recordset rs(QStringLiteral("SELECT * FROM ユーザー WHERE コード=7"), Recordset::Updatable);
      QVERIFY(rs.noRow());
      rs.addNew();
      rs.setField(QStringLiteral("コード"), 7);
      rs.setField(QStringLiteral("名前"), QStringLiteral("O'Brien \"; DROP TABLE ユーザー; --"));
      rs.update();
    }
    {
      Recordset rs(QStringLiteral("SELECT * FROM ユーザー WHERE コード=7"), Recordset::Updatable);
      QVERIFY(!rs.noRow());
      QCOMPARE(rs.text(QStringLiteral("名前")), QStringLiteral("O'Brien \"; DROP TABLE ユーザー; --"));
      QCOMPARE(rs.text(QStringLiteral("備考")), QString());  // null reads as empty
      rs.edit();
      rs.setField(QStringLiteral("名前"), QStringLiteral("佐藤"));
      rs.update();
    }
    QCOMPARE(dir.row(QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=7")).value(QStringLiteral("名前")).toString(),
             QStringLiteral("佐藤"));
    {
      Recordset rs(QStringLiteral("SELECT * FROM ユーザー WHERE コード=7"), Recordset::Updatable);
      rs.deleteRow();
    }
    QCOMPARE(dir.count(schema::kUsers), 0);
  }

  void transactionRollsBackEverything() {
    DataDir dir;
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (3)"));
    dir.exec(QStringLiteral("INSERT INTO アライメント (コード) VALUES (3)"));
    try {
      Transaction tx;
      Recordset s(QStringLiteral("SELECT * FROM セッティング WHERE コード=3"), Recordset::Updatable);
      s.deleteRow();
      Recordset bad(QStringLiteral("SELECT * FROM アライメントX WHERE コード=3"), Recordset::Updatable);
      QFAIL("a missing table must raise");
    } catch (const DbError& e) {
      QVERIFY(e.message.contains(QStringLiteral("テーブル")));
    }
    QCOMPARE(dir.count(schema::kSettings), 1);
    QCOMPARE(dir.count(schema::kAlignments), 1);
  }

  void savingToADeletedFileSaysItWasDeleted() {
    DataDir dir;
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (77)"));
    QVERIFY(QFile::remove(dir.file(kDataFileName)));
    QVERIFY(Database::fileMoved());
    try {
      Recordset s(QStringLiteral("SELECT * FROM セッティング WHERE コード=77"), Recordset::Updatable);
      s.edit();
      s.setField(QStringLiteral("セッティング名称"), QStringLiteral("変更"));
      s.update();
      QFAIL("a write to a deleted file must raise");
    } catch (const DbError& e) {
      QVERIFY2(e.message.contains(QStringLiteral("削除されたか")) && !e.message.contains(QStringLiteral("読み取り専用")),
               qPrintable(e.message));
    }
  }

  void codeProposalOnTables() {
    DataDir dir;
    QCOMPARE(NextSettingCode(), QStringLiteral("0001"));
    QCOMPARE(NextCoilOverCode(), QStringLiteral("01"));
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (1), (5)"));
    QCOMPARE(NextSettingCode(), QStringLiteral("0006"));  // gaps are not reused
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (9999)"));
    QCOMPARE(NextSettingCode(), QStringLiteral("XXXX"));
    dir.exec(QStringLiteral("INSERT INTO 車高調マスタ (コード) VALUES (99)"));
    QCOMPARE(NextCoilOverCode(), QStringLiteral("XX"));
    dir.exec(QStringLiteral("INSERT INTO ユーザー (コード) VALUES (41)"));
    QCOMPARE(NextUserCode(), QStringLiteral("0042"));
    QCOMPARE(NextAlignmentBaseCode(), QStringLiteral("0001"));
  }

  void listItems() {
    DataDir dir;
    QCOMPARE(userListItems(), QStringList{QStringLiteral("0000:なし")});
    dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (12, '  鈴木  '), (3, '佐藤'), (4, NULL)"));
    QCOMPARE(userListItems(), (QStringList{QStringLiteral("0000:なし"), QStringLiteral("0003:佐藤"),
                                           QStringLiteral("0004:"), QStringLiteral("0012:鈴木")}));
    dir.exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称) VALUES (2, 'ネジ式')"));
    QCOMPARE(coilOverListItems(), (QStringList{QStringLiteral("00:なし"), QStringLiteral("02:ネジ式")}));
  }

  void unusableFilesAreRefusedAndLeftUntouched_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("random bytes") << QByteArray("\x01\x02garbage that is no database at all", 35)
                                  << QStringLiteral("データファイルではない");
    QTest::newRow("Jet file") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20)
                              << QStringLiteral("データファイルではない");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("データファイルではない");
  }
  void unusableFilesAreRefusedAndLeftUntouched() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    DataDir dir(false);
    QFile::remove(dir.file(kDataFileName));
    QFile f(dir.file(kDataFileName));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QCOMPARE(OpenDataFile(), 2);
    QVERIFY2(OpenDataFileError().contains(reason), qPrintable(OpenDataFileError()));
    QVERIFY(!Database::isOpen());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), content);
  }

  void missingTableAndReadOnlyAndLockedFiles() {
    {
      DataDir dir;
      dir.exec(QStringLiteral("DROP TABLE アライメントマスタ"));
      CloseDataFile();
      QCOMPARE(OpenDataFile(), 2);
      QVERIFY(OpenDataFileError().contains(QStringLiteral("アライメントマスタ")));
    }
    {
      DataDir dir(false);
      QFile::setPermissions(dir.file(kDataFileName), QFile::ReadOwner | QFile::ReadUser);
      if (QFileInfo(dir.file(kDataFileName)).isWritable()) QSKIP("running as root: files stay writable");
      QCOMPARE(OpenDataFile(), 2);
      QVERIFY(OpenDataFileError().contains(QStringLiteral("読み取り専用")));
    }
  }

  void lockedFileIsRefused() {
    DataDir dir(false);
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(dir.file(kDataFileName));
    QVERIFY(other.open());
    QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QCOMPARE(OpenDataFile(), 2);
    QVERIFY(OpenDataFileError().contains(QStringLiteral("使用中")));
    QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QCOMPARE(OpenDataFile(), 0);
  }

  void wholeFileCheckFindsDamageAndCountsRows() {
    DataDir dir(false);
    const QString sample = dir.file(QStringLiteral("sample.MDB"));
    QVERIFY(createDataFile(sample, true, nullptr));
    safefile::Check good = safefile::checkDataFile(sample);
    QVERIFY2(good.ok, qPrintable(good.problem));
    QCOMPARE(good.rowCounts.value(schema::kSettings), 2);
    QCOMPARE(good.rowCounts.value(schema::kVersion), 1);
    QCOMPARE(good.rowCounts.size(), 6);

    // Bytes overwritten in the middle of the file, as a disk fault would.
    QFile f(sample);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.size() > 4 * 4096);
    f.seek(3 * 4096 + 8);
    f.write(QByteArray(2000, '\xA5'));
    f.close();
    const safefile::Check damaged = safefile::checkDataFile(sample);
    QVERIFY(!damaged.ok);
    QVERIFY(damaged.rowCounts.isEmpty());
    QVERIFY2(damaged.problem.contains(QStringLiteral("壊れ")), qPrintable(damaged.problem));

    QVERIFY(!safefile::checkDataFile(dir.file(QStringLiteral("none.MDB"))).ok);
    QFile jet(dir.file(QStringLiteral("jet.MDB")));
    QVERIFY(jet.open(QIODevice::WriteOnly));
    jet.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20).leftJustified(4096, '\0'));
    jet.close();
    QVERIFY(!safefile::checkDataFile(jet.fileName()).ok);
    QVERIFY(safefile::isJetFile(jet.fileName()));
    QVERIFY(!safefile::isJetFile(dir.file(kDataFileName)));
  }

  void stampedNamesNeverReuseAFileAndRenamesReplace() {
    DataDir dir(false);
    const QString folder = safefile::backupFolder(dir.file(kDataFileName));
    QCOMPARE(QFileInfo(folder).fileName(), QStringLiteral("バックアップ"));
    QVERIFY(safefile::ensureWritableFolder(folder, nullptr));
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 30));
    const QString first = safefile::stampedPath(folder, QString(), when);
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("Setting-20261208-0930.MDB"));
    QVERIFY(QFile::copy(dir.file(kDataFileName), first));
    QCOMPARE(QFileInfo(safefile::stampedPath(folder, QString(), when)).fileName(),
             QStringLiteral("Setting-20261208-0930-2.MDB"));
    QCOMPARE(QFileInfo(safefile::stampedPath(folder, QStringLiteral("変換前"), when)).fileName(),
             QStringLiteral("Setting-変換前-20261208-0930.MDB"));
    // The rename replaces the target whole and leaves no source behind.
    QVERIFY(safefile::syncFile(first, nullptr));
    QVERIFY(safefile::durableRename(first, dir.file(QStringLiteral("other.MDB")), nullptr));
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(safefile::checkDataFile(dir.file(QStringLiteral("other.MDB"))).ok);
    QString error;
    QVERIFY(!safefile::durableRename(first, dir.file(QStringLiteral("x.MDB")), &error));
    QVERIFY(!error.isEmpty());
  }

  void linksAreFollowedToTheirLastTarget() {
    DataDir dir(false);
    const QString share = dir.file(QStringLiteral("share"));
    QVERIFY(QDir().mkpath(share));
    QVERIFY(QFile::link(QStringLiteral("share/real.MDB"), dir.file(QStringLiteral("hop.MDB"))));  // relative
    QVERIFY(QFile::link(dir.file(QStringLiteral("hop.MDB")), dir.file(QStringLiteral("link.MDB"))));
    safefile::Target t = safefile::resolvedTarget(dir.file(QStringLiteral("link.MDB")));
    QCOMPARE(t.path, share + QStringLiteral("/real.MDB"));
    QVERIFY(t.link && t.dangling);
    QVERIFY(createDataFile(share + QStringLiteral("/real.MDB"), false, nullptr));
    QVERIFY(!safefile::resolvedTarget(dir.file(QStringLiteral("link.MDB"))).dangling);
    t = safefile::resolvedTarget(dir.file(kDataFileName));
    QVERIFY(!t.link && !t.dangling);
    QCOMPARE(t.path, QFileInfo(dir.file(kDataFileName)).absoluteFilePath());
  }

  void missingFile() {
    DataDir dir(false);
    QFile::remove(dir.file(kDataFileName));
    QCOMPARE(OpenDataFile(), 1);
    QVERIFY(!FileExists(kDataFileName));
  }
};

ASHIMEMO_TEST(DataFileTest)
#include "tst_datafile.moc"
