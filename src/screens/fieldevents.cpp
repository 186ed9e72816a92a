#include "screens/fieldevents.h"

#include "screens/keys.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

FieldEvents::FieldEvents(QWidget* window, FieldHandler* handler)
    : QObject(window), window_(window), handler_(handler) {}

void FieldEvents::watchWindow() {
  window_->installEventFilter(this);
  for (QWidget* w : window_->findChildren<QWidget*>()) w->installEventFilter(this);
}

void FieldEvents::addField(QWidget* field) {
  fields_.insert(field);
  field->installEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(field)) {
    if (QLineEdit* e = combo->lineEdit()) {
      proxies_.insert(e);
      e->installEventFilter(this);
    }
  }
}

QWidget* FieldEvents::fieldOf(QObject* watched) const {
  if (auto* w = qobject_cast<QWidget*>(watched)) {
    if (fields_.contains(w)) return w;
    if (proxies_.contains(watched)) return w->parentWidget();
  }
  return nullptr;
}

bool FieldEvents::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      // A key that a child ignores travels up to its parents, and a combo
      // box hands its keys on to its line edit: act once. (A new event may
      // reuse the address of an earlier one, but it is then delivered to
      // the control itself again, not passed between relatives.)
      auto* w = qobject_cast<QWidget*>(watched);
      if (event == lastKey_ && w && lastKeyWidget_ && w != lastKeyWidget_ &&
          (w->isAncestorOf(lastKeyWidget_) || lastKeyWidget_->isAncestorOf(w)))
        return false;
      lastKey_ = event;
      lastKeyWidget_ = w;
      auto* ke = static_cast<QKeyEvent*>(event);
      const int code = keyCode(ke);
      QWidget* field = fieldOf(watched);
      bool consumed = false;
      if (field) consumed = handler_->fieldKeyDown(field, code, ke);
      if (Key::isFunctionKey(code)) {
        handler_->ChkFunctionKey(code);
        consumed = true;
      }
      if (field && (code == Key::Enter || code == Key::Esc)) consumed = true;
      return consumed;
    }
    case QEvent::FocusIn:
      if (QWidget* f = fieldOf(watched)) {
        // A combo box and its line edit both receive focus; count the combo.
        if (proxies_.contains(watched) || f == logicalFocus_) return false;
        // The previous field lost the focus while the window was inactive.
        if (QWidget* before = logicalFocus_) {
          logicalFocus_ = nullptr;
          handler_->fieldFocusOut(before);
        }
        logicalFocus_ = f;
        handler_->fieldFocusIn(f);
      }
      return false;
    case QEvent::FocusOut:
      if (QWidget* f = fieldOf(watched)) {
        if (proxies_.contains(watched)) return false;
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        // A popup list, a message box or another window taking the focus
        // is not leaving the field. An opening drop-down list also hands
        // the focus to its list (with no popup reason): counting that as
        // leaving would run the leave rule, and the return as a new visit
        // would refill the list under the item being clicked.
        if (why == Qt::PopupFocusReason || why == Qt::ActiveWindowFocusReason) return false;
        if (QWidget* now = QApplication::focusWidget(); now && now->window() != f->window()) return false;
        if (logicalFocus_ == f) logicalFocus_ = nullptr;
        handler_->fieldFocusOut(f);
      }
      return false;
    default:
      return false;
  }
}
