#include "screens/listsearch.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/listexport.h"
#include "screens/listgrid.h"
#include "screens/messages.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>

ListSearch::ListSearch(ListGrid* grid, QWidget* parent, const QStringList& searchFields)
    : QWidget(parent), grid_(grid) {
  grid_->data1()->setSearchFields(searchFields);
  caption_ = new QLabel(QStringLiteral("検索"), this);
  nameControl(caption_, QStringLiteral("検索Label"));
  field_ = new QLineEdit(this);
  nameControl(field_, QStringLiteral("検索"));
  caption_->setBuddy(field_);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);
  row->addWidget(caption_);
  row->addWidget(field_, 1);

  grid_->data1()->searchRowsRead = [this] { updateCount(); };
  field_->installEventFilter(this);
  grid_->viewport()->installEventFilter(this);
  connect(field_, &QLineEdit::textChanged, this, &ListSearch::narrow);
  connect(grid_->data1(), &QAbstractItemModel::modelReset, this, [this] {
    // The list was read again (or narrowed): the search rows follow it.
    if (!grid_->data1()->hasSearchRows()) readTried_ = false;
    updateCount();
  });
}

ListSearch::~ListSearch() {
  if (grid_) grid_->data1()->searchRowsRead = nullptr;
}

QLabel* ListSearch::countLine() {
  if (!count_) {
    count_ = new QLabel(parentWidget());
    nameControl(count_, QStringLiteral("件数"));
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    updateCount();
  }
  return count_;
}

void ListSearch::narrow() {
  bool replaced = false;
  try {
    replaced = grid_->data1()->setFilter(field_->text());
  } catch (const DbError& e) {
    Msg::dbError(window(), window()->windowTitle(), e);
  }
  if (replaced) grid_->selectFirstRow();
  updateCount();
}

void ListSearch::updateCount() {
  if (!count_) return;
  const ListModel* m = grid_->data1();
  const int total = m->totalCount();
  if (total < 0) {
    count_->clear();
    return;
  }
  const int shown = m->isFiltered() ? m->rowCount() : total;
  count_->setText(numfmt::format(shown, u"#,##0") + QStringLiteral("件 / ") + numfmt::format(total, u"#,##0") +
                  QStringLiteral("件"));
}

void ListSearch::readRowsWhenIdle() {
  if (readTried_ || grid_->data1()->hasSearchRows()) return;
  readTried_ = true;
  // Once the painting is done, so the worker never delays the first rows.
  QTimer::singleShot(0, this, [this] {
    if (grid_) grid_->data1()->readSearchRowsInBackground();
  });
}

void ListSearch::setExport(const QString& table, const QString& listName) {
  exportTable_ = table;
  exportName_ = listName;
  auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), window());
  connect(key, &QShortcut::activated, this, &ListSearch::exportShown);
  // The window's line edits are all there once it shows.
  window()->installEventFilter(this);
}

void ListSearch::exportShown() {
  QList<qint64> codes;
  try {
    for (const QVariant& code : grid_->data1()->shownValues(QStringLiteral("コード"))) codes << code.toLongLong();
  } catch (const DbError& e) {
    Msg::dbError(window(), window()->windowTitle(), e);
    return;
  }
  listexport::exportRows(window(), exportTable_, exportName_, codes);
}

bool ListSearch::eventFilter(QObject* watched, QEvent* event) {
  if (!exportTable_.isEmpty()) {
    if (event->type() == QEvent::ShortcutOverride) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_E && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        event->ignore();  // not the line edit's "end of line": the window's shortcut
        return true;
      }
    }
    if (watched == window()) {
      if (event->type() == QEvent::Show)
        for (QLineEdit* edit : window()->findChildren<QLineEdit*>())
          if (edit != field_) edit->installEventFilter(this);
      return false;
    }
    if (watched != field_ && watched != grid_->viewport()) return false;
  }
  if (watched == grid_->viewport()) {
    if (event->type() == QEvent::Paint) readRowsWhenIdle();
    return false;
  }
  switch (event->type()) {
    case QEvent::FocusIn:
      HighlightField(field_);
      return false;
    case QEvent::FocusOut:
      UnhighlightField(field_);
      return false;
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      const int code = keyCode(key);
      if (code == Key::Up || code == Key::Down || code == Key::PageUp || code == Key::PageDown) {
        // The grid moves its current row as it does when it has the focus.
        QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(grid_, &copy);
        return true;
      }
      if (code == Key::Enter) {
        if (grid_->currentIndex().isValid() && take_) take_();
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}
