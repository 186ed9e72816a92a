#include "screens/screendialog.h"

#include "screens/keys.h"

#include <QKeyEvent>

void ScreenDialog::keyPressEvent(QKeyEvent* event) {
  const int code = keyCode(event);
  if (code == Key::Esc || code == Key::Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
