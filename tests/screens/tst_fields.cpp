// Field behaviour shared by every screen: byte budgets while typing, pasting
// and committing input-method text; the first-key rule with keypad and
// main-keyboard keys; the key-code translation; highlight colours; names.
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/progresswindow.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

class FieldsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> window;
  QLineEdit* field = nullptr;
  QLineEdit* other = nullptr;

  void commit(const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(field, &e);
  }

 private Q_SLOTS:
  void init() {
    window = std::make_unique<QWidget>();
    field = new QLineEdit(window.get());
    other = new QLineEdit(window.get());
    other->move(0, 40);
    QVERIFY(showAndActivate(window.get()));
    field->setFocus();
  }
  void cleanup() { window.reset(); }

  void budgetRefusesTypingBeyondIt() {
    attachByteBudget(field, 24, 24);
    typeText(QString(12, QChar(0x4F50)));  // twelve full-width: 24 bytes
    QCOMPARE(field->text(), QString(12, QChar(0x4F50)));
    typeText(QStringLiteral("佐"));
    QCOMPARE(field->text(), QString(12, QChar(0x4F50)));
    typeText(QStringLiteral("x"));  // a single byte would be 25 too
    QCOMPARE(field->text(), QString(12, QChar(0x4F50)));
    field->clear();
    typeText(QString(25, u'a'));
    QCOMPARE(field->text(), QString(24, u'a'));
    // Half-width katakana count one byte each.
    field->clear();
    typeText(QString(24, QChar(0xFF71)));
    QCOMPARE(field->text().size(), 24);
  }

  void pasteAndInputMethodAreCutToWhatFits() {
    attachByteBudget(field, 10, 10);
    typeText(QStringLiteral("abcd"));
    QApplication::clipboard()->setText(QStringLiteral("車高調整"));
    field->paste();
    QCOMPARE(field->text(), QStringLiteral("abcd車高調"));  // 4 + 6 bytes
    field->clear();
    commit(QStringLiteral("あいうえおか"));
    QCOMPARE(field->text(), QStringLiteral("あいうえお"));
    // Deleting is always possible and frees room again.
    field->backspace();
    commit(QStringLiteral("ab"));
    QCOMPARE(field->text(), QStringLiteral("あいうえab"));
    commit(QStringLiteral("c"));
    QCOMPARE(field->text(), QStringLiteral("あいうえab"));
  }

  void longerTextIsNeverShortened() {
    // A 40-byte address shown under a 30-byte budget stays whole; only
    // further typing is refused, and deleting works.
    field->setText(QString(20, QChar(0x3042)));
    attachByteBudget(field, 30, 30);
    LimitTextBytes(field, *new bool(false), 30);
    field->end(false);
    typeText(QStringLiteral("a"));
    QCOMPARE(field->text(), QString(20, QChar(0x3042)));
    field->backspace();
    QCOMPARE(field->text(), QString(19, QChar(0x3042)));
  }

  void focusBudgetThenChangeBudget() {
    // 60 bytes on entering, 30 after the first change.
    attachByteBudget(field, 60, 30);
    other->setFocus();
    field->setFocus();
    QApplication::processEvents();
    typeText(QString(16, QChar(0x3042)));
    QCOMPARE(field->text(), QString(15, QChar(0x3042)));
  }

  void limitReachedFlag() {
    bool flag = false;
    field->setText(QString(39, u'a'));
    QVERIFY(LimitTextBytes(field, flag, 40));  // one byte left
    flag = false;
    field->setText(QString(38, u'a'));
    QVERIFY(!LimitTextBytes(field, flag, 40));
    field->setText(QStringLiteral("   "));
    QVERIFY(!LimitTextBytes(field, flag, 2));  // blank text never reaches it
  }

  void firstKeyClearsOncePerVisit() {
    field->setText(QStringLiteral("12"));
    bool flag = false;
    flag = FirstKeyClear(field, 101 - 49, flag);  // keypad 5
    QVERIFY(flag);
    QCOMPARE(field->text(), QString());
    field->setText(QStringLiteral("12"));
    flag = FirstKeyClear(field, 101 - 49, flag);
    QCOMPARE(field->text(), QStringLiteral("12"));
    QVERIFY(!FirstKeyClear(field, 53 - 49, false));  // main keyboard 5
    QCOMPARE(field->text(), QStringLiteral("12"));
  }

  void keyCodes() {
    auto code = [](int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
      QKeyEvent e(QEvent::KeyPress, key, m);
      return keyCode(&e);
    };
    QCOMPARE(code(Qt::Key_Return), 13);
    QCOMPARE(code(Qt::Key_Enter, Qt::KeypadModifier), 13);
    QCOMPARE(code(Qt::Key_Escape), 27);
    QCOMPARE(code(Qt::Key_F1), 112);
    QCOMPARE(code(Qt::Key_F12), 123);
    QCOMPARE(code(Qt::Key_5), 53);
    QCOMPARE(code(Qt::Key_5, Qt::KeypadModifier), 101);
    QCOMPARE(code(Qt::Key_0, Qt::KeypadModifier), 96);
    QCOMPARE(code(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    QCOMPARE(code(Qt::Key_Minus, Qt::KeypadModifier), 109);
    QCOMPARE(code(Qt::Key_Period, Qt::KeypadModifier), 110);
    QCOMPARE(code(Qt::Key_A), 65);
  }

  void highlightAndNames() {
    HighlightField(field);
    QCOMPARE(background(field), QColor(192, 255, 255));
    UnhighlightField(field);
    QCOMPARE(background(field), QApplication::palette().color(QPalette::Base));
    nameControl(field, arrayName(QStringLiteral("調整前"), 21));
    QCOMPARE(field->objectName(), QStringLiteral("調整前(21)"));
    QCOMPARE(field->accessibleName(), QStringLiteral("調整前(21)"));
    auto* combo = new QComboBox(window.get());
    combo->setEditable(true);
    nameControl(combo, QStringLiteral("ユーザー"));
    QCOMPARE(combo->accessibleDescription(), QStringLiteral("ユーザー"));
    QCOMPARE(combo->lineEdit()->accessibleName(), QStringLiteral("ユーザー"));
  }
  // Work that can no longer be stopped keeps its window: Esc and the close
  // box neither hide it nor count as a cancel. Before that they cancel.
  void progressWindowStaysWhileTheWorkCannotBeStopped() {
    ProgressWindow progress(QStringLiteral("変換しています…"), QStringLiteral("中止"), 0, 0);
    QVERIFY(showAndActivate(&progress));
    QCOMPARE(progress.findChild<QProgressBar*>()->accessibleName(), QStringLiteral("進行状況"));
    progress.refuseCancel();
    QTest::keyClick(&progress, Qt::Key_Escape);
    QVERIFY(!progress.close());
    QVERIFY(progress.isVisible());
    QVERIFY(!progress.wasCanceled());
    QVERIFY(!progress.findChild<QPushButton*>());

    ProgressWindow cancellable(QStringLiteral("変換しています…"), QStringLiteral("中止"), 0, 0);
    QVERIFY(showAndActivate(&cancellable));
    QTest::keyClick(&cancellable, Qt::Key_Escape);
    QVERIFY(cancellable.wasCanceled());
  }
};

ASHIMEMO_TEST(FieldsTest)
#include "tst_fields.moc"
