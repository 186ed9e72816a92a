#pragma once
// The progress window of work that runs on while it shows (converting a data
// file, the copy at closing). Once the work can no longer be stopped, Esc and
// the close box leave the window on screen: Qt's progress dialog would take
// them as a cancel and hide itself, leaving the user with nothing to look at
// while the work goes on.
#include <QProgressDialog>

class ProgressWindow : public QProgressDialog {
 public:
  using QProgressDialog::QProgressDialog;
  // Removes the cancel button; from now on Esc and the close box do nothing.
  void refuseCancel();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Names the bar for assistive technology ("進行状況"), which Qt leaves unnamed.
  void showEvent(QShowEvent* event) override;

 private:
  bool refused_ = false;
};
