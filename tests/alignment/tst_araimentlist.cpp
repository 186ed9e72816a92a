// The base-master list and the alignment record's choice of a master from
// it: picking by double-click and by 決　定, cancelling, an empty list, and
// the record reloading its standard values only for a changed code.
#include "alignment/araiment.h"
#include "alignment/araimentlist.h"
#include "alignmenttest.h"
#include "screens/selectedcode.h"
#include "support/testmain.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

using namespace at;

namespace {
QTableView* grid(QWidget* root) { return control<QTableView>(root, QStringLiteral("DBGrid1")); }

void doubleClickRow(QTableView* view, int row, int column = 0) {
  const QModelIndex index = view->model()->index(row, column);
  const QPoint p = view->visualRect(index).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, p);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, p);
}
}  // namespace

class AraimentListTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void showsEveryMasterInCodeOrder() {
    DataDir d;
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    AraimentList list;
    QVERIFY(showAndActivate(&list));
    QCOMPARE(list.windowTitle(), QStringLiteral("アライメントマスタ登録一覧"));
    QTableView* g = grid(&list);
    QCOMPARE(g->model()->rowCount(), 2);
    QCOMPARE(g->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("コード"));
    QCOMPARE(g->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("登録名"));
    QCOMPARE(g->model()->index(0, 0).data().toString(), QStringLiteral("0003"));
    QCOMPARE(g->model()->index(0, 1).data().toString(), QStringLiteral("ＡＥ８６"));
    QCOMPARE(g->model()->index(1, 0).data().toString(), QStringLiteral("0007"));
    QVERIFY(g->editTriggers() == QAbstractItemView::NoEditTriggers);
    QCOMPARE(control<QPushButton>(&list, QStringLiteral("OK_Switch"))->text(), QStringLiteral("決　定"));
    QCOMPARE(control<QPushButton>(&list, QStringLiteral("Exit_Switch"))->text(), QStringLiteral("キャンセル"));
  }

  void doubleClickOrOkReturnsTheCode() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    {
      SelectedCode() = QString();
      AraimentList list;
      QVERIFY(showAndActivate(&list));
      doubleClickRow(grid(&list), 0, 1);  // on the name column
      QCOMPARE(SelectedCode(), QStringLiteral("0003"));
      QVERIFY(!list.isVisible());
    }
    {
      SelectedCode() = QString();
      AraimentList list;
      QVERIFY(showAndActivate(&list));
      grid(&list)->setFocus();
      press(Qt::Key_Down);
      click(control<QPushButton>(&list, QStringLiteral("OK_Switch")));
      QCOMPARE(SelectedCode(), QStringLiteral("0007"));
      QVERIFY(!list.isVisible());
    }
  }

  void cancelF12AndAnEmptyListReturnNothing() {
    DataDir d;
    {
      SelectedCode() = QString();
      AraimentList list;
      QVERIFY(showAndActivate(&list));
      click(control<QPushButton>(&list, QStringLiteral("OK_Switch")));
      QCOMPARE(SelectedCode(), QString());
      QVERIFY(!list.isVisible());
    }
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    {
      SelectedCode() = QString();
      AraimentList list;
      QVERIFY(showAndActivate(&list));
      press(Qt::Key_Escape);  // Esc does not close the list
      QVERIFY(list.isVisible());
      click(control<QPushButton>(&list, QStringLiteral("Exit_Switch")));
      QCOMPARE(SelectedCode(), QString());
      QVERIFY(!list.isVisible());
    }
    {
      AraimentList list;
      QVERIFY(showAndActivate(&list));
      press(Qt::Key_F12);
      QCOMPARE(SelectedCode(), QString());
      QVERIFY(!list.isVisible());
    }
  }

  void recordTakesTheMasterChosenFromTheList() {
    DataDir d;
    insertMaster(d, 3, QStringLiteral("ＡＥ８６"), masterValues(3));
    insertMaster(d, 7, QStringLiteral("ＢＮＲ３２"), masterValues(7));
    Araiment a(nullptr, QStringLiteral("0012"), QString());
    QVERIFY(showAndActivate(&a));
    auto* call = control<QPushButton>(&a, QStringLiteral("AraimentCall"));
    QCOMPARE(call->text(), QStringLiteral("アライメント基準値"));
    QLineEdit* toe = edit(&a, QStringLiteral("トータルトウF"));
    auto standard = [&] {
      QStringList s;
      for (const QString& b : standardBoxes()) s << edit(&a, b)->text();
      return s;
    };

    // Master 7 picked from the list.
    onNextModal([](QDialog* list) { doubleClickRow(grid(list), 1); });
    click(call);
    QVERIFY(showAndActivate(&a));  // the window system gives the focus back
    QCOMPARE(edit(&a, QStringLiteral("アライメントコード"))->text(), QStringLiteral("0007"));
    QCOMPARE(control<QLabel>(&a, QStringLiteral("登録名"))->text(), QStringLiteral("ＢＮＲ３２"));
    QCOMPARE(standard(), masterValues(7));
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));

    // Picking the same master again keeps the edits.
    click(toe);
    press(Qt::Key_5, Qt::KeypadModifier);
    onNextModal([](QDialog* list) { doubleClickRow(grid(list), 1); });
    click(call);
    QVERIFY(showAndActivate(&a));  // the window system gives the focus back
    QCOMPARE(toe->text(), QStringLiteral("5.00"));

    // Cancelling changes nothing.
    onNextModal([](QDialog* list) { click(control<QPushButton>(list, QStringLiteral("Exit_Switch"))); });
    click(call);
    QVERIFY(showAndActivate(&a));  // the window system gives the focus back
    QCOMPARE(edit(&a, QStringLiteral("アライメントコード"))->text(), QStringLiteral("0007"));
    QCOMPARE(toe->text(), QStringLiteral("5.00"));
    QCOMPARE(focused(), QStringLiteral("アライメントコード"));

    // Another master replaces the values.
    onNextModal([](QDialog* list) { doubleClickRow(grid(list), 0); });
    click(call);
    QVERIFY(showAndActivate(&a));  // the window system gives the focus back
    QCOMPARE(edit(&a, QStringLiteral("アライメントコード"))->text(), QStringLiteral("0003"));
    QCOMPARE(standard(), masterValues(3));
    QCOMPARE(control<QLabel>(&a, QStringLiteral("登録名"))->text(), QStringLiteral("ＡＥ８６"));
    QVERIFY(d.messages.take().isEmpty());
  }
};

ASHIMEMO_TEST(AraimentListTest)
#include "tst_araimentlist.moc"
