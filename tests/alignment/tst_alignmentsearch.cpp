// The search above the base-master list and in the list window: narrowing
// by name, Enter loading (base master) or picking (list) the current row.
#include "alignment/araimentbase.h"
#include "alignment/araimentlist.h"
#include "alignmenttest.h"
#include "screens/selectedcode.h"
#include "support/searchhelpers.h"
#include "support/testmain.h"

using namespace at;

class AlignmentSearchTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init() { SelectedCode() = QString(); }

  void listOpensInTheSearchAndEnterPicks() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６ レビン"), masterValues(3));
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    insertMaster(d, 9, QStringLiteral("ae86 トレノ"), masterValues(9));
    AraimentList list;
    QVERIFY(showAndActivate(&list));
    QCOMPARE(QApplication::focusWidget(), searchField(&list));
    typeText(QStringLiteral("AE86"));
    QCOMPARE(shownColumn(&list, 0), (QStringList{"0003", "0009"}));
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QCOMPARE(SelectedCode(), QStringLiteral("0009"));
    QVERIFY(!list.isVisible());
  }

  void baseMasterEnterLoadsTheRow() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６ レビン"), masterValues(3));
    insertMaster(d, 9, QStringLiteral("ae86 とれの"), masterValues(9));
    AraimentBase b;
    QVERIFY(showAndActivate(&b));
    searchFor(&b, QStringLiteral("ﾄﾚﾉ"));
    QCOMPARE(shownColumn(&b, 1), QStringList{"ae86 とれの"});
    press(Qt::Key_Return);
    QCOMPARE(b.codeField()->text(), QStringLiteral("0009"));
    QCOMPARE(edit(&b, QStringLiteral("トータルトウF"))->text(), masterValues(9).first());
    QCOMPARE(focused(), QStringLiteral("コード"));
    QVERIFY(d.messages.take().isEmpty());
  }
};

ASHIMEMO_TEST(AlignmentSearchTest)
#include "tst_alignmentsearch.moc"
