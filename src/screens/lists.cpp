#include "screens/lists.h"

#include "data/database.h"
#include "data/datafile.h"
#include "data/tablechanges.h"
#include "data/numfmt.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringListModel>

void setUpCodeList(QComboBox* list) {
  list->setEditable(true);
  list->setCompleter(nullptr);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->setMaxVisibleItems(20);
  // Sized by the layout, never by scanning up to 9,999 items.
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(20);
  list->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
}

// The items live in a string list model: one reset instead of one insert
// per item, which matters for a list of 9,999 users.
static void fill(QComboBox* list, const QStringList& items) {
  const QString text = list->currentText();
  QSignalBlocker block(list);
  auto* model = qobject_cast<QStringListModel*>(list->model());
  if (!model) {
    model = new QStringListModel(list);
    list->setModel(model);
  }
  model->setStringList(items);
  if (list->isEditable()) list->setEditText(text);
}

// Once filled, a list is filled again when another PC changes its table.
// The text being typed, its cursor and its selected part stay as they are.
static void follow(QComboBox* list, const QString& table, QStringList (*items)()) {
  static const char* const kFollowed = "ashimemoFollowsTable";
  if (list->property(kFollowed).toBool()) return;
  list->setProperty(kFollowed, true);
  TableChanges::instance().follow(list, [list, table, items](const QString& changed) {
    if (changed != table) return;
    QStringList fresh;
    try {
      fresh = items();
    } catch (const DbError&) {
      return;  // the next visit fills it and reports
    }
    QLineEdit* edit = list->lineEdit();
    if (!edit) {
      fill(list, fresh);
      return;
    }
    const int cursor = edit->cursorPosition(), from = edit->selectionStart(), length = edit->selectionLength();
    const bool backwards = from >= 0 && cursor == from;
    fill(list, fresh);
    if (length > 0) {
      if (backwards) edit->setSelection(from + length, -length);
      else edit->setSelection(from, length);
    } else {
      edit->setCursorPosition(cursor);
    }
  });
}

void FillUserList(QComboBox* list) {
  fill(list, userListItems());
  follow(list, QStringLiteral("ユーザー"), userListItems);
}
void FillCoilOverList(QComboBox* list) {
  fill(list, coilOverListItems());
  follow(list, QStringLiteral("車高調マスタ"), coilOverListItems);
}

// The leading `width` characters of an item as a number. Items begin with
// their zero-padded code, so the digits are read directly; anything else
// goes through the general reading.
static double itemCode(const QString& item, int width) {
  if (item.size() < width) return numfmt::val(QStringView(item).left(width));
  qint64 v = 0;
  for (int i = 0; i < width; ++i) {
    const ushort c = item[i].unicode();
    if (c < '0' || c > '9') return numfmt::val(QStringView(item).left(width));
    v = v * 10 + (c - '0');
  }
  return double(v);
}

QString matchListItem(const QComboBox* list, const QString& text, int width) {
  if (list->count() == 0) return QString();
  if (!text.trimmed().isEmpty()) {
    const double wanted = numfmt::val(text);
    for (int i = 0; i < list->count(); ++i) {
      const QString item = list->itemText(i);
      if (itemCode(item, width) == wanted) return item.trimmed();
    }
  }
  return list->itemText(0);
}
