#pragma once
// The list of all records beside a record screen: a read-only grid
// (`DBGrid1`) bound to its data source (`Data1`), which runs the screen's list
// SQL on the second connection. Rows are fetched a page at a time as the grid
// needs them, so a table of 9,999 rows opens at once. Each page is read by a
// query of its own that is finished before the page is shown: no read cursor
// stays open between pages, so saving on the shared connection is never
// blocked by the list (SQLite refuses a commit while another connection of the
// same file still has a statement open).
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QTableView>
#include <QVariant>
#include <vector>

// One column of a list: header caption, the field of the list SQL it shows
// and its display format ("" for text as stored, "00" / "0000" for a code,
// "0000/00/00" for an eight-digit date).
struct ListColumn {
  QString caption;
  QString field;
  QString format;
};

// The text a list cell shows for a stored value under a display format.
// Digit patterns are filled from the value's whole number, right-aligned and
// zero-padded ("0000" shows 7 as "0007", "0000/00/00" shows 20030512 as
// "2003/05/12"); a null or blank value shows "". An empty format shows the
// text as stored.
QString listCellText(const QVariant& value, const QString& format);

class ListModel : public QAbstractTableModel {
 public:
  ListModel(QList<ListColumn> columns, QObject* parent = nullptr);

  // Sets the record source and reads its first page. Throws DbError when the
  // SQL cannot run; the list is then empty. The source is a plain SELECT
  // with its ORDER BY and no LIMIT: pages are read by appending
  // "LIMIT n OFFSET m" to it.
  void setRecordSource(const QString& sql);
  QString recordSource() const { return sql_; }
  // Reads the record source again from its first row. Throws DbError.
  void refresh();

  // The displayed text of a cell.
  QString cellText(int row, int column) const;
  int pageSize() const { return pageSize_; }
  void setPageSize(int rows) { pageSize_ = rows > 0 ? rows : 1; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  // Reads the next page into `out`; throws DbError.
  void readPage(std::vector<std::vector<QVariant>>& out) const;

  QList<ListColumn> columns_;
  QString sql_;
  std::vector<std::vector<QVariant>> rows_;
  bool atEnd_ = true;
  int pageSize_ = 256;
};

class ListGrid : public QTableView {
 public:
  ListGrid(QList<ListColumn> columns, QWidget* parent = nullptr);
  ListModel* data1() const { return model_; }

  // Sets the record source of `Data1` and refreshes it (Set_ListDsp_SQL).
  // Throws DbError; the grid is then empty.
  void setRecordSource(const QString& sql);
  void refresh();

  // Makes column `column` of the current row current and returns the text
  // that cell shows; "" when there is no current row.
  QString currentCellText(int column = 0);

 private:
  ListModel* model_;
};
