// The setting entry of the main window, driven as a user drives it: codes
// typed, Enter and Esc through the fields, buttons clicked, and what is then
// on the screen and in the table.
#include "app/mainwindow.h"
#include "mainwindowtest.h"
#include "data/clock.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/schema.h"
#include "screens/fields.h"
#include "settings/settingform.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

// Products: every flag set, nothing set, front-only damping "同時", C-ring "別".
void addProducts(DataDir& dir) {
  const QString sql = QStringLiteral(
      "INSERT INTO 車高調マスタ VALUES (?, ?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?)");
  dir.exec(sql, {1, QStringLiteral("フル装備"), 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0, 10, 10, 10, 10, 8, 6, 65, 65,
                 200, 180});
  dir.exec(sql, {2, QStringLiteral("調整なし"), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5.5, 4, 62, 62,
                 150, 160});
  dir.exec(sql, {3, QStringLiteral("フロントのみ減衰"), 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 15, 0, 15, 0, 7, 5,
                 65, 70, 200, 250});
  dir.exec(sql, {4, QStringLiteral("Ｃリング別調整"), 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1, 12, 12, 8, 8, 4, 3,
                 60, 60, 170, 170});
}

QString focusName() {
  QWidget* w = QApplication::focusWidget();
  if (!w) return QStringLiteral("(none)");
  if (auto* combo = qobject_cast<QComboBox*>(w->parentWidget()); combo && combo->lineEdit() == w)
    return combo->objectName();
  return w->objectName();
}

// Codes where a shorter one begins a longer one: product 10 beside 01, users
// 0001 and 1000 beside 0003 and 0012.
void addPrefixCodes(DataDir& dir) {
  dir.exec(QStringLiteral("INSERT INTO 車高調マスタ VALUES (?, ?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?, ?,?)"),
           {10, QStringLiteral("ロング"), 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 15.5, 14, 70, 70, 250, 240});
  dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '青木'), (1000, '千葉')"));
}

}  // namespace

class SettingEntryTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  std::unique_ptr<Setting> window;
  SettingForm* form = nullptr;

  QLineEdit* edit(const QString& name) { return control<QLineEdit>(window.get(), name); }
  QComboBox* combo(const QString& name) { return control<QComboBox>(window.get(), name); }
  QLineEdit* wheel(const char* item, int w) { return edit(arrayName(QString::fromUtf8(item), w)); }
  void click(const QString& button) { QTest::mouseClick(control<QPushButton>(window.get(), button), Qt::LeftButton); }
  void focus(QWidget* w) {
    w->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
  }
  void enterIn(QWidget* w, const QString& text) {
    focus(w);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    typeText(text);
    press(Qt::Key_Return);
  }
  void typeCode(const QString& code) {
    focus(edit(QStringLiteral("コード")));
    edit(QStringLiteral("コード"))->selectAll();
    typeText(code);
    press(Qt::Key_Return);
  }
  QVariantMap stored(int code) {
    return dir->row(QStringLiteral("SELECT * FROM セッティング WHERE コード=%1").arg(code));
  }

 private Q_SLOTS:
  void init() {
    Clock::setToday(QDate(2026, 12, 8));
    dir = std::make_unique<DataDir>();
    addProducts(*dir);
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (3, '佐藤　一郎'), (12, '鈴木')"));
    window = startMainWindow();
    QVERIFY(window);
    form = window->form();
  }
  void cleanup() {
    QCOMPARE(dir->messages.unexpected, 0);
    window.reset();
    dir.reset();
    Clock::setShortDate(QString());
  }

  void startsClearedWithFocusInCode() {
    QCOMPARE(focusName(), QStringLiteral("コード"));
    QCOMPARE(background(edit(QStringLiteral("コード"))), Colours::Focus);
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QString());
    QCOMPARE(edit(QStringLiteral("年"))->text(), QStringLiteral("2026"));
    QCOMPARE(edit(QStringLiteral("月"))->text(), QStringLiteral("12"));
    QCOMPARE(edit(QStringLiteral("日"))->text(), QStringLiteral("08"));
    QCOMPARE(combo(QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0000:なし"));
    QCOMPARE(combo(QStringLiteral("車高調"))->currentText(), QStringLiteral("00:なし"));
    QCOMPARE(combo(QStringLiteral("ユーザー"))->count(), 3);
    QCOMPARE(window->windowTitle(), QStringLiteral("Ashimemo"));
    for (int w = 0; w < 4; ++w) QVERIFY(window->findChild<QWidget*>(arrayName(QStringLiteral("Frame1"), w)));
    QCOMPARE(control<QPushButton>(window.get(), QStringLiteral("Del_Switch"))->text(), QStringLiteral("削　　除"));
    // No function key does anything on the main window.
    edit(QStringLiteral("コード"))->setText(QStringLiteral("12"));
    for (int k = Qt::Key_F1; k <= Qt::Key_F12; ++k) press(k);
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("12"));
    QVERIFY(window->isVisible());
    QVERIFY(dir->messages.shown.isEmpty());
  }

  void keyboardOnlyEntryIsStoredWhole() {
    typeCode(QString());  // blank code: the next free one
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0001"));
    QCOMPARE(focusName(), QStringLiteral("セッティング名"));
    typeText(QStringLiteral("AE86 test"));
    press(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("年"));
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    press(Qt::Key_5, Qt::KeypadModifier);  // the first keypad digit replaces "08"
    press(Qt::Key_Return);
    QCOMPARE(edit(QStringLiteral("日"))->text(), QStringLiteral("05"));
    QCOMPARE(focusName(), QStringLiteral("ユーザー"));
    typeText(QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(combo(QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0012:鈴木"));
    QCOMPARE(focusName(), QStringLiteral("車高調"));
    typeText(QStringLiteral("1"));
    press(Qt::Key_Return);
    QCOMPARE(combo(QStringLiteral("車高調"))->currentText(), QStringLiteral("01:フル装備"));
    QCOMPARE(focusName(), QStringLiteral("フェンダー高(0)"));
    // Walk all four wheels typing a value into every field Enter reaches.
    for (int w = 0; w < 4; ++w) {
      const QStringList values{QStringLiteral("650"), QStringLiteral("5"), QStringLiteral("520"), QStringLiteral("12"),
                               QStringLiteral("10"),  QStringLiteral("8"), QStringLiteral("7"),   QStringLiteral("6"),
                               QStringLiteral("9"),   QStringLiteral("66"), QStringLiteral("210"), QStringLiteral("メモ")};
      for (int i = 0; i < 12; ++i) {
        QCOMPARE(focusName(), arrayName(schema::wheelItems()[i], w));
        QApplication::focusWidget()->setProperty("dummy", 0);
        qobject_cast<QLineEdit*>(QApplication::focusWidget())->clear();
        typeText(values[i] + (i == 11 ? QString::number(w) : QString()));
        press(Qt::Key_Return);
      }
    }
    QCOMPARE(focusName(), QStringLiteral("備考(3)"));  // Enter in the last field stays
    dir->messages.answer(true);
    click(QStringLiteral("SaveSetting"));
    const QList<ShownMessage> m = dir->messages.take();
    QCOMPARE(m.size(), 1);
    QCOMPARE(m[0].title, QStringLiteral("Ashimemo"));
    QCOMPARE(m[0].text, QStringLiteral("登録しますか？"));
    QCOMPARE(m[0].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(m[0].icon, MessageRequest::Icon::None);
    QCOMPARE(focusName(), QStringLiteral("コード"));
    const QVariantMap r = stored(1);
    QCOMPARE(r.size(), 53);
    QCOMPARE(r[QStringLiteral("コード")].toInt(), 1);
    QCOMPARE(r[QStringLiteral("セッティング名称")].toString(), QStringLiteral("AE86 test"));
    QCOMPARE(r[QStringLiteral("登録日")].toString(), QStringLiteral("20261205"));
    QCOMPARE(r[QStringLiteral("ユーザー")].toInt(), 12);
    QCOMPARE(r[QStringLiteral("車高調")].toInt(), 1);
    for (const QString& p : schema::wheelPrefixes()) {
      QCOMPARE(r[p + QStringLiteral("フェンダー高")].toString(), QStringLiteral("650"));
      QCOMPARE(r[p + QStringLiteral("全長")].toString(), QStringLiteral("520"));
      QCOMPARE(r[p + QStringLiteral("アッパー車高")].toString(), QStringLiteral("8"));
      QCOMPARE(r[p + QStringLiteral("伸")].toString(), QStringLiteral("6"));  // "同時": 縮 6 copied back to 伸
      QCOMPARE(r[p + QStringLiteral("縮")].toString(), QStringLiteral("6"));
      QCOMPARE(r[p + QStringLiteral("バネレート")].toString(), QStringLiteral("9.0"));
      QCOMPARE(r[p + QStringLiteral("ID")].toString(), QStringLiteral("66"));
    }
    QCOMPARE(r[QStringLiteral("RR_備考")].toString(), QStringLiteral("メモ3"));
  }

  void overwriteAnsweredNoLeavesTheRow() {
    typeCode(QStringLiteral("7"));
    dir->messages.answer(true);
    click(QStringLiteral("SaveSetting"));
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("changed"));
    dir->messages.answer(false);
    click(QStringLiteral("SaveSetting"));
    QCOMPARE(dir->messages.take().last().text, QStringLiteral("上書きしますか？"));
    QCOMPARE(stored(7)[QStringLiteral("セッティング名称")].toString(), QString());
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("changed"));
  }

  void productWithNothingWalksTheFixedFields() {
    typeCode(QStringLiteral("1"));
    focus(combo(QStringLiteral("車高調")));
    typeText(QStringLiteral("2"));
    press(Qt::Key_Return);
    QStringList walk;
    for (int n = 0; n < 7; ++n) {
      walk << focusName();
      press(Qt::Key_Return);
    }
    QCOMPARE(walk, (QStringList{QStringLiteral("フェンダー高(0)"), QStringLiteral("バネレート(0)"), QStringLiteral("ID(0)"),
                                QStringLiteral("自由長(0)"), QStringLiteral("備考(0)"), QStringLiteral("フェンダー高(1)"),
                                QStringLiteral("バネレート(1)")}));
    // "00:なし" resets: preload is offered again, the greying is undone.
    focus(combo(QStringLiteral("車高調")));
    combo(QStringLiteral("車高調"))->lineEdit()->selectAll();
    typeText(QStringLiteral("0"));
    press(Qt::Key_Return);
    QCOMPARE(background(wheel("プリロード", 2)), Colours::normal());
    QStringList again;
    for (int n = 0; n < 3; ++n) {
      again << focusName();
      press(Qt::Key_Return);
    }
    QCOMPARE(again, (QStringList{QStringLiteral("フェンダー高(0)"), QStringLiteral("プリロード(0)"),
                                 QStringLiteral("バネレート(0)")}));
  }

  void frontOnlyDampingProduct() {
    focus(combo(QStringLiteral("車高調")));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    press(Qt::Key_Return);  // フェンダー高(0) -> プリロード(0)
    QCOMPARE(focusName(), QStringLiteral("プリロード(0)"));
    press(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("伸(0)"));
    focus(wheel("プリロード", 2));
    press(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("バネレート(2)"));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("プリロード(2)"));
    QCOMPARE(background(wheel("伸", 2)), Colours::grey());
    QCOMPARE(background(wheel("縮", 3)), Colours::grey());
    QCOMPARE(background(wheel("伸", 0)), Colours::normal());
    // A grey field that is clicked hands the focus to the wheel's first field
    // and takes the normal colour when left.
    QTest::mouseClick(wheel("縮", 2), Qt::LeftButton);
    QTRY_COMPARE(focusName(), QStringLiteral("フェンダー高(2)"));
    QCOMPARE(background(wheel("縮", 2)), Colours::normal());
    QCOMPARE(background(wheel("フェンダー高", 2)), Colours::Focus);
    // Tab into a field that is not offered lands in the wheel's first field too.
    focus(wheel("プリロード", 3));
    press(Qt::Key_Tab);
    QTRY_COMPARE(focusName(), QStringLiteral("フェンダー高(3)"));
  }

  void clickingAGreyFieldLeavesItsValue() {
    // A setting whose product is gone: damping is not offered, and passing
    // through the grey field must not rewrite the stored steps.
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, 車高調, FL_伸) VALUES (6, 42, '12')"));
    typeCode(QStringLiteral("6"));
    QTest::mouseClick(wheel("伸", 0), Qt::LeftButton);
    QTRY_COMPARE(focusName(), QStringLiteral("フェンダー高(0)"));
    QCOMPARE(wheel("伸", 0)->text(), QStringLiteral("12"));
  }

  void dampingLimitsAndTogetherCopy() {
    focus(combo(QStringLiteral("車高調")));
    typeText(QStringLiteral("1"));  // 10 steps, "同時"
    press(Qt::Key_Return);
    enterIn(wheel("伸", 1), QStringLiteral("15"));
    QCOMPARE(wheel("伸", 1)->text(), QStringLiteral("10"));
    QCOMPARE(wheel("縮", 1)->text(), QStringLiteral("10"));
    enterIn(wheel("伸", 1), QStringLiteral("0"));
    QCOMPARE(wheel("伸", 1)->text(), QStringLiteral("1"));
    enterIn(wheel("縮", 1), QStringLiteral("5"));
    QCOMPARE(wheel("伸", 1)->text(), QStringLiteral("5"));
    // "別": no copy.
    focus(combo(QStringLiteral("車高調")));
    combo(QStringLiteral("車高調"))->lineEdit()->selectAll();
    typeText(QStringLiteral("4"));
    press(Qt::Key_Return);
    enterIn(wheel("伸", 2), QStringLiteral("9"));
    QCOMPARE(wheel("伸", 2)->text(), QStringLiteral("9"));
    QCOMPARE(wheel("縮", 2)->text(), QString());
    enterIn(wheel("縮", 2), QStringLiteral("9"));
    QCOMPARE(wheel("縮", 2)->text(), QStringLiteral("8"));
    // Spring rate ceiling and format.
    enterIn(wheel("バネレート", 0), QStringLiteral("123"));
    QCOMPARE(wheel("バネレート", 0)->text(), QStringLiteral("99.9"));
    wheel("バネレート", 0)->clear();
    enterIn(wheel("バネレート", 0), QStringLiteral("5"));
    QCOMPARE(wheel("バネレート", 0)->text(), QStringLiteral("5.0"));
    enterIn(wheel("フェンダー高", 0), QStringLiteral("6.5"));
    QCOMPARE(wheel("フェンダー高", 0)->text(), QStringLiteral("7"));
    // C-ring product: preload in steps.
    QCOMPARE(control<QLabel>(window.get(), QStringLiteral("プリロード単位(0)"))->text(), QStringLiteral("段"));
  }

  void applyingAProductReplacesSpringDataAndLowersDamping() {
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_伸, FL_縮, "
                             "RL_伸, FL_バネレート, FL_ID, FL_自由長, FR_備考) VALUES (5, '保存', '20250229', 99, 1, "
                             "'12', '', '3', '20.0', '70', '300', NULL)"));
    typeCode(QStringLiteral("5"));
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0005"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("保存"));
    QCOMPARE(edit(QStringLiteral("月"))->text(), QStringLiteral("02"));
    QCOMPARE(combo(QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0000:なし"));  // user 99 is gone
    QCOMPARE(combo(QStringLiteral("車高調"))->currentText(), QStringLiteral("01:フル装備"));
    QCOMPARE(wheel("伸", 0)->text(), QStringLiteral("10"));   // lowered to the product's 10 steps
    QCOMPARE(wheel("縮", 0)->text(), QString());              // blank stays blank
    QCOMPARE(wheel("伸", 2)->text(), QStringLiteral("3"));
    QCOMPARE(wheel("バネレート", 0)->text(), QStringLiteral("8"));  // the product's, as stored
    QCOMPARE(wheel("ID", 0)->text(), QStringLiteral("65"));
    QCOMPARE(wheel("自由長", 2)->text(), QStringLiteral("180"));
    QCOMPARE(wheel("備考", 1)->text(), QString());  // null shows as empty
    // Enter again without a change does not reload: edits stay.
    wheel("フェンダー高", 0)->setText(QStringLiteral("600"));
    typeCode(QStringLiteral("0005"));
    QCOMPARE(wheel("フェンダー高", 0)->text(), QStringLiteral("600"));
    // A code that is not stored changes nothing on the screen.
    typeCode(QStringLiteral("77"));
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0077"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("保存"));
    QCOMPARE(wheel("フェンダー高", 0)->text(), QStringLiteral("600"));
    dir->messages.answer(true);
    click(QStringLiteral("SaveSetting"));
    QCOMPARE(dir->messages.take().last().text, QStringLiteral("登録しますか？"));
    QCOMPARE(stored(77)[QStringLiteral("FL_フェンダー高")].toString(), QStringLiteral("600"));
  }

  void dateClamps() {
    enterIn(edit(QStringLiteral("月")), QStringLiteral("13"));
    QCOMPARE(edit(QStringLiteral("月"))->text(), QStringLiteral("12"));
    edit(QStringLiteral("月"))->setText(QStringLiteral("04"));
    enterIn(edit(QStringLiteral("日")), QStringLiteral("31"));
    QCOMPARE(edit(QStringLiteral("日"))->text(), QStringLiteral("30"));
    edit(QStringLiteral("月"))->setText(QStringLiteral("2"));
    edit(QStringLiteral("日"))->setText(QStringLiteral("30"));
    focus(edit(QStringLiteral("日")));
    press(Qt::Key_Escape);
    QCOMPARE(edit(QStringLiteral("日"))->text(), QStringLiteral("29"));
    QCOMPARE(focusName(), QStringLiteral("月"));
    edit(QStringLiteral("月"))->clear();
    edit(QStringLiteral("日"))->setText(QStringLiteral("45"));
    focus(edit(QStringLiteral("日")));
    press(Qt::Key_Return);
    QCOMPARE(edit(QStringLiteral("日"))->text(), QStringLiteral("45"));
    // The year is formatted on leaving only.
    edit(QStringLiteral("年"))->setText(QStringLiteral("3"));
    focus(edit(QStringLiteral("年")));
    press(Qt::Key_Return);
    QCOMPARE(edit(QStringLiteral("年"))->text(), QStringLiteral("0003"));
  }

  void firstKeyRuleOnNumericFields() {
    edit(QStringLiteral("年"))->setText(QStringLiteral("12"));
    focus(edit(QStringLiteral("年")));
    edit(QStringLiteral("年"))->end(false);
    press(Qt::Key_5, Qt::KeypadModifier);
    QCOMPARE(edit(QStringLiteral("年"))->text(), QStringLiteral("5"));
    press(Qt::Key_5, Qt::KeypadModifier);
    QCOMPARE(edit(QStringLiteral("年"))->text(), QStringLiteral("55"));
    wheel("フェンダー高", 1)->setText(QStringLiteral("12"));
    focus(wheel("フェンダー高", 1));
    wheel("フェンダー高", 1)->end(false);
    press(Qt::Key_5);  // main keyboard: no clearing
    QCOMPARE(wheel("フェンダー高", 1)->text(), QStringLiteral("125"));
    // The remark is free text: keypad digits are typed as usual.
    wheel("備考", 1)->setText(QStringLiteral("ab"));
    focus(wheel("備考", 1));
    wheel("備考", 1)->end(false);
    press(Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(wheel("備考", 1)->text(), QStringLiteral("ab7"));
  }

  void escapeWalksBackAndAcrossWheels() {
    focus(wheel("フェンダー高", 0));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("車高調"));
    focus(wheel("フェンダー高", 2));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("備考(1)"));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("自由長(1)"));
    focus(edit(QStringLiteral("コード")));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("コード"));
    focus(edit(QStringLiteral("セッティング名")));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("コード"));
  }

  void listsAreMatchedAndRefilled() {
    focus(combo(QStringLiteral("ユーザー")));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    QCOMPARE(combo(QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0003:佐藤　一郎"));
    focus(combo(QStringLiteral("ユーザー")));
    combo(QStringLiteral("ユーザー"))->lineEdit()->selectAll();
    typeText(QStringLiteral("44"));
    press(Qt::Key_Return);
    QCOMPARE(combo(QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0000:なし"));
    // A user added elsewhere is offered the next time the list gets focus.
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (44, '高橋')"));
    focus(combo(QStringLiteral("ユーザー")));
    combo(QStringLiteral("ユーザー"))->lineEdit()->selectAll();
    typeText(QStringLiteral("44"));
    press(Qt::Key_Return);
    QCOMPARE(combo(QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0044:高橋"));
  }

  void typedCodesPickTheirOwnItem() {
    addPrefixCodes(*dir);
    struct Way {
      const char* what;
      Qt::KeyboardModifiers digits;
      int leave;
    };
    const Way ways[] = {{"main keyboard, Enter", Qt::NoModifier, Qt::Key_Return},
                        {"keypad, keypad Enter", Qt::KeypadModifier, Qt::Key_Enter},
                        {"main keyboard, Tab", Qt::NoModifier, Qt::Key_Tab},
                        {"keypad, Tab", Qt::KeypadModifier, Qt::Key_Tab}};
    struct Typed {
      const char* list;
      const char* digits;
      const char* item;
    };
    const Typed cases[] = {{"ユーザー", "1", "0001:青木"},
                           {"ユーザー", "5", "0000:なし"},
                           {"車高調", "1", "01:フル装備"},
                           {"車高調", "10", "10:ロング"},
                           {"車高調", "5", "00:なし"}};
    for (const Way& way : ways)
      for (const Typed& t : cases) {
        const QString what = QStringLiteral("%1 in %2 with %3").arg(QString::fromUtf8(t.digits), QString::fromUtf8(t.list),
                                                                    QString::fromUtf8(way.what));
        wheel("バネレート", 0)->setText(QStringLiteral("7.5"));
        QComboBox* list = combo(QString::fromUtf8(t.list));
        focus(list);
        list->lineEdit()->selectAll();
        for (const char* d = t.digits; *d; ++d) press(Qt::Key_0 + (*d - '0'), way.digits);
        // Nothing is completed while typing.
        QVERIFY2(list->lineEdit()->text() == QString::fromUtf8(t.digits), qPrintable(what));
        press(way.leave, way.leave == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QVERIFY2(list->currentText() == QString::fromUtf8(t.item), qPrintable(what + u' ' + list->currentText()));
        // The spring data of the product picked, and no other; none keeps what was typed.
        const QString rate = list->objectName() != QStringLiteral("車高調") ? QStringLiteral("7.5")
                             : QString::fromUtf8(t.digits) == QStringLiteral("1") ? QStringLiteral("8")
                             : QString::fromUtf8(t.digits) == QStringLiteral("10") ? QStringLiteral("15.5")
                                                                                   : QStringLiteral("7.5");
        QVERIFY2(wheel("バネレート", 0)->text() == rate, qPrintable(what + u' ' + wheel("バネレート", 0)->text()));
      }
  }

  void dropDownStillPicksByArrowAndClick() {
    addPrefixCodes(*dir);
    QComboBox* users = combo(QStringLiteral("ユーザー"));
    focus(users);
    press(Qt::Key_Down);
    QCOMPARE(users->currentText(), QStringLiteral("0001:青木"));
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QCOMPARE(users->currentText(), QStringLiteral("0003:佐藤　一郎"));
    QCOMPARE(focusName(), QStringLiteral("車高調"));
    // A click on an item of the open list picks it and applies the product.
    QComboBox* products = combo(QStringLiteral("車高調"));
    products->showPopup();
    QTest::qWait(QApplication::doubleClickInterval() + 50);  // a click right after opening is ignored
    const QModelIndex item = products->model()->index(products->findText(QStringLiteral("10:ロング")), 0);
    QAbstractItemView* view = products->view();
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QCOMPARE(products->currentText(), QStringLiteral("10:ロング"));
    QCOMPARE(wheel("バネレート", 2)->text(), QStringLiteral("14"));
  }

  void deleteWithAndWithoutAlignment() {
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (8, 'a'), (9, 'b')"));
    dir->exec(QStringLiteral("INSERT INTO アライメント (コード) VALUES (8), (10)"));
    typeCode(QStringLiteral("8"));
    dir->messages.answer(true);
    click(QStringLiteral("Del_Switch"));
    QCOMPARE(dir->messages.take().last().text,
             QStringLiteral("コード[0008]のセッティングを削除しますか？(アライメントの登録がある場合は同時に削除されます)"));
    QCOMPARE(dir->count(schema::kSettings), 1);
    QCOMPARE(dir->count(schema::kAlignments), 1);  // only setting 8's
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("a"));  // not cleared
    QCOMPARE(focusName(), QStringLiteral("コード"));
    typeCode(QStringLiteral("9"));
    dir->messages.answer(false);
    click(QStringLiteral("Del_Switch"));
    QCOMPARE(dir->count(schema::kSettings), 1);
    dir->messages.answer(true);
    click(QStringLiteral("Del_Switch"));
    QCOMPARE(dir->count(schema::kSettings), 0);
    QCOMPARE(dir->count(schema::kAlignments), 1);
    // Deleting what is not stored: the notice, with Yes/No and no effect.
    dir->messages.answer(true);
    click(QStringLiteral("Del_Switch"));
    const ShownMessage m = dir->messages.take().last();
    QCOMPARE(m.text, QStringLiteral("コード[0009]のセッティングは登録されていません！"));
    QCOMPARE(m.buttons, MessageRequest::Buttons::YesNo);
  }

  void noCodeLeftKeepsTheScreen() {
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (9999)"));
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("typed work"));
    wheel("フェンダー高", 3)->setText(QStringLiteral("640"));
    typeCode(QString());
    const ShownMessage m = dir->messages.take().last();
    QCOMPARE(m.text, QStringLiteral("これ以上登録できません。空きコードを利用するか、データを削除してください！"));
    QCOMPARE(m.icon, MessageRequest::Icon::Critical);
    QCOMPARE(m.title, QStringLiteral("Ashimemo"));
    QVERIFY(window->isVisible());
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QString());
    QCOMPARE(focusName(), QStringLiteral("コード"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("typed work"));
    QCOMPARE(wheel("フェンダー高", 3)->text(), QStringLiteral("640"));
    // A free code typed by hand works.
    typeText(QStringLiteral("20"));
    press(Qt::Key_Return);
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0020"));
    QCOMPARE(focusName(), QStringLiteral("セッティング名"));
  }

  void closingTheWindowAsksNothing() {
    // Even with no free code left and the focus in the empty code field,
    // closing the window shows no message and saves nothing.
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード) VALUES (9999)"));
    focus(edit(QStringLiteral("コード")));
    window->close();
    QApplication::processEvents();
    QVERIFY(!window->isVisible());
    QVERIFY(dir->messages.shown.isEmpty());
    QCOMPARE(dir->count(schema::kSettings), 1);
  }

  void alignmentOnlyForStoredSettings() {
    typeCode(QStringLiteral("30"));
    click(QStringLiteral("Araiment_Switch"));
    const ShownMessage m = dir->messages.take().last();
    QCOMPARE(m.text, QStringLiteral("コード[0030]のセッティングは登録されていません！登録済みデータにのみ入力できます。"));
    QCOMPARE(m.icon, MessageRequest::Icon::Critical);
    QCOMPARE(focusName(), QStringLiteral("コード"));
  }

  void clearAnsweredNoKeepsTheScreen() {
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("keep"));
    dir->messages.answer(false);
    click(QStringLiteral("Init_Switch"));
    QCOMPARE(dir->messages.take().last().text, QStringLiteral("画面を初期化しますか？"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("keep"));
    QCOMPARE(focusName(), QStringLiteral("コード"));
    dir->messages.answer(true);
    click(QStringLiteral("Init_Switch"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QString());
  }

  void settingNameKeepsTo80Bytes() {
    focus(edit(QStringLiteral("セッティング名")));
    typeText(QString(40, QChar(0x3042)));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QString(40, QChar(0x3042)));
    typeText(QStringLiteral("あa"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QString(40, QChar(0x3042)));
    edit(QStringLiteral("セッティング名"))->clear();
    typeText(QString(81, u'x'));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QString(80, u'x'));
  }

  void programWrittenValuesAreNeverCut() {
    // A product's spring rate with two decimals and a stored value longer
    // than the typing limit are shown and saved whole.
    dir->exec(QStringLiteral("UPDATE 車高調マスタ SET バネレート_F = 12.25 WHERE コード = 1"));
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, 車高調, FL_フェンダー高) VALUES (6, 1, '1234')"));
    typeCode(QStringLiteral("6"));
    QCOMPARE(wheel("バネレート", 0)->text(), QStringLiteral("12.25"));
    QCOMPARE(wheel("フェンダー高", 0)->text(), QStringLiteral("1234"));
    // Typing stays within the limit.
    wheel("フェンダー高", 1)->clear();
    focus(wheel("フェンダー高", 1));
    typeText(QStringLiteral("12345"));
    QCOMPARE(wheel("フェンダー高", 1)->text(), QStringLiteral("123"));
    focus(edit(QStringLiteral("コード")));
    edit(QStringLiteral("コード"))->selectAll();
    typeText(QStringLiteral("123456"));
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("1234"));
  }

  void engineErrorKeepsTheScreen() {
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("unsaved"));
    dir->exec(QStringLiteral("DROP TABLE セッティング"));
    click(QStringLiteral("SaveSetting"));
    const ShownMessage m = dir->messages.take().last();
    QCOMPARE(m.icon, MessageRequest::Icon::Critical);
    QVERIFY2(m.text.contains(DataDir::onServer() ? QStringLiteral("サーバー") : QStringLiteral("データファイル")), qPrintable(m.text));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("unsaved"));
    QVERIFY(window->isVisible());
  }

  void lockedFileMessageIsJapaneseWithTheEngineDetail() {
    FILE_ONLY();
    // Another program holds a write lock: the save waits, then fails.
    {
      QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
      other.setDatabaseName(dir->file(kDataFileName));
      QVERIFY(other.open());
      QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
      typeCode(QStringLiteral("8"));
      edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("unsaved"));
      dir->messages.answer(true);
      click(QStringLiteral("SaveSetting"));
      const ShownMessage m = dir->messages.take().last();
      QCOMPARE(m.text, QStringLiteral("データファイルがほかのプログラムで使用中のため、処理できませんでした。"
                                      "しばらくしてからやり直してください。\n詳細: database is locked"));
      QCOMPARE(m.icon, MessageRequest::Icon::Critical);
      other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("unsaved"));
    QVERIFY(stored(8).isEmpty());
  }
};

ASHIMEMO_TEST(SettingEntryTest)
#include "tst_settingentry.moc"
