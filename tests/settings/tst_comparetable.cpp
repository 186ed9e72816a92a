// A wheel table of the comparison window: the keys and the mouse move its
// current cell within the table, and assistive technology finds the cell
// that is current (and the one under a point).
#include "settings/comparetable.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QAccessible>
#include <QTest>
#include <functional>
#include <QVBoxLayout>

class CompareTableTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void movesTheCurrentCellByKeysAndMouseAndSaysWhichItIs() {
    CompareTable::Cells cells;
    for (size_t r = 0; r < 12; ++r)
      for (size_t c = 0; c < 4; ++c) cells[r][c] = QStringLiteral("%1.%2").arg(r).arg(c);
    QWidget window;
    auto* table = new CompareTable(QStringLiteral("リア左"), cells, {}, &window);
    (new QVBoxLayout(&window))->addWidget(table);
    QVERIFY(showAndActivate(&window));
    table->setFocus();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(table);
    QStringList visited;  // the focused cell as assistive technology reads it, after each step
    const auto step = [&](const std::function<void()>& action) {
      action();
      visited << iface->focusChild()->text(QAccessible::Name);
    };
    // Moves stop at the edges: Up in the first row and Right in the last
    // column change nothing.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_End, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Down,
                        Qt::Key_Home, Qt::Key_PageUp})
      step([&] { QTest::keyClick(table, key); });
    step([&] { QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier); });
    step([&] { QTest::mouseClick(table, Qt::LeftButton, {}, table->cellRect(5, 2).center()); });
    step([&] { QTest::mouseClick(table, Qt::LeftButton, {}, table->cellRect(-1, 1).center()); });  // a header
    QCOMPARE(visited, (QStringList{"0.0", "1.0", "1.3", "1.3", "11.3", "11.3", "11.0", "0.0", "11.3", "5.2", "5.2"}));
    QVERIFY(iface->child((5 + 1) * 4 + 2)->state().focused && !iface->child((5 + 1) * 4 + 1)->state().focused);
    // Where a point is, for a screen reader's mouse review.
    const QPoint at = table->mapToGlobal(table->cellRect(7, 3).center());
    QCOMPARE(iface->childAt(at.x(), at.y())->text(QAccessible::Name), QStringLiteral("7.3"));
    QCOMPARE(iface->indexOfChild(iface->childAt(at.x(), at.y())), (7 + 1) * 4 + 3);
  }
};

ASHIMEMO_TEST(CompareTableTest)
#include "tst_comparetable.moc"
