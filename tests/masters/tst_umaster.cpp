// The user master U_Master and its copy dialog Umaster_Copy: keyboard-only
// entry, overwrite and deletion with the stored rows read back, the Enter/Esc
// chain, the byte budgets, the code field's rules and the copy.
#include "masterhelpers.h"
#include "masters/u_master.h"
#include "screens/fields.h"
#include "support/testmain.h"

#include <QLabel>

namespace {

const QString kCaption = QStringLiteral("ユーザーの登録");
const QStringList kChain{"名前", "フリガナ", "郵便番号", "住所(0)", "住所(1)", "電話番号",
                         "携帯番号", "FAX番号", "メールアドレス", "備考"};

void addUser(DataDir& dir, int code, const QStringList& texts) {
  QVariantList v{code};
  for (int i = 0; i < 10; ++i) v << texts.value(i);
  dir.exec(QStringLiteral("INSERT INTO ユーザー VALUES (?,?,?,?,?,?,?,?,?,?,?)"), v);
}

const QStringList kSato{"佐藤　一郎", "ｻﾄｳ ｲﾁﾛｳ", "084-0905", "北海道釧路市鳥取南５丁目", "コーポ鳥取２０１",
                        "0154-12-3456", "090-1234-5678", "0154-12-3457", "sato@example.jp", "ＡＥ８６"};

}  // namespace

class UMasterTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void keyboardOnlyEntrySavesTrimmedTexts() {
    DataDir dir;
    U_Master u;
    QVERIFY(showAndActivate(&u));
    QCOMPARE(u.windowTitle(), kCaption);
    QCOMPARE(u.codeField()->text(), QString());
    press(Qt::Key_Return);  // an empty table proposes 0001
    QCOMPARE(u.codeField()->text(), QStringLiteral("0001"));
    const QStringList typed{"佐藤　一郎", "ｻﾄｳ ｲﾁﾛｳ", "084-0905", "北海道釧路市", "  コーポ２０１  ",
                            "0154-12-3456", "090-1234-5678", "", "sato@example.jp", "常連"};
    for (int i = 0; i < typed.size(); ++i) {
      QCOMPARE(focused(), edit(&u, kChain[i]));
      QCOMPARE(background(focused()), Colours::Focus);
      typeText(typed[i]);
      press(Qt::Key_Return);
    }
    QCOMPARE(focused(), edit(&u, QStringLiteral("備考")));  // Enter in the last field stays
    press(Qt::Key_Tab);
    QCOMPARE(focused(), control<QWidget>(&u, QStringLiteral("Save_Switch")));
    dir.messages.answer(true);
    press(Qt::Key_Space);
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, kCaption);
    QCOMPARE(shown[0].text, QStringLiteral("登録しますか？"));

    const QVariantMap row = dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=1"));
    QCOMPARE(row.value(QStringLiteral("コード")).toInt(), 1);
    QCOMPARE(row.value(QStringLiteral("名前")).toString(), QStringLiteral("佐藤　一郎"));
    QCOMPARE(row.value(QStringLiteral("フリガナ")).toString(), QStringLiteral("ｻﾄｳ ｲﾁﾛｳ"));
    QCOMPARE(row.value(QStringLiteral("郵便番号")).toString(), QStringLiteral("084-0905"));
    QCOMPARE(row.value(QStringLiteral("住所1")).toString(), QStringLiteral("北海道釧路市"));
    QCOMPARE(row.value(QStringLiteral("住所2")).toString(), QStringLiteral("コーポ２０１"));
    QCOMPARE(row.value(QStringLiteral("電話番号")).toString(), QStringLiteral("0154-12-3456"));
    QCOMPARE(row.value(QStringLiteral("携帯番号")).toString(), QStringLiteral("090-1234-5678"));
    QVERIFY(!row.value(QStringLiteral("FAX番号")).isNull());  // blank is stored as "", never null
    QCOMPARE(row.value(QStringLiteral("FAX番号")).toString(), QString());
    QCOMPARE(row.value(QStringLiteral("メールアドレス")).toString(), QStringLiteral("sato@example.jp"));
    QCOMPARE(row.value(QStringLiteral("備考")).toString(), QStringLiteral("常連"));
    QCOMPARE(listCell(u, 0, 0), QStringLiteral("0001"));
    QCOMPARE(listCell(u, 0, 1), QStringLiteral("佐藤　一郎"));

    // Cleared and loaded again, the trimmed texts come back.
    dir.messages.answer(true);
    click(&u, QStringLiteral("Init_Switch"));
    dir.messages.take();
    for (const QString& name : kChain) QCOMPARE(edit(&u, name)->text(), QString());
    typeText(QStringLiteral("1"));
    press(Qt::Key_Return);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0001"));
    QCOMPARE(edit(&u, QStringLiteral("住所(1)"))->text(), QStringLiteral("コーポ２０１"));
    QCOMPARE(edit(&u, QStringLiteral("FAX番号"))->text(), QString());
    QCOMPARE(focused(), edit(&u, QStringLiteral("名前")));
  }

  void overwriteAndDeleteAUser() {
    DataDir dir;
    addUser(dir, 3, kSato);
    addUser(dir, 5, {"鈴木　花子"});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    QCOMPARE(edit(&u, QStringLiteral("備考"))->text(), QStringLiteral("ＡＥ８６"));
    retype(edit(&u, QStringLiteral("携帯番号")), QStringLiteral("080-0000-1111"));
    dir.messages.answer(true);
    click(&u, QStringLiteral("Save_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("上書きしますか？"));
    const QVariantMap row = dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=3"));
    QCOMPARE(row.value(QStringLiteral("携帯番号")).toString(), QStringLiteral("080-0000-1111"));
    QCOMPARE(row.value(QStringLiteral("名前")).toString(), QStringLiteral("佐藤　一郎"));
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 2);

    dir.messages.answer(true);
    click(&u, QStringLiteral("Delete_Switch"));
    auto shown = dir.messages.take();
    QCOMPARE(shown[0].text, QStringLiteral("コード[0003]のユーザーを削除しますか？"));
    QCOMPARE(shown[0].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 1);
    QVERIFY(dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=3")).isEmpty());
    QCOMPARE(u.list()->model()->rowCount(), 1);
    QCOMPARE(listCell(u, 0, 0), QStringLiteral("0005"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("佐藤　一郎"));
    QCOMPARE(focused(), u.codeField());

    dir.messages.answer(false);
    click(&u, QStringLiteral("Delete_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("コード[0003]のユーザーは登録されていません！"));
    // Saving again re-creates the deleted user from the screen.
    dir.messages.answer(true);
    click(&u, QStringLiteral("Save_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("登録しますか？"));
    QCOMPARE(stored(dir, QStringLiteral("SELECT 住所1 FROM ユーザー WHERE コード=3"), QStringLiteral("住所1")),
             QStringLiteral("北海道釧路市鳥取南５丁目"));
  }

  void enterAndEscWalkTheChain() {
    DataDir dir;
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeText(QStringLiteral("1"));
    press(Qt::Key_Return);
    for (int i = 1; i < kChain.size(); ++i) {
      press(Qt::Key_Return);
      QCOMPARE(focused(), edit(&u, kChain[i]));
      QCOMPARE(background(edit(&u, kChain[i - 1])), Colours::normal());
    }
    press(Qt::Key_Return);
    QCOMPARE(focused(), edit(&u, QStringLiteral("備考")));
    press(Qt::Key_Escape);
    QCOMPARE(focused(), edit(&u, QStringLiteral("メールアドレス")));
    for (int i = kChain.size() - 3; i >= 0; --i) {
      press(Qt::Key_Escape);
      QCOMPARE(focused(), edit(&u, kChain[i]));
    }
    press(Qt::Key_Escape);
    QCOMPARE(focused(), u.codeField());
    QVERIFY(dir.messages.take().isEmpty());
  }

  void codeFieldRules() {
    DataDir dir;
    addUser(dir, 7, kSato);
    U_Master u;
    QVERIFY(showAndActivate(&u));
    // Leaving a blank code by a click shows 0000 and proposes nothing.
    QTest::mouseClick(edit(&u, QStringLiteral("名前")), Qt::LeftButton);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0000"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QString());
    // Leaving a changed code loads it.
    retype(u.codeField(), QStringLiteral("7"));
    QTest::mouseClick(edit(&u, QStringLiteral("郵便番号")), Qt::LeftButton);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0007"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("佐藤　一郎"));
    // Enter on a blank code proposes the next code.
    retype(u.codeField(), QString());
    press(Qt::Key_Return);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0008"));
    // The code field takes four characters.
    retype(u.codeField(), QStringLiteral("123456"));
    QCOMPARE(u.codeField()->text(), QStringLiteral("1234"));
    QVERIFY(dir.messages.take().isEmpty());
  }

  void noCodeLeftKeepsTheScreen() {
    DataDir dir;
    addUser(dir, 9999, {"最後の人"});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    edit(&u, QStringLiteral("名前"))->setText(QStringLiteral("入力中"));
    press(Qt::Key_Return);
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, kCaption);
    QCOMPARE(shown[0].text, QStringLiteral("これ以上登録できません。空きコードを利用するか、データを削除してください！"));
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QVERIFY(u.isVisible());
    QCOMPARE(u.codeField()->text(), QString());
    QCOMPARE(focused(), u.codeField());
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("入力中"));
    typeText(QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0012"));
    QCOMPARE(focused(), edit(&u, QStringLiteral("名前")));
  }

  void byteBudgetsWhileTyping() {
    DataDir dir;
    U_Master u;
    QVERIFY(showAndActivate(&u));
    QLineEdit* name = edit(&u, QStringLiteral("名前"));
    name->setFocus();
    typeText(QString(14, QChar(u'あ')));  // twelve full-width characters fill 24 bytes
    QCOMPARE(name->text(), QString(12, QChar(u'あ')));
    retype(name, QString(26, u'a'));
    QCOMPARE(name->text(), QString(24, u'a'));
    QLineEdit* kana = edit(&u, QStringLiteral("フリガナ"));
    kana->setFocus();
    typeText(QString(26, QChar(u'ｱ')));  // half-width katakana take one byte
    QCOMPARE(kana->text(), QString(24, QChar(u'ｱ')));

    // 住所 and 備考: 60 bytes on entering, 30 after the first keystroke.
    for (const QString& f : {QStringLiteral("住所(0)"), QStringLiteral("備考")}) {
      QLineEdit* field = edit(&u, f);
      field->setFocus();
      typeText(QString(17, QChar(u'北')));
      QCOMPARE(field->text(), QString(15, QChar(u'北')));
    }
    QLineEdit* postcode = edit(&u, QStringLiteral("郵便番号"));
    postcode->setFocus();
    typeText(QStringLiteral("084-09051"));
    QCOMPARE(postcode->text(), QStringLiteral("084-0905"));
  }

  void aLongStoredAddressStaysWhole() {
    DataDir dir;
    const QString address = QString(20, QChar(u'道'));  // 40 bytes
    addUser(dir, 2, {"a", "", "", address});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeText(QStringLiteral("2"));
    press(Qt::Key_Return);
    QLineEdit* field = edit(&u, QStringLiteral("住所(0)"));
    QCOMPARE(field->text(), address);
    field->setFocus();
    field->end(false);
    // The first keystroke is judged against 60 bytes, the next against 30.
    typeText(QStringLiteral("東西"));
    QCOMPARE(field->text(), address + QStringLiteral("東"));
    press(Qt::Key_Backspace);
    QCOMPARE(field->text(), address);
  }

  void longStoredNumbersAndMailStayWhole() {
    // Values written by another program may be longer than the typing
    // limits; showing and saving them again keeps them whole.
    DataDir dir;
    const QString mail = QString(130, u'm');
    addUser(dir, 2, {"a", "", "084-09051", "", "", "0154-12-3456-789", "", "", mail});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeText(QStringLiteral("2"));
    press(Qt::Key_Return);
    QCOMPARE(edit(&u, QStringLiteral("郵便番号"))->text(), QStringLiteral("084-09051"));
    QCOMPARE(edit(&u, QStringLiteral("電話番号"))->text(), QStringLiteral("0154-12-3456-789"));
    dir.messages.answer(true);
    click(&u, QStringLiteral("Save_Switch"));
    const QVariantMap row = dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=2"));
    QCOMPARE(row.value(QStringLiteral("電話番号")).toString(), QStringLiteral("0154-12-3456-789"));
    QCOMPARE(row.value(QStringLiteral("メールアドレス")).toString(), mail);
    // Typing still stops at the limit.
    QLineEdit* zip = edit(&u, QStringLiteral("郵便番号"));
    zip->setFocus();
    zip->selectAll();
    typeText(QStringLiteral("123456789"));
    QCOMPARE(zip->text(), QStringLiteral("12345678"));
  }

  void copyStoresWhatIsShownUnderAFreeCode() {
    DataDir dir;
    addUser(dir, 3, kSato);
    addUser(dir, 4, {"使用中"});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    retype(edit(&u, QStringLiteral("名前")), QStringLiteral("佐藤　二郎"));  // not saved under 3
    bool done = false;
    onNextModal([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("ユーザー 基本データ複写"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("Label2"))->text(), QStringLiteral("画面のユーザーを指定番号にコピーします"));
      QLineEdit* code = edit(d, QStringLiteral("コード"));
      QCOMPARE(code->maxLength(), 4);
      QCOMPARE(focused(), code);
      typeText(QStringLiteral("4"));
      click(d, QStringLiteral("CopySwitch"));
      auto shown = dir.messages.take();
      QCOMPARE(shown.size(), 1);
      QCOMPARE(shown[0].title, QStringLiteral("ユーザー 基本データ複写"));
      QCOMPARE(shown[0].text, QStringLiteral("すでに登録されているコード番号のユーザーにＣＯＰＹはできません！"));
      QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
      QVERIFY(d->isVisible());
      typeText(QStringLiteral("7"));
      click(d, QStringLiteral("CopySwitch"));
      done = true;
    });
    click(&u, QStringLiteral("Copy_Switch"));
    QVERIFY(done);
    reactivate(&u);
    QCOMPARE(focused(), u.codeField());
    const QVariantMap copy = dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=7"));
    QCOMPARE(copy.value(QStringLiteral("名前")).toString(), QStringLiteral("佐藤　二郎"));
    QCOMPARE(copy.value(QStringLiteral("住所2")).toString(), QStringLiteral("コーポ鳥取２０１"));
    QCOMPARE(copy.value(QStringLiteral("備考")).toString(), QStringLiteral("ＡＥ８６"));
    QCOMPARE(stored(dir, QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=3"), QStringLiteral("名前")),
             QStringLiteral("佐藤　一郎"));
    QCOMPARE(u.codeField()->text(), QStringLiteral("0003"));
    QCOMPARE(u.list()->model()->rowCount(), 3);
    QCOMPARE(listCell(u, 2, 0), QStringLiteral("0007"));
    QCOMPARE(listCell(u, 2, 1), QStringLiteral("佐藤　二郎"));
    // The list row loads by a double-click on its name.
    ListGrid* grid = u.list();
    const QRect cellRect = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellRect.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellRect.center());
    QCOMPARE(u.codeField()->text(), QStringLiteral("0003"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("佐藤　一郎"));
    QVERIFY(dir.messages.take().isEmpty());
  }
};

ASHIMEMO_TEST(UMasterTest)
#include "tst_umaster.moc"
