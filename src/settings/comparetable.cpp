#include "settings/comparetable.h"

#include "screens/fields.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

constexpr int kRows = CompareTable::kRows, kColumns = CompareTable::kColumns;
constexpr int kPad = 4;  // space between a cell's text and its lines

// The accessible children of a table: first the four column headers, then
// the cells row by row, as Qt numbers those of its own item views.
int childIndex(int row, int column) { return (row + 1) * kColumns + column; }

// One cell (row >= 0) or column header (row -1) as assistive technology
// reads it: its text, and "違いあり" on every cell of a differing row.
class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  CellAccessible(CompareTable* table, int row, int column) : table_(table), row_(row), column_(column) {}

  bool isValid() const override { return table_; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return table_ ? table_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(table_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (!table_) return QString();
    if (t == QAccessible::Name) return row_ < 0 ? CompareTable::headerText(column_) : table_->text(row_, column_);
    if (t == QAccessible::Description && row_ >= 0 && table_->marked(row_)) return CompareTable::markText();
    return QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!table_) return QRect();
    const QRect r = table_->cellRect(row_, column_);
    return QRect(table_->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override { return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!table_) {
      s.invalid = true;
      return s;
    }
    s.readOnly = true;
    if (!table_->isVisible()) s.invisible = true;
    if (row_ < 0) return s;
    s.focusable = s.selectable = true;
    s.selected = row_ == table_->currentRow();
    s.focused = s.selected && column_ == table_->currentColumn() && table_->hasFocus();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
  }

  bool isSelected() const override { return table_ && row_ >= 0 && row_ == table_->currentRow(); }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    QAccessibleInterface* t = table();
    if (row_ < 0 || !t) return {};
    return {t->child(childIndex(-1, column_))};
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  int row() const { return row_; }
  int column() const { return column_; }

 private:
  QPointer<CompareTable> table_;
  int row_, column_;
};

class TableAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TableAccessible(CompareTable* table) : QAccessibleWidget(table, QAccessible::Table) {}
  ~TableAccessible() override {
    for (QAccessible::Id id : ids_)
      if (id) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return kColumns * (kRows + 1); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    QAccessible::Id& id = ids_[size_t(index)];
    if (!id)
      id = QAccessible::registerAccessibleInterface(new CellAccessible(view(), index / kColumns - 1, index % kColumns));
    return QAccessible::accessibleInterface(id);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* cell = dynamic_cast<const CellAccessible*>(child);
    return cell && cell->parent() == this ? childIndex(cell->row(), cell->column()) : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = view()->mapFromGlobal(QPoint(x, y));
    for (int row = -1; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column)
        if (view()->cellRect(row, column).contains(at)) return child(childIndex(row, column));
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    return view()->hasFocus() ? child(childIndex(view()->currentRow(), view()->currentColumn())) : nullptr;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns) return nullptr;
    return child(childIndex(row, column));
  }
  int selectedCellCount() const override { return kColumns; }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells;
    for (int column = 0; column < kColumns; ++column) cells << cellAt(view()->currentRow(), column);
    return cells;
  }
  int columnCount() const override { return kColumns; }
  int rowCount() const override { return kRows; }
  QString columnDescription(int column) const override { return CompareTable::headerText(column); }
  QString rowDescription(int row) const override { return row >= 0 && row < kRows ? view()->text(row, 0) : QString(); }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 1; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {view()->currentRow()}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override { return row == view()->currentRow(); }
  bool selectRow(int row) override {
    if (row < 0 || row >= kRows) return false;
    view()->setCurrent(row, view()->currentColumn());
    return true;
  }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

 private:
  CompareTable* view() const { return static_cast<CompareTable*>(widget()); }
  mutable std::array<QAccessible::Id, size_t(kColumns * (kRows + 1))> ids_{};
};

QAccessibleInterface* accessibleTable(const QString&, QObject* object) {
  if (auto* table = dynamic_cast<CompareTable*>(object)) return new TableAccessible(table);
  return nullptr;
}

}  // namespace

CompareTable::CompareTable(const QString& caption, const Cells& cells, const std::array<bool, kRows>& marked,
                           QWidget* parent)
    : QWidget(parent), caption_(caption), cells_(cells), marked_(marked) {
  static const bool factory = (QAccessible::installFactory(accessibleTable), true);
  (void)factory;
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  bold_ = font();
  bold_.setBold(true);
}

const QString& CompareTable::headerText(int column) {
  static const QString texts[kColumns] = {QStringLiteral("項目"), QStringLiteral("古い方"), QStringLiteral("新しい方"),
                                          QStringLiteral("差")};
  return texts[column];
}

const QString& CompareTable::markText() {
  static const QString text = QStringLiteral("違いあり");
  return text;
}

int CompareTable::rowHeight() const { return fontMetrics().height() + 8; }

int CompareTable::top() const { return fontMetrics().height() + 6; }

QRect CompareTable::cellRect(int row, int column) const {
  const int h = rowHeight();
  const int inner = width() - 1;
  const int left = inner * column / kColumns, right = inner * (column + 1) / kColumns;
  return QRect(left, top() + (row + 1) * h, right - left, h);
}

QSize CompareTable::sizeHint() const { return QSize(440, top() + (kRows + 1) * rowHeight() + 1); }

void CompareTable::setCurrent(int row, int column) {
  row = std::clamp(row, 0, kRows - 1);
  column = std::clamp(column, 0, kColumns - 1);
  if (row == row_ && column == column_) return;
  row_ = row;
  column_ = column;
  update();
  if (hasFocus() && QAccessible::isActive()) {
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(childIndex(row_, column_));
    QAccessible::updateAccessibility(&event);
  }
}

const QStaticText& CompareTable::laidOut(const QString& text, bool bold) {
  QHash<QString, QStaticText>& texts = bold ? boldTexts_ : plainTexts_;
  auto it = texts.find(text);
  if (it == texts.end()) {
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), bold ? bold_ : font());
    it = texts.insert(text, laid);
  }
  return *it;
}

void CompareTable::drawCell(QPainter& p, const QRect& r, const QString& text, bool bold, Qt::Alignment align) {
  if (text.isEmpty()) return;
  const QStaticText& laid = laidOut(text, bold);
  const QSizeF size = laid.size();
  qreal x = r.left() + kPad;
  if (align & Qt::AlignRight) x = r.right() - kPad - size.width();
  else if (align & Qt::AlignHCenter) x = r.left() + (r.width() - size.width()) / 2;
  p.setFont(bold ? bold_ : font());
  p.setClipRect(r.adjusted(1, 0, -1, 0));
  p.drawStaticText(QPointF(x, r.top() + (r.height() - size.height()) / 2), laid);
}

void CompareTable::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  p.fillRect(rect(), pal.window());
  p.setPen(pal.color(QPalette::WindowText));
  drawCell(p, QRect(0, 0, width(), top()), caption_, false, Qt::AlignLeft);

  const int h = rowHeight();
  const QRect grid(0, top(), width() - 1, (kRows + 1) * h);
  p.setClipping(false);
  p.fillRect(QRect(grid.left(), grid.top(), grid.width(), h), pal.button());
  p.fillRect(grid.adjusted(0, h, 0, 0), pal.base());
  for (int row = 0; row < kRows; ++row)
    if (marked_[size_t(row)]) p.fillRect(cellRect(row, 0).united(cellRect(row, kColumns - 1)), Colours::LightYellow);

  p.setPen(pal.color(QPalette::ButtonText));
  for (int column = 0; column < kColumns; ++column)
    drawCell(p, cellRect(-1, column), headerText(column), false, Qt::AlignHCenter);
  p.setPen(pal.color(QPalette::Text));
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column)
      drawCell(p, cellRect(row, column), text(row, column), marked(row), column == 0 ? Qt::AlignLeft : Qt::AlignRight);

  p.setClipping(false);
  p.setPen(pal.color(QPalette::Mid));
  for (int row = 0; row <= kRows + 1; ++row) p.drawLine(0, grid.top() + row * h, grid.right(), grid.top() + row * h);
  for (int column = 0; column <= kColumns; ++column) {
    const int x = column == kColumns ? grid.right() : cellRect(0, column).left();
    p.drawLine(x, grid.top(), x, grid.bottom());
  }

  // The current row framed in the selection colour (its mark stays
  // visible), the current cell within it with a dotted line.
  if (hasFocus()) {
    const QRect line = cellRect(row_, 0).united(cellRect(row_, kColumns - 1));
    p.setPen(QPen(pal.color(QPalette::Highlight), 2));
    p.drawRect(line.adjusted(1, 1, -1, -1));
    p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
    p.drawRect(cellRect(row_, column_).adjusted(3, 3, -4, -4));
  }
}

void CompareTable::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up: setCurrent(row_ - 1, column_); break;
    case Qt::Key_Down: setCurrent(row_ + 1, column_); break;
    case Qt::Key_Left: setCurrent(row_, column_ - 1); break;
    case Qt::Key_Right: setCurrent(row_, column_ + 1); break;
    case Qt::Key_Home: setCurrent(event->modifiers() & Qt::ControlModifier ? 0 : row_, 0); break;
    case Qt::Key_End: setCurrent(event->modifiers() & Qt::ControlModifier ? kRows - 1 : row_, kColumns - 1); break;
    case Qt::Key_PageUp: setCurrent(0, column_); break;
    case Qt::Key_PageDown: setCurrent(kRows - 1, column_); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void CompareTable::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column)
      if (cellRect(row, column).contains(at)) {
        setFocus(Qt::MouseFocusReason);
        setCurrent(row, column);
        return;
      }
  QWidget::mousePressEvent(event);
}

void CompareTable::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
  if (QAccessible::isActive()) {
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(childIndex(row_, column_));
    QAccessible::updateAccessibility(&focus);
  }
}

void CompareTable::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void CompareTable::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  // Texts laid out in the old font are laid out again when next painted.
  bold_ = font();
  bold_.setBold(true);
  plainTexts_.clear();
  boldTexts_.clear();
  updateGeometry();
}
