// What assistive technology is told about every window of the program, read
// from the same accessibility interfaces that Qt's AT-SPI bridge sends: a
// label reads the text it shows (also after the program changes it), a frame
// its title, a button its caption; inputs, lists, grids and check boxes have
// names; caption labels name their fields; no editable list completes typing.
#include "app/mainwindow.h"
#include "mainwindowtest.h"
#include "data/clock.h"
#include "settings/settingform.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

QString withoutMnemonic(QString text) { return text.remove(QRegularExpression(QStringLiteral("&(?!&)"))); }

// Walks the accessibility tree of `window` and returns every fault found.
class Walk {
 public:
  explicit Walk(QWidget* window) : window_(window) { visit(QAccessible::queryAccessibleInterface(window)); }
  QStringList faults;
  int labels = 0, inputs = 0, buttons = 0;

 private:
  void visit(QAccessibleInterface* iface) {
    if (!iface) return;
    auto* w = qobject_cast<QWidget*>(iface->object());
    // A drop-down's popup list is a window of its own, read when it opens.
    if (!w || w->window() != window_) return;
    const QString name = iface->text(QAccessible::Name);
    auto fault = [&](const QString& what) {
      faults << QStringLiteral("%1 %2 \"%3\": %4").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                                      name, what);
    };
    if (auto* label = qobject_cast<QLabel*>(w)) {
      ++labels;
      if (name != label->text()) fault(QStringLiteral("shows \"%1\"").arg(label->text()));
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
      if (name != withoutMnemonic(frame->title()).trimmed()) fault(QStringLiteral("titled \"%1\"").arg(frame->title()));
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      // Qt on Linux names a combo box after its current text; the control's
      // own name is its description.
      ++inputs;
      if (iface->text(QAccessible::Description).isEmpty()) fault(QStringLiteral("no description"));
      if (combo->isEditable() && combo->completer()) fault(QStringLiteral("completes typed text inline"));
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QAbstractItemView*>(w)) {
      ++inputs;
      if (name.trimmed().isEmpty()) fault(QStringLiteral("no name"));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      ++buttons;
      if (name != withoutMnemonic(button->text())) fault(QStringLiteral("captioned \"%1\"").arg(button->text()));
    }
    // The cells of a grid are its rows, not controls.
    if (qobject_cast<QAbstractItemView*>(w)) return;
    for (int i = 0; i < iface->childCount(); ++i) visit(iface->child(i));
  }
  QWidget* window_;
};

// The caption that assistive technology reports with the field `name`.
QString captionOf(QWidget* root, const QString& name) {
  QAccessibleInterface* field = QAccessible::queryAccessibleInterface(findControl(root, name));
  QStringList captions;
  for (const auto& [label, relation] : field->relations(QAccessible::Label))
    if (qobject_cast<QLabel*>(label->object())) captions << label->text(QAccessible::Name);
  return captions.join(u'|');
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  std::unique_ptr<Setting> window;
  QStringList walked;  // window captions, in the order they were walked

  void check(QWidget* w) {
    const Walk walk(w);
    walked << w->windowTitle();
    QVERIFY2(walk.faults.isEmpty(), qPrintable(w->windowTitle() + u'\n' + walk.faults.join(u'\n')));
    QVERIFY2(walk.inputs + walk.labels + walk.buttons > 0, qPrintable(w->windowTitle()));
  }
  void checkCaptions(QWidget* root, const QList<std::pair<const char*, const char*>>& fields) {
    for (const auto& [field, caption] : fields)
      QCOMPARE(captionOf(root, QString::fromUtf8(field)), QString::fromUtf8(caption));
  }
  static void click(QWidget* root, const QString& button) {
    QTest::mouseClick(control<QPushButton>(root, button), Qt::LeftButton);
  }
  // Clicks `button` in `root` and walks the window it opens; `inside` runs
  // there before the window is closed.
  void open(QWidget* root, const QString& button, const std::function<void(QDialog*)>& inside = {}) {
    onNextModal([this, inside](QDialog* d) {
      check(d);
      if (inside) inside(d);
      d->reject();
    });
    click(root, button);
    QApplication::setActiveWindow(root);
  }
  // Types a code into a record screen's code field, so that its copy
  // dialog opens.
  static void typeCode(QDialog* d, const QString& code) {
    control<QLineEdit>(d, QStringLiteral("コード"))->setText(code);
  }

 private Q_SLOTS:
  void init() {
    Clock::setToday(QDate(2026, 12, 8));
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '佐藤')"));
    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称, Cリング式車高調整_F) VALUES (1, 'Ｃリング', 1)"));
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調) VALUES "
                             "(5, 'ハチロク', '20261201', 1, 1)"));
    dir->exec(QStringLiteral("INSERT INTO アライメントマスタ (コード, 登録名) VALUES (1, 'AE86 純正'), (2, 'AE86 競技')"));
    dir->exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード) VALUES (5, '0001')"));
    window = startMainWindow();
    QVERIFY(window);
  }
  void cleanup() {
    QCOMPARE(dir->messages.unexpected, 0);
    window.reset();
    dir.reset();
  }

  void everyWindowReadsWhatItShows() {
    check(window.get());
    checkCaptions(window.get(), {{"セッティング名", "セッティング名"},
                                 {"年", "登 録 日"},
                                 {"月", "月"},
                                 {"ユーザー", "ユーザー"},
                                 {"車高調", "車 高 調"},
                                 {"フェンダー高(0)", "実車高(フェンダー高)"},
                                 {"バネレート(2)", "ﾊﾞﾈﾚｰﾄ"},
                                 {"備考(3)", "備考"}});
    // Loading a setting with a C-ring product changes the preload unit.
    window->form()->loadCode(QStringLiteral("5"));
    auto* unit = control<QLabel>(window.get(), QStringLiteral("プリロード単位(0)"));
    QCOMPARE(unit->text(), QStringLiteral("段"));
    check(window.get());

    open(window.get(), QStringLiteral("VerSwitch"), [](QDialog* d) {
      QCOMPARE(QAccessible::queryAccessibleInterface(findControl(d, QStringLiteral("バージョン")))->text(QAccessible::Name),
               QStringLiteral("Version 1.00"));
    });
    open(window.get(), QStringLiteral("Setting_Call"));
    open(window.get(), QStringLiteral("Copy_Switch"), [this](QDialog* d) {
      checkCaptions(d, {{"コード", "コピー先のコード番号"}});
    });
    open(window.get(), QStringLiteral("PrintSwitch"), [this](QDialog* d) {
      open(d, QStringLiteral("PrinterSetSwitch"), [this](QDialog* p) {
        checkCaptions(p, {{"PrnList", "選択可能なプリンタ"}, {"M_left", "左マージン"}});
      });
    });
    open(window.get(), QStringLiteral("User_Master_Call"), [this](QDialog* d) {
      checkCaptions(d, {{"コード", "コード"}, {"住所(1)", "住所２"}, {"メールアドレス", "ﾒｰﾙｱﾄﾞﾚｽ"}});
      typeCode(d, QStringLiteral("1"));
      open(d, QStringLiteral("Copy_Switch"));
    });
    open(window.get(), QStringLiteral("S_Master_Call"), [this](QDialog* d) {
      checkCaptions(d, {{"名称", "名 称"}, {"縮(1)", "縮"}, {"自由長(0)", "自由長"}});
      typeCode(d, QStringLiteral("1"));
      open(d, QStringLiteral("Copy_Switch"));
    });
    open(window.get(), QStringLiteral("AraimentBase_Switch"), [this](QDialog* d) {
      checkCaptions(d, {{"登録名", "登録名"}, {"キャンバーR", "キャンバー"}});
      typeCode(d, QStringLiteral("1"));
      open(d, QStringLiteral("Copy_Switch"));
    });
    open(window.get(), QStringLiteral("Araiment_Switch"), [this](QDialog* d) {
      auto name = [d](const char* label) {
        return QAccessible::queryAccessibleInterface(findControl(d, QString::fromUtf8(label)))->text(QAccessible::Name);
      };
      QCOMPARE(name("コード"), QStringLiteral("0005"));
      QCOMPARE(name("セッティング名"), QStringLiteral("ハチロク"));
      QCOMPARE(name("登録名"), QStringLiteral("AE86 純正"));
      checkCaptions(d, {{"トータルトウF", "トータルトウ"}, {"タイヤ外径(1)", "外径"}});
      // Another base master: its name is read out as soon as it shows.
      auto* code = control<QLineEdit>(d, QStringLiteral("アライメントコード"));
      code->setFocus(Qt::MouseFocusReason);
      code->selectAll();
      typeText(QStringLiteral("2"));
      press(Qt::Key_Return);
      QCOMPARE(name("登録名"), QStringLiteral("AE86 競技"));
      check(d);
      open(d, QStringLiteral("AraimentCall"));
      open(d, QStringLiteral("PrintSwitch"), [this](QDialog* sheet) { open(sheet, QStringLiteral("PrinterSetSwitch")); });
    });
    // Every window of the program was walked.
    QCOMPARE(walked.size(), 18);
    QCOMPARE(QSet<QString>(walked.begin(), walked.end()).size(), 15);
  }
};

ASHIMEMO_TEST(AccessibilityTest)
#include "tst_accessibility.moc"
