#include "screens/progresswindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>

void ProgressWindow::refuseCancel() {
  refused_ = true;
  setCancelButton(nullptr);
}

void ProgressWindow::keyPressEvent(QKeyEvent* event) {
  if (refused_ && event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QProgressDialog::keyPressEvent(event);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  if (refused_) {
    event->ignore();
    return;
  }
  QProgressDialog::closeEvent(event);
}

void ProgressWindow::showEvent(QShowEvent* event) {
  if (auto* bar = findChild<QProgressBar*>(); bar && bar->accessibleName().isEmpty())
    bar->setAccessibleName(QStringLiteral("進行状況"));
  QProgressDialog::showEvent(event);
}
