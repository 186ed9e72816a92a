// The alignment base master screen and its copy dialog: the code field with
// its proposal, the Enter/Esc chain with its two differences from the
// record screen, value entry, the name's byte budget, saving, deleting,
// clearing, the list, copying with unsaved edits, and engine errors.
#include "alignment/araimentbase.h"
#include "alignmenttest.h"
#include "screens/fields.h"
#include "support/testmain.h"

#include <QDialog>
#include <QLabel>
#include <QTableView>

using namespace at;

namespace {
const QString kCaption = QStringLiteral("アライメント基準値の登録");

QStringList baseChain() {
  QStringList c{QStringLiteral("コード"), QStringLiteral("登録名")};
  c << standardBoxes();
  return c;
}

QTableView* grid(QWidget* root) { return control<QTableView>(root, QStringLiteral("DBGrid1")); }

QStringList listCodes(QWidget* root) {
  QStringList codes;
  QAbstractItemModel* m = grid(root)->model();
  for (int r = 0; r < m->rowCount(); ++r) codes << m->index(r, 0).data().toString();
  return codes;
}

QStringList shownValues(QWidget* root) {
  QStringList s;
  for (const QString& b : standardBoxes()) s << edit(root, b)->text();
  return s;
}

void retype(QLineEdit* e, const QString& text) {
  click(e);
  e->selectAll();
  press(Qt::Key_Backspace);
  typeText(text);
}

QVariantMap masterRow(DataDir& d, int code) {
  return d.row(QStringLiteral("SELECT * FROM アライメントマスタ WHERE コード=%1").arg(code));
}
}  // namespace

class AraimentBaseTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void opensEmptyWithTheList() {
    DataDir d;
    insertMaster(d, 2, QStringLiteral("ＡＥ８６"), masterValues(2));
    insertMaster(d, 1, QStringLiteral("ＢＮＲ３２"), masterValues(1));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    QCOMPARE(b.windowTitle(), kCaption);
    QCOMPARE(focused(), QStringLiteral("コード"));
    for (const QString& n : baseChain()) QCOMPARE(edit(&b, n)->text(), QString());
    QCOMPARE(listCodes(&b), (QStringList{QStringLiteral("0001"), QStringLiteral("0002")}));
    QCOMPARE(grid(&b)->model()->index(0, 1).data().toString(), QStringLiteral("ＢＮＲ３２"));
    const QStringList captions{QStringLiteral("登 録"), QStringLiteral("複 写"), QStringLiteral("削 除"),
                               QStringLiteral("中 止"), QStringLiteral("閉じる")};
    const QStringList names{QStringLiteral("Save_Switch"), QStringLiteral("Copy_Switch"), QStringLiteral("Delete_Switch"),
                            QStringLiteral("Init_Switch"), QStringLiteral("Close_Switch")};
    int x = -1;
    for (int i = 0; i < names.size(); ++i) {
      auto* button = control<QPushButton>(&b, names[i]);
      QCOMPARE(button->text(), captions[i]);
      const int bx = button->mapTo(&b, QPoint()).x();
      QVERIFY2(bx > x, "buttons run left to right in order");
      x = bx;
    }
    for (const QString& n : standardBoxes())
      QCOMPARE(background(edit(&b, n)), n.contains(QStringLiteral("範囲")) ? Colours::normal() : Colours::LightYellow);
    QVERIFY(b.width() <= 1366 && b.height() <= 740);
  }

  void chainDiffersFromTheRecordInTwoPlaces() {
    DataDir d;
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    const QStringList chain = baseChain();
    typeText(QStringLiteral("5"));
    for (int i = 1; i < chain.size(); ++i) {
      press(Qt::Key_Return);
      QCOMPARE(focused(), chain[i]);
      QCOMPARE(background(QApplication::focusWidget()), Colours::Focus);
    }
    press(Qt::Key_Return);  // the last value field is the end of the chain
    QCOMPARE(focused(), QStringLiteral("スラスト角"));
    for (int i = chain.size() - 2; i >= 0; --i) {
      press(Qt::Key_Escape);
      QCOMPARE(focused(), chain[i]);  // Esc in トータルトウF goes to 登録名
    }
    press(Qt::Key_Escape);
    QCOMPARE(focused(), QStringLiteral("コード"));
    QCOMPARE(edit(&b, QStringLiteral("コード"))->text(), QStringLiteral("0005"));
  }

  void valueFieldsNormaliseAndReplaceOnTheFirstKeypadDigit() {
    DataDir d;
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    QLineEdit* caster = edit(&b, QStringLiteral("キャスターF"));
    click(caster);
    typeText(QStringLiteral("3.555"));
    press(Qt::Key_Return);
    QCOMPARE(caster->text(), QStringLiteral("3.56"));
    QCOMPARE(focused(), QStringLiteral("キャスター範囲F(0)"));
    QCOMPARE(background(caster), Colours::LightYellow);
    typeText(QStringLiteral("+.3"));
    press(Qt::Key_Return);
    QCOMPARE(edit(&b, QStringLiteral("キャスター範囲F(0)"))->text(), QStringLiteral("0.30"));
    QCOMPARE(background(edit(&b, QStringLiteral("キャスター範囲F(0)"))), Colours::normal());
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QCOMPARE(focused(), QStringLiteral("キャスターF"));
    press(Qt::Key_2);
    QCOMPARE(caster->text(), QStringLiteral("3.562"));
    press(Qt::Key_4, Qt::KeypadModifier);
    QCOMPARE(caster->text(), QStringLiteral("4"));
    press(Qt::Key_Escape);
    QCOMPARE(caster->text(), QStringLiteral("4.00"));
    // The rear range boxes take any length; the others six characters.
    QLineEdit* rear = edit(&b, QStringLiteral("キャンバー範囲R(0)"));
    click(rear);
    typeText(QStringLiteral("-1.23456"));
    QCOMPARE(rear->text(), QStringLiteral("-1.23456"));
    QLineEdit* front = edit(&b, QStringLiteral("キャンバー範囲F(0)"));
    click(front);
    typeText(QStringLiteral("-1.23456"));
    QCOMPARE(front->text(), QStringLiteral("-1.234"));
    // The name field has no first-key rule.
    QLineEdit* name = edit(&b, QStringLiteral("登録名"));
    click(name);
    typeText(QStringLiteral("AE"));
    press(Qt::Key_Escape);
    press(Qt::Key_Return);
    press(Qt::Key_8, Qt::KeypadModifier);
    QCOMPARE(name->text(), QStringLiteral("AE8"));
  }

  void nameHoldsFortyBytes() {
    DataDir d;
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    QLineEdit* name = edit(&b, QStringLiteral("登録名"));
    click(name);
    typeText(QString(21, QChar(0x30A2)));  // 21 full-width ア
    QCOMPARE(name->text(), QString(20, QChar(0x30A2)));
    name->clear();
    click(edit(&b, QStringLiteral("SAI")));
    click(name);
    typeText(QString(41, u'A'));
    QCOMPARE(name->text(), QString(40, u'A'));
  }

  void codeFieldProposesOnlyOnEnterOrEsc() {
    DataDir d;
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    QLineEdit* code = edit(&b, QStringLiteral("コード"));
    press(Qt::Key_Return);
    QCOMPARE(code->text(), QStringLiteral("0001"));
    QCOMPARE(focused(), QStringLiteral("登録名"));

    insertMaster(d, 1, QStringLiteral("ＢＮＲ３２"), masterValues(1));
    insertMaster(d, 9, QStringLiteral("ＡＥ８６"), masterValues(9));
    retype(code, QStringLiteral("0"));
    press(Qt::Key_Escape);
    QCOMPARE(code->text(), QStringLiteral("0010"));  // gaps are not reused
    QCOMPARE(focused(), QStringLiteral("コード"));

    // Leaving formats but proposes nothing.
    retype(code, QString());
    click(edit(&b, QStringLiteral("SAI")));
    QCOMPARE(code->text(), QStringLiteral("0000"));

    // Typing a stored code loads it and moves on to the name.
    retype(code, QStringLiteral("9"));
    press(Qt::Key_Return);
    QCOMPARE(code->text(), QStringLiteral("0009"));
    QCOMPARE(edit(&b, QStringLiteral("登録名"))->text(), QStringLiteral("ＡＥ８６"));
    QCOMPARE(shownValues(&b), masterValues(9));
    QCOMPARE(focused(), QStringLiteral("登録名"));

    // Leaving with a changed code loads too; an unchanged code keeps edits.
    retype(code, QStringLiteral("1"));
    click(edit(&b, QStringLiteral("SAI")));
    QCOMPARE(shownValues(&b), masterValues(1));
    typeKeypad(QStringLiteral("7"));
    click(code);
    press(Qt::Key_Return);
    QCOMPARE(edit(&b, QStringLiteral("SAI"))->text(), QStringLiteral("7.00"));

    // A free code keeps what is shown, ready to be stored under it.
    retype(code, QStringLiteral("20"));
    press(Qt::Key_Return);
    QCOMPARE(code->text(), QStringLiteral("0020"));
    QCOMPARE(edit(&b, QStringLiteral("登録名"))->text(), QStringLiteral("ＢＮＲ３２"));
    QCOMPARE(edit(&b, QStringLiteral("SAI"))->text(), QStringLiteral("7.00"));
    QVERIFY(d.messages.take().isEmpty());
  }

  // No code left: the refusal, and the screen stays open with the code
  // field emptied and the focus in it.
  void noFreeCodeKeepsTheScreen() {
    DataDir d;
    insertMaster(d, 9999, QStringLiteral("最後"), masterValues(9));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    click(edit(&b, QStringLiteral("SAI")));
    typeText(QStringLiteral("1.5"));
    click(edit(&b, QStringLiteral("コード")));
    press(Qt::Key_Return);
    const auto m = d.messages.take();
    QCOMPARE(m.size(), 1);
    QCOMPARE(m[0].title, kCaption);
    QCOMPARE(m[0].text, QStringLiteral("これ以上登録できません。空きコードを利用するか、データを削除してください！"));
    QCOMPARE(m[0].icon, MessageRequest::Icon::Critical);
    QVERIFY(b.isVisible());
    QCOMPARE(edit(&b, QStringLiteral("コード"))->text(), QString());
    QCOMPARE(focused(), QStringLiteral("コード"));
    QCOMPARE(edit(&b, QStringLiteral("SAI"))->text(), QStringLiteral("1.50"));
    // A free code can still be typed.
    typeText(QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(edit(&b, QStringLiteral("コード"))->text(), QStringLiteral("0012"));
    QCOMPARE(focused(), QStringLiteral("登録名"));
  }

  void saveStoresAll28Columns() {
    DataDir d;
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    press(Qt::Key_Return);  // proposes 0001
    typeText(QStringLiteral("BNR32 ｽｶｲﾗｲﾝ"));
    QStringList expected;
    for (int i = 0; i < 26; ++i) {
      press(Qt::Key_Return);
      const QString sign = i % 2 ? QStringLiteral("-") : QStringLiteral("+");
      typeText(sign + QString::number(i) + QStringLiteral(".5"));
      expected << (i % 2 ? sign : QString()) + QString::number(i) + QStringLiteral(".50");
    }
    press(Qt::Key_Return);
    d.messages.answer(true);
    click(control<QPushButton>(&b, QStringLiteral("Save_Switch")));
    auto m = d.messages.take();
    QCOMPARE(m.size(), 1);
    QCOMPARE(m[0].text, QStringLiteral("登録しますか？"));
    QCOMPARE(m[0].title, kCaption);
    QCOMPARE(focused(), QStringLiteral("コード"));
    const QVariantMap row = masterRow(d, 1);
    QCOMPARE(row.size(), 28);
    QCOMPARE(row.value(QStringLiteral("登録名")).toString(), QStringLiteral("BNR32 ｽｶｲﾗｲﾝ"));
    const QStringList cols = standardColumns();
    const QStringList shown = shownValues(&b);
    for (int i = 0; i < 26; ++i) {
      QCOMPARE(shown[i], expected[i]);
      QCOMPARE(row.value(cols[i]).toString(), shown[i]);
    }
    QCOMPARE(listCodes(&b), QStringList{QStringLiteral("0001")});

    // Overwriting asks first; No leaves table and list alone.
    retype(edit(&b, QStringLiteral("登録名")), QStringLiteral("新しい名前"));
    d.messages.answer(false);
    click(control<QPushButton>(&b, QStringLiteral("Save_Switch")));
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("上書きしますか？"));
    QCOMPARE(masterRow(d, 1).value(QStringLiteral("登録名")).toString(), QStringLiteral("BNR32 ｽｶｲﾗｲﾝ"));
    d.messages.answer(true);
    click(control<QPushButton>(&b, QStringLiteral("Save_Switch")));
    QCOMPARE(masterRow(d, 1).value(QStringLiteral("登録名")).toString(), QStringLiteral("新しい名前"));
    QCOMPARE(grid(&b)->model()->index(0, 1).data().toString(), QStringLiteral("新しい名前"));
  }

  void deleteAndClear() {
    DataDir d;
    insertMaster(d, 4, QStringLiteral("ＢＮＲ３２"), masterValues(4));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    typeText(QStringLiteral("5"));
    press(Qt::Key_Escape);
    d.messages.answer(true);
    click(control<QPushButton>(&b, QStringLiteral("Delete_Switch")));
    auto m = d.messages.take();
    QCOMPARE(m.value(0).text, QStringLiteral("コード[0005]のアライメントマスタは登録されていません！"));
    QCOMPARE(m.value(0).buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(m.value(0).icon, MessageRequest::Icon::None);
    QCOMPARE(d.count(QStringLiteral("アライメントマスタ")), 1);

    retype(edit(&b, QStringLiteral("コード")), QStringLiteral("4"));
    press(Qt::Key_Return);
    d.messages.answer(false);
    click(control<QPushButton>(&b, QStringLiteral("Delete_Switch")));
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("コード[0004]のアライメントマスタを削除しますか？"));
    QCOMPARE(d.count(QStringLiteral("アライメントマスタ")), 1);
    d.messages.answer(true);
    click(control<QPushButton>(&b, QStringLiteral("Delete_Switch")));
    QCOMPARE(d.messages.take().size(), 1);
    QCOMPARE(d.count(QStringLiteral("アライメントマスタ")), 0);
    QCOMPARE(listCodes(&b), QStringList());
    QCOMPARE(shownValues(&b), masterValues(4));  // the screen still shows it
    QCOMPARE(focused(), QStringLiteral("コード"));

    d.messages.answer(false);
    click(control<QPushButton>(&b, QStringLiteral("Init_Switch")));
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("画面を初期化しますか？"));
    QCOMPARE(shownValues(&b), masterValues(4));
    d.messages.answer(true);
    click(control<QPushButton>(&b, QStringLiteral("Init_Switch")));
    for (const QString& n : baseChain()) QCOMPARE(edit(&b, n)->text(), QString());
    QCOMPARE(focused(), QStringLiteral("コード"));
  }

  void doubleClickOnTheListLoads() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    insertMaster(d, 8, QStringLiteral("ＢＮＲ３２"), masterValues(8));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    QTableView* g = grid(&b);
    const QPoint p = g->visualRect(g->model()->index(1, 1)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(edit(&b, QStringLiteral("コード"))->text(), QStringLiteral("0008"));
    QCOMPARE(edit(&b, QStringLiteral("登録名"))->text(), QStringLiteral("ＢＮＲ３２"));
    QCOMPARE(shownValues(&b), masterValues(8));
    QCOMPARE(focused(), QStringLiteral("コード"));
  }

  void copyStoresWhatIsShownUnderAFreeCode() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    insertMaster(d, 5, QStringLiteral("使用中"), masterValues(5));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    auto* copy = control<QPushButton>(&b, QStringLiteral("Copy_Switch"));
    // A blank code (the field is formatted as soon as it is left, so only
    // the routine itself sees one): nothing happens.
    QCOMPARE(b.Copy_Amaster(), 0);
    QVERIFY(d.messages.take().isEmpty());

    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    retype(edit(&b, QStringLiteral("登録名")), QStringLiteral("ＡＥ８６改"));
    click(edit(&b, QStringLiteral("キャンバー範囲R(1)")));
    press(Qt::Key_1, Qt::KeypadModifier);  // an unsaved edit
    QString title, label3, focusedThere;
    QColor targetColour;
    QList<ShownMessage> refusal;
    bool stayedOpen = false;
    onNextModal([&](QDialog* dialog) {
      title = dialog->windowTitle();
      label3 = control<QLabel>(dialog, QStringLiteral("Label3"))->text();
      QLineEdit* target = edit(dialog, QStringLiteral("コード"));
      focusedThere = focused();
      targetColour = background(target);
      typeText(QStringLiteral("5"));
      click(control<QPushButton>(dialog, QStringLiteral("CopySwitch")));
      refusal = d.messages.take();
      stayedOpen = dialog->isVisible();
      target->selectAll();
      typeText(QStringLiteral("12"));
      click(control<QPushButton>(dialog, QStringLiteral("CopySwitch")));
      if (dialog->isVisible()) dialog->reject();
    });
    click(copy);
    QVERIFY(showAndActivate(&b));  // the window system gives the focus back
    QCOMPARE(title, QStringLiteral("アライメント 基本データ複写"));
    QCOMPARE(label3, QStringLiteral("コピー先のコード番号"));
    QCOMPARE(focusedThere, QStringLiteral("コード"));
    QCOMPARE(targetColour, Colours::Focus);
    QCOMPARE(refusal.size(), 1);
    QCOMPARE(refusal[0].title, QStringLiteral("アライメント 基本データ複写"));
    QCOMPARE(refusal[0].text, QStringLiteral("すでに登録されているコード番号のアライメントマスタにＣＯＰＹはできません！"));
    QCOMPARE(refusal[0].icon, MessageRequest::Icon::Critical);
    QVERIFY(stayedOpen);
    QCOMPARE(masterRow(d, 5).value(QStringLiteral("登録名")).toString(), QStringLiteral("使用中"));
    const QVariantMap row = masterRow(d, 12);
    QCOMPARE(row.size(), 28);
    QCOMPARE(row.value(QStringLiteral("登録名")).toString(), QStringLiteral("ＡＥ８６改"));
    QStringList expected = masterValues(3);
    expected[24] = QStringLiteral("1.00");  // キャンバー範囲R(1), stored as キャンバーet_R
    const QStringList cols = standardColumns();
    for (int i = 0; i < 26; ++i) QCOMPARE(row.value(cols[i]).toString(), expected[i]);
    // The source stays on screen and unchanged in the table; the list shows the copy.
    QCOMPARE(edit(&b, QStringLiteral("コード"))->text(), QStringLiteral("0003"));
    QCOMPARE(masterRow(d, 3).value(QStringLiteral("キャンバーet_R")).toString(), QStringLiteral("3.25"));
    QCOMPARE(listCodes(&b), (QStringList{QStringLiteral("0003"), QStringLiteral("0005"), QStringLiteral("0012")}));
    QCOMPARE(focused(), QStringLiteral("コード"));

    // キャンセル writes nothing.
    onNextModal([](QDialog* dialog) {
      typeText(QStringLiteral("20"));
      click(control<QPushButton>(dialog, QStringLiteral("ExitSwitch")));
      if (dialog->isVisible()) dialog->reject();
    });
    click(copy);
    QVERIFY(showAndActivate(&b));  // the window system gives the focus back
    QCOMPARE(d.count(QStringLiteral("アライメントマスタ")), 3);
  }

  void closesByF12AndEngineErrorsChangeNothing() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    d.failWrites(QStringLiteral("アライメントマスタ"), {QStringLiteral("UPDATE")});
    {
      AraimentBase b;
      QVERIFY(showAndActivate(&b));
      typeText(QStringLiteral("3"));
      press(Qt::Key_Return);
      retype(edit(&b, QStringLiteral("登録名")), QStringLiteral("変更"));
      d.messages.answer(true);
      click(control<QPushButton>(&b, QStringLiteral("Save_Switch")));
      const auto m = d.messages.take();
      QCOMPARE(m.size(), 2);
      QCOMPARE(m[1].icon, MessageRequest::Icon::Critical);
      QCOMPARE(m[1].title, kCaption);
      QCOMPARE(edit(&b, QStringLiteral("登録名"))->text(), QStringLiteral("変更"));
      QCOMPARE(masterRow(d, 3).value(QStringLiteral("登録名")).toString(), QStringLiteral("ＡＥ８６"));
      press(Qt::Key_F12);
      QVERIFY(!b.isVisible());
    }
  }
};

ASHIMEMO_TEST(AraimentBaseTest)
#include "tst_araimentbase.moc"
