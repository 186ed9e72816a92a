// The search above the master lists: the user fields it finds a customer by,
// Enter and the arrows loading a row as a double-click does, the code field
// and chain untouched, and a save keeping the list narrowed.
#include "masterhelpers.h"
#include "masters/u_master.h"
#include "screens/fields.h"
#include "support/searchhelpers.h"
#include "support/testmain.h"

namespace {
void addUser(DataDir& dir, int code, const QStringList& texts) {
  QVariantList v{code};
  for (int i = 0; i < 10; ++i) v << texts.value(i);
  dir.exec(QStringLiteral("INSERT INTO ユーザー VALUES (?,?,?,?,?,?,?,?,?,?,?)"), v);
}
}  // namespace

class MasterSearchTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void userSearchFindsACustomerByWhatTheyTell() {
    DataDir dir;
    addUser(dir, 1, {"佐藤　一郎", "ｻﾄｳ ｲﾁﾛｳ", "084-0905", "北海道釧路市鳥取南５丁目", "", "03-1234-5678",
                     "090-1111-2222", "", "Sato@Example.jp", "常連"});
    addUser(dir, 2, {"鈴木 花子", "ｽｽﾞｷ ﾊﾅｺ", "100-0001", "東京都千代田区", "丸の内ビル", "0154-12-3456", "",
                     "03-9999-0000", "hanako@example.jp", ""});
    addUser(dir, 3, {"田中", "ﾀﾅｶ"});
    addUser(dir, 4, {"髙橋　健", "ﾀｶﾊｼ ｹﾝ", "0800010", "帯広市", "", "0155221234"});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    QCOMPARE(focused(), u.codeField());  // the screen still starts in the code field
    auto codes = [&](const char* typed) {
      searchFor(&u, QString::fromUtf8(typed));
      return shownColumn(&u, 0);
    };
    QCOMPARE(codes("さとう"), QStringList{"0001"});         // furigana typed in hiragana
    QCOMPARE(codes("0312345678"), QStringList{"0001"});     // telephone without hyphens
    QCOMPARE(codes("03-9999"), QStringList{"0002"});        // FAX
    QCOMPARE(codes("09011112222"), QStringList{"0001"});    // mobile
    QCOMPARE(codes("０８４０９０５"), QStringList{"0001"});  // postal code, full-width
    QCOMPARE(codes("千代田 丸の内"), QStringList{"0002"});   // both address lines
    QCOMPARE(codes("EXAMPLE.JP"), (QStringList{"0001", "0002"}));
    QCOMPARE(codes("0003"), QStringList{"0003"});
    // As read out or written down: separators either way, brackets, a name
    // without its blank, a variant kanji.
    QCOMPARE(codes("0155-22-1234"), QStringList{"0004"});
    QCOMPARE(codes("080-0010"), QStringList{"0004"});
    QCOMPARE(codes("03(1234)5678"), QStringList{"0001"});
    QCOMPARE(codes("鈴木花子"), QStringList{"0002"});
    QCOMPARE(codes("すずきはなこ"), QStringList{"0002"});
    QCOMPARE(codes("高橋"), QStringList{"0004"});
    QCOMPARE(u.list()->model()->columnCount(), 2);

    // Down and Enter load the second row as a double-click does.
    searchFor(&u, QStringLiteral("example"));
    press(Qt::Key_Down);
    QCOMPARE(focused(), searchField(&u));
    press(Qt::Key_Return);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0002"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("鈴木 花子"));
    QCOMPARE(focused(), u.codeField());

    // A save refreshes the list under the search still in force, with the
    // saved row current: Enter in the search field loads it at once.
    retype(edit(&u, QStringLiteral("名前")), QStringLiteral("鈴木 春子"));
    dir.messages.answer(true);
    click(&u, QStringLiteral("Save_Switch"));
    QCOMPARE(searchField(&u)->text(), QStringLiteral("example"));
    QCOMPARE(shownColumn(&u, 1), (QStringList{"佐藤　一郎", "鈴木 春子"}));
    QCOMPARE(currentRow(&u), 1);
    QVERIFY(dir.messages.take().size() == 1);
    searchField(&u)->setFocus();
    edit(&u, QStringLiteral("名前"))->setText(QStringLiteral("未保存"));
    press(Qt::Key_Return);
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("鈴木 春子"));
  }

  void searchFieldLeavesTheCodeFieldAndChainAlone() {
    DataDir dir;
    addUser(dir, 4, {"山田"});
    U_Master u;
    QVERIFY(showAndActivate(&u));
    // Leaving the code field for the search runs its leave rule, as for any
    // other control: formatted, loaded, no code proposed.
    typeText(QStringLiteral("4"));
    searchField(&u)->setFocus(Qt::MouseFocusReason);
    QCOMPARE(u.codeField()->text(), QStringLiteral("0004"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("山田"));
    QCOMPARE(background(searchField(&u)), Colours::Focus);
    // Enter with no row and Esc do nothing; the body keeps its edits.
    edit(&u, QStringLiteral("名前"))->setText(QStringLiteral("山田（未保存）"));
    searchFor(&u, QStringLiteral("該当なし"));
    press(Qt::Key_Return);
    press(Qt::Key_Escape);
    QCOMPARE(focused(), searchField(&u));
    QCOMPARE(u.codeField()->text(), QStringLiteral("0004"));
    QCOMPARE(edit(&u, QStringLiteral("名前"))->text(), QStringLiteral("山田（未保存）"));
    // The search comes after the buttons in the tab order, before the list.
    control<QWidget>(&u, QStringLiteral("Close_Switch"))->setFocus();
    press(Qt::Key_Tab);
    QCOMPARE(focused(), searchField(&u));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), control<QWidget>(&u, QStringLiteral("DBGrid1")));
    searchField(&u)->setFocus();
    press(Qt::Key_F12);
    QVERIFY(!u.isVisible());
  }
};

ASHIMEMO_TEST(MasterSearchTest)
#include "tst_mastersearch.moc"
