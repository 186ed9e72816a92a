#pragma once
// The window sees every key before its fields: one event filter per window,
// installed on the window and all its controls, hands function keys to the
// window's ChkFunctionKey and the focus and key events of the registered
// fields to the window's own handlers.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QSet>

class QWidget;
class QKeyEvent;

class FieldHandler {
 public:
  virtual ~FieldHandler() = default;
  // Function keys F1-F12 (112-123), pressed anywhere in the window.
  virtual void ChkFunctionKey(int keyCode) = 0;
  virtual void fieldFocusIn(QWidget* field) { (void)field; }
  virtual void fieldFocusOut(QWidget* field) { (void)field; }
  // A key pressed in a field, before the field itself sees it. Return true
  // to consume the key. Enter and Esc are always consumed so that a dialog
  // never takes them as its default or cancel key.
  virtual bool fieldKeyDown(QWidget* field, int keyCode, QKeyEvent* event) {
    (void)field, (void)keyCode, (void)event;
    return false;
  }
};

class FieldEvents : public QObject {
 public:
  FieldEvents(QWidget* window, FieldHandler* handler);
  // Installs the filter on every control now inside the window.
  void watchWindow();
  // Registers an input field; an editable combo box's line edit counts as it.
  void addField(QWidget* field);
  bool isField(QWidget* w) const { return fields_.contains(w); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* fieldOf(QObject* watched) const;
  QWidget* window_;
  FieldHandler* handler_;
  QSet<QWidget*> fields_;
  QSet<QObject*> proxies_;
  const QEvent* lastKey_ = nullptr;
  QPointer<QWidget> lastKeyWidget_;
  // The field that has the focus as the handlers saw it. Focus that leaves
  // for a message box or another window and comes back is no visit.
  QWidget* logicalFocus_ = nullptr;
};
