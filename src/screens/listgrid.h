#pragma once
// The list of all records beside a record screen: a read-only grid
// (`DBGrid1`) bound to its data source (`Data1`), which runs the screen's list
// SQL on the second connection. Rows are fetched a page at a time as the grid
// needs them, so a table of 9,999 rows opens at once. Each page is read by a
// query of its own that is finished before the page is shown: no read cursor
// stays open between pages, so saving on the shared connection is never
// blocked by the list (SQLite refuses a commit while another connection of the
// same file still has a statement open).
//
// The list can be narrowed by a search (ListSearch): the whole record source
// is then read once into memory, with a folded search key per row, and every
// keystroke only scans those keys, keeping the rows in their listed order.
#include "data/searchtext.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QVariant>
#include <atomic>
#include <memory>
#include <functional>
#include <future>
#include <memory>
#include <vector>

class Engine;

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
  ~ListModel() override;

  // Sets the record source and reads its first page. Throws DbError when the
  // SQL cannot run; the list is then empty. The source is a plain SELECT
  // with its ORDER BY and no LIMIT: pages are read by appending
  // "LIMIT n OFFSET m" to it.
  void setRecordSource(const QString& sql);
  // Starts reading the first page of `sql` on a server while the window is
  // still being built, for the setRecordSource(sql) that follows (a list
  // of the default page size).
  static void readFirstPageAhead(const QString& sql);
  QString recordSource() const { return sql_; }
  // Reads the record source again from its first row. Throws DbError.
  void refresh();
  // Whether the record source reads `table` (a change there changes the list).
  bool reads(const QString& table) const;
  // The column showing `field`; -1 when none does.
  int columnOf(const QString& field) const;

  // --- Search ---------------------------------------------------------------
  // Fields searched besides the shown columns: column expressions of the
  // record source's tables ("ユーザー.フリガナ"), read only for the search.
  void setSearchFields(QStringList fields);
  // Narrows the list to the rows whose shown texts or search fields contain
  // every word of `typed` (see search::parse); a blank text shows every row
  // again, read a page at a time (the first page is read then if it could
  // not be read before). Returns true when the shown rows were replaced
  // (false when only blanks changed). Throws DbError when the rows cannot
  // be read; the list is then unchanged.
  bool setFilter(const QString& typed);
  QString filter() const { return typed_; }
  bool isFiltered() const { return !query_.isEmpty(); }
  // Reads every row of the record source for the search, once per refresh
  // (or takes the rows read in the background, waiting for them). Throws
  // DbError.
  void readSearchRows();
  // Starts reading them on a worker thread, through a read-only connection
  // of its own, so that the window stays responsive meanwhile (30 to 50 ms
  // for 9,999 settings). `searchRowsRead` is called once they are taken in.
  void readSearchRowsInBackground();
  std::function<void()> searchRowsRead;
  bool hasSearchRows() const { return searchRead_; }
  // Rows in the whole list; -1 until the search rows have been read.
  int totalCount() const { return searchRead_ ? int(all_.size()) : -1; }

  // The stored values of the column showing `field` in every row the list
  // shows, in its order: the rows a search narrowed it to, or every row of
  // the record source (read whole when needed). Throws DbError.
  std::vector<QVariant> shownValues(const QString& field);

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
  struct SearchRow {
    std::vector<QVariant> cells;  // the shown columns
    QString key;                  // search::rowKey of the shown texts and search fields
  };
  // What the search reads: the record source with the search fields in
  // front of its own columns, from the open records.
  struct SearchSource {
    std::shared_ptr<const Engine> engine;
    QString sql;
    QList<ListColumn> columns;
    int extra = 0;  // search fields before the record source's columns
    std::shared_ptr<std::atomic<bool>> stop;  // set when the rows are no longer wanted
  };
  SearchSource searchSource() const;
  // Runs on any thread; throws DbError.
  static std::vector<SearchRow> readRows(const SearchSource& source);
  void takeBackgroundRows(int generation);
  // Stops a reading still on its way and waits for its thread to end.
  void stopBackgroundReading();

  // Reads the next page into `out`; throws DbError.
  void readPage(std::vector<std::vector<QVariant>>& out) const;
  // The SQL of the page of `sql` that starts at row `first`.
  static QString pageSql(const QString& sql, size_t first, int pageSize);
  // Forgets the search rows (the record source was read again).
  void dropSearchRows();
  // The shown cells of list row `row`.
  const std::vector<QVariant>& rowAt(int row) const;

  QList<ListColumn> columns_;
  QString sql_;
  std::vector<std::vector<QVariant>> rows_;  // the pages read so far
  bool atEnd_ = true;
  bool pageFailed_ = false;  // the last reading of the first page failed
  static constexpr int kPageSize = 256;
  int pageSize_ = kPageSize;

  QStringList searchFields_;
  std::vector<SearchRow> all_;  // every row of the record source, once read
  bool searchRead_ = false;
  QString typed_;
  search::Query query_;
  std::vector<int> matches_;  // rows of all_ shown while a search narrows the list
  std::future<std::vector<SearchRow>> pending_;  // rows being read in the background
  std::shared_ptr<std::atomic<bool>> stopPending_;
  int generation_ = 0;  // counts the readings of the record source
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
  // Makes the first row current and selected (nothing when the list is empty).
  void selectFirstRow();
  // Makes the row current whose `column` shows `text`, among the rows read
  // so far; false when there is none.
  bool selectRowShowing(int column, const QString& text);

  // Reads the list again after another PC changed `table`, when the list
  // shows it: the search stays in force, the same record (by its code)
  // stays current and selected, and the rows in view stay in view. A row
  // deleted elsewhere leaves the current place on its neighbour.
  void followChange(const QString& table);

 private:
  ListModel* model_;
};
