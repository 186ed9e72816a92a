// The coil-over master S_master and its copy dialog Smaster_Copy:
// keyboard-only entry with the 26 stored fields read back, the cleared
// screen, the check-box and damping-step rules, the chain, shortest numbers,
// the code proposal up to 99 and the copy.
#include "masterhelpers.h"
#include "masters/s_master.h"
#include "screens/fields.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

namespace {

const QString kCaption = QStringLiteral("車高調節型ショックアブソーバ基本データ登録");
const QStringList kChain{"名称", "伸(0)", "縮(0)", "バネレート(0)", "ID(0)", "自由長(0)",
                         "伸(1)", "縮(1)", "バネレート(1)", "ID(1)", "自由長(1)"};
const QStringList kFlags{"ピロアッパーキャンバー調節_F", "ピロアッパーキャンバー調節_R", "ピロアッパー車高調節_F",
                         "ピロアッパー車高調節_R",       "全長調整式_F",                 "全長調整式_R",
                         "ネジ式車高調整_F",             "ネジ式車高調整_R",             "Cリング式車高調整_F",
                         "Cリング式車高調整_R",          "減衰力調整式_伸縮同時_F",      "減衰力調整式_伸縮同時_R",
                         "減衰力調整式_伸縮別_F",        "減衰力調整式_伸縮別_R"};
const QStringList kNumbers{"減衰力_伸段_F", "減衰力_伸段_R", "減衰力_縮段_F", "減衰力_縮段_R", "バネレート_F",
                           "バネレート_R",  "ID_F",          "ID_R",          "自由長_F",      "自由長_R"};

void addProduct(DataDir& dir, int code, const QString& name, const QList<int>& flags, const QList<double>& numbers) {
  QVariantList v{code, name};
  for (int f : flags) v << f;
  for (double n : numbers) v << n;
  QStringList marks;
  for (int i = 0; i < v.size(); ++i) marks << QStringLiteral("?");
  dir.exec(QStringLiteral("INSERT INTO 車高調マスタ VALUES (%1)").arg(marks.join(u',')), v);
}

QCheckBox* box(QWidget* s, int i) { return control<QCheckBox>(s, QStringLiteral("Check1(%1)").arg(i)); }

QList<bool> ticks(QWidget* s) {
  QList<bool> t;
  for (int i = 0; i < 14; ++i) t << box(s, i)->isChecked();
  return t;
}

// A click on the box's indicator.
void tick(QWidget* s, int i) {
  QCheckBox* b = box(s, i);
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

const QList<int> kNoFlags(14, 0);
const QList<double> kSteps{10, 10, 10, 10, 6, 5, 65, 65, 190, 190};

}  // namespace

class SMasterTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void clearedScreen() {
    DataDir dir;
    addProduct(dir, 2, QStringLiteral("サーキット"), kNoFlags, kSteps);
    S_master s;
    QVERIFY(showAndActivate(&s));
    QCOMPARE(s.windowTitle(), kCaption);
    QCOMPARE(control<QGroupBox>(&s, QStringLiteral("Frame1"))->title(), QStringLiteral(" 製品内容 "));
    QCOMPARE(control<QLabel>(&s, QStringLiteral("Label2(0)"))->text(), QStringLiteral("フロント"));
    QCOMPARE(control<QLabel>(&s, QStringLiteral("Label2(1)"))->text(), QStringLiteral("リ　ア"));
    QCOMPARE(box(&s, 9)->text(), QStringLiteral("Ｃリング式車高調整"));
    QCOMPARE(box(&s, 12)->text(), QStringLiteral("減衰力調整式（伸縮別）"));
    QCOMPARE(ticks(&s), (QList<bool>{true, true, false, false, false, false, true, true, false, false, true, true,
                                     false, false}));
    const QStringList expected{"", "5", "5", "", "65", "", "5", "5", "", "65", ""};
    for (int i = 0; i < kChain.size(); ++i) QCOMPARE(edit(&s, kChain[i])->text(), expected[i]);
    QCOMPARE(s.codeField()->text(), QString());
    QCOMPARE(listCell(s, 0, 0), QStringLiteral("02"));
    QCOMPARE(listCell(s, 0, 1), QStringLiteral("サーキット"));
    QCOMPARE(s.list()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("名称"));
  }

  void keyboardOnlyEntryStoresAll26Fields() {
    DataDir dir;
    addProduct(dir, 12, QStringLiteral("既存"), kNoFlags, kSteps);
    S_master s;
    QVERIFY(showAndActivate(&s));
    press(Qt::Key_Return);  // highest code 12 proposes 13
    QCOMPARE(s.codeField()->text(), QStringLiteral("13"));
    QCOMPARE(focused(), edit(&s, QStringLiteral("名称")));
    typeText(QStringLiteral("  ストリート　32段  "));
    // Tab reaches the check boxes after the name; Space ticks.
    for (int i = 0; i < 3; ++i) press(Qt::Key_Tab);
    QCOMPARE(focused(), box(&s, 2));
    press(Qt::Key_Space);
    for (int i = 0; i < 10; ++i) press(Qt::Key_Tab);
    QCOMPARE(focused(), box(&s, 12));
    press(Qt::Key_Space);  // 伸縮別 front unticks 伸縮同時 front
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), edit(&s, QStringLiteral("伸(0)")));
    // Front: separate steps, so nothing is copied.
    const QStringList values{"32", "16", "7.5", "62", "200", "20", "", "0.5", "65", "210.5"};
    for (int i = 0; i < values.size(); ++i) {
      QLineEdit* f = static_cast<QLineEdit*>(focused());
      QCOMPARE(f, edit(&s, kChain[i + 1]));
      f->selectAll();
      press(Qt::Key_Delete);
      typeText(values[i]);
      press(Qt::Key_Return);
    }
    QCOMPARE(focused(), edit(&s, QStringLiteral("自由長(1)")));
    // Rear 伸縮同時 is ticked: Enter in 縮(1) left blank copied it into 伸(1).
    QCOMPARE(edit(&s, QStringLiteral("伸(1)"))->text(), QString());
    press(Qt::Key_Tab);
    QCOMPARE(focused(), control<QWidget>(&s, QStringLiteral("Save_Switch")));
    dir.messages.answer(true);
    press(Qt::Key_Space);
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("登録しますか？"));

    const QVariantMap row = dir.row(QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=13"));
    QCOMPARE(row.size(), 26);
    QCOMPARE(row.value(QStringLiteral("名称")).toString(), QStringLiteral("ストリート　32段"));
    const QList<int> flags{1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 0};
    for (int i = 0; i < 14; ++i) QCOMPARE(row.value(kFlags[i]).toInt(), flags[i]);
    const QList<double> numbers{32, 0, 16, 0, 7.5, 0.5, 62, 65, 200, 210.5};
    for (int i = 0; i < 10; ++i) QCOMPARE(row.value(kNumbers[i]).toDouble(), numbers[i]);
    QCOMPARE(s.list()->model()->rowCount(), 2);
    QCOMPARE(listCell(s, 1, 0), QStringLiteral("13"));
  }

  void loadShowsShortestNumbersAndStoredFlags() {
    DataDir dir;
    QList<int> flags(14, 0);
    flags[0] = 1;
    flags[5] = 1;
    flags[9] = 2;  // only exactly 1 counts as offered
    addProduct(dir, 3, QStringLiteral(" 減衰固定 "), flags, {0, 0, 12, 0, 0.5, 4.25, 65, 62, 180, 220});
    S_master s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    QCOMPARE(s.codeField()->text(), QStringLiteral("03"));
    QCOMPARE(edit(&s, QStringLiteral("名称"))->text(), QStringLiteral("減衰固定"));
    QCOMPARE(ticks(&s), (QList<bool>{true, false, false, false, false, true, false, false, false, false, false,
                                     false, false, false}));
    const QStringList shown{"減衰固定", "0", "12", ".5", "65", "180", "0", "0", "4.25", "62", "220"};
    for (int i = 0; i < kChain.size(); ++i) QCOMPARE(edit(&s, kChain[i])->text(), shown[i]);
    // A loaded step count longer than two characters is shown whole. (Esc
    // on a blank code first shows 04, which is not stored: the fields stay.)
    dir.exec(QStringLiteral("UPDATE 車高調マスタ SET 減衰力_伸段_F=120 WHERE コード=3"));
    retype(s.codeField(), QString());
    press(Qt::Key_Escape);
    QCOMPARE(s.codeField()->text(), QStringLiteral("04"));
    QCOMPARE(edit(&s, QStringLiteral("名称"))->text(), QStringLiteral("減衰固定"));
    retype(s.codeField(), QStringLiteral("3"));
    press(Qt::Key_Escape);
    QCOMPARE(edit(&s, QStringLiteral("伸(0)"))->text(), QStringLiteral("120"));
    QCOMPARE(focused(), s.codeField());
  }

  void checkBoxRules() {
    DataDir dir;
    S_master s;
    QVERIFY(showAndActivate(&s));
    // Cリング式 front unticks ネジ式 front only.
    tick(&s, 8);
    QCOMPARE(ticks(&s).mid(6, 4), (QList<bool>{false, true, true, false}));
    tick(&s, 6);
    QCOMPARE(ticks(&s).mid(6, 4), (QList<bool>{true, true, false, false}));
    tick(&s, 9);
    QCOMPARE(ticks(&s).mid(6, 4), (QList<bool>{true, false, false, true}));
    tick(&s, 7);
    QCOMPARE(ticks(&s).mid(6, 4), (QList<bool>{true, true, false, false}));
    // Both of a pair may be unticked; unticking changes nothing else.
    tick(&s, 6);
    tick(&s, 7);
    QCOMPARE(ticks(&s).mid(6, 4), (QList<bool>{false, false, false, false}));

    // 伸縮同時 rear: unticks 伸縮別 rear and copies the rear rebound steps.
    tick(&s, 13);
    QCOMPARE(ticks(&s).mid(10, 4), (QList<bool>{true, false, false, true}));
    edit(&s, QStringLiteral("伸(1)"))->setText(QStringLiteral("24"));
    edit(&s, QStringLiteral("縮(1)"))->setText(QStringLiteral("12"));
    tick(&s, 11);
    QCOMPARE(ticks(&s).mid(10, 4), (QList<bool>{true, true, false, false}));
    QCOMPARE(edit(&s, QStringLiteral("縮(1)"))->text(), QStringLiteral("24"));
    QCOMPARE(edit(&s, QStringLiteral("縮(0)"))->text(), QStringLiteral("5"));
    tick(&s, 12);
    QCOMPARE(ticks(&s).mid(10, 4), (QList<bool>{false, true, true, false}));
    edit(&s, QStringLiteral("縮(1)"))->setText(QStringLiteral("8"));
    tick(&s, 11);  // unticking copies nothing
    QCOMPARE(edit(&s, QStringLiteral("縮(1)"))->text(), QStringLiteral("8"));
    // Boxes 0 to 5 have no rule.
    const QList<bool> before = ticks(&s);
    tick(&s, 2);
    tick(&s, 5);
    QList<bool> after = before;
    after[2] = true;
    after[5] = true;
    QCOMPARE(ticks(&s), after);
    QVERIFY(dir.messages.take().isEmpty());
  }

  void dampingStepRules() {
    DataDir dir;
    S_master s;
    QVERIFY(showAndActivate(&s));
    QLineEdit* ext0 = edit(&s, QStringLiteral("伸(0)"));
    QLineEdit* comp0 = edit(&s, QStringLiteral("縮(0)"));
    // 伸縮同時 front is ticked after clearing.
    retype(ext0, QStringLiteral("8"));
    press(Qt::Key_Return);
    QCOMPARE(comp0->text(), QStringLiteral("8"));
    QCOMPARE(focused(), comp0);
    retype(ext0, QStringLiteral("0"));
    press(Qt::Key_Return);
    QCOMPARE(ext0->text(), QStringLiteral("1"));
    QCOMPARE(comp0->text(), QStringLiteral("1"));
    // 縮 copies into 伸 on Enter and Esc, not on leaving.
    retype(comp0, QStringLiteral("3"));
    press(Qt::Key_Escape);
    QCOMPARE(ext0->text(), QStringLiteral("3"));
    QCOMPARE(focused(), ext0);
    retype(comp0, QStringLiteral("4"));
    QTest::mouseClick(edit(&s, QStringLiteral("名称")), Qt::LeftButton);
    QCOMPARE(ext0->text(), QStringLiteral("3"));
    // 伸 copies into 縮 on leaving too.
    retype(ext0, QStringLiteral("9"));
    QTest::mouseClick(edit(&s, QStringLiteral("名称")), Qt::LeftButton);
    QCOMPARE(comp0->text(), QStringLiteral("9"));
    // Without 伸縮同時 nothing is copied; -3 becomes 1, blank stays blank.
    tick(&s, 13);  // 伸縮別 rear
    QLineEdit* ext1 = edit(&s, QStringLiteral("伸(1)"));
    QLineEdit* comp1 = edit(&s, QStringLiteral("縮(1)"));
    retype(ext1, QStringLiteral("-3"));
    QTest::mouseClick(edit(&s, QStringLiteral("名称")), Qt::LeftButton);
    QCOMPARE(ext1->text(), QStringLiteral("1"));
    QCOMPARE(comp1->text(), QStringLiteral("5"));
    retype(comp1, QString());
    press(Qt::Key_Return);
    QCOMPARE(comp1->text(), QString());
    QCOMPARE(ext1->text(), QStringLiteral("1"));
    // 伸 takes two characters.
    retype(ext1, QStringLiteral("123"));
    QCOMPARE(ext1->text(), QStringLiteral("12"));
    // A blank step is stored as 0.
    retype(s.codeField(), QStringLiteral("4"));
    press(Qt::Key_Return);
    dir.messages.answer(true);
    click(&s, QStringLiteral("Save_Switch"));
    dir.messages.take();
    const QVariantMap row = dir.row(QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=4"));
    QCOMPARE(row.value(QStringLiteral("減衰力_縮段_R")).toDouble(), 0.0);
    QCOMPARE(row.value(QStringLiteral("減衰力_伸段_R")).toDouble(), 12.0);
    QCOMPARE(row.value(QStringLiteral("減衰力_伸段_F")).toDouble(), 9.0);
  }

  void enterAndEscWalkTheChain() {
    DataDir dir;
    S_master s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("5"));
    press(Qt::Key_Return);
    for (int i = 1; i < kChain.size(); ++i) {
      press(Qt::Key_Return);
      QCOMPARE(focused(), edit(&s, kChain[i]));
      QCOMPARE(background(focused()), Colours::Focus);
    }
    press(Qt::Key_Return);  // Enter in 自由長(1) stays
    QCOMPARE(focused(), edit(&s, QStringLiteral("自由長(1)")));
    for (int i = kChain.size() - 2; i >= 0; --i) {
      press(Qt::Key_Escape);
      QCOMPARE(focused(), edit(&s, kChain[i]));
    }
    press(Qt::Key_Escape);
    QCOMPARE(focused(), s.codeField());
    QVERIFY(dir.messages.take().isEmpty());
  }

  void nameBudgetIs50Bytes() {
    DataDir dir;
    S_master s;
    QVERIFY(showAndActivate(&s));
    QLineEdit* name = edit(&s, QStringLiteral("名称"));
    name->setFocus();
    typeText(QString(27, QChar(u'車')));
    QCOMPARE(name->text(), QString(25, QChar(u'車')));
    retype(name, QString(51, u'x'));
    QCOMPARE(name->text(), QString(50, u'x'));
  }

  void code99BlocksTheProposalOnly() {
    DataDir dir;
    addProduct(dir, 3, QStringLiteral("三"), kNoFlags, kSteps);
    addProduct(dir, 99, QStringLiteral("最後"), kNoFlags, kSteps);
    S_master s;
    QVERIFY(showAndActivate(&s));
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
    // Leaving the blank code for a field proposes on this screen: the same
    // refusal, and the focus comes back.
    QTest::mouseClick(edit(&s, QStringLiteral("名称")), Qt::LeftButton);
    QCOMPARE(dir.messages.take().size(), 1);
    QTRY_COMPARE(focused(), s.codeField());
    QCOMPARE(edit(&s, QStringLiteral("ID(0)"))->text(), QStringLiteral("65"));
    // A free code typed by hand works.
    typeText(QStringLiteral("7"));
    press(Qt::Key_Return);
    QCOMPARE(s.codeField()->text(), QStringLiteral("07"));
    QCOMPARE(focused(), edit(&s, QStringLiteral("名称")));
    QVERIFY(dir.messages.take().isEmpty());
  }

  void deleteAProduct() {
    DataDir dir;
    addProduct(dir, 3, QStringLiteral("三"), kNoFlags, kSteps);
    addProduct(dir, 4, QStringLiteral("四"), kNoFlags, kSteps);
    S_master s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    dir.messages.answer(true);
    click(&s, QStringLiteral("Delete_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("コード[03]の車高調を削除しますか？"));
    QCOMPARE(dir.count(QStringLiteral("車高調マスタ")), 1);
    QCOMPARE(s.list()->model()->rowCount(), 1);
    QCOMPARE(listCell(s, 0, 0), QStringLiteral("04"));
    QCOMPARE(edit(&s, QStringLiteral("名称"))->text(), QStringLiteral("三"));
    dir.messages.answer(true);
    click(&s, QStringLiteral("Delete_Switch"));
    QCOMPARE(dir.messages.take()[0].text, QStringLiteral("コード[03]の車高調は登録されていません！"));
  }

  void copyStoresTheScreenWithUnsavedEdits() {
    DataDir dir;
    QList<int> flags(14, 0);
    flags[8] = flags[9] = 1;
    addProduct(dir, 3, QStringLiteral("Ｃリング"), flags, {0, 0, 0, 0, 4.5, 3.5, 62, 62, 180, 220});
    addProduct(dir, 5, QStringLiteral("使用中"), kNoFlags, kSteps);
    S_master s;
    QVERIFY(showAndActivate(&s));
    typeText(QStringLiteral("3"));
    press(Qt::Key_Return);
    retype(edit(&s, QStringLiteral("名称")), QStringLiteral("Ｃリング改"));
    retype(edit(&s, QStringLiteral("バネレート(0)")), QStringLiteral("5.5"));
    tick(&s, 0);
    bool done = false;
    onNextModal([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("車高調節型ショックアブソーバ 基本データ複写"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("Label2"))->text(),
               QStringLiteral("画面の車高調データを指定番号にコピーします"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("Label3"))->text(), QStringLiteral("コピー先のコード番号"));
      QCOMPARE(control<QPushButton>(d, QStringLiteral("CopySwitch"))->text(), QStringLiteral("コピー開始"));
      QCOMPARE(control<QPushButton>(d, QStringLiteral("ExitSwitch"))->text(), QStringLiteral("キャンセル"));
      QLineEdit* code = edit(d, QStringLiteral("コード"));
      QCOMPARE(code->maxLength(), 2);
      typeText(QStringLiteral("05"));
      click(d, QStringLiteral("CopySwitch"));
      auto shown = dir.messages.take();
      QCOMPARE(shown.size(), 1);
      QCOMPARE(shown[0].title, QStringLiteral("車高調節型ショックアブソーバ 基本データ複写"));
      QCOMPARE(shown[0].text, QStringLiteral("すでに登録されているコード番号の車高調データにＣＯＰＹはできません！"));
      QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
      QVERIFY(d->isVisible());
      typeText(QStringLiteral("07"));
      click(d, QStringLiteral("CopySwitch"));
      done = true;
    });
    click(&s, QStringLiteral("Copy_Switch"));
    QVERIFY(done);
    const QVariantMap copy = dir.row(QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=7"));
    QCOMPARE(copy.value(QStringLiteral("名称")).toString(), QStringLiteral("Ｃリング改"));
    QCOMPARE(copy.value(QStringLiteral("ピロアッパーキャンバー調節_F")).toInt(), 1);
    QCOMPARE(copy.value(QStringLiteral("Cリング式車高調整_R")).toInt(), 1);
    QCOMPARE(copy.value(QStringLiteral("バネレート_F")).toDouble(), 5.5);
    QCOMPARE(copy.value(QStringLiteral("自由長_R")).toDouble(), 220.0);
    const QVariantMap source = dir.row(QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=3"));
    QCOMPARE(source.value(QStringLiteral("名称")).toString(), QStringLiteral("Ｃリング"));
    QCOMPARE(source.value(QStringLiteral("バネレート_F")).toDouble(), 4.5);
    QCOMPARE(s.codeField()->text(), QStringLiteral("03"));
    QCOMPARE(listCell(s, 2, 0), QStringLiteral("07"));
    QCOMPARE(listCell(s, 2, 1), QStringLiteral("Ｃリング改"));

    // "キャンセル" writes nothing.
    onNextModal([&](QDialog* d) {
      typeText(QStringLiteral("08"));
      click(d, QStringLiteral("ExitSwitch"));
    });
    click(&s, QStringLiteral("Copy_Switch"));
    QCOMPARE(dir.count(QStringLiteral("車高調マスタ")), 3);
    QVERIFY(dir.messages.take().isEmpty());
  }
};

ASHIMEMO_TEST(SMasterTest)
#include "tst_smaster.moc"
