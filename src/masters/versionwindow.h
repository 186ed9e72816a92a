#pragma once
// The version window: the version of the data file, read from its table
// バージョン情報, so that it also shows whether the opened file is a proper
// data file.
#include <QDialog>

class QLabel;
class QPushButton;

class VersionWindow : public QDialog {
 public:
  explicit VersionWindow(QWidget* parent = nullptr);
  QString versionLine() const;

  // "Version " and the trimmed version of the first row, or the notice of
  // a damaged data file when there is no row, or no such table or field.
  static QString readVersionLine();

 private:
  QLabel* version_;
  QPushButton* ok_;
};
