// The main window as the hub: each button opens its screen modally and the
// main window carries on when it closes. The setting list hands a code back,
// the setting copy dialog stores what the main window shows.
#include "app/mainwindow.h"
#include "mainwindowtest.h"
#include "printing/displaylist.h"
#include "printing/prninf.h"
#include "printing/sheetscreen.h"
#include "data/clock.h"
#include "data/schema.h"
#include "screens/fields.h"
#include "screens/listgrid.h"
#include "settings/settingform.h"
#include "settings/settinglist.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class HubTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  std::unique_ptr<Setting> window;

  QLineEdit* edit(const QString& name) { return control<QLineEdit>(window.get(), name); }
  void click(QWidget* root, const QString& button) {
    QTest::mouseClick(control<QPushButton>(root, button), Qt::LeftButton);
  }
  void reactivate() {
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
  }
  // Opens the screen of `button` and hands it to `inside`, which closes it.
  QString open(const QString& button, const std::function<void(QDialog*)>& inside) {
    QString caption;
    onNextModal([&](QDialog* d) {
      caption = d->windowTitle();
      inside(d);
      if (d->isVisible()) d->reject();
    });
    click(window.get(), button);
    reactivate();
    return caption;
  }
  QString focusName() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
  }

 private Q_SLOTS:
  void init() {
    Clock::setToday(QDate(2026, 12, 8));
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '佐藤'), (2, '鈴木')"));
    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称) VALUES (1, 'ネジ式')"));
    dir->exec(QStringLiteral(
        "INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_フェンダー高) VALUES "
        "(5, '五', '20261201', 1, 1, '650'), (3, '三', '20261201', 0, 0, ''), (9, '九', '20250101', 7, 42, ''), "
        "(4, '四', '20261130', 2, 1, '')"));
    dir->exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード) VALUES (5, '0001')"));
    window = startMainWindow();
    QVERIFY(window);
  }
  void cleanup() {
    QCOMPARE(dir->messages.unexpected, 0);
    window.reset();
    dir.reset();
    Clock::setShortDate(QString());
  }

  void settingListRowsAndOrder() {
    SettingList list(window.get());
    QCOMPARE(list.windowTitle(), QStringLiteral("Ashimemo　登録一覧表"));
    ListModel* m = list.grid()->data1();
    QCOMPARE(m->rowCount(), 4);
    QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("ユーザー名"));
    // Oldest date first, equal dates by code; missing users and products
    // are listed with empty names.
    const QStringList codes{m->cellText(0, 1), m->cellText(1, 1), m->cellText(2, 1), m->cellText(3, 1)};
    QCOMPARE(codes, (QStringList{QStringLiteral("0009"), QStringLiteral("0004"), QStringLiteral("0003"),
                                 QStringLiteral("0005")}));
    QCOMPARE(m->cellText(0, 0), QStringLiteral("2025/01/01"));
    QCOMPARE(m->cellText(0, 3), QString());  // user 7 does not exist
    QCOMPARE(m->cellText(0, 4), QString());  // product 42 does not exist
    QCOMPARE(m->cellText(2, 3), QString());  // user 0: none
    QCOMPARE(m->cellText(3, 3), QStringLiteral("佐藤"));
    QCOMPARE(m->cellText(3, 4), QStringLiteral("ネジ式"));
  }

  void pickFromTheListLoadsTheSetting() {
    // By double-click...
    open(QStringLiteral("Setting_Call"), [](QDialog* d) {
      auto* grid = d->findChild<ListGrid*>();
      const QModelIndex cell = grid->model()->index(3, 2);
      QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
      QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    });
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0005"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("五"));
    QCOMPARE(edit(QStringLiteral("フェンダー高(0)"))->text(), QStringLiteral("650"));
    QCOMPARE(focusName(), QStringLiteral("コード"));
    // ...and by "決　定" on the current row.
    open(QStringLiteral("Setting_Call"), [this](QDialog* d) {
      auto* grid = d->findChild<ListGrid*>();
      grid->setCurrentIndex(grid->model()->index(1, 0));
      click(d, QStringLiteral("ExitSwitch"));
    });
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0004"));
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("四"));
    QCOMPARE(control<QComboBox>(window.get(), QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0002:鈴木"));
  }

  void closingTheListChangesNothing() {
    edit(QStringLiteral("セッティング名"))->setFocus();
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("typed"));
    const QString code = edit(QStringLiteral("コード"))->text();  // proposed on leaving
    open(QStringLiteral("Setting_Call"), [this](QDialog* d) { click(d, QStringLiteral("CanselSwitch")); });
    open(QStringLiteral("Setting_Call"), [](QDialog*) { press(Qt::Key_F12); });
    open(QStringLiteral("Setting_Call"), [](QDialog* d) { d->close(); });
    QCOMPARE(edit(QStringLiteral("セッティング名"))->text(), QStringLiteral("typed"));
    QCOMPARE(edit(QStringLiteral("コード"))->text(), code);
  }

  void copyStoresTheScreenWithUnsavedEdits() {
    window->form()->loadCode(QStringLiteral("5"));
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("五の改"));  // not saved
    edit(QStringLiteral("フェンダー高(3)"))->setText(QStringLiteral(" 640 "));
    const QString caption = open(QStringLiteral("Copy_Switch"), [this](QDialog* d) {
      QCOMPARE(control<QPushButton>(d, QStringLiteral("CopySwitch"))->text(), QStringLiteral("コピー開始"));
      // A code in use is refused and the dialog stays open.
      QLineEdit* code = control<QLineEdit>(d, QStringLiteral("コード"));
      code->setText(QStringLiteral("3"));
      click(d, QStringLiteral("CopySwitch"));
      QVERIFY(d->isVisible());
      const ShownMessage m = dir->messages.take().last();
      QCOMPARE(m.text, QStringLiteral("すでに登録されているコード番号のセッティングにＣＯＰＹはできません！"));
      QCOMPARE(m.title, QStringLiteral("セッティング 基本データ複写"));
      QCOMPARE(m.icon, MessageRequest::Icon::Critical);
      code->setText(QStringLiteral("12"));
      click(d, QStringLiteral("CopySwitch"));
      QVERIFY(!d->isVisible());
    });
    QCOMPARE(caption, QStringLiteral("セッティング 基本データ複写"));
    const QVariantMap copy = dir->row(QStringLiteral("SELECT * FROM セッティング WHERE コード=12"));
    QCOMPARE(copy.value(QStringLiteral("セッティング名称")).toString(), QStringLiteral("五の改"));
    QCOMPARE(copy.value(QStringLiteral("RR_フェンダー高")).toString(), QStringLiteral("640"));
    QCOMPARE(copy.value(QStringLiteral("登録日")).toString(), QStringLiteral("20261201"));
    QCOMPARE(copy.value(QStringLiteral("ユーザー")).toInt(), 1);
    QCOMPARE(copy.value(QStringLiteral("車高調")).toInt(), 1);
    QCOMPARE(dir->row(QStringLiteral("SELECT * FROM セッティング WHERE コード=5")).value(QStringLiteral("セッティング名称")),
             QVariant(QStringLiteral("五")));
    QVERIFY(dir->row(QStringLiteral("SELECT * FROM アライメント WHERE コード=12")).isEmpty());
    QCOMPARE(edit(QStringLiteral("コード"))->text(), QStringLiteral("0005"));  // the screen keeps the source
  }

  void copyWithABlankCodeOpensNothing() {
    edit(QStringLiteral("セッティング名"))->setFocus();
    edit(QStringLiteral("コード"))->clear();
    window->Copy_Switch_Click();
    QVERIFY(!QApplication::activeModalWidget());
  }

  void alignmentScreenForAStoredSettingAndItsSheet() {
    // ARAIMENT.PRN for the PDF device, so that the preview can be built.
    PrnInf = PrnInfRecord{kAlignmentSheetKey, QStringLiteral("PDFファイル"), QStringLiteral("A4 - 210 x 297 mm"),
                          QStringLiteral("縦方向"), QStringLiteral("0"), QStringLiteral("0")};
    QVERIFY(WritePrnInf(kAlignmentSheetKey));
    window->form()->loadCode(QStringLiteral("5"));
    edit(QStringLiteral("セッティング名"))->setText(QStringLiteral("五（未保存）"));
    QStringList printed;
    const QString caption = open(QStringLiteral("Araiment_Switch"), [&](QDialog* d) {
      QCOMPARE(control<QLabel>(d, QStringLiteral("コード"))->text(), QStringLiteral("0005"));
      QCOMPARE(control<QLabel>(d, QStringLiteral("セッティング名"))->text(), QStringLiteral("五（未保存）"));
      QCOMPARE(control<QLineEdit>(d, QStringLiteral("アライメントコード"))->text(), QStringLiteral("0001"));
      control<QLineEdit>(d, QStringLiteral("調整前(0)"))->setText(QStringLiteral("1.25"));  // not saved
      onNextModal([&](QDialog* sheet) {
        printed << sheet->windowTitle();
        click(sheet, QStringLiteral("Preview_Switch"));
        auto* screen = static_cast<SheetScreen*>(sheet);
        for (const PrintItem& item : screen->surface().document().pages.value(0).items)
          if (const auto* t = std::get_if<TextItem>(&item)) printed << t->text;
        press(Qt::Key_F12);
      });
      click(d, QStringLiteral("PrintSwitch"));
      press(Qt::Key_F12);
    });
    QCOMPARE(caption, QStringLiteral("Ashimemo　－　アライメントの登録"));
    QCOMPARE(printed.value(0), QStringLiteral("Ashimemo　－　アライメント計測値印刷"));
    QVERIFY2(printed.contains(QStringLiteral("          1.25mm")), qPrintable(printed.join(u'|')));
    QVERIFY(printed.contains(QStringLiteral(" 五（未保存）")));
    QCOMPARE(focusName(), QStringLiteral("コード"));
    // A setting that is not stored gets no alignment screen.
    window->form()->codeField()->setText(QStringLiteral("0044"));
    click(window.get(), QStringLiteral("Araiment_Switch"));
    QCOMPARE(dir->messages.take().last().text,
             QStringLiteral("コード[0044]のセッティングは登録されていません！登録済みデータにのみ入力できます。"));
    QCOMPARE(open(QStringLiteral("AraimentBase_Switch"), [](QDialog*) { press(Qt::Key_F12); }),
             QStringLiteral("アライメント基準値の登録"));
  }

  void buttonsOpenTheirScreens() {
    QCOMPARE(open(QStringLiteral("VerSwitch"), [](QDialog*) {}), QStringLiteral("バージョン情報"));
    QCOMPARE(open(QStringLiteral("PrintSwitch"), [](QDialog*) { press(Qt::Key_F12); }),
             QStringLiteral("Ashimemo　－　セッティング値の印字"));
    QCOMPARE(open(QStringLiteral("User_Master_Call"), [](QDialog*) { press(Qt::Key_F12); }),
             QStringLiteral("ユーザーの登録"));
    // A product added on the coil-over master is offered next time the list
    // gets the focus.
    QCOMPARE(open(QStringLiteral("S_Master_Call"),
                  [this](QDialog*) {
                    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称) VALUES (7, 'Ｃリング')"));
                    press(Qt::Key_F12);
                  }),
             QStringLiteral("車高調節型ショックアブソーバ基本データ登録"));
    auto* list = control<QComboBox>(window.get(), QStringLiteral("車高調"));
    QCOMPARE(list->findText(QStringLiteral("07:Ｃリング")), -1);
    list->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QVERIFY(list->findText(QStringLiteral("07:Ｃリング")) > 0);
  }
};

ASHIMEMO_TEST(HubTest)
#include "tst_hub.moc"
