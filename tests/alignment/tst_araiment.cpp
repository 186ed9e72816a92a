// The alignment record screen driven from the keyboard and the mouse: the
// Enter/Esc walk over every field, number normalisation, the first-key rule,
// the focus colours, choosing a base master by its code, saving, reloading,
// deleting and clearing, printing what is shown, and engine errors.
#include "alignment/araiment.h"
#include "alignmenttest.h"
#include "screens/fields.h"
#include "support/testmain.h"

#include <QLabel>
#include <QSignalSpy>

using namespace at;

namespace {

const QString kCaption = QStringLiteral("Ashimemo　－　アライメントの登録");

QStringList expectedChain() {
  QStringList c{QStringLiteral("アライメントコード")};
  c << standardBoxes();
  for (int i = 0; i < 22; ++i) c << arr("調整前", i);
  for (int i = 0; i < 22; ++i) c << arr("調整後", i);
  c << arr("タイヤサイズ", 0) << arr("タイヤ外径", 0) << arr("タイヤサイズ", 1) << arr("タイヤ外径", 1);
  return c;
}

bool restsYellow(const QString& name) {
  if (name.startsWith(QStringLiteral("調整後")) || name.startsWith(QStringLiteral("タイヤ"))) return true;
  return standardBoxes().contains(name) && !name.contains(QStringLiteral("範囲"));
}

QColor resting(const QString& name) { return restsYellow(name) ? Colours::LightYellow : Colours::normal(); }

void selectAllAndType(QLineEdit* e, const QString& text) {
  click(e);
  e->selectAll();
  press(Qt::Key_Backspace);
  typeText(text);
}

}  // namespace

class AraimentTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void opensEmptyForASettingWithoutRecord() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QStringLiteral("テスト車"));
    QVERIFY(showAndActivate(&a));
    QCOMPARE(a.windowTitle(), kCaption);
    QCOMPARE(control<QLabel>(&a, QStringLiteral("コード"))->text(), QStringLiteral("0012"));
    QCOMPARE(control<QLabel>(&a, QStringLiteral("セッティング名"))->text(), QStringLiteral("テスト車"));
    QCOMPARE(control<QLabel>(&a, QStringLiteral("登録名"))->text(), QString());
    for (const QString& n : expectedChain()) QCOMPARE(edit(&a, n)->text(), QString());
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    QVERIFY(d.messages.take().isEmpty());
    // The layout fits a 1366 x 768 screen.
    QVERIFY(a.width() <= 1366 && a.height() <= 740);
  }

  void enterWalksEveryFieldAndEscWalksBack() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QStringLiteral("テスト車"));
    QVERIFY(showAndActivate(&a));
    const QStringList chain = expectedChain();
    QCOMPARE(chain.size(), 75);
    QCOMPARE(a.findChildren<QLineEdit*>().size(), chain.size());
    QCOMPARE(focused(), chain[0]);
    QCOMPARE(background(QApplication::focusWidget()), Colours::Focus);
    for (int i = 1; i < chain.size(); ++i) {
      press(i % 10 == 0 ? Qt::Key_Enter : Qt::Key_Return, i % 10 == 0 ? Qt::KeypadModifier : Qt::NoModifier);
      QCOMPARE(focused(), chain[i]);
      QCOMPARE(background(QApplication::focusWidget()), Colours::Focus);
      QCOMPARE(background(edit(&a, chain[i - 1])), resting(chain[i - 1]));
    }
    press(Qt::Key_Return);
    QCOMPARE(focused(), chain.last());
    for (int i = chain.size() - 2; i >= 0; --i) {
      press(Qt::Key_Escape);
      QCOMPARE(focused(), chain[i]);
      QCOMPARE(background(edit(&a, chain[i + 1])), resting(chain[i + 1]));
    }
    press(Qt::Key_Escape);
    QCOMPARE(focused(), chain[0]);
    QVERIFY(a.isVisible());
    // Walking through an empty code field turned it into 0000, without a message.
    QCOMPARE(edit(&a, chain[0])->text(), QStringLiteral("0000"));
    QVERIFY(d.messages.take().isEmpty());
  }

  void tabOrderFollowsTheChainThenTheButtons() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    const QStringList chain = expectedChain();
    for (int i = 1; i < chain.size(); ++i) {
      press(Qt::Key_Tab);
      QCOMPARE(focused(), chain[i]);
    }
    for (const char* b : {"Save_Switch", "PrintSwitch", "Delete_Switch", "Init_Switch", "Close_Switch"}) {
      press(Qt::Key_Tab);
      QCOMPARE(focused(), QString::fromUtf8(b));
    }
  }

  void numbersAreNormalisedOnEnterEscAndLeaving_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("how");  // 0 Enter, 1 Esc, 2 click elsewhere
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("focusAfter");
    const QString m3 = arr("調整前", 3), m4 = arr("調整前", 4), m2 = arr("調整前", 2);
    QTest::newRow("plus sign dropped") << m3 << "+1.5" << 0 << "1.50" << m4;
    QTest::newRow("leading point") << m3 << "-.3" << 1 << "-0.30" << m2;
    QTest::newRow("negative") << m3 << "-0.3" << 2 << "-0.30" << "調整後(0)";
    QTest::newRow("plus two decimals") << m3 << "+0.25" << 0 << "0.25" << m4;
    QTest::newRow("not a number") << m3 << "x" << 0 << "0.00" << m4;
    QTest::newRow("leading number only") << m3 << "1.2x" << 2 << "1.20" << "調整後(0)";
    QTest::newRow("standard value") << "キャスターF" << "3.555" << 0 << "3.56" << "キャスター範囲F(0)";
    QTest::newRow("range box") << "キャンバー範囲R(1)" << ".5" << 0 << "0.50" << "スラスト角";
    QTest::newRow("diameter rounds") << "タイヤ外径(0)" << "9.6" << 0 << "10" << "タイヤサイズ(1)";
    QTest::newRow("diameter text") << "タイヤ外径(1)" << "abc" << 2 << "0" << "調整後(0)";
    QTest::newRow("tyre size as typed") << "タイヤサイズ(0)" << "205/50R16" << 0 << "205/50R16" << "タイヤ外径(0)";
    QTest::newRow("too long value refused") << m3 << "1234567" << 0 << "123456.00" << m4;
    QTest::newRow("rear range unlimited") << "個別トウ範囲R(0)" << "-12.3456" << 0 << "-12.35" << "個別トウ範囲R(1)";
    QTest::newRow("tyre size ten characters") << "タイヤサイズ(1)" << "245/40ZR18XL" << 2 << "245/40ZR18" << "調整後(0)";
    QTest::newRow("diameter three characters") << "タイヤ外径(1)" << "6345" << 0 << "634" << "タイヤ外径(1)";
  }
  void numbersAreNormalisedOnEnterEscAndLeaving() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, how);
    QFETCH(QString, shown);
    QFETCH(QString, focusAfter);
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    QLineEdit* e = edit(&a, field);
    click(e);
    QCOMPARE(focused(), field);
    typeText(typed);
    if (how == 0) press(Qt::Key_Return);
    else if (how == 1) press(Qt::Key_Escape);
    else click(edit(&a, QStringLiteral("調整後(0)")));
    QCOMPARE(e->text(), shown);
    QCOMPARE(focused(), focusAfter);
  }

  void anEmptiedFieldStaysEmpty() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    QLineEdit* e = edit(&a, QStringLiteral("個別トウF"));
    click(e);
    typeText(QStringLiteral("1"));
    press(Qt::Key_Return);
    QCOMPARE(e->text(), QStringLiteral("1.00"));
    press(Qt::Key_Escape);
    QCOMPARE(focused(), QStringLiteral("個別トウF"));
    e->selectAll();
    press(Qt::Key_Backspace);
    click(edit(&a, QStringLiteral("調整前(0)")));
    QCOMPARE(e->text(), QString());
    // Blanks only count as empty too.
    click(e);
    typeText(QStringLiteral("   "));
    press(Qt::Key_Return);
    QCOMPARE(e->text(), QString());
  }

  void firstKeypadDigitReplacesTheValue() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    QLineEdit* e = edit(&a, arr("調整前", 0));
    click(e);
    typeText(QStringLiteral("1.5"));
    press(Qt::Key_Return);
    press(Qt::Key_Escape);  // back into the field: a new visit
    QCOMPARE(e->text(), QStringLiteral("1.50"));
    press(Qt::Key_2, Qt::KeypadModifier);
    QCOMPARE(e->text(), QStringLiteral("2"));
    press(Qt::Key_5, Qt::KeypadModifier);  // only the first key of the visit clears
    QCOMPARE(e->text(), QStringLiteral("25"));

    press(Qt::Key_Return);
    press(Qt::Key_Escape);
    QCOMPARE(e->text(), QStringLiteral("25.00"));
    press(Qt::Key_2);  // the top-row 2 does not clear ...
    QCOMPARE(e->text(), QStringLiteral("25.002"));
    press(Qt::Key_3, Qt::KeypadModifier);  // ... a later keypad digit of the same visit still does
    QCOMPARE(e->text(), QStringLiteral("3"));

    press(Qt::Key_Return);
    press(Qt::Key_Escape);
    press(Qt::Key_0, Qt::KeypadModifier);  // keypad 0 and the keypad point never clear
    press(Qt::Key_Period, Qt::KeypadModifier);
    QCOMPARE(e->text(), QStringLiteral("3.000."));
    press(Qt::Key_Minus, Qt::KeypadModifier);  // keypad minus does
    QCOMPARE(e->text(), QStringLiteral("-"));
    typeText(QStringLiteral("1.25"));
    press(Qt::Key_Return);
    QCOMPARE(e->text(), QStringLiteral("-1.25"));

    // Standard values, range boxes and diameters follow the same rule.
    for (const QString& name : {QStringLiteral("トータルトウF"), QStringLiteral("キャンバー範囲R(1)"), arr("タイヤ外径", 0)}) {
      QLineEdit* f = edit(&a, name);
      click(f);
      typeText(QStringLiteral("9"));
      press(Qt::Key_Escape);
      press(Qt::Key_Return);
      QCOMPARE(focused(), name);
      press(Qt::Key_4, Qt::KeypadModifier);
      QCOMPARE(f->text(), QStringLiteral("4"));
    }
    // The tyre size and the code field keep their text.
    QLineEdit* size = edit(&a, arr("タイヤサイズ", 1));
    click(size);
    typeText(QStringLiteral("205"));
    press(Qt::Key_Return);
    press(Qt::Key_Escape);
    QCOMPARE(focused(), size->objectName());
    press(Qt::Key_5, Qt::KeypadModifier);
    QCOMPARE(size->text(), QStringLiteral("2055"));
    QLineEdit* code = edit(&a, QStringLiteral("アライメントコード"));
    selectAllAndType(code, QStringLiteral("12"));
    press(Qt::Key_Escape);
    QCOMPARE(code->text(), QStringLiteral("0012"));
    press(Qt::Key_End);
    press(Qt::Key_Backspace);
    press(Qt::Key_5, Qt::KeypadModifier);
    QCOMPARE(code->text(), QStringLiteral("0015"));
  }

  void coloursReturnToTheirRestingColourWhenLeftByMouse() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    const QStringList hops{QStringLiteral("トータルトウF"), QStringLiteral("トータルトウ範囲R(1)"), arr("調整後", 7),
                           arr("調整前", 7), arr("タイヤサイズ", 0), QStringLiteral("アライメントコード"),
                           arr("タイヤ外径", 1), QStringLiteral("SAI")};
    QString previous;
    for (const QString& name : hops) {
      click(edit(&a, name));
      QCOMPARE(background(edit(&a, name)), Colours::Focus);
      if (!previous.isEmpty()) QCOMPARE(background(edit(&a, previous)), resting(previous));
      previous = name;
    }
  }

  void baseMasterByCode() {
    DataDir d;
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    auto* name = control<QLabel>(&a, QStringLiteral("登録名"));
    const QStringList boxes = standardBoxes();
    auto standard = [&] {
      QStringList s;
      for (const QString& b : boxes) s << edit(&a, b)->text();
      return s;
    };
    QLineEdit* code = edit(&a, QStringLiteral("アライメントコード"));
    typeText(QStringLiteral("7"));
    press(Qt::Key_Return);
    QCOMPARE(code->text(), QStringLiteral("0007"));
    QCOMPARE(name->text(), QStringLiteral("ＢＮＲ３２"));
    QCOMPARE(standard(), masterValues(7));
    QCOMPARE(focused(), QStringLiteral("トータルトウF"));

    // An edited standard value stays while the code is not changed.
    press(Qt::Key_9, Qt::KeypadModifier);
    press(Qt::Key_Return);
    QCOMPARE(edit(&a, QStringLiteral("トータルトウF"))->text(), QStringLiteral("9.00"));
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    press(Qt::Key_Return);
    QCOMPARE(edit(&a, QStringLiteral("トータルトウF"))->text(), QStringLiteral("9.00"));
    click(code);
    typeText(QStringLiteral(""));
    press(Qt::Key_Escape);
    click(edit(&a, arr("調整前", 0)));
    QCOMPARE(edit(&a, QStringLiteral("トータルトウF"))->text(), QStringLiteral("9.00"));

    // Another code replaces all 26 boxes; leaving the field also loads.
    selectAllAndType(code, QStringLiteral("3"));
    click(edit(&a, arr("調整前", 0)));
    QCOMPARE(code->text(), QStringLiteral("0003"));
    QCOMPARE(name->text(), QStringLiteral("ＡＥ８６"));
    QCOMPARE(standard(), masterValues(3));

    // A code without a master blanks the boxes and the name, without a message.
    selectAllAndType(code, QStringLiteral("5"));
    press(Qt::Key_Escape);
    QCOMPARE(code->text(), QStringLiteral("0005"));
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    QCOMPARE(name->text(), QString());
    QCOMPARE(standard(), QStringList(QList<QString>(26)));

    // An emptied code field becomes 0000 on leaving.
    selectAllAndType(code, QStringLiteral("7"));
    press(Qt::Key_Return);
    QCOMPARE(standard(), masterValues(7));
    selectAllAndType(code, QString());
    click(edit(&a, arr("調整前", 0)));
    QCOMPARE(code->text(), QStringLiteral("0000"));
    QCOMPARE(standard(), QStringList(QList<QString>(26)));
    QVERIFY(d.messages.take().isEmpty());
  }

  void saveAndReloadAFullRecord() {
    DataDir d;
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    const QStringList chain = expectedChain();
    QStringList shown(chain.size());
    {
      Araiment a(nullptr, QStringLiteral("0012"), QStringLiteral("テスト車"));
      QVERIFY(showAndActivate(&a));
      typeText(QStringLiteral("7"));
      press(Qt::Key_Return);
      shown[0] = QStringLiteral("0007");
      // Every value field gets its own value, typed on the keypad so that
      // the master's values are replaced.
      for (int i = 1; i < chain.size(); ++i) {
        QCOMPARE(focused(), chain[i]);
        const QString& n = chain[i];
        if (n.startsWith(QStringLiteral("タイヤサイズ"))) {
          typeText(n.endsWith(QStringLiteral("(0)")) ? QStringLiteral("205/50R16") : QStringLiteral("225/45R17"));
          shown[i] = edit(&a, n)->text();
        } else if (n.startsWith(QStringLiteral("タイヤ外径"))) {
          typeKeypad(n.endsWith(QStringLiteral("(0)")) ? QStringLiteral("9.6") : QStringLiteral("655"));
          shown[i] = n.endsWith(QStringLiteral("(0)")) ? QStringLiteral("10") : QStringLiteral("655");
        } else {
          const QString v = (i % 3 == 0 ? QStringLiteral("-") : QString()) + QString::number(i) + QStringLiteral(".5");
          typeKeypad(v);
          shown[i] = v + u'0';
        }
        press(Qt::Key_Return);
        QCOMPARE(edit(&a, n)->text(), shown[i]);
      }
      d.messages.answer(true);
      click(control<QPushButton>(&a, QStringLiteral("Save_Switch")));
      const auto m = d.messages.take();
      QCOMPARE(m.size(), 1);
      QCOMPARE(m[0].title, kCaption);
      QCOMPARE(m[0].text, QStringLiteral("登録しますか？"));
      QCOMPARE(m[0].buttons, MessageRequest::Buttons::YesNo);
      QCOMPARE(m[0].icon, MessageRequest::Icon::None);
      QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    }
    const QVariantMap row = d.row(QStringLiteral("SELECT * FROM アライメント WHERE コード=12"));
    QCOMPARE(row.size(), 76);
    QCOMPARE(row.value(QStringLiteral("コード")).toInt(), 12);
    QCOMPARE(row.value(QStringLiteral("アライメントコード")).toString(), QStringLiteral("0007"));
    const QStringList cols = standardColumns();
    for (int i = 0; i < 26; ++i) QCOMPARE(row.value(cols[i]).toString(), shown[1 + i]);
    for (int i = 0; i < 22; ++i) {
      QCOMPARE(row.value(QStringLiteral("調整前%1").arg(i, 2, 10, QLatin1Char('0'))).toString(), shown[27 + i]);
      QCOMPARE(row.value(QStringLiteral("調整後%1").arg(i, 2, 10, QLatin1Char('0'))).toString(), shown[49 + i]);
    }
    QCOMPARE(row.value(QStringLiteral("タイヤサイズF")).toString(), QStringLiteral("205/50R16"));
    QCOMPARE(row.value(QStringLiteral("タイヤサイズR")).toString(), QStringLiteral("225/45R17"));
    QCOMPARE(row.value(QStringLiteral("タイヤ外径F")).typeId(), QMetaType::LongLong);
    QCOMPARE(row.value(QStringLiteral("タイヤ外径F")).toInt(), 10);
    QCOMPARE(row.value(QStringLiteral("タイヤ外径R")).toInt(), 655);

    // Reopening shows every value as stored, and the master's name.
    Araiment b(nullptr, QStringLiteral("0012"), QStringLiteral("テスト車"));
    QVERIFY(showAndActivate(&b));
    for (int i = 0; i < chain.size(); ++i) QCOMPARE(edit(&b, chain[i])->text(), shown[i]);
    QCOMPARE(control<QLabel>(&b, QStringLiteral("登録名"))->text(), QStringLiteral("ＢＮＲ３２"));

    // Saving again overwrites only after "上書きしますか？" with Yes.
    QLineEdit* e = edit(&b, arr("調整後", 21));
    click(e);
    typeKeypad(QStringLiteral("8"));
    d.messages.answer(false);
    click(control<QPushButton>(&b, QStringLiteral("Save_Switch")));
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("上書きしますか？"));
    QCOMPARE(d.row(QStringLiteral("SELECT 調整後21 FROM アライメント WHERE コード=12")).value(QStringLiteral("調整後21")).toString(),
             shown[70]);
    d.messages.answer(true);
    click(control<QPushButton>(&b, QStringLiteral("Save_Switch")));
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("上書きしますか？"));
    QCOMPARE(d.row(QStringLiteral("SELECT 調整後21 FROM アライメント WHERE コード=12")).value(QStringLiteral("調整後21")).toString(),
             QStringLiteral("8.00"));
    QCOMPARE(d.count(QStringLiteral("アライメント")), 1);
  }

  void theStoredDiameterIsTheOneShown() {
    DataDir d;
    {
      Araiment a(nullptr, QStringLiteral("0005"), QString());
      QVERIFY(showAndActivate(&a));
      QLineEdit* diameter = edit(&a, arr("タイヤ外径", 0));
      click(diameter);
      typeText(QStringLiteral("9e9"));  // an exponent: 9000000000
      press(Qt::Key_Return);
      QCOMPARE(diameter->text(), QStringLiteral("9000000000"));
      d.messages.answer(true);
      click(control<QPushButton>(&a, QStringLiteral("Save_Switch")));
    }
    QCOMPARE(d.row(QStringLiteral("SELECT タイヤ外径F FROM アライメント WHERE コード=5")).value(QStringLiteral("タイヤ外径F")).toLongLong(),
             9000000000LL);
  }

  void anEmptyScreenSavesEmptyTextsAndZeroDiameters() {
    DataDir d;
    {
      Araiment a(nullptr, QStringLiteral("0005"), QString());
      QVERIFY(showAndActivate(&a));
      d.messages.answer(true);
      click(control<QPushButton>(&a, QStringLiteral("Save_Switch")));
    }
    const QVariantMap row = d.row(QStringLiteral("SELECT * FROM アライメント WHERE コード=5"));
    QCOMPARE(row.size(), 76);
    for (auto it = row.begin(); it != row.end(); ++it) {
      if (it.key() == u"コード") QCOMPARE(it.value().toInt(), 5);
      else if (it.key().startsWith(QStringLiteral("タイヤ外径"))) QCOMPARE(it.value().toInt(), 0);
      else if (it.key() == u"アライメントコード") QCOMPARE(it.value().toString(), QStringLiteral("0000"));
      else {
        QVERIFY2(!it.value().isNull(), qPrintable(it.key()));
        QCOMPARE(it.value().toString(), QString());
      }
    }
    Araiment b(nullptr, QStringLiteral("0005"), QString());
    QVERIFY(showAndActivate(&b));
    QCOMPARE(edit(&b, arr("タイヤ外径", 0))->text(), QStringLiteral("0"));
    QCOMPARE(edit(&b, arr("タイヤ外径", 1))->text(), QStringLiteral("0"));
    QCOMPARE(edit(&b, arr("調整前", 0))->text(), QString());
  }

  void recordsKeepTheirOwnStandardValues() {
    DataDir d;
    // A record whose master has gone: its own values, no name.
    d.exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード, キャスターF, 調整前05) VALUES (12, '0009', '3.55', '-0.20')"));
    // A record stored without a master code.
    d.exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード, キャスターF) VALUES (13, '', '4.10')"));
    {
      Araiment a(nullptr, QStringLiteral("0012"), QString());
      QVERIFY(showAndActivate(&a));
      QCOMPARE(edit(&a, QStringLiteral("アライメントコード"))->text(), QStringLiteral("0009"));
      QCOMPARE(control<QLabel>(&a, QStringLiteral("登録名"))->text(), QString());
      QCOMPARE(edit(&a, QStringLiteral("キャスターF"))->text(), QStringLiteral("3.55"));
      QCOMPARE(edit(&a, arr("調整前", 5))->text(), QStringLiteral("-0.20"));
      press(Qt::Key_Return);
      QCOMPARE(edit(&a, QStringLiteral("キャスターF"))->text(), QStringLiteral("3.55"));
    }
    Araiment b(nullptr, QStringLiteral("0013"), QString());
    QVERIFY(showAndActivate(&b));
    QCOMPARE(edit(&b, QStringLiteral("アライメントコード"))->text(), QStringLiteral("0000"));
    press(Qt::Key_Return);
    click(edit(&b, QStringLiteral("アライメントコード")));
    press(Qt::Key_Tab);
    QCOMPARE(edit(&b, QStringLiteral("キャスターF"))->text(), QStringLiteral("4.10"));
  }

  void deleteAsksAndKeepsTheScreen() {
    DataDir d;
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    auto* del = control<QPushButton>(&a, QStringLiteral("Delete_Switch"));
    click(del);
    auto m = d.messages.take();
    QCOMPARE(m.size(), 1);
    QCOMPARE(m[0].text, QStringLiteral("コード[0012]のアライメントは登録されていません！"));
    QCOMPARE(m[0].icon, MessageRequest::Icon::Critical);
    QCOMPARE(m[0].buttons, MessageRequest::Buttons::Ok);
    QCOMPARE(m[0].title, kCaption);
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));

    d.exec(QStringLiteral("INSERT INTO アライメント (コード, キャスターF) VALUES (12, '3.55')"));
    Araiment b(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&b));
    del = control<QPushButton>(&b, QStringLiteral("Delete_Switch"));
    d.messages.answer(false);
    click(del);
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("コード[0012]のアライメントを削除しますか？"));
    QCOMPARE(d.count(QStringLiteral("アライメント")), 1);
    d.messages.answer(true);
    click(del);
    QCOMPARE(d.messages.take().value(0).buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(d.count(QStringLiteral("アライメント")), 0);
    QCOMPARE(edit(&b, QStringLiteral("キャスターF"))->text(), QStringLiteral("3.55"));
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    Araiment c(nullptr, QStringLiteral("0012"), QString());
    QCOMPARE(edit(&c, QStringLiteral("キャスターF"))->text(), QString());
  }

  void clearAsksFirstAndKeepsTheSetting() {
    DataDir d;
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    d.exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード, キャスターF, 調整後21, タイヤサイズR) VALUES (12, '0007', '3.55', '1.00', '205/50R16')"));
    Araiment a(nullptr, QStringLiteral("0012"), QStringLiteral("テスト車"));
    QVERIFY(showAndActivate(&a));
    auto* init = control<QPushButton>(&a, QStringLiteral("Init_Switch"));
    d.messages.answer(false);
    click(init);
    QCOMPARE(d.messages.take().value(0).text, QStringLiteral("画面を初期化しますか？"));
    QCOMPARE(edit(&a, QStringLiteral("キャスターF"))->text(), QStringLiteral("3.55"));
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    d.messages.answer(true);
    click(init);
    for (const QString& n : expectedChain()) QCOMPARE(edit(&a, n)->text(), QString());
    QCOMPARE(control<QLabel>(&a, QStringLiteral("登録名"))->text(), QString());
    QCOMPARE(control<QLabel>(&a, QStringLiteral("コード"))->text(), QStringLiteral("0012"));
    QCOMPARE(control<QLabel>(&a, QStringLiteral("セッティング名"))->text(), QStringLiteral("テスト車"));
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));
    QCOMPARE(d.count(QStringLiteral("アライメント")), 1);
  }

  void closesOnlyByF12AndTheCloseButton() {
    DataDir d;
    {
      Araiment a(nullptr, QStringLiteral("0012"), QString());
      QVERIFY(showAndActivate(&a));
      click(edit(&a, arr("調整前", 4)));
      typeText(QStringLiteral("1"));
      press(Qt::Key_F12);
      QVERIFY(!a.isVisible());
      QCOMPARE(a.result(), int(QDialog::Rejected));
    }
    {
      Araiment a(nullptr, QStringLiteral("0012"), QString());
      QVERIFY(showAndActivate(&a));
      press(Qt::Key_F5);
      QVERIFY(a.isVisible());
      // Esc and Enter on a button neither close the screen nor press it.
      click(edit(&a, arr("タイヤ外径", 1)));
      press(Qt::Key_Tab);
      press(Qt::Key_Tab);
      press(Qt::Key_Tab);
      press(Qt::Key_Tab);
      press(Qt::Key_Tab);
      QCOMPARE(focused(), QStringLiteral("Close_Switch"));
      press(Qt::Key_Escape);
      press(Qt::Key_Return);
      QVERIFY(a.isVisible());
      QVERIFY(d.messages.take().isEmpty());
      click(control<QPushButton>(&a, QStringLiteral("Close_Switch")));
      QVERIFY(!a.isVisible());
    }
    QCOMPARE(d.count(QStringLiteral("アライメント")), 0);
  }

  void printHandsOverWhatIsShown() {
    DataDir d;
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    click(control<QPushButton>(&a, QStringLiteral("PrintSwitch")));  // nothing connected: nothing happens
    QVERIFY(d.messages.take().isEmpty());
    int calls = 0;
    AlignmentRecord printed;
    a.printHandler = [&](Araiment* screen) {
      ++calls;
      printed = screen->values();
    };
    selectAllAndType(edit(&a, QStringLiteral("アライメントコード")), QStringLiteral("7"));
    press(Qt::Key_Return);
    click(edit(&a, QStringLiteral("トータルトウ範囲F(0)")));
    typeKeypad(QStringLiteral("1.5"));
    click(edit(&a, arr("調整後", 21)));
    typeText(QStringLiteral("-.05"));
    click(edit(&a, arr("タイヤサイズ", 1)));
    typeText(QStringLiteral("225/45R17"));
    click(control<QPushButton>(&a, QStringLiteral("PrintSwitch")));
    QCOMPARE(calls, 1);
    QCOMPARE(printed.alignmentCode, QStringLiteral("0007"));
    QCOMPARE(printed.baseName, QStringLiteral("ＢＮＲ３２"));
    QStringList expected = masterValues(7);
    expected[1] = QStringLiteral("1.50");
    for (int i = 0; i < 26; ++i) QCOMPARE(printed.standard[size_t(i)], expected[i]);
    QCOMPARE(printed.after[21], QStringLiteral("-0.05"));
    QCOMPARE(printed.tyreSize[1], QStringLiteral("225/45R17"));
    QCOMPARE(printed.before[0], QString());
    QCOMPARE(d.count(QStringLiteral("アライメント")), 0);
  }

  // Engine errors are shown with the screen's caption and change nothing.
  void engineErrorsLeaveScreenAndTableAsTheyWere() {
    DataDir d;
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    d.exec(QStringLiteral("INSERT INTO アライメント (コード, アライメントコード, キャスターF) VALUES (12, '0007', '3.55')"));
    d.failWrites(QStringLiteral("アライメント"), {QStringLiteral("UPDATE"), QStringLiteral("INSERT"), QStringLiteral("DELETE")});
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    click(edit(&a, QStringLiteral("キャスターF")));
    typeKeypad(QStringLiteral("4.2"));
    d.messages.answer(true);
    click(control<QPushButton>(&a, QStringLiteral("Save_Switch")));
    auto m = d.messages.take();
    QCOMPARE(m.size(), 2);
    QCOMPARE(m[1].title, kCaption);
    QCOMPARE(m[1].icon, MessageRequest::Icon::Critical);
    QVERIFY(!m[1].text.isEmpty());
    QCOMPARE(edit(&a, QStringLiteral("キャスターF"))->text(), QStringLiteral("4.20"));
    QCOMPARE(d.row(QStringLiteral("SELECT キャスターF FROM アライメント")).value(QStringLiteral("キャスターF")).toString(),
             QStringLiteral("3.55"));
    d.messages.answer(true);
    click(control<QPushButton>(&a, QStringLiteral("Delete_Switch")));
    QCOMPARE(d.messages.take().size(), 2);
    QCOMPARE(d.count(QStringLiteral("アライメント")), 1);

    // A new record that cannot be written leaves no row behind.
    Araiment n(nullptr, QStringLiteral("0013"), QString());
    QVERIFY(showAndActivate(&n));
    d.messages.answer(true);
    click(control<QPushButton>(&n, QStringLiteral("Save_Switch")));
    QCOMPARE(d.messages.take().size(), 2);
    QCOMPARE(d.count(QStringLiteral("アライメント")), 1);

    // A master that cannot be read keeps the standard values on screen.
    d.exec(QStringLiteral("ALTER TABLE アライメントマスタ RENAME TO 退避"));
    QLineEdit* code = edit(&a, QStringLiteral("アライメントコード"));
    selectAllAndType(code, QStringLiteral("3"));
    press(Qt::Key_Return);
    m = d.messages.take();
    QCOMPARE(m.size(), 1);
    QCOMPARE(m[0].icon, MessageRequest::Icon::Critical);
    QCOMPARE(edit(&a, QStringLiteral("キャスターF"))->text(), QStringLiteral("4.20"));
    QCOMPARE(control<QLabel>(&a, QStringLiteral("登録名"))->text(), QStringLiteral("ＢＮＲ３２"));
    // Leaving the field does not repeat the message.
    click(edit(&a, arr("調整前", 0)));
    QVERIFY(d.messages.take().isEmpty());

    // An unreadable record on opening: the message, then an empty screen.
    d.exec(QStringLiteral("ALTER TABLE アライメント RENAME TO 退避2"));
    Araiment e(nullptr, QStringLiteral("0012"), QString());
    QCOMPARE(d.messages.take().size(), 1);
    QCOMPARE(edit(&e, QStringLiteral("キャスターF"))->text(), QString());
  }
};

ASHIMEMO_TEST(AraimentTest)
#include "tst_araiment.moc"
