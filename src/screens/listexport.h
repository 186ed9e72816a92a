#pragma once
// Ctrl+E in a list window: the rows the list shows, after any search, with
// every field of their records, saved as a CSV file for a spreadsheet
// through a save dialog (UTF-8, or Shift_JIS for older programs). An
// existing file is replaced only after asking, and always whole.
#include "data/csvexport.h"

#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace listexport {

struct Choice {
  QString path;  // empty: cancelled
  csv::Encoding encoding = csv::Encoding::Utf8;
};
// Asks where the file goes, starting at `suggestedPath`. The default shows a
// Japanese save dialog; tests install a chooser that answers at once.
using PathChooser = std::function<Choice(QWidget* parent, const QString& suggestedPath)>;
void setPathChooser(PathChooser chooser);  // empty restores the dialog

// "<list name>_<yyyymmdd>.csv", with today's date.
QString defaultFileName(const QString& listName);

// Saves the records of `table` whose codes are `codes`, in that order, with
// the messages of the window `window`. True when a file was written.
bool exportRows(QWidget* window, const QString& table, const QString& listName, const QList<qint64>& codes);

}  // namespace listexport
