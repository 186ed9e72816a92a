#include "screens/listgrid.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "data/searchtext.h"
#include "data/tablechanges.h"
#include "screens/fields.h"

#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>
#include <optional>

QString listCellText(const QVariant& value, const QString& format) {
  if (value.isNull()) return QString();
  if (format.isEmpty()) return value.toString();
  const QString text = value.toString().trimmed();
  if (text.isEmpty()) return QString();
  // Plain digits (stored codes and dates) are read directly: the search
  // formats every cell of a list of 9,999 rows at once.
  bool plain = text.size() <= 9;
  for (QChar c : text) plain = plain && c.unicode() >= '0' && c.unicode() <= '9';
  const qint64 whole = plain ? text.toLongLong() : numfmt::codeValue(text);
  QString digits = QString::number(whole < 0 ? -whole : whole);
  const int places = int(format.count(u'0'));
  if (digits.size() < places) digits = QString(places - digits.size(), u'0') + digits;
  // Fill the placeholders from the right; digits beyond them lead the text.
  QString out;
  int next = int(digits.size()) - 1;
  for (int i = int(format.size()) - 1; i >= 0; --i) out.prepend(format[i] == u'0' ? digits[next--] : format[i]);
  out.prepend(digits.left(next + 1));
  return whole < 0 ? u'-' + out : out;
}

ListModel::ListModel(QList<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

ListModel::~ListModel() { stopBackgroundReading(); }

void ListModel::stopBackgroundReading() {
  if (!pending_.valid()) return;
  stopPending_->store(true);
  pending_ = {};  // waits for the thread, which ends at its next row
}

void ListModel::setRecordSource(const QString& sql) {
  sql_ = sql;
  refresh();
}

QString ListModel::pageSql(const QString& sql, size_t first, int pageSize) {
  // One row more than a page tells whether more rows follow.
  return sql + QStringLiteral(" LIMIT %1 OFFSET %2").arg(pageSize + 1).arg(first);
}

void ListModel::readFirstPageAhead(const QString& sql) { Database::readListAhead(pageSql(sql, 0, kPageSize)); }

void ListModel::readPage(std::vector<std::vector<QVariant>>& out) const {
  QStringList names;
  std::vector<std::vector<QVariant>> rows;
  Database::readList(pageSql(sql_, rows_.size(), pageSize_), &names, &rows);
  std::vector<int> at;
  for (int c = 0; c < columns_.size(); ++c) {
    int i = -1;
    for (int n = 0; n < names.size() && i < 0; ++n)
      if (names[n].compare(columns_[c].field, Qt::CaseInsensitive) == 0) i = n;
    at.push_back(i >= 0 ? i : c);
  }
  for (std::vector<QVariant>& r : rows) {
    std::vector<QVariant> row;
    row.reserve(at.size());
    for (int i : at) row.push_back(i < int(r.size()) ? r[size_t(i)] : QVariant());
    out.push_back(std::move(row));
  }
}

void ListModel::refresh() {
  std::vector<std::vector<QVariant>> page;
  std::optional<DbError> failure;
  beginResetModel();
  rows_.clear();
  dropSearchRows();
  if (!sql_.isEmpty()) {
    try {
      readPage(page);
      // A search in force narrows the rows read again.
      if (isFiltered()) {
        readSearchRows();
        for (int r = 0; r < int(all_.size()); ++r)
          if (search::matches(all_[size_t(r)].key, query_)) matches_.push_back(r);
      }
    } catch (const DbError& e) {
      failure = e;
      page.clear();
    }
  }
  pageFailed_ = failure.has_value();
  atEnd_ = failure || int(page.size()) <= pageSize_;
  if (int(page.size()) > pageSize_) page.resize(size_t(pageSize_));
  rows_ = std::move(page);
  endResetModel();
  if (failure) throw *failure;
}

bool ListModel::reads(const QString& table) const {
  if (sql_.isEmpty() || table.isEmpty()) return false;
  // Table names are whole words of the SQL: after FROM or JOIN, or before
  // a column ("ユーザー.名前").
  const QRegularExpression word(QStringLiteral("(^|[^\\w])") + QRegularExpression::escape(table) +
                                QStringLiteral("($|[^\\w])"),
                                QRegularExpression::UseUnicodePropertiesOption);
  return word.match(sql_).hasMatch();
}

int ListModel::columnOf(const QString& field) const {
  for (int c = 0; c < columns_.size(); ++c)
    if (columns_[c].field.compare(field, Qt::CaseInsensitive) == 0) return c;
  return -1;
}

void ListModel::setSearchFields(QStringList fields) {
  searchFields_ = std::move(fields);
  dropSearchRows();
}

void ListModel::dropSearchRows() {
  // A reading still on its way is of the rows before: it is stopped.
  stopBackgroundReading();
  ++generation_;
  all_.clear();
  matches_.clear();
  searchRead_ = false;
}

ListModel::SearchSource ListModel::searchSource() const {
  SearchSource source{Database::engine(), sql_, columns_, 0,
                      std::make_shared<std::atomic<bool>>(false)};
  if (!searchFields_.isEmpty()) {
    static const QRegularExpression head(QStringLiteral("^\\s*SELECT\\s+"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = head.match(sql_);
    if (m.hasMatch()) {
      source.sql =
          m.captured(0) + searchFields_.join(QStringLiteral(", ")) + QStringLiteral(", ") + sql_.mid(m.capturedEnd());
      source.extra = int(searchFields_.size());
    }
  }
  return source;
}

std::vector<ListModel::SearchRow> ListModel::readRows(const SearchSource& source) {
  QStringList names;
  std::vector<std::vector<QVariant>> rows = Database::readAll(source.engine, source.sql, &names, source.stop.get());
  std::vector<int> at;
  for (int c = 0; c < source.columns.size(); ++c) {
    const int i = int(names.indexOf(source.columns[c].field, source.extra));
    at.push_back(i >= 0 ? i : source.extra + c);
  }
  std::vector<SearchRow> all;
  all.reserve(rows.size());
  QStringList texts;
  for (std::vector<QVariant>& row : rows) {
    if (source.stop->load(std::memory_order_relaxed)) return {};
    SearchRow r;
    texts.clear();
    for (int c = 0; c < int(at.size()); ++c) {
      QVariant v = at[size_t(c)] < int(row.size()) ? std::move(row[size_t(at[size_t(c)])]) : QVariant();
      texts << listCellText(v, source.columns[c].format);
      r.cells.push_back(std::move(v));
    }
    for (int e = 0; e < source.extra; ++e) texts << row[size_t(e)].toString();
    r.key = search::rowKey(texts);
    all.push_back(std::move(r));
  }
  return all;
}

void ListModel::readSearchRows() {
  if (searchRead_ || sql_.isEmpty()) return;
  if (pending_.valid()) {
    std::future<std::vector<SearchRow>> reading = std::move(pending_);
    pending_ = {};
    all_ = reading.get();  // rethrows the worker's DbError
  } else {
    all_ = readRows(searchSource());
  }
  searchRead_ = true;
}

void ListModel::readSearchRowsInBackground() {
  if (searchRead_ || pending_.valid() || sql_.isEmpty()) return;
  const SearchSource source = searchSource();
  const int generation = generation_;
  stopPending_ = source.stop;
  pending_ = std::async(std::launch::async, [this, source, generation] {
    std::vector<SearchRow> rows = readRows(source);
    if (source.stop->load()) return rows;  // no longer wanted
    // Queued to this model's thread; dropped with the model, whose
    // destruction waits for this reading to end.
    QMetaObject::invokeMethod(this, [this, generation] { takeBackgroundRows(generation); }, Qt::QueuedConnection);
    return rows;
  });
}

void ListModel::takeBackgroundRows(int generation) {
  if (generation != generation_ || searchRead_ || !pending_.valid()) return;
  try {
    readSearchRows();
  } catch (const DbError&) {
    return;  // a search reads again and reports it
  }
  if (searchRowsRead) searchRowsRead();
}

bool ListModel::setFilter(const QString& typed) {
  const search::Query query = search::parse(typed);
  if (query == query_) {
    typed_ = typed;
    return false;
  }
  std::vector<int> found;
  std::vector<std::vector<QVariant>> page;
  if (!query.isEmpty()) {
    readSearchRows();
    // The new words hold the old ones (the user typed on): only the rows
    // found so far can still match.
    if (isFiltered() && search::within(query, query_)) {
      for (int r : matches_)
        if (search::matches(all_[size_t(r)].key, query)) found.push_back(r);
    } else {
      for (int r = 0; r < int(all_.size()); ++r)
        if (search::matches(all_[size_t(r)].key, query)) found.push_back(r);
    }
  } else if (pageFailed_ && !sql_.isEmpty()) {
    // The list could not be read when it was opened (the file was busy):
    // without a search it shows its pages, so they are read now.
    readPage(page);
  }
  beginResetModel();
  typed_ = typed;
  query_ = query;
  matches_ = std::move(found);
  if (pageFailed_ && query.isEmpty()) {
    pageFailed_ = false;
    atEnd_ = int(page.size()) <= pageSize_;
    if (int(page.size()) > pageSize_) page.resize(size_t(pageSize_));
    rows_ = std::move(page);
  }
  endResetModel();
  return true;
}

std::vector<QVariant> ListModel::shownValues(const QString& field) {
  std::vector<QVariant> values;
  qsizetype column = 0;
  while (column < columns_.size() && columns_[column].field != field) ++column;
  if (column == columns_.size() || sql_.isEmpty()) return values;
  readSearchRows();
  if (isFiltered()) {
    for (int r : matches_) values.push_back(all_[size_t(r)].cells[size_t(column)]);
  } else {
    for (const SearchRow& row : all_) values.push_back(row.cells[size_t(column)]);
  }
  return values;
}

const std::vector<QVariant>& ListModel::rowAt(int row) const {
  return isFiltered() ? all_[size_t(matches_[size_t(row)])].cells : rows_[size_t(row)];
}

bool ListModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !atEnd_ && !isFiltered(); }

void ListModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || atEnd_ || isFiltered()) return;
  std::vector<std::vector<QVariant>> page;
  try {
    readPage(page);
  } catch (const DbError&) {
    // Called by the grid while scrolling, where nothing can be shown; the
    // list simply ends. The next refresh reports the error.
    atEnd_ = true;
    return;
  }
  atEnd_ = int(page.size()) <= pageSize_;
  if (int(page.size()) > pageSize_) page.resize(size_t(pageSize_));
  if (page.empty()) return;
  const int first = int(rows_.size());
  beginInsertRows(QModelIndex(), first, first + int(page.size()) - 1);
  for (auto& row : page) rows_.push_back(std::move(row));
  endInsertRows();
}

QString ListModel::cellText(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columns_.size()) return QString();
  return listCellText(rowAt(row)[size_t(column)], columns_[column].format);
}

int ListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return int(isFiltered() ? matches_.size() : rows_.size());
}
int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return QVariant();
  if (role == Qt::DisplayRole) return cellText(index.row(), index.column());
  if (role == Qt::TextAlignmentRole && !columns_[index.column()].format.isEmpty())
    return int(Qt::AlignCenter);
  return QVariant();
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
    return columns_[section].caption;
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

ListGrid::ListGrid(QList<ListColumn> columns, QWidget* parent) : QTableView(parent) {
  const QList<ListColumn> cols = columns;
  model_ = new ListModel(std::move(columns), this);
  model_->setObjectName(QStringLiteral("Data1"));
  setModel(model_);
  nameControl(this, QStringLiteral("DBGrid1"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setAlternatingRowColors(true);
  setCornerButtonEnabled(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  TableChanges::instance().follow(this, [this](const QString& table) { followChange(table); });
  for (int c = 0; c < cols.size(); ++c) {
    if (cols[c].format.isEmpty()) continue;
    const int w = qMax(fontMetrics().horizontalAdvance(cols[c].format), fontMetrics().horizontalAdvance(cols[c].caption));
    setColumnWidth(c, w + 24);
  }
}

// The list starts again at its first row, as a refreshed data source does;
// a grid left scrolled to the bottom would otherwise read every page at once.
void ListGrid::setRecordSource(const QString& sql) {
  scrollToTop();
  model_->setRecordSource(sql);
}

void ListGrid::followChange(const QString& table) {
  if (!model_->reads(table)) return;
  const int keyColumn = qMax(0, model_->columnOf(QStringLiteral("コード")));
  const QModelIndex current = currentIndex();
  const QString code = current.isValid() ? model_->cellText(current.row(), keyColumn) : QString();
  const int row = current.isValid() ? current.row() : -1;
  const int column = current.isValid() ? current.column() : 0;
  const bool selected = current.isValid() && selectionModel()->isRowSelected(row, QModelIndex());
  const int loaded = model_->rowCount();
  const int scrolled = verticalScrollBar()->value();
  const bool searchRead = model_->hasSearchRows();
  try {
    model_->refresh();
    // The pages read before are read again, so the place in the list stays.
    while (model_->rowCount() < loaded && model_->canFetchMore(QModelIndex())) model_->fetchMore(QModelIndex());
    if (searchRead && !model_->hasSearchRows()) model_->readSearchRowsInBackground();
  } catch (const DbError&) {
    return;  // the list stays empty; the user's next search or visit reports it
  }
  if (row < 0 || model_->rowCount() == 0) return;
  int at = -1;
  for (int r = 0; r < model_->rowCount() && at < 0 && !code.isEmpty(); ++r)
    if (model_->cellText(r, keyColumn) == code) at = r;
  if (at < 0) at = qMin(row, model_->rowCount() - 1);
  const QModelIndex place = model_->index(at, column);
  selectionModel()->setCurrentIndex(place, selected ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                                    : QItemSelectionModel::NoUpdate);
  verticalScrollBar()->setValue(scrolled);
}

void ListGrid::refresh() {
  scrollToTop();
  model_->refresh();
}

QString ListGrid::currentCellText(int column) {
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return QString();
  setCurrentIndex(model_->index(current.row(), column));
  return model_->cellText(current.row(), column);
}

bool ListGrid::selectRowShowing(int column, const QString& text) {
  for (int r = 0; r < model_->rowCount(); ++r)
    if (model_->cellText(r, column) == text) {
      setCurrentIndex(model_->index(r, 0));
      scrollTo(currentIndex());
      return true;
    }
  return false;
}

void ListGrid::selectFirstRow() {
  if (model_->rowCount() == 0) return;
  setCurrentIndex(model_->index(0, 0));
  scrollToTop();
}
