#pragma once
// The search field above a list grid, the same in every window that has a
// list: caption "検索" and the field `検索`. Each keystroke narrows the grid to
// the rows that contain every typed word (ListModel::setFilter) and makes the
// first row current. Up, Down, Page Up and Page Down move the grid's current
// row while the focus stays in the field; Enter hands the current row to the
// window (as its double-click would take it). The field belongs to no Enter/Esc
// chain: Esc does nothing there and F12 still reaches the window.
//
// The rows to search are read in the background once the list has been
// painted, so opening a window is not slowed down and the first keystroke
// usually finds them ready.
//
// Ctrl+E anywhere in the window saves the rows the list shows as a CSV file
// (setExport). A line edit takes Ctrl+E as "end of line", so the search field
// and the window's other line edits hand that key to the window's shortcut.
#include "screens/listgrid.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;

class ListSearch : public QWidget {
 public:
  // `searchFields`: fields searched besides the grid's columns
  // (ListModel::setSearchFields).
  ListSearch(ListGrid* grid, QWidget* parent, const QStringList& searchFields = {});
  ~ListSearch() override;

  QLineEdit* field() const { return field_; }
  QLabel* caption() const { return caption_; }
  // A line "12件 / 3,456件" (rows shown / rows in the list) for the window to
  // place under the grid; kept up to date from then on.
  QLabel* countLine();
  // What Enter in the field does; called only when the grid has a current row.
  void setOnEnter(std::function<void()> take) { take_ = std::move(take); }
  // Enables Ctrl+E: the rows shown, with every field of their records of
  // `table`, through a save dialog proposing "<listName>_<date>.csv".
  void setExport(const QString& table, const QString& listName);
  void exportShown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void narrow();
  void updateCount();
  void readRowsWhenIdle();

  QPointer<ListGrid> grid_;
  QLabel* caption_;
  QLineEdit* field_;
  QLabel* count_ = nullptr;
  std::function<void()> take_;
  bool readTried_ = false;  // since the list was last read
  QString exportTable_, exportName_;
};
