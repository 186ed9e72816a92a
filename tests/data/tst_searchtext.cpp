// Text folding for the list search: widths, kana, case and separators.
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
    QTest::newRow("dashes") << "03‐1234−5678" << "03-1234-5678";
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
  }

  void wordsSplitAtEitherBlank() {
    QCOMPARE(search::words(u"  ｼﾋﾞｯｸ　佐藤 ＥＫ９ "), (QStringList{"シビック", "佐藤", "ek9"}));
    QVERIFY(search::words(u" 　").isEmpty());
  }

  void rowsMatchEveryWordWithinOneField() {
    const QString key = search::rowKey({"2026/05/12", "0012", "ｼﾋﾞｯｸ 街乗り", "03-1234-5678", QString()});
    auto finds = [&](const char* typed) { return search::matches(key, search::words(QString::fromUtf8(typed))); };
    QVERIFY(finds("2026/05"));
    QVERIFY(finds("202605"));
    QVERIFY(finds("0312345678"));
    QVERIFY(finds("03-1234"));
    QVERIFY(finds("しびっく　街乗り 0012"));
    QVERIFY(finds(""));
    QVERIFY(!finds("しびっく 雨"));       // every word must be there
    QVERIFY(!finds("2026/06"));
    QVERIFY(!finds("0012ｼ"));            // not across two fields
    QVERIFY(!finds("乗り03"));
  }
};

ASHIMEMO_TEST(SearchTextTest)
#include "tst_searchtext.moc"
