#include "screens/listexport.h"

#include "data/clock.h"
#include "data/database.h"
#include "data/numfmt.h"
#include "screens/messages.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace listexport {

namespace {

const QString kUtf8Filter = QStringLiteral("CSVファイル UTF-8 (*.csv)");
const QString kShiftJisFilter = QStringLiteral("CSVファイル Shift_JIS (*.csv)");

Choice askWithDialog(QWidget* parent, const QString& suggestedPath) {
  QFileDialog dialog(parent, QStringLiteral("CSVファイルの保存先"), suggestedPath);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kUtf8Filter, kShiftJisFilter});
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  // The overwrite question is ours, in the program's words.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(QFileInfo(suggestedPath).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().constFirst(),
          dialog.selectedNameFilter() == kShiftJisFilter ? csv::Encoding::ShiftJis : csv::Encoding::Utf8};
}

PathChooser& chooser() {
  static PathChooser c;
  return c;
}

}  // namespace

void setPathChooser(PathChooser c) { chooser() = std::move(c); }

QString defaultFileName(const QString& listName) {
  return listName + u'_' + TodayDigits() + QStringLiteral(".csv");
}

bool exportRows(QWidget* window, const QString& table, const QString& listName, const QList<qint64>& codes) {
  const QString title = window->windowTitle();
  const QString suggested = QDir::current().absoluteFilePath(defaultFileName(listName));
  const Choice choice = chooser() ? chooser()(window, suggested) : askWithDialog(window, suggested);
  if (choice.path.isEmpty()) return false;
  const QString shown = QDir::toNativeSeparators(choice.path);
  if (QFileInfo::exists(choice.path) &&
      !Msg::confirm(window, title, QStringLiteral("「%1」はすでにあります。上書きしますか？").arg(shown)))
    return false;
  csv::Encoded file;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    file = csv::exportTable(Database::engine(), table, choice.encoding, &codes);
  } catch (const DbError& e) {
    QApplication::restoreOverrideCursor();
    Msg::dbError(window, title, e);
    return false;
  }
  QApplication::restoreOverrideCursor();
  if (!file.refusal.isEmpty()) {
    Msg::refuse(window, title, file.refusal + QStringLiteral("\n「CSVファイル UTF-8」を選んで保存してください。"));
    return false;
  }
  QString error;
  if (!csv::writeFile(choice.path, file.bytes, &error)) {
    Msg::refuse(window, title, error);
    return false;
  }
  Msg::notice(window, title,
              QStringLiteral("%1件を「%2」に書き出しました。").arg(numfmt::format(file.rowCount, u"#,##0"), shown));
  return true;
}

}  // namespace listexport
