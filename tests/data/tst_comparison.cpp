// Comparing two settings: the difference of two wheel values, which values
// count as differing, and which setting a chosen one is compared with.
#include "data/comparison.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QTest>

class ComparisonTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void differenceOfTwoValues() {
    struct Case {
      const char *older, *newer, *difference;
      bool differs;
    };
    for (const Case& c : {Case{"650", "652", "+2", true}, Case{"12", "7", "-5", true}, Case{"8.0", "8.5", "+0.5", true},
                          Case{"12.25", "12", "-0.25", true}, Case{"8", "8.0", "", false}, Case{" 5", "5 ", "", false},
                          Case{"", "5", "", true}, Case{"5", "", "", true}, Case{"", "", "", false},
                          Case{"異音あり", "異音なし", "", true}, Case{"１２", "12", "", true}, Case{"-3", ".5", "+3.5", true},
                          Case{"5mm", "6", "", true}}) {
      const QString older = QString::fromUtf8(c.older), newer = QString::fromUtf8(c.newer);
      QCOMPARE(comparison::difference(older, newer), QString::fromUtf8(c.difference));
      QVERIFY2(comparison::differs(older, newer) == c.differs, c.older);
    }
  }

  void choosesTheShownOrTheSameUsersPreviousSetting() {
    DataDir dir;
    dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (3, ' 佐藤　一郎 ')"));
    dir.exec(QStringLiteral(
        "INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_伸) VALUES "
        "(1, '初回', '20250101', 3, 0, ' 5 '), (2, '二回目', '20250601', 3, 9, ''), (5, '同じ日', '20250601', 3, 0, ''), "
        "(4, '三回目', '20260101', 3, 0, ''), (6, '別の客', '20250801', 4, 0, ''), (8, 'ユーザーなし', '20250901', 0, 0, '')"));
    using comparison::partnerOf;
    QCOMPARE(partnerOf(4, 6), 6);    // the shown setting
    QCOMPARE(partnerOf(4, 0), 5);    // none shown: the newest before, same date by code
    QCOMPARE(partnerOf(4, 4), 5);    // the same setting shown
    QCOMPARE(partnerOf(4, 77), 5);   // a code that is not stored
    QCOMPARE(partnerOf(5, 0), 2);
    QCOMPARE(partnerOf(1, 0), 0);    // the first visit
    QCOMPARE(partnerOf(6, 0), 0);    // only one setting of that user
    QCOMPARE(partnerOf(8, 0), 0);    // no user
    // Read as the main window shows it: list texts, trimmed values; product 9 is not stored.
    const SettingRecord s = comparison::readSetting(2).value_or(SettingRecord{});
    QCOMPARE(s.code + u'|' + s.user + u'|' + s.coilOver, QStringLiteral("0002|0003:佐藤　一郎|00:なし"));
    QCOMPARE(comparison::readSetting(1)->wheel[0][6], QStringLiteral("5"));
    QVERIFY(!comparison::readSetting(99));
  }
};

ASHIMEMO_TEST(ComparisonTest)
#include "tst_comparison.moc"
