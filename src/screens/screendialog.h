#pragma once
// The modal window of every screen, list and dialog of the program. A Qt
// dialog takes Enter as its default button and Esc as cancel; here neither
// chooses nor closes anything: Enter and Esc only walk the fields (the
// window's key filter handles them there), and the buttons, F12 and the
// close box close the window.
#include <QDialog>

class ScreenDialog : public QDialog {
 public:
  using QDialog::QDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
