// The shared record screen, driven through a small screen over the user
// table: the code field and its proposal, the Enter/Esc chain, the buttons
// with their messages, the list and its double-click, F12, engine errors and
// the copy dialog.
#include "data/database.h"
#include "data/rules.h"
#include "screens/copydialog.h"
#include "screens/fields.h"
#include "screens/recordscreen.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("テスト画面");

class TinyScreen : public RecordScreen {
 public:
  explicit TinyScreen(bool proposeOnLeave = false) : RecordScreen(nullptr, settings(proposeOnLeave)) {
    name = new QLineEdit(this);
    nameControl(name, QStringLiteral("名前"));
    kana = new QLineEdit(this);
    nameControl(kana, QStringLiteral("フリガナ"));
    bodyLayout()->addWidget(name);
    bodyLayout()->addWidget(kana);
    setChain({name, kana});
    finishSetUp();
  }
  static RecordScreenConfig settings(bool proposeOnLeave) {
    RecordScreenConfig c;
    c.caption = kCaption;
    c.codes = &UserCodes;
    c.recordWord = QStringLiteral("ユーザー");
    c.selectSql = QStringLiteral("SELECT * FROM ユーザー WHERE コード=");
    c.listSql = QStringLiteral("SELECT ユーザー.コード, ユーザー.名前 From ユーザー ORDER BY ユーザー.コード");
    c.columns = {{QStringLiteral("ｺｰﾄﾞ"), QStringLiteral("コード"), QStringLiteral("0000")},
                 {QStringLiteral("名前"), QStringLiteral("名前"), QString()}};
    c.proposeCodeOnLeave = proposeOnLeave;
    return c;
  }
  void clearFields() override {
    name->setText(QStringLiteral("初期値"));
    kana->clear();
  }
  void showRecord(const Recordset& rs) override {
    name->setText(rs.text(QStringLiteral("名前")).trimmed());
    kana->setText(rs.text(QStringLiteral("フリガナ")).trimmed());
    ++loads;
  }
  void writeFields(Recordset& rs) const override {
    rs.setField(QStringLiteral("名前"), storedText(name));
    rs.setField(QStringLiteral("フリガナ"), storedText(kana));
  }
  void openCopyDialog() override {
    CopyDialogConfig c;
    c.caption = QStringLiteral("テスト複写");
    c.codes = &UserCodes;
    c.selectSql = QStringLiteral("SELECT * FROM ユーザー WHERE コード=");
    c.refusal = QStringLiteral("すでに登録されているコード番号のユーザーにＣＯＰＹはできません！");
    c.whatIsCopied = QStringLiteral("画面のユーザーを指定番号にコピーします");
    c.writeFields = [this](Recordset& rs) { writeFields(rs); };
    CopyDialog dialog(this, c);
    dialog.exec();
  }
  QLineEdit* name;
  QLineEdit* kana;
  int loads = 0;
};

void addUser(DataDir& dir, int code, const QString& name, const QString& kana = QString()) {
  dir.exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前, フリガナ) VALUES (?, ?, ?)"), {code, name, kana});
}

QWidget* focused() { return QApplication::focusWidget(); }

// What the window manager does when a dialog or message box over a window
// closes (the offscreen platform does not).
void reactivate(QWidget* window) {
  QApplication::setActiveWindow(window);
  QCoreApplication::processEvents();
}

void click(QWidget* root, const QString& name) { QTest::mouseClick(control<QPushButton>(root, name), Qt::LeftButton); }

QString cell(RecordScreen& s, int row, int column) { return s.list()->data1()->cellText(row, column); }

// A message seam that shows a real message box, so that the screen loses
// the activation as it does for the user, and closes it at once.
class RealBoxes : public MessageSeam {
 public:
  RealBoxes() : previous_(Msg::seam()) { Msg::setSeam(this); }
  ~RealBoxes() override { Msg::setSeam(previous_); }
  bool show(const MessageRequest& r) override {
    texts << r.text;
    QMessageBox box(r.parent);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    box.addButton(QMessageBox::Ok);
    QTimer::singleShot(50, &box, [&box] { box.accept(); });
    box.exec();
    return true;
  }
  QStringList texts;

 private:
  MessageSeam* previous_;
};

}  // namespace

class RecordScreenTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void opensClearedWithTheListInCodeOrder() {
    DataDir dir;
    addUser(dir, 12, QStringLiteral("鈴木"));
    addUser(dir, 3, QStringLiteral("佐藤"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    QCOMPARE(s.windowTitle(), kCaption);
    QCOMPARE(s.codeField()->text(), QString());
    QCOMPARE(s.name->text(), QStringLiteral("初期値"));
    QCOMPARE(focused(), s.codeField());
    QCOMPARE(background(s.codeField()), Colours::Focus);
    QCOMPARE(s.list()->model()->rowCount(), 2);
    QCOMPARE(cell(s, 0, 0), QStringLiteral("0003"));
    QCOMPARE(cell(s, 1, 0), QStringLiteral("0012"));
    QCOMPARE(cell(s, 1, 1), QStringLiteral("鈴木"));
    QCOMPARE(s.list()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ｺｰﾄﾞ"));
    const QStringList captions{"登 録", "削 除", "中 止", "複 写", "閉じる"};
    const QStringList names{"Save_Switch", "Delete_Switch", "Init_Switch", "Copy_Switch", "Close_Switch"};
    for (int i = 0; i < names.size(); ++i) {
      auto* b = control<QPushButton>(&s, names[i]);
      QCOMPARE(b->text(), captions[i]);
      QVERIFY(!b->autoDefault());
    }
    QVERIFY(dir.messages.take().isEmpty());
  }

  void enterInTheCodeFormatsLoadsAndWalksTheChain() {
    DataDir dir;
    addUser(dir, 7, QStringLiteral("佐藤　一郎"), QStringLiteral("ｻﾄｳ"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    // A code that is not stored leaves the fields as they were.
    typeText(QStringLiteral("8"));
    press(Qt::Key_Return);
    QCOMPARE(s.codeField()->text(), QStringLiteral("0008"));
    QCOMPARE(s.name->text(), QStringLiteral("初期値"));
    QCOMPARE(focused(), s.name);
    QCOMPARE(background(s.name), Colours::Focus);
    QCOMPARE(background(s.codeField()), Colours::normal());
    press(Qt::Key_Escape);
    QCOMPARE(focused(), s.codeField());
    // The keypad Enter counts as Enter.
    s.codeField()->selectAll();
    typeText(QStringLiteral("7"));
    press(Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(s.codeField()->text(), QStringLiteral("0007"));
    QCOMPARE(s.name->text(), QStringLiteral("佐藤　一郎"));
    QCOMPARE(s.kana->text(), QStringLiteral("ｻﾄｳ"));
    QCOMPARE(focused(), s.name);
    QCOMPARE(s.loads, 1);  // leaving the code field did not read it again
    press(Qt::Key_Return);
    QCOMPARE(focused(), s.kana);
    press(Qt::Key_Return);  // the last field keeps the focus
    QCOMPARE(focused(), s.kana);
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QCOMPARE(focused(), s.codeField());
    press(Qt::Key_Escape);  // Esc in the code field stays, and never closes
    QCOMPARE(focused(), s.codeField());
    QVERIFY(s.isVisible());
    QVERIFY(dir.messages.take().isEmpty());
  }

  void editsSurviveReenteringTheCodeField() {
    DataDir dir;
    addUser(dir, 7, QStringLiteral("佐藤"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("7"));
    press(Qt::Key_Return);
    typeText(QStringLiteral("様"));
    press(Qt::Key_Escape);
    press(Qt::Key_Tab);
    QCOMPARE(s.name->text(), QStringLiteral("佐藤様"));
    QCOMPARE(s.loads, 1);
  }

  void blankCodeProposesTheNextFreeCode() {
    DataDir dir;
    addUser(dir, 1, QStringLiteral("a"));
    addUser(dir, 9, QStringLiteral("b"));
    {
      TinyScreen s;
      QVERIFY(showAndActivate(&s));
      press(Qt::Key_Return);
      QCOMPARE(s.codeField()->text(), QStringLiteral("0010"));  // gaps are not reused
      QCOMPARE(focused(), s.name);
      // Leaving without a proposal on leave: a blank code shows "0000".
      s.codeField()->setFocus();
      s.codeField()->clear();
      s.name->setFocus();
      QCOMPARE(s.codeField()->text(), QStringLiteral("0000"));
    }
    {
      TinyScreen s(true);
      QVERIFY(showAndActivate(&s));
      s.name->setFocus();
      QCOMPARE(s.codeField()->text(), QStringLiteral("0010"));
    }
    QVERIFY(dir.messages.take().isEmpty());
  }

  void noCodeLeftKeepsTheScreen() {
    DataDir dir;
    addUser(dir, 9999, QStringLiteral("最後"));
    TinyScreen s(true);
    QVERIFY(showAndActivate(&s));
    s.name->setText(QStringLiteral("入力中"));
    s.codeField()->setFocus();
    press(Qt::Key_Return);
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, kCaption);
    QCOMPARE(shown[0].text, QStringLiteral("これ以上登録できません。空きコードを利用するか、データを削除してください！"));
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QCOMPARE(shown[0].buttons, MessageRequest::Buttons::Ok);
    QVERIFY(s.isVisible());
    QCOMPARE(s.codeField()->text(), QString());
    QCOMPARE(focused(), s.codeField());
    QCOMPARE(s.name->text(), QStringLiteral("入力中"));
    // Leaving for a body field with the proposal on leave: the same refusal,
    // and the focus comes back to the code field.
    QTest::mouseClick(s.name, Qt::LeftButton);
    QCOMPARE(dir.messages.take().size(), 1);
    QTRY_COMPARE(focused(), s.codeField());
    // A free code typed by hand still works.
    typeText(QStringLiteral("5"));
    press(Qt::Key_Return);
    QCOMPARE(s.codeField()->text(), QStringLiteral("0005"));
    QCOMPARE(focused(), s.name);
    QVERIFY(dir.messages.take().isEmpty());
  }

  void aRealMessageBoxDoesNotRerunTheCodeRule() {
    // The refusal takes the activation from the screen; the code field's
    // leave rule must not run under it (it would propose and refuse again).
    DataDir dir;
    addUser(dir, 9999, QStringLiteral("最後"));
    TinyScreen s(true);
    QVERIFY(showAndActivate(&s));
    RealBoxes boxes;
    press(Qt::Key_Return);
    QCOMPARE(boxes.texts.size(), 1);
    reactivate(&s);
    QTRY_COMPARE(focused(), s.codeField());
    QCOMPARE(background(s.codeField()), Colours::Focus);
    QCOMPARE(boxes.texts.size(), 1);
  }

  void saveAsksAndWritesAndRefreshesTheList() {
    DataDir dir;
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("4"));
    press(Qt::Key_Return);
    s.name->clear();
    typeText(QStringLiteral("新規"));
    // No: nothing is written.
    dir.messages.answer(false);
    click(&s, QStringLiteral("Save_Switch"));
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("登録しますか？"));
    QCOMPARE(shown[0].title, kCaption);
    QCOMPARE(shown[0].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(shown[0].icon, MessageRequest::Icon::None);
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 0);
    QCOMPARE(focused(), s.codeField());
    // Yes: the row is stored, blank text as "" rather than null.
    dir.messages.answer(true);
    click(&s, QStringLiteral("Save_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("登録しますか？"));
    QVariantMap row = dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=4"));
    QCOMPARE(row.value(QStringLiteral("名前")).toString(), QStringLiteral("新規"));
    QVERIFY(!row.value(QStringLiteral("フリガナ")).isNull());
    QCOMPARE(row.value(QStringLiteral("フリガナ")).toString(), QString());
    QCOMPARE(s.list()->model()->rowCount(), 1);
    QCOMPARE(cell(s, 0, 1), QStringLiteral("新規"));
    QCOMPARE(s.codeField()->text(), QStringLiteral("0004"));  // the screen is not cleared
    // An existing code asks to overwrite.
    s.name->setText(QStringLiteral("変更"));
    dir.messages.answer(false);
    click(&s, QStringLiteral("Save_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("上書きしますか？"));
    QCOMPARE(dir.row(QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=4")).value(QStringLiteral("名前")).toString(),
             QStringLiteral("新規"));
    QCOMPARE(cell(s, 0, 1), QStringLiteral("新規"));
    dir.messages.answer(true);
    click(&s, QStringLiteral("Save_Switch"));
    QCOMPARE(dir.row(QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=4")).value(QStringLiteral("名前")).toString(),
             QStringLiteral("変更"));
    QCOMPARE(cell(s, 0, 1), QStringLiteral("変更"));
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 1);
    dir.messages.take();
  }

  void blankCodeIsSavedUnderZero() {
    DataDir dir;
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    dir.messages.answer(true);
    click(&s, QStringLiteral("Save_Switch"));
    QCOMPARE(dir.row(QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=0")).value(QStringLiteral("名前")).toString(),
             QStringLiteral("初期値"));
    dir.messages.take();
  }

  void deleteAsksAndKeepsTheFields() {
    DataDir dir;
    addUser(dir, 5, QStringLiteral("消す人"));
    addUser(dir, 6, QStringLiteral("残る人"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("8"));
    press(Qt::Key_Return);
    dir.messages.answer(true);  // the answer is not used
    click(&s, QStringLiteral("Delete_Switch"));
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("コード[0008]のユーザーは登録されていません！"));
    QCOMPARE(shown[0].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 2);
    QCOMPARE(focused(), s.codeField());

    s.codeField()->selectAll();
    typeText(QStringLiteral("5"));
    press(Qt::Key_Return);
    dir.messages.answer(false);
    click(&s, QStringLiteral("Delete_Switch"));
    shown = dir.messages.take();
    QCOMPARE(shown[0].text, QStringLiteral("コード[0005]のユーザーを削除しますか？"));
    QCOMPARE(shown[0].icon, MessageRequest::Icon::None);
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 2);
    dir.messages.answer(true);
    click(&s, QStringLiteral("Delete_Switch"));
    dir.messages.take();
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 1);
    QCOMPARE(s.list()->model()->rowCount(), 1);
    QCOMPARE(cell(s, 0, 0), QStringLiteral("0006"));
    QCOMPARE(s.name->text(), QStringLiteral("消す人"));
    QCOMPARE(s.codeField()->text(), QStringLiteral("0005"));
    QCOMPARE(focused(), s.codeField());
  }

  void clearAsksFirst() {
    DataDir dir;
    addUser(dir, 5, QStringLiteral("佐藤"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("5"));
    press(Qt::Key_Return);
    dir.messages.answer(false);
    click(&s, QStringLiteral("Init_Switch"));
    auto shown = dir.messages.take();
    QCOMPARE(shown[0].text, QStringLiteral("画面を初期化しますか？"));
    QCOMPARE(shown[0].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(s.name->text(), QStringLiteral("佐藤"));
    QCOMPARE(focused(), s.codeField());
    dir.messages.answer(true);
    click(&s, QStringLiteral("Init_Switch"));
    dir.messages.take();
    QCOMPARE(s.codeField()->text(), QString());
    QCOMPARE(s.name->text(), QStringLiteral("初期値"));
    QCOMPARE(focused(), s.codeField());
  }

  void doubleClickLoadsWhicheverColumnWasClicked() {
    DataDir dir;
    for (int c = 1; c <= 5; ++c) addUser(dir, c, QStringLiteral("ユーザー%1").arg(c));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    s.name->setFocus();
    typeText(QStringLiteral("未保存"));
    ListGrid* grid = s.list();
    const QModelIndex nameCell = grid->model()->index(3, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(nameCell).center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(nameCell).center());
    QCOMPARE(s.codeField()->text(), QStringLiteral("0004"));
    QCOMPARE(s.name->text(), QStringLiteral("ユーザー4"));
    QCOMPARE(focused(), s.codeField());
    QCOMPARE(grid->currentIndex().column(), 0);
    // The arrow keys move the current row of the list.
    grid->setFocus();
    press(Qt::Key_Down);
    QCOMPARE(grid->currentIndex().row(), 4);
    press(Qt::Key_Escape);  // Esc in the list does not close the screen
    QVERIFY(s.isVisible());
    QVERIFY(dir.messages.take().isEmpty());
  }

  void f12AndCloseCloseWithoutAsking() {
    DataDir dir;
    {
      TinyScreen s;
      QVERIFY(showAndActivate(&s));
      s.name->setFocus();
      typeText(QStringLiteral("書きかけ"));
      press(Qt::Key_F11);
      QVERIFY(s.isVisible());
      press(Qt::Key_F12);
      QVERIFY(!s.isVisible());
    }
    {
      TinyScreen s;
      QVERIFY(showAndActivate(&s));
      control<QPushButton>(&s, QStringLiteral("Copy_Switch"))->setFocus();
      press(Qt::Key_Escape);
      press(Qt::Key_Return);
      QVERIFY(s.isVisible());
      click(&s, QStringLiteral("Close_Switch"));
      QVERIFY(!s.isVisible());
    }
    QVERIFY(dir.messages.take().isEmpty());
  }

  void engineErrorsLeaveTheScreenAsItWas() {
    DataDir dir;
    addUser(dir, 2, QStringLiteral("佐藤"), QStringLiteral("ｻﾄｳ"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    typeText(QStringLiteral("入力"));
    // A field has gone from the table: the load stops before anything is
    // shown and the save writes nothing.
    dir.exec(QStringLiteral("ALTER TABLE ユーザー DROP COLUMN フリガナ"));
    s.codeField()->setFocus();
    s.codeField()->selectAll();
    typeText(QStringLiteral("2"));
    press(Qt::Key_Return);
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, kCaption);
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QVERIFY(shown[0].text.startsWith(QStringLiteral("データファイルに必要な項目「")));
    QCOMPARE(s.name->text(), QStringLiteral("初期値入力"));
    dir.messages.answer(true);
    click(&s, QStringLiteral("Save_Switch"));
    shown = dir.messages.take();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text, QStringLiteral("上書きしますか？"));
    QCOMPARE(shown[1].icon, MessageRequest::Icon::Critical);
    QCOMPARE(shown[1].title, kCaption);
    QVERIFY2(shown[1].text.startsWith(DataDir::onServer() ? QStringLiteral("サーバー") : QStringLiteral("データファイル")),
             qPrintable(shown[1].text));
    QCOMPARE(dir.row(QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=2")).value(QStringLiteral("名前")).toString(),
             QStringLiteral("佐藤"));
    QVERIFY(s.isVisible());
    QCOMPARE(s.name->text(), QStringLiteral("初期値入力"));
  }

  void listFetchesLazilyAndNeverBlocksASave() {
    DataDir dir;
    dir.exec(QStringLiteral("BEGIN"));
    for (int c = 1; c <= 700; ++c) addUser(dir, c, QStringLiteral("ユーザー%1").arg(c));
    dir.exec(QStringLiteral("COMMIT"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    ListModel* model = s.list()->data1();
    QCOMPARE(model->objectName(), QStringLiteral("Data1"));
    QCOMPARE(model->rowCount(), model->pageSize());
    QVERIFY(model->canFetchMore(QModelIndex()));
    // With rows still unread the list holds no cursor on the file, so the
    // save on the shared connection goes through.
    typeText(QStringLiteral("701"));
    press(Qt::Key_Return);
    dir.messages.answer(true);
    click(&s, QStringLiteral("Save_Switch"));
    auto shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 701);
    // Scrolling to the end reads the rest.
    for (int i = 0; i < 10 && model->canFetchMore(QModelIndex()); ++i) {
      s.list()->scrollToBottom();
      QCoreApplication::processEvents();
    }
    QCOMPARE(model->rowCount(), 701);
    QCOMPARE(cell(s, 700, 0), QStringLiteral("0701"));
    QCOMPARE(cell(s, 700, 1), QStringLiteral("初期値"));
    // A refresh starts again from the first page.
    s.Set_ListDsp_SQL();
    QCOMPARE(model->rowCount(), model->pageSize());
    // The model keeps Qt's rules for models (the tester reads every page).
    ListModel own(TinyScreen::settings(false).columns);
    own.setPageSize(100);
    own.setRecordSource(TinyScreen::settings(false).listSql);
    QAbstractItemModelTester tester(&own, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(own.rowCount() > 100);
  }

  void cellTexts() {
    QCOMPARE(listCellText(7, QStringLiteral("0000")), QStringLiteral("0007"));
    QCOMPARE(listCellText(7, QStringLiteral("00")), QStringLiteral("07"));
    QCOMPARE(listCellText(123, QStringLiteral("00")), QStringLiteral("123"));
    QCOMPARE(listCellText(QStringLiteral("20030512"), QStringLiteral("0000/00/00")), QStringLiteral("2003/05/12"));
    QCOMPARE(listCellText(QStringLiteral("512"), QStringLiteral("0000/00/00")), QStringLiteral("0000/05/12"));
    QCOMPARE(listCellText(QStringLiteral(""), QStringLiteral("0000/00/00")), QString());
    QCOMPARE(listCellText(QVariant(), QStringLiteral("0000")), QString());
    QCOMPARE(listCellText(QStringLiteral(" 佐藤 "), QString()), QStringLiteral(" 佐藤 "));
  }

  void copyRefusesAUsedCodeThenStoresWhatIsShown() {
    DataDir dir;
    addUser(dir, 3, QStringLiteral("元"), QStringLiteral("ﾓﾄ"));
    addUser(dir, 4, QStringLiteral("使用中"));
    TinyScreen s;
    QVERIFY(showAndActivate(&s));
    // A blank code opens nothing. (Leaving the code field formats it, so it
    // is blank only when it is cleared while the focus is elsewhere.)
    s.name->setFocus();
    s.codeField()->clear();
    click(&s, QStringLiteral("Copy_Switch"));
    QCOMPARE(focused(), s.codeField());
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    typeText(QStringLiteral("改"));  // an edit not saved under 3
    bool checked = false;
    onNextModal([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("テスト複写"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("Label3"))->text(), QStringLiteral("コピー先のコード番号"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("Label1"))->text(),
               QStringLiteral("※ 存在しているデータへの上書きはできません。空き番号にのみ複写できます。"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("Label2"))->text(),
               QStringLiteral("画面のユーザーを指定番号にコピーします"));
      auto* code = control<QLineEdit>(d, QStringLiteral("コード"));
      QCOMPARE(focused(), code);
      QCOMPARE(background(code), Colours::Focus);
      typeText(QStringLiteral("4"));
      press(Qt::Key_Return);  // does nothing special
      QVERIFY(d->isVisible());
      QTest::mouseClick(control<QPushButton>(d, QStringLiteral("CopySwitch")), Qt::LeftButton);
      auto shown = dir.messages.take();
      QCOMPARE(shown.size(), 1);
      QCOMPARE(shown[0].title, QStringLiteral("テスト複写"));
      QCOMPARE(shown[0].text, QStringLiteral("すでに登録されているコード番号のユーザーにＣＯＰＹはできません！"));
      QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
      QVERIFY(d->isVisible());
      QCOMPARE(focused(), code);
      typeText(QStringLiteral("9"));  // replaces the selected code
      QTest::mouseClick(control<QPushButton>(d, QStringLiteral("CopySwitch")), Qt::LeftButton);
      checked = true;
    });
    click(&s, QStringLiteral("Copy_Switch"));
    QVERIFY(checked);
    reactivate(&s);
    QVariantMap row = dir.row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=9"));
    QCOMPARE(row.value(QStringLiteral("名前")).toString(), QStringLiteral("元改"));
    QCOMPARE(row.value(QStringLiteral("フリガナ")).toString(), QStringLiteral("ﾓﾄ"));
    QCOMPARE(dir.row(QStringLiteral("SELECT 名前 FROM ユーザー WHERE コード=3")).value(QStringLiteral("名前")).toString(),
             QStringLiteral("元"));
    QCOMPARE(s.codeField()->text(), QStringLiteral("0003"));
    QCOMPARE(s.list()->model()->rowCount(), 3);
    QCOMPARE(cell(s, 2, 0), QStringLiteral("0009"));
    QCOMPARE(focused(), s.codeField());

    // "キャンセル" writes nothing.
    onNextModal([&](QDialog* d) {
      typeText(QStringLiteral("10"));
      QTest::mouseClick(control<QPushButton>(d, QStringLiteral("ExitSwitch")), Qt::LeftButton);
    });
    click(&s, QStringLiteral("Copy_Switch"));
    QCOMPARE(dir.count(QStringLiteral("ユーザー")), 3);
    QVERIFY(dir.messages.take().isEmpty());
  }
};

ASHIMEMO_TEST(RecordScreenTest)
#include "tst_recordscreen.moc"
