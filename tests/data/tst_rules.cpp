// Pure rules: Basic-style number reading and formats, unit conversion,
// dates, byte counting, the first-key rule and code proposal.
#include "data/clock.h"
#include "data/numfmt.h"
#include "data/rules.h"
#include "support/testmain.h"

#include <QTest>

class RulesTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12" << 12.0;
    QTest::newRow("blank") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("trailing text") << "12ab" << 12.0;
    QTest::newRow("inner blanks") << " 1 2 " << 12.0;
    QTest::newRow("plus") << "+1.5" << 1.5;
    QTest::newRow("minus point") << "-.3" << -0.3;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("full-width digits are not a number") << "１２" << 0.0;
  }
  void leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(numfmt::val(text), value);
  }

  void patterns_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::newRow("code 12") << 12.0 << "0000" << "0012";
    QTest::newRow("code 0") << 0.0 << "0000" << "0000";
    QTest::newRow("two digits") << 7.0 << "00" << "07";
    QTest::newRow("##0 rounds up") << 643.6 << "##0" << "644";
    QTest::newRow("##0 half away from zero") << 642.5 << "##0" << "643";
    QTest::newRow("##0 zero") << 0.0 << "##0" << "0";
    QTest::newRow("##0 wide") << 12345.0 << "##0" << "12345";
    QTest::newRow("#0.0") << 5.0 << "#0.0" << "5.0";
    QTest::newRow("#0.0 below one") << 0.5 << "#0.0" << "0.5";
    QTest::newRow("0.00 plus") << 1.5 << "0.00" << "1.50";
    QTest::newRow("0.00 negative") << -0.3 << "0.00" << "-0.30";
    QTest::newRow("0.00 decimal half") << 1.005 << "0.00" << "1.01";
    QTest::newRow("0.00 tiny negative") << -0.001 << "0.00" << "0.00";
    QTest::newRow("0.00 carry") << 9.999 << "0.00" << "10.00";
    QTest::newRow("negative code") << -5.0 << "0000" << "-0005";
    QTest::newRow("#,##0 count") << 3456.0 << "#,##0" << "3,456";
    QTest::newRow("#,##0 small") << 12.0 << "#,##0" << "12";
    QTest::newRow("#,##0 zero") << 0.0 << "#,##0" << "0";
    QTest::newRow("#,##0 million") << 1234567.0 << "#,##0" << "1,234,567";
  }
  void patterns() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(numfmt::format(value, pattern), text);
  }

  void shortestText() {
    QCOMPARE(numfmt::shortest(65), QStringLiteral("65"));
    QCOMPARE(numfmt::shortest(0.5), QStringLiteral(".5"));
    QCOMPARE(numfmt::shortest(-0.25), QStringLiteral("-.25"));
    QCOMPARE(numfmt::shortest(12.5), QStringLiteral("12.5"));
    QCOMPARE(numfmt::shortest(0), QStringLiteral("0"));
    QCOMPARE(numfmt::shortestOf(QVariant()), QString());
  }

  void twips() {
    QCOMPARE(MmToTwips(10), qint16(567));
    QCOMPARE(MmToTwips(2.5f), qint16(142));
    QCOMPARE(MmToTwips(0.5f), qint16(28));
    QCOMPARE(MmToTwips(0), qint16(0));
    QCOMPARE(MmToTwips(-10), qint16(-567));
    // Beyond 577.9 mm the 16-bit range ends; the value saturates.
    QCOMPARE(MmToTwips(600), qint16(32767));
    QCOMPARE(TwipsToMm(567), qint16(10));
    QCOMPARE(TwipsToMm(1417), qint16(25));
    QCOMPARE(TwipsToMm(-567), qint16(-10));
  }

  void shortDates() {
    QCOMPARE(shortDateDigits(QStringLiteral("2003/05/12")), QStringLiteral("20030512"));
    QCOMPARE(shortDateDigits(QStringLiteral("03/05/12")), QStringLiteral("20030512"));
    QCOMPARE(shortDateDigits(QStringLiteral("85/05/12")), QStringLiteral("19850512"));
    QCOMPARE(shortDateDigits(QStringLiteral("79/12/31")), QStringLiteral("20791231"));
    Clock::setShortDate(QStringLiteral("03/05/12"));
    QCOMPARE(TodayDigits(), QStringLiteral("20030512"));
    Clock::setToday(QDate(2026, 2, 9));
    QCOMPARE(TodayDigits(), QStringLiteral("20260209"));
    Clock::setShortDate(QString());
    QCOMPARE(TodayDigits(), QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
  }

  void monthDays() {
    InitMonthDays();
    QCOMPARE(MonthDays[0], 0);
    QCOMPARE(MonthDays[2], 29);
    QCOMPARE(MonthDays[4], 30);
    QCOMPARE(MonthDays[12], 31);
  }

  void bytes() {
    QCOMPARE(byteCount(u"abc"), 3);
    QCOMPARE(byteCount(u"車高調"), 6);
    QCOMPARE(byteCount(u"ｱｲｳ"), 3);  // half-width katakana
    QCOMPARE(byteCount(u"Ａ1"), 3);   // full-width letter
    QCOMPARE(byteCount(QString(40, QChar(0x3042))), 80);
    QCOMPARE(doubleByteCount(u"aあｱ"), 1);
  }

  void firstKey() {
    // Key code minus 49: keypad 1-9 (97-105), keypad * (106) and - (109).
    for (int code = 97; code <= 106; ++code) QVERIFY(firstKeyClears(code - 49, false));
    QVERIFY(firstKeyClears(109 - 49, false));
    QVERIFY(!firstKeyClears(96 - 49, false));   // keypad 0
    QVERIFY(!firstKeyClears(110 - 49, false));  // keypad .
    for (int code = 48; code <= 57; ++code) QVERIFY(!firstKeyClears(code - 49, false));
    QVERIFY(!firstKeyClears(13 - 49, false));
    QVERIFY(!firstKeyClears(101 - 49, true));  // only once per visit
  }

  void codeProposal() {
    QCOMPARE(proposeCode(QVariant(), SettingCodes), QStringLiteral("0001"));
    QCOMPARE(proposeCode(QVariant(5), SettingCodes), QStringLiteral("0006"));
    QCOMPARE(proposeCode(QVariant(9998), UserCodes), QStringLiteral("9999"));
    QCOMPARE(proposeCode(QVariant(9999), UserCodes), QStringLiteral("XXXX"));
    QCOMPARE(proposeCode(QVariant(), CoilOverCodes), QStringLiteral("01"));
    QCOMPARE(proposeCode(QVariant(12), CoilOverCodes), QStringLiteral("13"));
    QCOMPARE(proposeCode(QVariant(99), CoilOverCodes), QStringLiteral("XX"));
    QCOMPARE(formatCodeText(QStringLiteral("12"), SettingCodes), QStringLiteral("0012"));
    QCOMPARE(formatCodeText(QStringLiteral(""), SettingCodes), QStringLiteral("0000"));
    QCOMPARE(formatCodeText(QStringLiteral("x"), CoilOverCodes), QStringLiteral("00"));
    QCOMPARE(formatCodeText(QStringLiteral("7a"), UserCodes), QStringLiteral("0007"));
  }
};

ASHIMEMO_TEST(RulesTest)
#include "tst_rules.moc"
