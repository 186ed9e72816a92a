// The setting list's search, typed with real key events: narrowing by every
// kind of text (dates as people write them, separators either way, names
// without their blank, the reading, kanji variants), the order of the rows,
// the count line, the keys of the search field, picking from a narrowed list
// and a list opened while another program held the file.
#include "screens/listgrid.h"
#include "screens/selectedcode.h"
#include "settings/settinglist.h"
#include "support/fixture.h"
#include "support/searchhelpers.h"
#include "support/testmain.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class SettingListSearchTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  std::unique_ptr<SettingList> list;

  QString count() { return control<QLabel>(list.get(), QStringLiteral("件数"))->text(); }
  QStringList codesFor(const QString& typed) {
    searchFor(list.get(), typed);
    return shownColumn(list.get(), 1);
  }

 private Q_SLOTS:
  void init() {
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '佐藤 一郎'), (2, 'Suzuki Taro'), (3, '')"));
    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称) VALUES (1, 'ネジ式 XYZ'), (2, 'Ｃリング')"));
    // User 7 was deleted from the user master.
    dir->exec(QStringLiteral(
        "INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調) VALUES "
        "(1, 'シビック 街乗り', '20260512', 1, 1), (2, 'ｼﾋﾞｯｸ ｻｰｷｯﾄ', '20250512', 2, 2), "
        "(3, 'しびっく 雨', '20260601', 3, 1), (4, 'インテグラ', '20260515', 7, 0), "
        "(5, 'civic EK9', '20260105', 2, 2), (6, 'ＣＩＶＩＣ ＥＫ４', '20261201', 1, 1)"));
    SelectedCode() = QString();
    list = std::make_unique<SettingList>();
    QVERIFY(showAndActivate(list.get()));
  }
  void cleanup() {
    list.reset();
    QCOMPARE(dir->messages.unexpected, 0);
    dir.reset();
  }

  void opensInTheSearchFieldWithEveryRow() {
    QLineEdit* field = searchField(list.get());
    QCOMPARE(QApplication::focusWidget(), field);
    QCOMPARE(field->accessibleName(), QStringLiteral("検索"));
    QCOMPARE(list->findChild<QLabel*>(QStringLiteral("検索Label"))->buddy(), field);
    QCOMPARE(list->findChild<QLabel*>(QStringLiteral("検索Label"))->text(), QStringLiteral("検索"));
    QCOMPARE(shownColumn(list.get(), 1), (QStringList{"0002", "0005", "0001", "0004", "0003", "0006"}));
    // The count comes once the rows to search have been read, when idle.
    QTRY_COMPARE(count(), QStringLiteral("6件 / 6件"));
    // "決　定" at once takes the first row, as before.
    QTest::mouseClick(control<QPushButton>(list.get(), QStringLiteral("ExitSwitch")), Qt::LeftButton);
    QCOMPARE(SelectedCode(), QStringLiteral("0002"));
  }

  void narrowsByEveryKindOfText() {
    QAbstractItemModelTester tester(list->grid()->data1(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Kana in any width and script, rows kept in date order.
    for (const char* kana : {"ｼﾋﾞｯｸ", "シビック", "しびっく"})
      QCOMPARE(codesFor(QString::fromUtf8(kana)), (QStringList{"0002", "0001", "0003"}));
    QCOMPARE(count(), QStringLiteral("3件 / 6件"));
    // Letters in either width and case.
    for (const char* latin : {"civic", "ＣＩＶＩＣ", "Civic"})
      QCOMPARE(codesFor(QString::fromUtf8(latin)), (QStringList{"0005", "0006"}));
    // Several words, each anywhere in the row, split by either blank.
    QCOMPARE(codesFor(QStringLiteral("シビック　佐藤")), QStringList{"0001"});
    QCOMPARE(codesFor(QStringLiteral("ｃｉｖｉｃ suzuki")), QStringList{"0005"});
    QCOMPARE(codesFor(QStringLiteral("ｸﾞﾗ ﾈｼﾞ")), QStringList());
    QCOMPARE(count(), QStringLiteral("0件 / 6件"));
    // Dates with or without their slashes, codes as shown, product names.
    QCOMPARE(codesFor(QStringLiteral("2026/05")), (QStringList{"0001", "0004"}));
    QCOMPARE(codesFor(QStringLiteral("202605")), (QStringList{"0001", "0004"}));
    QCOMPARE(codesFor(QStringLiteral("05/12")), (QStringList{"0002", "0001"}));
    QCOMPARE(codesFor(QStringLiteral("0004")), QStringList{"0004"});
    QCOMPARE(codesFor(QStringLiteral("ｃリング")), (QStringList{"0002", "0005"}));
    // A deleted user's setting is found by its own texts, with an empty name.
    QCOMPARE(codesFor(QStringLiteral("ｲﾝﾃｸﾞﾗ")), QStringList{"0004"});
    QCOMPARE(shownColumn(list.get(), 3), QStringList{QString()});
    QCOMPARE(codesFor(QStringLiteral("佐藤")), (QStringList{"0001", "0006"}));
    // An empty field shows every row again.
    QCOMPARE(codesFor(QString()).size(), 6);
    QCOMPARE(count(), QStringLiteral("6件 / 6件"));
  }

  // Typed as the staff type: each finds exactly these settings, in date order.
  void findsWhatPeopleType_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("day") << "2026/5/12" << QStringList{"0001"};
    QTest::newRow("day, full-width") << "２０２６／５／１２" << QStringList{"0001"};
    QTest::newRow("month") << "2026/5" << QStringList{"0008", "0001", "0004"};
    QTest::newRow("day of any year, not 2025/12/31") << "5/12" << QStringList{"0002", "0001"};
    QTest::newRow("last day of the year") << "12/31" << QStringList{"0007"};
    QTest::newRow("hyphen typed") << "AE-86" << QStringList{"0007", "0008"};
    QTest::newRow("hyphen stored") << "ae86" << QStringList{"0007", "0008"};
    QTest::newRow("name without its blank") << "鈴木花子" << QStringList{"0007"};
    QTest::newRow("reading of the name") << "すずきはなこ" << QStringList{"0007"};
    QTest::newRow("kanji variant") << "高橋" << QStringList{"0008"};
  }
  void findsWhatPeopleType() {
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    list.reset();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前, フリガナ) VALUES "
                             "(4, '鈴木　花子', 'ｽｽﾞｷ ﾊﾅｺ'), (5, '髙橋 健', 'ﾀｶﾊｼ ｹﾝ')"));
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調) VALUES "
                             "(7, 'ＡＥ８６　峠', '20251231', 4, 0), (8, 'AE-86 街乗り', '20260502', 5, 1)"));
    list = std::make_unique<SettingList>();
    QVERIFY(showAndActivate(list.get()));
    QCOMPARE(codesFor(typed), codes);
  }

  // Opened while another program held the file: the message, then once the
  // file is free a search and an emptied field show every row again, with a
  // current row that Enter takes.
  void listOpenedOnABusyFileShowsEveryRowAfterASearch() {
    FILE_ONLY();
    list.reset();
    {
      QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
      other.setDatabaseName(dir->file(QStringLiteral("Setting.MDB")));
      QVERIFY(other.open());
      QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE")));
      dir->messages.answer(true);
      list = std::make_unique<SettingList>();
      QVERIFY(showAndActivate(list.get()));
      QVERIFY(QSqlQuery(other).exec(QStringLiteral("ROLLBACK")));
      other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
    const QList<ShownMessage> shown = dir->messages.take();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.contains(QStringLiteral("ほかのプログラムで使用中")), qPrintable(shown[0].text));
    QCOMPARE(shownColumn(list.get(), 1), QStringList());
    QCOMPARE(codesFor(QStringLiteral("しびっく")), (QStringList{"0002", "0001", "0003"}));
    QCOMPARE(codesFor(QString()), (QStringList{"0002", "0005", "0001", "0004", "0003", "0006"}));
    QCOMPARE(count(), QStringLiteral("6件 / 6件"));
    QCOMPARE(currentRow(list.get()), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QCOMPARE(SelectedCode(), QStringLiteral("0005"));
  }

  void keysMoveTheRowAndEnterTakesIt() {
    QLineEdit* field = searchField(list.get());
    QCOMPARE(codesFor(QStringLiteral("2026")), (QStringList{"0005", "0001", "0004", "0003", "0006"}));
    QCOMPARE(currentRow(list.get()), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(currentRow(list.get()), 2);
    press(Qt::Key_Up);
    QCOMPARE(currentRow(list.get()), 1);
    press(Qt::Key_PageDown);
    QCOMPARE(currentRow(list.get()), 4);
    press(Qt::Key_PageUp);
    QCOMPARE(currentRow(list.get()), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Escape);  // nothing
    QCOMPARE(QApplication::focusWidget(), field);
    QCOMPARE(field->text(), QStringLiteral("2026"));
    QVERIFY(list->isVisible());
    press(Qt::Key_Return);
    QCOMPARE(SelectedCode(), QStringLiteral("0001"));
    QVERIFY(!list->isVisible());
  }

  void enterOnNoRowTakesNothingAndF12Closes() {
    typeText(QStringLiteral("該当なし"));
    press(Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(list->isVisible());
    QCOMPARE(SelectedCode(), QString());
    press(Qt::Key_F12);
    QVERIFY(!list->isVisible());
    QCOMPARE(SelectedCode(), QString());
  }

  void doubleClickInANarrowedListPicksThatRow() {
    searchFor(list.get(), QStringLiteral("ek"));
    auto* grid = list->grid();
    const QPoint at = grid->visualRect(grid->model()->index(1, 2)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(SelectedCode(), QStringLiteral("0006"));
  }
};

ASHIMEMO_TEST(SettingListSearchTest)
#include "tst_settinglist.moc"
