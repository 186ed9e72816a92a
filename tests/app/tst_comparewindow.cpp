// Comparing from the setting list through the main window: the second
// setting chosen, the marks as assistive technology reads them, the keys.
#include "app/mainwindow.h"
#include "mainwindowtest.h"
#include "settings/settingcompare.h"
#include "settings/settingform.h"
#include "support/fixture.h"
#include "support/searchhelpers.h"
#include "support/testmain.h"
#include "screens/fields.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QImage>
#include <QTest>

class ComparisonWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  std::unique_ptr<Setting> window;

  // Opens the setting list, makes the row named `name` current by searching
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

 private Q_SLOTS:
  void comparesTheChosenRowWithTheShownOrThePreviousSetting() {
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (3, '佐藤'), (4, '鈴木')"));
    dir->exec(QStringLiteral(
        "INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_フェンダー高, FL_伸, "
        "FR_バネレート, RR_備考) VALUES (1, '初回', '20250301', 3, 0, '650', '5', '8.0', '硬い'), "
        "(2, '二回目', '20250901', 3, 0, '652', '5', '8.5', ''), (7, '別の客', '20250501', 4, 0, '640', '3', '8.0', '硬い')"));
    window = startMainWindow();
    QVERIFY(window);

    // The customer's first visit with nothing shown: nothing to compare with.
    dir->messages.answer(true);
    compare(QStringLiteral("初回"), {});
    const QList<ShownMessage> shown = dir->messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Ashimemo　登録一覧表"));
    QVERIFY(shown[0].text.startsWith(QStringLiteral("コード[0001]のセッティングと比較するセッティングがありません。")));

    // The second visit: compared with the previous one, which goes left.
    bool printed = false;
    compare(QStringLiteral("二回目"), [&](SettingCompare* c) {
      QCOMPARE(control<QLabel>(c, QStringLiteral("古い方(0)"))->text(), QStringLiteral("0001"));
      QCOMPARE(c->countLine()->text(), QStringLiteral("違い 3 項目"));
      CompareTable* fl = c->wheelTable(0);
      QCOMPARE(fl->objectName(), QStringLiteral("フロント左"));
      QAccessibleInterface* table = QAccessible::queryAccessibleInterface(fl);
      QCOMPARE(table->role(), QAccessible::Table);
      QCOMPARE(table->text(QAccessible::Name), QStringLiteral("フロント左"));
      QAccessibleTableInterface* cells = table->tableInterface();
      QCOMPARE(cells->rowCount() * 10 + cells->columnCount(), 124);
      for (int col = 0; col < 4; ++col) {
        // What is drawn and what assistive technology reads, on every cell
        // of the row: the text and the mark.
        QCOMPARE(fl->text(0, col), (QStringList{"フェンダー高", "650", "652", "+2"})[col]);
        QCOMPARE(cells->cellAt(0, col)->text(QAccessible::Name), fl->text(0, col));
        QCOMPARE(cells->cellAt(0, col)->text(QAccessible::Description), QStringLiteral("違いあり"));
      }
      QCOMPARE(cells->cellAt(0, 2)->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
               QStringLiteral("新しい方"));
      QCOMPARE(cells->cellAt(6, 1)->text(QAccessible::Description), QString());  // 伸 5 and 5
      QVERIFY(fl->marked(0) && !fl->marked(6));
      // Drawn bold on light yellow: the marked row's pixels differ from an
      // unmarked one's background.
      const QImage shot = fl->grab().toImage();
      QCOMPARE(QColor(shot.pixel(fl->cellRect(0, 3).center())), Colours::LightYellow);
      QVERIFY(QColor(shot.pixel(fl->cellRect(6, 3).center())) != Colours::LightYellow);
      QCOMPARE(c->wheelTable(3)->text(11, 3), QStringLiteral("変更"));  // a remark removed
      // The arrow keys move the current cell, and the focus event names it.
      QApplication::setActiveWindow(c);
      QCOMPARE(QApplication::focusWidget(), fl);
      for (int i = 0; i < 6; ++i) QTest::keyClick(fl, Qt::Key_Down);
      QTest::keyClick(fl, Qt::Key_Right);
      QCOMPARE(table->focusChild()->text(QAccessible::Name), QStringLiteral("5"));  // 伸, older
      QVERIFY(cells->cellAt(6, 1)->tableCellInterface()->isSelected());
      onNextModal([&](QDialog* sheet) {
        printed = sheet->windowTitle() == QStringLiteral("Ashimemo　－　セッティング比較の印字");
        press(Qt::Key_F12);
      });
      QTest::mouseClick(control<QPushButton>(c, QStringLiteral("PrintSwitch")), Qt::LeftButton);
      QApplication::setActiveWindow(c);
      press(Qt::Key_Escape);
      QVERIFY(!c->isVisible());
    });
    QVERIFY(printed);

    // With a setting shown on the main window: that one. F12 closes.
    window->form()->loadCode(QStringLiteral("0007"));
    QString codes;
    compare(QStringLiteral("初回"), [&](SettingCompare* c) {
      codes = c->values().older.code + c->values().newer.code + c->countLine()->text();
      press(Qt::Key_F12);
      QVERIFY(!c->isVisible());
    });
    QCOMPARE(codes, QStringLiteral("00010007違い 2 項目"));
    window.reset();
    QCOMPARE(dir->messages.unexpected, 0);
  }
};

ASHIMEMO_TEST(ComparisonWindowTest)
#include "tst_comparewindow.moc"
