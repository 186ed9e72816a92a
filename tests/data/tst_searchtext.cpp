// Text folding for the list search: widths, kana, case, separators, blanks,
// kanji variants and dates.
#include "data/searchtext.h"
#include "support/testmain.h"

#include <QTest>

class SearchTextTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void folding_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::newRow("half-width kana with voiced marks") << "ｼﾋﾞｯｸ" << "シビック";
    QTest::newRow("hiragana") << "しびっく" << "シビック";
    QTest::newRow("semi-voiced and long mark") << "ﾊﾟｰﾂ" << "ぱーつ";
    QTest::newRow("vu") << "ｳﾞｨｯﾂ" << "ヴィッツ";
    QTest::newRow("combining mark") << QString::fromUtf8("\u30B7\u3099") << "ジ";
    QTest::newRow("full-width letters and case") << "ＣＩＶＩＣ ｅｋ９" << "civic EK9";
    QTest::newRow("full-width blank and signs") << "０３－１２３４　（株）" << "03-1234 (株)";
    QTest::newRow("dashes") << "03‐1234−5678―9" << "03-1234-5678-9";
    QTest::newRow("long mark after a digit is a dash") << "０１５５ー２２ｰ1234" << "0155-22-1234";
    QTest::newRow("kanji variants") << "髙﨑 齋藤 齊藤 渡邊 渡邉 澤田 𠮷田" << "高崎 斎藤 斉藤 渡辺 渡辺 沢田 吉田";
    QTest::newRow("compatibility ideograph") << QString(QChar(0xFA10)) << "塚";
  }
  void folding() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QCOMPARE(search::fold(a), search::fold(b));
  }

  void foldKeepsWhatHasNoOtherForm() {
    QCOMPARE(search::fold(u"佐藤 一郎"), QStringLiteral("佐藤 一郎"));
    QCOMPARE(search::fold(u"ﾞｶ"), QStringLiteral("゛カ"));  // a mark with no kana before it
    QCOMPARE(search::fold(u"ﾝﾞ"), QStringLiteral("ン゛"));  // a kana that takes no mark
    QCOMPARE(search::fold(u"パーツ ー1"), QStringLiteral("パーツ ー1"));  // a long mark in kana stays
  }

  void wordsSplitAtEitherBlank() {
    const auto plain = [](QStringList words) {
      search::Query q;
      for (const QString& w : words) q.words.append(QStringList{w});
      return q;
    };
    QCOMPARE(search::parse(u"  ｼﾋﾞｯｸ　佐藤 ＥＫ９ "), plain({"シビック", "佐藤", "ek9"}));
    QCOMPARE(search::parse(u"AE-86 (株) －"), plain({"ae86", "株"}));
    QVERIFY(search::parse(u" 　").isEmpty());
  }

  // Each row: the fields of one list row, what is typed, whether it is found
  // (the cases the list windows are typed with are in their own tests).
  void finds_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");
    const QStringList row{"2026/05/12", "0012", "ｼﾋﾞｯｸ 街乗り", "03-1234-5678", QString()};
    QTest::newRow("date without slashes") << row << "202605" << true;
    QTest::newRow("year") << row << "2026/" << true;
    QTest::newRow("month of any year") << row << "5/" << true;
    QTest::newRow("in kanji") << row << "2026年5月12日" << true;
    QTest::newRow("month and day in kanji") << row << "5月12日" << true;
    QTest::newRow("other day") << row << "2026/5/1" << false;
    QTest::newRow("other month") << row << "2026/06" << false;
    QTest::newRow("day is not month") << row << "12/" << false;
    QTest::newRow("month/day is not inside year/month") << QStringList{"2025/12/31"} << "5/12" << false;
    QTest::newRow("day in a name") << QStringList{"2026/5/12 富士"} << "2026/5/12" << true;
    QTest::newRow("telephone without hyphens") << row << "0312345678" << true;
    QTest::newRow("telephone part") << row << "03-1234" << true;
    QTest::newRow("every word") << row << "しびっく　街乗り 0012" << true;
    QTest::newRow("nothing typed") << row << "" << true;
    QTest::newRow("a word missing") << row << "しびっく 雨" << false;
    QTest::newRow("not across two fields") << row << "0012ｼ" << false;
    QTest::newRow("not across two fields, bare") << row << "乗り03" << false;
  }
  void finds() {
    QFETCH(QStringList, fields);
    QFETCH(QString, typed);
    QFETCH(bool, found);
    QCOMPARE(search::matches(search::rowKey(fields), search::parse(typed)), found);
  }

  // Typing on may scan only the rows found so far: only when that cannot
  // lose a row.
  void narrowingOnlyWhereNoRowIsLost() {
    const auto within = [](const char* now, const char* before) {
      return search::within(search::parse(QString::fromUtf8(now)), search::parse(QString::fromUtf8(before)));
    };
    QVERIFY(within("しびっく 街", "シビ"));
    QVERIFY(within("5/1", "5/"));
    QVERIFY(!within("5/12", "5/1"));  // May 12 is not among the rows of May 1
    QVERIFY(!within("シビ", "シビ 街"));
  }
};

ASHIMEMO_TEST(SearchTextTest)
#include "tst_searchtext.moc"
