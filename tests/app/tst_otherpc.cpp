// Two PCs on one server: this program's screens against "the other PC", a
// second connection (psql) that changes, deletes or registers records while
// a screen shows them. On the data file (one PC) no question is ever asked.
#include "alignment/araimentbase.h"
#include "mainwindowtest.h"
#include "masters/u_master.h"
#include "screens/listgrid.h"
#include "screens/listsearch.h"
#include "screens/rowguard.h"
#include "settings/setting_copy.h"
#include "settings/settinglist.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <thread>

namespace {
const QString kChanged = QStringLiteral("このデータは他のパソコンで変更されています。上書きしますか？");
const QString kDeleted = QStringLiteral("このデータは他のパソコンで削除されています。もう一度登録しますか？");

QStringList texts(const QList<ShownMessage>& shown) {
  QStringList out;
  for (const ShownMessage& m : shown) out << m.text;
  return out;
}
}  // namespace

class OtherPcTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;

  // A statement run by the other PC, on a connection of its own.
  void otherPc(const QString& sql) {
    if (!DataDir::onServer()) {
      dir->exec(sql);
      return;
    }
    QString error;
    PgServer::instance().psql(dir->database(), sql, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
  }
  QString settingName(int code) {
    return dir->row(QStringLiteral("SELECT セッティング名称 FROM セッティング WHERE コード=%1").arg(code))
        .value(QStringLiteral("セッティング名称"))
        .toString();
  }
  // The other PC runs `sql` in a transaction that it keeps open for a
  // moment; true once it holds it (seen in pg_stat_activity), `other` ends
  // after its commit.
  bool otherPcHolds(const QString& sql, std::thread* other) {
    const QString database = dir->database();
    *other = std::thread([database, sql] {
      PgServer::instance().psql(database, QStringLiteral("BEGIN; %1; SELECT pg_sleep(1.5); COMMIT;").arg(sql));
    });
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
      if (PgServer::instance()
              .psql(database, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE query LIKE '%pg_sleep(1.5)%' "
                                             "AND state = 'active' AND pid <> pg_backend_pid()"))
              .trimmed() == QStringLiteral("1"))
        return true;
      QTest::qWait(20);
    }
    other->join();
    return false;
  }
  static void click(QWidget* root, const QString& name) {
    QTest::mouseClick(control<QPushButton>(root, name), Qt::LeftButton);
  }
  static void typeCode(QWidget* root, const QString& code) {
    QLineEdit* field = control<QLineEdit>(root, QStringLiteral("コード"));
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    if (!code.isEmpty()) typeText(code);
    press(Qt::Key_Return);
  }

 private Q_SLOTS:
  void init() {
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (1,'a'),(2,'b'),(3,'c'),(4,'d'),(5,'シビック')"));
  }
  void cleanup() {
    QCOMPARE(dir->messages.unexpected, 0);
    dir.reset();
  }

  // Both PCs load setting 0005; the other one saves first.
  void aSettingChangedElsewhereAsksBeforeItIsWrittenOver() {
    auto window = startMainWindow();
    QVERIFY(window);
    typeCode(window.get(), QStringLiteral("5"));
    QLineEdit* name = control<QLineEdit>(window.get(), QStringLiteral("セッティング名"));
    QCOMPARE(name->text(), QStringLiteral("シビック"));
    otherPc(QStringLiteral("UPDATE セッティング SET セッティング名称='PC-A' WHERE コード=5"));
    name->setText(QStringLiteral("PC-B"));
    if (!DataDir::onServer()) {
      dir->messages.answer(true);
      click(window.get(), QStringLiteral("SaveSetting"));
      QCOMPARE(texts(dir->messages.take()), QStringList{QStringLiteral("上書きしますか？")});
      QCOMPARE(settingName(5), QStringLiteral("PC-B"));
      return;
    }
    dir->messages.answer(true);
    dir->messages.answer(false);  // No: nothing saved, the screen kept
    click(window.get(), QStringLiteral("SaveSetting"));
    const QList<ShownMessage> shown = dir->messages.take();
    QCOMPARE(texts(shown), (QStringList{QStringLiteral("上書きしますか？"), kChanged}));
    QCOMPARE(shown[1].title, QStringLiteral("Ashimemo"));
    QCOMPARE(shown[1].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(shown[1].icon, MessageRequest::Icon::None);
    QCOMPARE(settingName(5), QStringLiteral("PC-A"));
    QCOMPARE(name->text(), QStringLiteral("PC-B"));
    dir->messages.answer(true);
    dir->messages.answer(true);  // Yes: saved over the other change
    click(window.get(), QStringLiteral("SaveSetting"));
    QCOMPARE(texts(dir->messages.take()), (QStringList{QStringLiteral("上書きしますか？"), kChanged}));
    QCOMPARE(settingName(5), QStringLiteral("PC-B"));
    // Its own save is no change made elsewhere.
    name->setText(QStringLiteral("PC-B 2"));
    dir->messages.answer(true);
    click(window.get(), QStringLiteral("SaveSetting"));
    QCOMPARE(texts(dir->messages.take()), QStringList{QStringLiteral("上書きしますか？")});
    QCOMPARE(settingName(5), QStringLiteral("PC-B 2"));

    // Deleting a setting changed elsewhere asks the same before deleting.
    otherPc(QStringLiteral("UPDATE セッティング SET セッティング名称='PC-A again' WHERE コード=5"));
    dir->messages.answer(true);
    dir->messages.answer(false);
    click(window.get(), QStringLiteral("Del_Switch"));
    QCOMPARE(dir->messages.take().last().text, kChanged);
    QCOMPARE(settingName(5), QStringLiteral("PC-A again"));
    dir->messages.answer(true);
    dir->messages.answer(true);
    click(window.get(), QStringLiteral("Del_Switch"));
    QCOMPARE(dir->messages.take().last().text, kChanged);
    QCOMPARE(dir->count(QStringLiteral("セッティング")), 4);
  }

  void aSettingDeletedElsewhereIsRegisteredAgainOnlyOnYes() {
    if (!DataDir::onServer()) QSKIP("one PC on the data file");
    auto window = startMainWindow();
    QVERIFY(window);
    typeCode(window.get(), QStringLiteral("5"));
    otherPc(QStringLiteral("DELETE FROM セッティング WHERE コード=5"));
    control<QLineEdit>(window.get(), QStringLiteral("セッティング名"))->setText(QStringLiteral("PC-B"));
    dir->messages.answer(false);
    click(window.get(), QStringLiteral("SaveSetting"));
    QCOMPARE(texts(dir->messages.take()), QStringList{kDeleted});
    QCOMPARE(dir->count(QStringLiteral("セッティング")), 4);
    dir->messages.answer(true);
    click(window.get(), QStringLiteral("SaveSetting"));
    QCOMPARE(texts(dir->messages.take()), QStringList{kDeleted});
    QCOMPARE(settingName(5), QStringLiteral("PC-B"));
  }

  // Both PCs take the next code 0006; the other one registers it first.
  void aNewCodeTakenElsewhereIsNeverOverwritten() {
    if (!DataDir::onServer()) QSKIP("one PC on the data file");
    auto window = startMainWindow();
    QVERIFY(window);
    QLineEdit* code = control<QLineEdit>(window.get(), QStringLiteral("コード"));
    typeCode(window.get(), QString());
    QCOMPARE(code->text(), QStringLiteral("0006"));
    otherPc(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (6, 'PC-A')"));
    control<QLineEdit>(window.get(), QStringLiteral("セッティング名"))->setText(QStringLiteral("PC-B"));
    dir->messages.answer(true);
    dir->messages.answer(false);
    click(window.get(), QStringLiteral("SaveSetting"));
    const QString offer = QStringLiteral("コード[0006]は他のパソコンで登録されました。空いているコード[0007]で登録しますか？");
    QCOMPARE(texts(dir->messages.take()), (QStringList{QStringLiteral("登録しますか？"), offer}));
    QCOMPARE(settingName(6), QStringLiteral("PC-A"));
    QCOMPARE(dir->count(QStringLiteral("セッティング")), 6);
    QCOMPARE(code->text(), QStringLiteral("0006"));
    dir->messages.answer(true);
    dir->messages.answer(true);
    click(window.get(), QStringLiteral("SaveSetting"));
    QCOMPARE(texts(dir->messages.take()), (QStringList{QStringLiteral("登録しますか？"), offer}));
    QCOMPARE(settingName(6), QStringLiteral("PC-A"));
    QCOMPARE(settingName(7), QStringLiteral("PC-B"));
    QCOMPARE(code->text(), QStringLiteral("0007"));
  }

  // The user master and the alignment base master share the record screen's
  // checks: a change, a deletion and a taken code.
  void theMastersAskTheSameQuestions() {
    if (!DataDir::onServer()) QSKIP("one PC on the data file");
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '佐藤'), (2, '鈴木')"));
    {
      U_Master u;
      QVERIFY(showAndActivate(&u));
      typeCode(&u, QStringLiteral("2"));
      otherPc(QStringLiteral("UPDATE ユーザー SET 名前='PC-A' WHERE コード=2"));
      control<QLineEdit>(&u, QStringLiteral("備考"))->setText(QStringLiteral("PC-B"));
      dir->messages.answer(true);
      dir->messages.answer(false);
      click(&u, QStringLiteral("Save_Switch"));
      QCOMPARE(dir->messages.take().last().text, kChanged);
      QCOMPARE(dir->row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=2")).value(QStringLiteral("名前")).toString(),
               QStringLiteral("PC-A"));
      // A new user under the next code, which the other PC takes first.
      u.codeField()->clear();
      typeCode(&u, QString());
      QCOMPARE(u.codeField()->text(), QStringLiteral("0003"));
      otherPc(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (3, 'PC-A')"));
      control<QLineEdit>(&u, QStringLiteral("名前"))->setText(QStringLiteral("PC-B"));
      dir->messages.answer(true);
      dir->messages.answer(true);
      click(&u, QStringLiteral("Save_Switch"));
      QCOMPARE(dir->messages.take().last().text,
               QStringLiteral("コード[0003]は他のパソコンで登録されました。空いているコード[0004]で登録しますか？"));
      QCOMPARE(dir->row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=3")).value(QStringLiteral("名前")).toString(),
               QStringLiteral("PC-A"));
      QCOMPARE(dir->row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=4")).value(QStringLiteral("名前")).toString(),
               QStringLiteral("PC-B"));
      QCOMPARE(u.codeField()->text(), QStringLiteral("0004"));
    }
    dir->exec(QStringLiteral("INSERT INTO アライメントマスタ (コード, 登録名) VALUES (7, 'ＡＥ８６')"));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    typeCode(&b, QStringLiteral("7"));
    otherPc(QStringLiteral("DELETE FROM アライメントマスタ WHERE コード=7"));
    dir->messages.answer(true);
    click(&b, QStringLiteral("Save_Switch"));
    const QStringList baseShown = texts(dir->messages.take());
    QCOMPARE(baseShown, QStringList{kDeleted});
    QCOMPARE(dir->row(QStringLiteral("SELECT * FROM アライメントマスタ WHERE コード=7")).value(QStringLiteral("登録名")).toString(),
             QStringLiteral("ＡＥ８６"));
  }

  // A list open here follows the other PC's saves and deletions within a
  // second, and the user's place in it stays: the search, the current
  // record, its selection. So does a drop-down list, under a half-typed text.
  void listsFollowTheOtherPc() {
    if (!DataDir::onServer()) QSKIP("one PC on the data file");
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES "
                             "(10,'GT-R 1'),(11,'GT-R 2'),(12,'GT-R 3')"));
    auto window = startMainWindow();
    QVERIFY(window);
    SettingList list(window.get());
    QVERIFY(showAndActivate(&list));
    ListGrid* grid = list.grid();
    ListModel* rows = grid->data1();
    QLineEdit* search = list.search()->field();
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("gt-r"));
    QCOMPARE(rows->rowCount(), 3);
    grid->setCurrentIndex(rows->index(1, 2));
    const auto placeKept = [&](const QString& code) {
      QCOMPARE(search->text(), QStringLiteral("gt-r"));
      QVERIFY(search->hasFocus());
      QCOMPARE(rows->cellText(grid->currentIndex().row(), 1), code);
      QCOMPARE(grid->currentIndex().column(), 2);
      const QModelIndexList selected = grid->selectionModel()->selectedRows();
      QCOMPARE(selected.size(), 1);
      QCOMPARE(selected[0].row(), grid->currentIndex().row());
    };
    const auto names = [&] {
      QStringList out;
      for (int r = 0; r < rows->rowCount(); ++r) out << rows->cellText(r, 2);
      return out;
    };
    const QString told = QStringLiteral("; SELECT pg_notify('ashimemo', 'セッティング');");

    // Registered and changed elsewhere: a new match, and a row that no
    // longer matches the search.
    otherPc(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (13,'GT-R 4'); "
                           "UPDATE セッティング SET セッティング名称='S15' WHERE コード=12") + told);
    QTRY_COMPARE_WITH_TIMEOUT(names(), (QStringList{QStringLiteral("GT-R 1"), QStringLiteral("GT-R 2"), QStringLiteral("GT-R 4")}), 1000);
    placeKept(QStringLiteral("0011"));
    // The whole list read for the search was read again too.
    search->setText(QStringLiteral("s15"));
    QCOMPARE(names(), QStringList{QStringLiteral("S15")});
    search->setText(QStringLiteral("gt-r"));
    grid->setCurrentIndex(rows->index(1, 2));

    // Deleted elsewhere: the row before the current one goes, the current
    // record stays current.
    otherPc(QStringLiteral("DELETE FROM セッティング WHERE コード=10") + told);
    QTRY_COMPARE_WITH_TIMEOUT(rows->rowCount(), 2, 1000);
    placeKept(QStringLiteral("0011"));
    list.close();

    // The main window's user list under a half-typed "00", the cursor
    // between the zeros.
    auto* users = control<QComboBox>(window.get(), QStringLiteral("ユーザー"));
    users->lineEdit()->setText(QStringLiteral("00"));
    users->lineEdit()->setCursorPosition(1);
    otherPc(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (7, '新規'); "
                           "SELECT pg_notify('ashimemo', 'ユーザー');"));
    QTRY_VERIFY_WITH_TIMEOUT(users->findText(QStringLiteral("0007:新規")) >= 0, 1000);
    QCOMPARE(users->lineEdit()->text(), QStringLiteral("00"));
    QCOMPARE(users->lineEdit()->cursorPosition(), 1);
  }

  // The other PC registers the copy's target code between the copy's check
  // and its write: the next free code is offered; No copies nothing and
  // keeps the dialog open, Yes copies under it and shows it.
  void aCopysTargetTakenElsewhereOffersTheNextCode() {
    if (!DataDir::onServer()) QSKIP("one PC on the data file");
    Setting_Copy d(nullptr, [] { return SettingRecord{QString(), QStringLiteral("コピー")}; });
    QVERIFY(showAndActivate(&d));
    for (const bool yes : {false, true}) {
      const QString code = yes ? QStringLiteral("7") : QStringLiteral("6");
      d.codeField()->setText(code);
      std::thread other;
      QVERIFY(otherPcHolds(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (%1, 'PC-A')").arg(code), &other));
      dir->messages.answer(yes);
      click(&d, QStringLiteral("CopySwitch"));
      other.join();
      QCOMPARE(texts(dir->messages.take()), QStringList{QStringLiteral("コード[000%1]は他のパソコンで登録されました。"
                                                                       "空いているコード[000%2]で登録しますか？").arg(code).arg(code.toInt() + 1)});
      QCOMPARE(d.isVisible(), !yes);
      QCOMPARE(d.codeField()->text(), yes ? QStringLiteral("0008") : code);
      QCOMPARE(settingName(code.toInt()), QStringLiteral("PC-A"));
      QCOMPARE(dir->count(QStringLiteral("セッティング")), yes ? 8 : 6);
    }
    QCOMPARE(settingName(8), QStringLiteral("コピー"));
  }

  // The other PC's change is made, not yet committed, when this save starts
  // its check: the save waits for it and still notices it, so the check
  // cannot pass because the two saves happened not to overlap.
  void aChangeCommittedDuringTheSaveIsNoticed() {
    if (!DataDir::onServer()) QSKIP("one PC on the data file");
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (2, '鈴木')"));
    U_Master u;
    QVERIFY(showAndActivate(&u));
    typeCode(&u, QStringLiteral("2"));
    std::thread other;
    QVERIFY(otherPcHolds(QStringLiteral("UPDATE ユーザー SET 名前='PC-A' WHERE コード=2"), &other));
    control<QLineEdit>(&u, QStringLiteral("備考"))->setText(QStringLiteral("PC-B"));
    dir->messages.answer(true);
    dir->messages.answer(false);
    QElapsedTimer saving;
    saving.start();
    click(&u, QStringLiteral("Save_Switch"));
    other.join();
    QVERIFY(saving.elapsed() > 300);  // it did wait for the other transaction
    QCOMPARE(texts(dir->messages.take()), (QStringList{QStringLiteral("上書きしますか？"), kChanged}));
    const QVariantMap row = dir->row(QStringLiteral("SELECT * FROM ユーザー WHERE コード=2"));
    QCOMPARE(row.value(QStringLiteral("名前")).toString(), QStringLiteral("PC-A"));
    QCOMPARE(row.value(QStringLiteral("備考")).toString(), QString());
  }
};

ASHIMEMO_TEST(OtherPcTest)
#include "tst_otherpc.moc"
