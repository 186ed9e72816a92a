#include "screens/lists.h"

#include "data/datafile.h"
#include "data/numfmt.h"

#include <QComboBox>
#include <QSignalBlocker>

static void fill(QComboBox* list, const QStringList& items) {
  const QString text = list->currentText();
  QSignalBlocker block(list);
  list->clear();
  list->addItems(items);
  if (list->isEditable()) list->setEditText(text);
}

void FillUserList(QComboBox* list) { fill(list, userListItems()); }
void FillCoilOverList(QComboBox* list) { fill(list, coilOverListItems()); }

QString matchListItem(const QComboBox* list, const QString& text, int width) {
  if (list->count() == 0) return QString();
  if (!text.trimmed().isEmpty()) {
    const double wanted = numfmt::val(text);
    for (int i = 0; i < list->count(); ++i) {
      const QString item = list->itemText(i);
      if (numfmt::val(item.left(width)) == wanted) return item.trimmed();
    }
  }
  return list->itemText(0);
}
