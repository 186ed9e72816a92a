// Converting Jet files: every value and NULL arrives exactly, the report
// names what was left out, filled, read as a number or not imported, bad
// input is refused with nothing changed, and the in-place conversion keeps
// the original and replaces it only with a whole, checked file.
#include "convert/convert.h"
#include "data/clock.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "support/jettools.h"
#include "support/testmain.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using jetfile::Type;

namespace {

const QString kSpecial = QStringLiteral("㈱髙橋～－∥①　ｻﾄｳﾓｰﾀｰｽﾞ");
const QString kMemo = QString(3000, QChar(u'整')) + QStringLiteral("備考の終わり");

void setType(jetfile::Table& t, const QString& column, Type type) {
  for (jetfile::Column& c : t.columns)
    if (c.name == column) c.type = type;
}
void removeColumn(jetfile::Table& t, const QString& column) {
  for (int i = 0; i < t.columns.size(); ++i)
    if (t.columns[i].name == column) {
      t.columns.removeAt(i);
      for (QVariantList& r : t.rows) r.removeAt(i);
      return;
    }
}
int columnIndex(const jetfile::Table& t, const QString& column) {
  for (int i = 0; i < t.columns.size(); ++i)
    if (t.columns[i].name == column) return i;
  return -1;
}
void set(jetfile::Table& t, int row, const QString& column, const QVariant& v) { t.rows[row][columnIndex(t, column)] = v; }

// Our six tables with values of every kind in the columns a workshop's
// file may have given other types.
QList<jetfile::Table> mixedTables() {
  QList<jetfile::Table> tables = jetdata::filled(3, 3, 3, 3, 2);
  jetfile::Table& s = *jetdata::find(tables, schema::kSettings);
  setType(s, QStringLiteral("登録日"), Type::DateTime);
  setType(s, QStringLiteral("FL_フェンダー高"), Type::Double);
  setType(s, QStringLiteral("FL_プリロード"), Type::Single);
  setType(s, QStringLiteral("FL_全長"), Type::Currency);
  setType(s, QStringLiteral("FL_伸"), Type::YesNo);
  setType(s, QStringLiteral("ユーザー"), Type::Text);
  for (int r = 0; r < 3; ++r) {
    set(s, r, QStringLiteral("登録日"), QDate(2003, 5, 12 + r));
    set(s, r, QStringLiteral("FL_フェンダー高"), 650.5);
    set(s, r, QStringLiteral("FL_プリロード"), 0.1);
    set(s, r, QStringLiteral("FL_全長"), 12.5);
    set(s, r, QStringLiteral("FL_伸"), r == 0);
  }
  set(s, 0, QStringLiteral("ユーザー"), QStringLiteral("12番"));
  set(s, 1, QStringLiteral("ユーザー"), QStringLiteral("なし"));
  set(s, 2, QStringLiteral("ユーザー"), QVariant());
  set(s, 0, QStringLiteral("セッティング名称"), kSpecial);
  set(s, 0, QStringLiteral("FL_備考"), kMemo);
  set(s, 0, QStringLiteral("RL_備考"), QVariant());
  set(s, 0, QStringLiteral("RR_備考"), QString(""));
  jetfile::Table& c = *jetdata::find(tables, schema::kCoilOvers);
  setType(c, QStringLiteral("ピロアッパーキャンバー調節_F"), Type::YesNo);
  setType(c, QStringLiteral("ID_F"), Type::Double);
  set(c, 0, QStringLiteral("ピロアッパーキャンバー調節_F"), true);
  set(c, 1, QStringLiteral("ピロアッパーキャンバー調節_F"), false);
  set(c, 0, QStringLiteral("バネレート_F"), 0.1);
  set(c, 0, QStringLiteral("バネレート_R"), 12.25);
  set(c, 0, QStringLiteral("ID_F"), 65.3);
  set(c, 0, QStringLiteral("自由長_F"), QVariant());
  jetfile::Table& a = *jetdata::find(tables, schema::kAlignments);
  for (int i = 0; i < 76; ++i)
    if (a.columns[i].type == Type::Text) a.rows[1][i] = QStringLiteral("%1").arg(i * 0.01 - 0.3, 0, 'f', 2);
  return tables;
}

// Runs ashimemo-mkdata with `args`; its output (both streams) in `*out`.
int mkdata(const QStringList& args, QString* out) {
  QProcess mk;
  mk.start(ct::binary(QStringLiteral("ashimemo-mkdata")), args);
  mk.waitForFinished(60000);
  *out = QString::fromUtf8(mk.readAllStandardOutput() + mk.readAllStandardError());
  return mk.exitCode();
}

struct Place {
  QTemporaryDir dir;
  QString jet = dir.filePath(QStringLiteral("元.MDB"));
  QString out = dir.filePath(QStringLiteral("新.MDB"));
  QStringList entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }
};

}  // namespace

class ConvertTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init() { Clock::setToday(QDate(2026, 12, 8)); }
  void cleanup() {
    Clock::setShortDate(QString());
    Clock::setNow(QDateTime());
  }

  void valuesAndNullsArriveExactly_data() {
    QTest::addColumn<int>("version");
    QTest::newRow("Jet 4") << int(jetfile::Version::Jet4);
    QTest::newRow("Jet 3") << int(jetfile::Version::Jet3);
  }
  void valuesAndNullsArriveExactly() {
    QFETCH(int, version);
    Place p;
    const QList<jetfile::Table> tables = mixedTables();
    ct::writeJet(p.jet, tables, jetfile::Version(version));
    const convert::Result r = convert::convertFile(p.jet, p.out);
    QVERIFY2(r.status == convert::Result::Done, qPrintable(r.error));

    const QVariantMap s = ct::row(p.out, schema::kSettings, 1);
    QCOMPARE(s.value(QStringLiteral("セッティング名称")).toString(), kSpecial);
    QCOMPARE(s.value(QStringLiteral("登録日")).toString(), QStringLiteral("20030512"));
    QCOMPARE(s.value(QStringLiteral("FL_フェンダー高")).toString(), QStringLiteral("650.5"));
    QCOMPARE(s.value(QStringLiteral("FL_プリロード")).toString(), QStringLiteral("0.1"));
    QCOMPARE(s.value(QStringLiteral("FL_全長")).toString(), QStringLiteral("12.5"));
    QCOMPARE(s.value(QStringLiteral("FL_伸")).toString(), QStringLiteral("1"));
    QCOMPARE(s.value(QStringLiteral("FL_備考")).toString(), kMemo);
    QVERIFY(s.value(QStringLiteral("RL_備考")).isNull());
    QVERIFY(!s.value(QStringLiteral("RR_備考")).isNull());
    QCOMPARE(s.value(QStringLiteral("RR_備考")).toString(), QString());
    QCOMPARE(s.value(QStringLiteral("ユーザー")).toInt(), 12);
    QCOMPARE(ct::row(p.out, schema::kSettings, 2).value(QStringLiteral("ユーザー")).toInt(), 0);
    QVERIFY(ct::row(p.out, schema::kSettings, 3).value(QStringLiteral("ユーザー")).isNull());
    QCOMPARE(ct::row(p.out, schema::kSettings, 2).value(QStringLiteral("FL_伸")).toString(), QStringLiteral("0"));

    const QVariantMap c = ct::row(p.out, schema::kCoilOvers, 1);
    QCOMPARE(c.value(QStringLiteral("ピロアッパーキャンバー調節_F")).toInt(), 1);
    QCOMPARE(ct::row(p.out, schema::kCoilOvers, 2).value(QStringLiteral("ピロアッパーキャンバー調節_F")).toInt(), 0);
    QCOMPARE(c.value(QStringLiteral("バネレート_F")).toDouble(), 0.1);  // a Single, not 0.100000001490116
    QCOMPARE(c.value(QStringLiteral("バネレート_R")).toDouble(), 12.25);
    QCOMPARE(c.value(QStringLiteral("ID_F")).toDouble(), 65.3);
    QVERIFY(c.value(QStringLiteral("自由長_F")).isNull());
    QCOMPARE(c.value(QStringLiteral("名称")).toString(), QStringLiteral("ストリートスペック 1"));

    // All 76 values of an alignment record, and the rows of each list.
    const jetfile::Table& a = *jetdata::find(const_cast<QList<jetfile::Table>&>(tables), schema::kAlignments);
    const QVariantMap al = ct::row(p.out, schema::kAlignments, 2);
    QCOMPARE(al.size(), 76);
    for (int i = 0; i < 76; ++i) QCOMPARE(al.value(a.columns[i].name).toString(), a.rows[1][i].toString());
    QCOMPARE(ct::codes(p.out, schema::kUsers), (QStringList{"1", "2", "3"}));
    QCOMPARE(ct::row(p.out, schema::kUsers, 2).value(QStringLiteral("フリガナ")).toString(), QStringLiteral("ｻﾄｳ ｲﾁﾛｳ"));
    QCOMPARE(ct::row(p.out, schema::kVersion, 0).value(QStringLiteral("バージョン")).toString(), QStringLiteral("1.00"));

    QCOMPARE(r.report.tables.size(), 6);
    QCOMPARE(r.report.tables[0].rows, 3);
    QCOMPARE(r.report.tables[0].textInNumber, (QMap<QString, qint64>{{QStringLiteral("ユーザー"), 2}}));
    QVERIFY(r.report.tables[0].leftOut.isEmpty() && r.report.tables[0].filled.isEmpty());
  }

  // A file in use holds deleted rows and rows moved to other pages; libmdb
  // 1.0 alone would bring the deleted ones back and lose the moved ones.
  void deletedRowsStayDeletedAndMovedRowsArrive_data() {
    QTest::addColumn<int>("version");
    QTest::newRow("Jet 4") << int(jetfile::Version::Jet4);
    QTest::newRow("Jet 3") << int(jetfile::Version::Jet3);
  }
  void deletedRowsStayDeletedAndMovedRowsArrive() {
    QFETCH(int, version);
    Place p;
    QList<jetfile::Table> tables = jetdata::filled(0, 600, 0, 0, 0);
    jetfile::Table& u = *jetdata::find(tables, schema::kUsers);
    QVariantList gone = jetdata::row(schema::kUsers, 2);
    gone[1] = QStringLiteral("削除した人");
    QVariantList other = jetdata::row(schema::kUsers, 900);
    u.deleted << QVariantList() << gone << other;  // after rows 1 and 2
    u.deleted[0] = jetdata::row(schema::kUsers, 901);
    u.moved << 0 << 1 << 2 << 599;
    set(u, 1, QStringLiteral("備考"), kMemo);
    ct::writeJet(p.jet, tables, jetfile::Version(version));
    const convert::Result r = convert::convertFile(p.jet, p.out);
    QVERIFY2(r.status == convert::Result::Done, qPrintable(r.error));
    QCOMPARE(r.report.tables[2].rows, 600);
    QVERIFY(r.report.tables[2].rejected.isEmpty());
    const QStringList codes = ct::codes(p.out, schema::kUsers);
    QCOMPARE(codes.size(), 600);
    QCOMPARE(codes.last(), QStringLiteral("600"));
    QCOMPARE(ct::row(p.out, schema::kUsers, 2).value(QStringLiteral("名前")).toString(), QStringLiteral("佐藤　一郎2"));
    QCOMPARE(ct::row(p.out, schema::kUsers, 2).value(QStringLiteral("備考")).toString(), kMemo);
    QCOMPARE(ct::row(p.out, schema::kUsers, 600).value(QStringLiteral("名前")).toString(), QStringLiteral("佐藤　一郎600"));
  }

  void reportNamesLeftOutFilledAndRejectedRows() {
    Place p;
    QList<jetfile::Table> tables = jetdata::filled(0, 0, 0, 0, 0);
    tables.removeIf([](const jetfile::Table& t) { return t.name == schema::kUsers || t.name == schema::kVersion; });
    jetfile::Table& s = *jetdata::find(tables, schema::kSettings);
    removeColumn(s, QStringLiteral("登録日"));
    removeColumn(s, QStringLiteral("RR_備考"));
    s.columns << jetfile::Column{QStringLiteral("旧メモ"), Type::Text, 20};
    setType(s, QStringLiteral("コード"), Type::Double);
    for (const QVariant& code : {QVariant(1), QVariant(), QVariant(1), QVariant(0), QVariant(10000), QVariant(5.5), QVariant(2)}) {
      QVariantList row = jetdata::row(schema::kSettings, 7);
      row.removeAt(52), row.removeAt(2);
      row[0] = code;
      s.rows << (row << QStringLiteral("古い"));
    }
    jetfile::Table& c = *jetdata::find(tables, schema::kCoilOvers);
    for (const char* gone : {"減衰力調整式_伸縮別_F", "減衰力調整式_伸縮別_R", "ID_F"}) removeColumn(c, QString::fromUtf8(gone));
    c.rows << QVariantList{99, QStringLiteral("最後")} << QVariantList{100, QStringLiteral("範囲外")};
    for (QVariantList& r : c.rows) r.resize(c.columns.size());
    ct::writeJet(p.jet, tables);

    convert::Progress last;
    const convert::Result r = convert::convertFile(p.jet, p.out, [&](const convert::Progress& pr) {
      last = pr;
      return true;
    });
    QVERIFY2(r.status == convert::Result::Done, qPrintable(r.error));
    // Rows not imported were read all the same: the progress bar ends full.
    QCOMPARE(last.done, last.total);
    const convert::TableReport& st = r.report.tables[0];
    QCOMPARE(st.rows, 2);
    QCOMPARE(st.leftOut, QStringList{QStringLiteral("旧メモ")});
    QCOMPARE(st.filled, (QStringList{QStringLiteral("登録日（20261208）"), QStringLiteral("RR_備考（空）")}));
    QStringList rejected;
    for (const convert::Rejected& x : st.rejected) rejected << x.code + u' ' + x.reason;
    QCOMPARE(rejected, (QStringList{QStringLiteral("NULL コードが空"), QStringLiteral("1 コードが重複"),
                                    QStringLiteral("0 コードが範囲外（1～9999）"), QStringLiteral("10000 コードが範囲外（1～9999）"),
                                    QStringLiteral("5.5 コードが範囲外（1～9999）")}));
    QCOMPARE(ct::codes(p.out, schema::kSettings), (QStringList{"1", "2"}));
    QCOMPARE(ct::row(p.out, schema::kSettings, 2).value(QStringLiteral("登録日")).toString(), QStringLiteral("20261208"));
    const convert::TableReport& ct_ = r.report.tables[1];
    QCOMPARE(ct_.rows, 1);
    QCOMPARE(ct_.rejected.size(), 1);
    QCOMPARE(ct_.rejected[0].code, QStringLiteral("100"));
    QCOMPARE(ct_.filled, (QStringList{QStringLiteral("減衰力調整式_伸縮別_F（0）"), QStringLiteral("減衰力調整式_伸縮別_R（0）"),
                                      QStringLiteral("ID_F（65）")}));
    QCOMPARE(ct::row(p.out, schema::kCoilOvers, 99).value(QStringLiteral("ID_F")).toInt(), 65);
    // Missing tables: empty, and the new file's own version row.
    QVERIFY(!r.report.tables[2].present);
    QCOMPARE(ct::codes(p.out, schema::kUsers), QStringList());
    QCOMPARE(ct::row(p.out, schema::kVersion, 0).value(QStringLiteral("バージョン")).toString(), QStringLiteral("1.00"));

    const QString text = r.report.text();
    QVERIFY2(text.contains(QStringLiteral("・セッティング: 2 件\n　　移さなかった列: 旧メモ\n")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("・ユーザー: 元のファイルにありません（0 件）")));
    QVERIFY(text.contains(QStringLiteral("移さなかった行 5 件: コード NULL（コードが空）、コード 1（コードが重複）")));
  }

  void refusesBadInputAndChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("cut off") << "cut" << "途中で切れているか、壊れています";
    QTest::newRow("encrypted") << "key" << "暗号化";
    QTest::newRow("not a Jet file") << "text" << "Jet 形式（Microsoft Access）のデータベースファイルではありません";
    QTest::newRow("Jet header, garbage after") << "garbage" << "壊れています";
    QTest::newRow("no setting table") << "foreign" << "このプログラムのデータファイルではありません";
    QTest::newRow("new file exists") << "exists" << "すでにあります";
    QTest::newRow("no such file") << "missing" << "ファイルがありません。";
    QTest::newRow("a folder") << "folder" << "ファイルではなくフォルダーです。";
    QTest::newRow("locked by another program") << "locked" << "ほかのプログラムで使用中";
  }
  void refusesBadInputAndChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    Place p;
    QList<jetfile::Table> tables = jetdata::filled(300, 300, 5, 300, 5);
    if (kind == QLatin1String("foreign")) tables = {jetdata::table(schema::kUsers)};
    jetfile::Options o;
    if (kind == QLatin1String("key")) o.databaseKey = 0x1234;
    QByteArray jet = jetfile::build(tables, o);
    if (kind == QLatin1String("cut")) jet.truncate(jet.size() / 2);
    if (kind == QLatin1String("text")) jet = "コード,名前\n1,佐藤\n";
    if (kind == QLatin1String("garbage"))
      for (qsizetype i = 4096 * 2; i < jet.size(); ++i) jet[i] = char((i * 7919) & 0xFF);
    if (kind == QLatin1String("missing") || kind == QLatin1String("folder")) {
      // Named in Japanese, with no system text in English.
      if (kind == QLatin1String("folder")) QVERIFY(QDir().mkdir(p.jet));
      const QStringList before = p.entries();
      const convert::Result r = convert::convertFile(p.jet, p.out);
      QCOMPARE(r.status, convert::Result::Failed);
      QCOMPARE(r.error, message);
      QCOMPARE(p.entries(), before);
      return;
    }
    QFile f(p.jet);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(jet) == jet.size());
    f.close();
    if (kind == QLatin1String("exists")) QFile(p.out).open(QIODevice::WriteOnly);
    QProcess holder;
    if (kind == QLatin1String("locked")) {
      holder.start(QStringLiteral("flock"), {p.jet, QStringLiteral("sleep"), QStringLiteral("30")});
      QVERIFY(holder.waitForStarted());
      QTest::qWait(300);
    }
    const QStringList before = p.entries();

    const convert::Result r = convert::convertFile(p.jet, p.out);
    QCOMPARE(r.status, convert::Result::Failed);
    QVERIFY2(r.error.contains(message), qPrintable(r.error));
    QCOMPARE(p.entries(), before);
    QCOMPARE(ct::bytes(p.jet), jet);

    // The same file as the program's data file, converted in place.
    if (kind == QLatin1String("exists")) return;
    const QString data = p.dir.filePath(QStringLiteral("Setting.MDB"));
    QVERIFY(QFile::rename(p.jet, data));
    const QStringList inPlace = p.entries();
    if (kind == QLatin1String("locked")) {
      holder.kill();
      holder.waitForFinished();
      holder.start(QStringLiteral("flock"), {data, QStringLiteral("sleep"), QStringLiteral("30")});
      QVERIFY(holder.waitForStarted());
      QTest::qWait(300);
    }
    const convert::Result again = convert::convertInPlace(data, QDateTime::currentDateTime());
    QCOMPARE(again.status, convert::Result::Failed);
    QVERIFY2(again.error.contains(message), qPrintable(again.error));
    QCOMPARE(p.entries(), inPlace);
    QCOMPARE(ct::bytes(data), jet);
    holder.kill();
    holder.waitForFinished();
  }

  void inPlaceKeepsTheOriginalAndReplacesItWhole() {
    Place p;
    const QString data = p.dir.filePath(QStringLiteral("Setting.MDB"));
    ct::writeJet(data, jetdata::filled(30, 20, 5, 10, 3), jetfile::Version::Jet3);
    const QByteArray original = ct::bytes(data);
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 30));
    QList<convert::Progress> seen;
    const convert::Result r = convert::convertInPlace(data, when, [&](const convert::Progress& pr) {
      seen << pr;
      return true;
    });
    QVERIFY2(r.status == convert::Result::Done, qPrintable(r.error));
    const QString kept = p.dir.filePath(QStringLiteral("バックアップ/Setting-変換前-20261208-0930.MDB"));
    QCOMPARE(r.report.backup, kept);
    QCOMPARE(ct::bytes(kept), original);
    QVERIFY(ct::bytes(r.report.reportFile).contains(QStringLiteral("・セッティング: 30 件").toUtf8()));
    const safefile::Check check = safefile::checkDataFile(data);
    QVERIFY2(check.ok, qPrintable(check.problem));
    QCOMPARE(check.rowCounts.value(schema::kSettings), 30);
    QCOMPARE(p.entries(), (QStringList{QStringLiteral("Setting.MDB"), QStringLiteral("バックアップ")}));
    // Progress counts every row; the last report is past the cancel point.
    QCOMPARE(seen.first().total, 30 + 20 + 5 + 10 + 3 + 1);
    QVERIFY(seen.last().finishing);
    QVERIFY(r.report.summary().endsWith(QStringLiteral("-0930-変換結果.txt")));

    // A second Jet file in the same minute gets a name of its own.
    ct::writeJet(data, jetdata::filled(1, 0, 0, 0, 0));
    const convert::Result second = convert::convertInPlace(data, when);
    QCOMPARE(second.report.backup, p.dir.filePath(QStringLiteral("バックアップ/Setting-変換前-20261208-0930-2.MDB")));
    QCOMPARE(ct::bytes(kept), original);
  }

  void cancelLeavesEverythingAsItWas_data() {
    QTest::addColumn<int>("at");
    QTest::newRow("before the first table") << 1;
    QTest::newRow("inside a table") << 5;
    QTest::newRow("at the check") << 1000;
  }
  void cancelLeavesEverythingAsItWas() {
    QFETCH(int, at);
    Place p;
    const QString data = p.dir.filePath(QStringLiteral("Setting.MDB"));
    ct::writeJet(data, jetdata::filled(400, 400, 5, 10, 3));
    const QByteArray original = ct::bytes(data);
    int calls = 0;
    const convert::Result r = convert::convertInPlace(data, QDateTime::currentDateTime(), [&](const convert::Progress& pr) {
      return ++calls < at && !(at == 1000 && pr.step.contains(QStringLiteral("確認")));
    });
    QCOMPARE(r.status, convert::Result::Cancelled);
    QCOMPARE(ct::bytes(data), original);
    QCOMPARE(p.entries(), QStringList{QStringLiteral("Setting.MDB")});
  }

  // Jet 4 keeps a character outside the BMP as a surrogate pair, plain (a
  // text with 　 or 一 cannot be compressed) or in the compressed form;
  // libmdb's UCS-2 would make it "??". What still cannot be read is named,
  // and the command does not end as a success.
  void textOutsideTheBmpArrivesExactly() {
    Place p;
    QList<jetfile::Table> tables = jetdata::filled(1, 2, 0, 0, 0);
    jetfile::Table& u = *jetdata::find(tables, schema::kUsers);
    const QString name = QStringLiteral("𠮷田　一郎"), shortMemo = QStringLiteral("𩸽の煮付け ABC"),
                  longMemo = QStringLiteral("𠮷野家 ").repeated(900);
    set(u, 0, QStringLiteral("名前"), name);
    set(u, 0, QStringLiteral("備考"), longMemo);
    set(u, 1, QStringLiteral("名前"), QString(QChar(0xD842)) + QStringLiteral("田"));
    set(u, 1, QStringLiteral("備考"), shortMemo.repeated(20));  // one long-value row; inline; a chain of rows
    set(*jetdata::find(tables, schema::kSettings), 0, QStringLiteral("FL_備考"), shortMemo);
    ct::writeJet(p.jet, tables);
    QString out;
    QCOMPARE(mkdata({QStringLiteral("--import"), p.jet, p.out}, &out), 3);
    QCOMPARE(ct::row(p.out, schema::kUsers, 1).value(QStringLiteral("名前")).toString(), name);
    QCOMPARE(ct::row(p.out, schema::kUsers, 1).value(QStringLiteral("備考")).toString(), longMemo);
    QCOMPARE(ct::row(p.out, schema::kSettings, 1).value(QStringLiteral("FL_備考")).toString(), shortMemo);
    QCOMPARE(ct::row(p.out, schema::kUsers, 2).value(QStringLiteral("名前")).toString(), QStringLiteral("\uFFFD田"));
    QCOMPARE(ct::row(p.out, schema::kUsers, 2).value(QStringLiteral("備考")).toString(), shortMemo.repeated(20));
    QVERIFY2(out.contains(QStringLiteral("正しく読み取れなかった文字があります（「\uFFFD」にしました。元のファイルと見比べて直してください）: "
                                         "ユーザー コード 2 の 名前\n")),
             qPrintable(out));
  }

  void tablesLeftBehindAndAnEmptyVersionTableAreReported() {
    Place p;
    QList<jetfile::Table> tables = jetdata::filled(2, 0, 0, 0, 0);
    jetdata::find(tables, schema::kVersion)->rows.clear();
    tables << jetfile::Table{QStringLiteral("作業メモ"), {{QStringLiteral("番号"), Type::Long}, {QStringLiteral("内容"), Type::Text}},
                             {{1, QStringLiteral("リフト点検")}, {2, QStringLiteral("工具")}, {3, QString()}}, {}, {}};
    tables << jetfile::Table{QStringLiteral("旧設定"), {{QStringLiteral("番号"), Type::Long}}, {}, {}, {}};
    ct::writeJet(p.jet, tables);
    const convert::Result r = convert::convertFile(p.jet, p.out);
    QVERIFY2(r.status == convert::Result::Done, qPrintable(r.error));
    for (const QString& text : {r.report.text(), r.report.summary()}) {
      QVERIFY2(text.contains(QStringLiteral("移さなかった表（このプログラムにない表）: 作業メモ（3 件）、旧設定（0 件）")), qPrintable(text));
      QVERIFY(text.contains(QStringLiteral("・バージョン情報: 元のファイルに行がありません（新しいデータファイルのバージョン %1 を入れました）")
                                .arg(schema::kVersionText)));
    }
    QCOMPARE(ct::row(p.out, schema::kVersion, 0).value(QStringLiteral("バージョン")).toString(), schema::kVersionText);
  }

  // A database password leaves the pages readable: the command converts
  // only with the right one; Access's lock file stops it until the user
  // says Access is closed. Every refusal leaves nothing behind.
  void passwordAndAccessLockFileOnTheCommandLine_data() {
    QTest::addColumn<int>("version");
    QTest::newRow("Jet 4") << int(jetfile::Version::Jet4);
    QTest::newRow("Jet 3") << int(jetfile::Version::Jet3);
  }
  void passwordAndAccessLockFileOnTheCommandLine() {
    QFETCH(int, version);
    Place p;
    jetfile::Options o;
    o.version = jetfile::Version(version);
    o.password = QStringLiteral("ひみつ7");
    QVERIFY(jetfile::write(p.jet, jetdata::filled(2, 1, 1, 0, 0), o));
    QVERIFY(jetfile::writeLockFile(p.dir.filePath(QStringLiteral("元.LDB")), {{QStringLiteral("WORKSHOP-PC"), QStringLiteral("Admin")},
                                                                          {QStringLiteral("事務所"), QStringLiteral("佐藤")}}));
    const QStringList before = p.entries();
    const QList<QPair<QString, QString>> refused{
        {QString(), QStringLiteral("パスワードを入力してください。\nデータベースパスワードを --password で指定してください。")},
        {QStringLiteral("--password=ひみつ"), QStringLiteral("データベースパスワードが違います。")},
        {QStringLiteral("--password=ひみつ7"), QStringLiteral("Microsoft Access で開かれています（ロックファイル「元.LDB」: WORKSHOP-PC の Admin、"
                                                            "事務所 の 佐藤）。") + QStringLiteral("Access を閉じてから")}};
    QString out;
    for (const auto& [option, message] : refused) {
      QCOMPARE(mkdata(QStringList{QStringLiteral("--import"), option, p.jet, p.out}.filter(QRegularExpression(".")), &out), 1);
      QVERIFY2(out.contains(message), qPrintable(out));
      QCOMPARE(p.entries(), before);
    }
    QVERIFY(out.contains(QStringLiteral("--access-closed を付けると変換します")));
    QCOMPARE(mkdata({QStringLiteral("--import"), QStringLiteral("--password"), QStringLiteral("ひみつ7"), QStringLiteral("--access-closed"), p.jet, p.out}, &out), 0);
    QCOMPARE(ct::codes(p.out, schema::kSettings), (QStringList{"1", "2"}));
  }

  void importCommandPrintsTheReportAndRefusesToOverwrite() {
    Place p;
    ct::writeJet(p.jet, jetdata::filled(2, 2, 2, 2, 2));
    QProcess mk;
    mk.start(ct::binary(QStringLiteral("ashimemo-mkdata")), {QStringLiteral("--import"), p.jet, p.out});
    QVERIFY(mk.waitForFinished(30000));
    QCOMPARE(mk.exitCode(), 0);
    const QString out = QString::fromUtf8(mk.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("・セッティング: 2 件")) && out.contains(QStringLiteral("を作成しました")), qPrintable(out));
    QVERIFY(safefile::checkDataFile(p.out).ok);
    const QByteArray made = ct::bytes(p.out);
    mk.start(ct::binary(QStringLiteral("ashimemo-mkdata")), {QStringLiteral("--import"), p.jet, p.out});
    QVERIFY(mk.waitForFinished(30000));
    QCOMPARE(mk.exitCode(), 1);
    QVERIFY(QString::fromUtf8(mk.readAllStandardError()).contains(QStringLiteral("上書きはしません")));
    QCOMPARE(ct::bytes(p.out), made);
    // An empty name (an unset shell variable) is wrong usage, not a folder.
    mk.start(ct::binary(QStringLiteral("ashimemo-mkdata")), {QStringLiteral("--import"), p.jet, QString()});
    QVERIFY(mk.waitForFinished(30000));
    QCOMPARE(mk.exitCode(), 2);
    QVERIFY(QString::fromUtf8(mk.readAllStandardError()).startsWith(QStringLiteral("使い方:")));
  }

  // A full disk and a read-only folder, in a private mount namespace.
  void noSpaceAndReadOnlyFolderAreRefused_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("no space") << "mount -t tmpfs -o size=256k none \"$T\"" << "空き容量が足りません";
    QTest::newRow("read-only folder") << "mount --bind \"$T\" \"$T\" && mount -o remount,bind,ro \"$T\"" << "書き込めません";
  }
  void noSpaceAndReadOnlyFolderAreRefused() {
    QFETCH(QString, setup);
    QFETCH(QString, message);
    Place p;
    ct::writeJet(p.jet, jetdata::filled(300, 300, 5, 300, 5));
    const QString target = p.dir.filePath(QStringLiteral("target"));
    QVERIFY(QDir().mkpath(target));
    QString output;
    int code = 0;
    if (!ct::isolated(QStringLiteral("T='%1'; ").arg(target) + setup,
                      {ct::binary(QStringLiteral("ashimemo-mkdata")), QStringLiteral("--import"), p.jet, target + QStringLiteral("/新.MDB")},
                      &output, &code))
      QSKIP("private mount namespaces are not available here");
    QCOMPARE(code, 1);
    QVERIFY2(output.contains(message), qPrintable(output));
    QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  }

  void killedImportLeavesNoHalfFile() {
    Place p;
    ct::writeJet(p.jet, jetdata::filled(9999, 2000, 99, 2000, 99));
    for (int delay : {5, 40, 80, 120, 160, 200, 260, 400}) {
      QFile::remove(p.out);
      QProcess mk;
      mk.start(ct::binary(QStringLiteral("ashimemo-mkdata")), {QStringLiteral("--import"), p.jet, p.out});
      QVERIFY(mk.waitForStarted());
      QTest::qWait(delay);
      mk.kill();  // SIGKILL
      mk.waitForFinished();
      if (QFileInfo::exists(p.out)) QVERIFY2(safefile::checkDataFile(p.out).ok, qPrintable(QString::number(delay)));
    }
  }
};

ASHIMEMO_TEST(ConvertTest)
#include "tst_convert.moc"
