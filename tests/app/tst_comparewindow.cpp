// Comparing two settings from the setting list, driven through the main
// window: the second setting chosen (the one shown, or the customer's
// previous visit, or none with a message), the window with its differences,
// marks and count as assistive technology reads them, its keys, and its
// "印　刷" opening the printing screen.
#include "app/mainwindow.h"
#include "mainwindowtest.h"
#include "screens/listgrid.h"
#include "settings/settingcompare.h"
#include "settings/settingform.h"
#include "support/fixture.h"
#include "support/searchhelpers.h"
#include "support/testmain.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

class ComparisonWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  std::unique_ptr<Setting> window;

  // Opens the setting list, makes the row of `code` current by searching
  // for its name and presses Alt+K ("比　較"); `inside` gets the comparison.
  void compare(const QString& name, const std::function<void(SettingCompare*)>& inside) {
    onNextModal([this, name, inside](QDialog* list) {
      searchFor(list, name);
      if (inside)
        onNextModal([inside](QDialog* d) {
          auto* c = dynamic_cast<SettingCompare*>(d);
          QVERIFY(c);
          inside(c);
          if (c->isVisible()) c->reject();
        });
      QTest::keyClick(searchField(list), Qt::Key_K, Qt::AltModifier);
      list->reject();
    });
    QTest::mouseClick(control<QPushButton>(window.get(), QStringLiteral("Setting_Call")), Qt::LeftButton);
  }
  static QString description(QTableWidget* table, int row, int column) {
    QAccessibleInterface* t = QAccessible::queryAccessibleInterface(table);
    QAccessibleInterface* cell = t->tableInterface()->cellAt(row, column);
    return cell ? cell->text(QAccessible::Description) : QStringLiteral("(no cell)");
  }

 private Q_SLOTS:
  void init() {
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (3, '佐藤'), (4, '鈴木')"));
    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称) VALUES (2, 'ネジ式')"));
    dir->exec(QStringLiteral(
        "INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_フェンダー高, FL_伸, "
        "FR_バネレート, RR_備考) VALUES "
        "(1, '初回', '20250301', 3, 2, '650', '5', '8.0', '硬い'), (2, '二回目', '20250901', 3, 2, '652', '5', '8.5', ''), "
        "(7, '別の客', '20250501', 4, 2, '640', '3', '8.0', '硬い'), (9, '一人だけ', '20250601', 0, 0, '', '', '', '')"));
    window = startMainWindow();
    QVERIFY(window);
  }
  void cleanup() {
    window.reset();
    QCOMPARE(dir->messages.unexpected, 0);
    dir.reset();
  }

  void comparesWithThePreviousVisitAndMarksTheDifferences() {
    bool printed = false;
    compare(QStringLiteral("二回目"), [&](SettingCompare* c) {
      // Nothing shown on the main window: the same user's previous setting, on the left.
      QCOMPARE(control<QLabel>(c, QStringLiteral("古い方(0)"))->text(), QStringLiteral("0001"));
      QCOMPARE(control<QLabel>(c, QStringLiteral("新しい方(0)"))->text(), QStringLiteral("0002"));
      QCOMPARE(control<QLabel>(c, QStringLiteral("新しい方(2)"))->text(), QStringLiteral("2025/09/01"));
      QCOMPARE(control<QLabel>(c, QStringLiteral("古い方(3)"))->text(), QStringLiteral("0003:佐藤"));
      QCOMPARE(control<QLabel>(c, QStringLiteral("古い方(4)"))->text(), QStringLiteral("02:ネジ式"));
      QCOMPARE(c->countLine()->text(), QStringLiteral("違い 3 項目"));
      QTableWidget* fl = control<QTableWidget>(c, QStringLiteral("フロント左"));
      QCOMPARE(fl, c->wheelTable(0));
      QCOMPARE((QStringList{fl->item(0, 0)->text(), fl->item(0, 1)->text(), fl->item(0, 2)->text(), fl->item(0, 3)->text()}),
               (QStringList{"フェンダー高", "650", "652", "+2"}));
      QCOMPARE(c->wheelTable(1)->item(8, 3)->text(), QStringLiteral("+0.5"));
      QCOMPARE(c->wheelTable(3)->item(11, 3)->text(), QStringLiteral("変更"));  // a remark removed
      // Marks as assistive technology reads them: every cell of a differing row.
      for (int col = 0; col < 4; ++col) QCOMPARE(description(fl, 0, col), QStringLiteral("違いあり"));
      QCOMPARE(description(fl, 6, 1), QString());  // 伸 5 and 5
      QVERIFY(fl->item(0, 1)->font().bold() && !fl->item(6, 1)->font().bold());
      // "印　刷" hands the comparison to the printing screen.
      onNextModal([&](QDialog* sheet) {
        printed = sheet->windowTitle() == QStringLiteral("Ashimemo　－　セッティング比較の印字");
        press(Qt::Key_F12);
      });
      QTest::mouseClick(control<QPushButton>(c, QStringLiteral("PrintSwitch")), Qt::LeftButton);
      QVERIFY(c->isVisible());
      QApplication::setActiveWindow(c);
      press(Qt::Key_Escape);
      QVERIFY(!c->isVisible());
    });
    QVERIFY(printed);
  }

  void comparesWithTheShownSettingAndF12Closes() {
    window->form()->loadCode(QStringLiteral("0007"));
    bool opened = false;
    compare(QStringLiteral("初回"), [&](SettingCompare* c) {
      opened = true;
      QCOMPARE(c->values().older.code, QStringLiteral("0001"));
      QCOMPARE(c->values().newer.code, QStringLiteral("0007"));
      QCOMPARE(c->countLine()->text(), QStringLiteral("違い 2 項目"));
      press(Qt::Key_F12);
      QVERIFY(!c->isVisible());
    });
    QVERIFY(opened);
    QCOMPARE(window->form()->codeField()->text(), QStringLiteral("0007"));  // the main window is as it was
  }

  void saysSoWhenThereIsNothingToCompareWith() {
    for (const char* name : {"初回", "一人だけ"}) {
      dir->messages.answer(true);
      compare(QString::fromUtf8(name), {});
      const QList<ShownMessage> shown = dir->messages.take();
      QCOMPARE(shown.size(), 1);
      QCOMPARE(shown[0].title, QStringLiteral("Ashimemo　登録一覧表"));
      QVERIFY2(shown[0].text.contains(QStringLiteral("と比較するセッティングがありません。")), qPrintable(shown[0].text));
    }
  }
};

ASHIMEMO_TEST(ComparisonWindowTest)
#include "tst_comparewindow.moc"
