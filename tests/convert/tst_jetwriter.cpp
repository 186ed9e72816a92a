// The Jet test files are known good: mdbtools' own programs read back what
// our writer wrote, in Jet 4 (compressed and plain Unicode) and Jet 3
// (code page 932), with Japanese names, every column type, memos over
// several pages and a 9,999-row table.
#include "support/jettools.h"
#include "data/schema.h"
#include "support/testmain.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using jetfile::Type;

namespace {

const QString kSpecial = QStringLiteral("佐藤　一郎～－∥①㈱髙ｻﾄｳﾞ\\~");
const QString kLong = QString(5000, QChar(u'漢')) + QStringLiteral("終");

jetfile::Table sampleTable() {
  jetfile::Table t{QStringLiteral("型見本"),
                   {{QStringLiteral("番号"), Type::Long},
                    {QStringLiteral("文字"), Type::Text, 60},
                    {QStringLiteral("長文"), Type::Memo},
                    {QStringLiteral("可否"), Type::YesNo},
                    {QStringLiteral("金額"), Type::Currency},
                    {QStringLiteral("日付"), Type::DateTime},
                    {QStringLiteral("単精度"), Type::Single},
                    {QStringLiteral("倍精度"), Type::Double},
                    {QStringLiteral("小"), Type::Integer},
                    {QStringLiteral("極小"), Type::Byte}},
                   {}, {}, {}};
  t.rows << QVariantList{1, kSpecial, QStringLiteral("短いメモ"), true, 1234.5, QDate(2003, 5, 12), 0.1, 12.25, -3, 200}
         << QVariantList{2, QString(""), QString(""), false, 0.0, QDate(1999, 12, 31), 12.25, -0.5, 0, 0}
         << QVariantList{3, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()}
         << QVariantList{4, QStringLiteral("a\"b,c"), kLong, true, -0.01, QDate(2026, 12, 8), 3.5, 1e-7, 32767, 1};
  return t;
}

}  // namespace

class JetWriterTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readBackByMdbTools_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("compress");
    QTest::newRow("Jet 4") << int(jetfile::Version::Jet4) << true;
    QTest::newRow("Jet 4, plain Unicode") << int(jetfile::Version::Jet4) << false;
    QTest::newRow("Jet 3, CP932") << int(jetfile::Version::Jet3) << true;
  }
  void readBackByMdbTools() {
    if (!ct::haveMdbTools()) QSKIP("mdbtools is not installed");
    QFETCH(int, version);
    QFETCH(bool, compress);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("見本.MDB"));
    jetfile::Table settings = jetdata::table(schema::kSettings);
    for (int code = 1; code <= 9999; ++code) settings.rows << jetdata::row(schema::kSettings, code);
    jetfile::Options o;
    o.version = jetfile::Version(version);
    o.compressText = compress;
    QVERIFY(jetfile::write(file, {sampleTable(), settings}, o));

    QCOMPARE(ct::mdb(QStringLiteral("mdb-ver"), {file}), QByteArray(version == int(jetfile::Version::Jet4) ? "JET4\n" : "JET3\n"));
    QCOMPARE(QString::fromUtf8(ct::mdb(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), file})),
             QStringLiteral("型見本\nセッティング\n"));

    const QByteArray json = ct::mdb(QStringLiteral("mdb-json"), {QStringLiteral("-T"), QStringLiteral("%Y%m%d"), file, QStringLiteral("型見本")});
    const QList<QByteArray> lines = json.split('\n');
    QVERIFY2(lines.size() == 5, json.constData());  // four rows and the final newline
    QVariantMap first = QJsonDocument::fromJson(lines[0]).object().toVariantMap();
    QCOMPARE(first.value(QStringLiteral("文字")).toString(), kSpecial);
    QCOMPARE(first.value(QStringLiteral("長文")).toString(), QStringLiteral("短いメモ"));
    QCOMPARE(first.value(QStringLiteral("可否")).toInt(), 1);
    QCOMPARE(first.value(QStringLiteral("金額")).toDouble(), 1234.5);
    QCOMPARE(first.value(QStringLiteral("日付")).toString(), QStringLiteral("20030512"));
    QCOMPARE(first.value(QStringLiteral("単精度")).toDouble(), 0.1);  // printed to 8 digits
    QCOMPARE(first.value(QStringLiteral("倍精度")).toDouble(), 12.25);
    QCOMPARE(first.value(QStringLiteral("小")).toInt(), -3);
    QCOMPARE(first.value(QStringLiteral("極小")).toInt(), 200);
    // mdbtools prints neither NULL nor an empty text; the Yes/No of a NULL is 0.
    QCOMPARE(QJsonDocument::fromJson(lines[2]).object().toVariantMap(),
             (QVariantMap{{QStringLiteral("番号"), 3}, {QStringLiteral("可否"), 0}}));
    const QVariantMap fourth = QJsonDocument::fromJson(lines[3]).object().toVariantMap();
    QCOMPARE(fourth.value(QStringLiteral("文字")).toString(), QStringLiteral("a\"b,c"));
    QCOMPARE(fourth.value(QStringLiteral("長文")).toString(), kLong);  // a chain over several pages
    QCOMPARE(fourth.value(QStringLiteral("金額")).toDouble(), -0.01);

    QCOMPARE(ct::mdb(QStringLiteral("mdb-count"), {file, schema::kSettings}), QByteArray("9999\n"));
    const QList<QByteArray> csv = ct::mdb(QStringLiteral("mdb-export"), {file, schema::kSettings}).split('\n');
    QCOMPARE(csv.size(), 10001);
    QVERIFY(csv[0].startsWith(QStringLiteral("コード,セッティング名称,登録日,ユーザー,車高調,FL_フェンダー高").toUtf8()));
    QVERIFY2(csv[5000].startsWith(QStringLiteral("5000,\"ＡＥ８６　街乗りセッティング 5000\",\"20260917\",5001,51,\"650\"").toUtf8()),
             csv[5000].constData());
  }
};

ASHIMEMO_TEST(JetWriterTest)
#include "tst_jetwriter.moc"
