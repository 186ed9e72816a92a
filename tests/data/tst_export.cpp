// `ashimemo-mkdata --export` read back by a real CSV parser value by value,
// in UTF-8 and Shift_JIS, and the refusal naming what Shift_JIS cannot hold.
#include "app/childprocess.h"
#include "data/csvexport.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/schema.h"
#include "support/csvread.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QTest>

class ExportTest : public QObject {
  Q_OBJECT

  const QString remark = QStringLiteral("カンマ,と\"引用符\"\n改行\r\nも");

  void fill(DataDir& dir) {
    dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前, 住所1, 備考) VALUES (1, 'ｻﾄｳ ｲﾁﾛｳ', NULL, ?)"), {remark});
    dir.exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称, バネレート_F, ID_F) VALUES (3, '\"S\" 型', 12.25, 0.5)"));
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_フェンダー高, "
                            "FL_備考, FR_備考) VALUES (12, ' 前後に空白 ', '20260512', 1, 3, '650', ?, '𠮷野')"),
             {remark});
    dir.exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (7)"));
  }

  int run(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(program(QStringLiteral("ashimemo-mkdata")), QStringList{QStringLiteral("--export")} + args);
    if (!p.waitForFinished(30000)) return -1;
    if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitCode();
  }

 private Q_SLOTS:
  void writesEveryTableAsASpreadsheetReadsIt() {
    DataDir dir;
    fill(dir);
    const QString out = dir.file(QStringLiteral("書き出し"));
    QCOMPARE(run({dir.path(), out}), 0);
    QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name),
             (QStringList{"アライメント.csv", "アライメントマスタ.csv", "セッティング.csv", "ユーザー.csv", "車高調マスタ.csv"}));
    QFile file(out + QStringLiteral("/セッティング.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xE3\x82\xB3\xE3\x83\xBC\xE3\x83\x89,"));  // BOM, "コード,"
    QVERIFY(bytes.contains("RR_\xE5\x82\x99\xE8\x80\x83\r\n0007,") && bytes.endsWith(",\r\n"));  // CRLF records

    const QList<QStringList> settings = readCsv(file.fileName());
    QCOMPARE(settings.size(), 3);
    QCOMPARE(settings[0].mid(0, 6), (QStringList{"コード", "セッティング名称", "登録日", "ユーザー", "車高調", "FL_フェンダー高"}));
    QCOMPARE(settings[0].size(), 53);
    QCOMPARE(settings[1], QStringList{"0007"} + QStringList(52, QString()));  // code order; NULL empty
    const QStringList& s = settings[2];
    QCOMPARE(s.mid(0, 6), (QStringList{"0012", " 前後に空白 ", "2026/05/12", "0001", "03", "650"}));
    QCOMPARE(s[settings[0].indexOf(QStringLiteral("FL_備考"))], remark);
    QCOMPARE(s[settings[0].indexOf(QStringLiteral("FR_備考"))], QStringLiteral("𠮷野"));
    const QList<QStringList> users = readCsv(out + QStringLiteral("/ユーザー.csv"));
    QCOMPARE(users[1].mid(0, 2), (QStringList{"0001", "ｻﾄｳ ｲﾁﾛｳ"}));
    QCOMPARE(users[1].last(), remark);
    const QList<QStringList> products = readCsv(out + QStringLiteral("/車高調マスタ.csv"));
    QCOMPARE(products[1].mid(0, 2), (QStringList{"03", "\"S\" 型"}));
    QCOMPARE(products[1][products[0].indexOf(QStringLiteral("バネレート_F"))], QStringLiteral("12.25"));
    QCOMPARE(products[1][products[0].indexOf(QStringLiteral("ID_F"))], QStringLiteral("0.5"));
    // Exported again over the files: replaced whole, nothing left beside them.
    QCOMPARE(run({dir.path(), out}), 0);
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 5);

    // Shift_JIS: refused with the table, code and field, and no file written...
    const QString sjis = dir.file(QStringLiteral("sjis"));
    QString err;
    QCOMPARE(run({QStringLiteral("--sjis"), dir.path(), sjis}, &err), 1);
    QVERIFY2(err.contains(QStringLiteral("「セッティング」のコード 0012 の項目「FR_備考」に Shift_JIS で書けない文字「𠮷」")),
             qPrintable(err));
    QVERIFY(QDir(sjis).entryList(QDir::Files | QDir::Hidden).isEmpty());
    // ...written once every value can be: half-width kana, NEC symbols, the remark whole.
    dir.exec(QStringLiteral("UPDATE セッティング SET FR_備考 = '吉野①' WHERE コード = 12"));
    QCOMPARE(run({QStringLiteral("--sjis"), dir.path(), sjis}), 0);
    const QList<QStringList> cp932 = readCsv(sjis + QStringLiteral("/セッティング.csv"), QStringLiteral("cp932"));
    QCOMPARE(cp932[0][0], QStringLiteral("コード"));  // no byte-order mark
    QCOMPARE(cp932[2][settings[0].indexOf(QStringLiteral("FR_備考"))], QStringLiteral("吉野①"));
    QCOMPARE(cp932[2][settings[0].indexOf(QStringLiteral("FL_備考"))], remark);
    QCOMPARE(readCsv(sjis + QStringLiteral("/ユーザー.csv"), QStringLiteral("cp932"))[1][1], QStringLiteral("ｻﾄｳ ｲﾁﾛｳ"));
  }

  // The export writes values as the engine holds them; whatever a value is,
  // the bytes are those of the same rows read as QVariants and encoded.
  void writesOddValuesAsTheirTexts() {
    DataDir dir;
    dir.exec(QStringLiteral(
        "INSERT INTO ユーザー (コード, 名前, 住所1, 住所2, 備考) VALUES "
        "(1, CAST(X'EFBBBF616263' AS TEXT), CAST(X'C080' AS TEXT), CAST(X'EDA080' AS TEXT), 'a,\"b\"'), "
        "(2, 12.5, 42, -7, X'00FF'), (-4, CAST(X'61EFBBBF' AS TEXT), CAST(X'E3' AS TEXT), 'x' || char(13), 1e20)"));
    dir.exec(QStringLiteral(
        "INSERT INTO セッティング (コード, 登録日, ユーザー, 車高調) VALUES (12, '2026/1/1', '0001', 3.0), "
        "(13, '２０２６０５１２', -3, 2.5), (14, 20260512, 9007199254740993, 'ab'), (15, '20260512', 5, 99)"));
    const QString file = dir.file(QStringLiteral("Setting.MDB"));
    for (const QString& table : {schema::kUsers, schema::kSettings}) {
      QStringList columns;
      const auto rows = Database::readAll(makeFileEngine(file),
                                          QStringLiteral("SELECT * FROM \"%1\" ORDER BY \"コード\"").arg(table), &columns);
      const QByteArray expected = csv::encode(table, columns, rows, csv::Encoding::Utf8).bytes;
      QCOMPARE(csv::exportTable(file, table, csv::Encoding::Utf8).bytes, expected);
      // A choice of rows (a narrowed list), in the order asked for.
      const QList<qint64> chosen{2, 15, 1, 12, 99};
      std::vector<std::vector<QVariant>> picked;
      for (qint64 code : chosen)
        for (const auto& row : rows)
          if (row[0].toLongLong() == code) picked.push_back(row);
      const csv::Encoded some = csv::exportTable(file, table, csv::Encoding::Utf8, &chosen);
      QCOMPARE(some.bytes, csv::encode(table, columns, picked, csv::Encoding::Utf8).bytes);
      QCOMPARE(some.rowCount, 2);
    }
  }
};

ASHIMEMO_TEST(ExportTest)
#include "tst_export.moc"
