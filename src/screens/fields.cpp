#include "screens/fields.h"

#include "data/rules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>

void nameControl(QWidget* control, const QString& name) {
  control->setObjectName(name);
  // A label is read by the text it shows: with no accessible name of its
  // own, Qt takes the name from the current text and tells assistive
  // technology when it changes. A plain frame (a separator line) is not read.
  if (qobject_cast<QLabel*>(control) || control->metaObject() == &QFrame::staticMetaObject) {
    control->setAccessibleName(QString());
    return;
  }
  // A frame is read by its title. It is set as the name, because Qt would
  // otherwise give a frame inside another frame the outer one's title.
  if (auto* frame = qobject_cast<QGroupBox*>(control)) {
    frame->setAccessibleName(frame->title().trimmed());
    return;
  }
  if (qobject_cast<QAbstractButton*>(control) && !control->inherits("QCheckBox")) return;
  control->setAccessibleName(name);
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    combo->setAccessibleDescription(name);
    if (combo->lineEdit()) {
      combo->lineEdit()->setAccessibleName(name);
      combo->lineEdit()->setObjectName(name + QStringLiteral("_edit"));
    }
  }
}

QString arrayName(const QString& name, int index) { return name + u'(' + QString::number(index) + u')'; }

namespace Colours {
QColor normal() { return QApplication::palette().color(QPalette::Base); }
QColor grey() { return QApplication::palette().color(QPalette::Button); }
}  // namespace Colours

static QWidget* colourTarget(QWidget* field) {
  if (auto* combo = qobject_cast<QComboBox*>(field))
    if (combo->lineEdit()) return combo->lineEdit();
  return field;
}

void setBackground(QWidget* field, const QColor& colour) {
  QWidget* w = colourTarget(field);
  QPalette p = w->palette();
  p.setColor(QPalette::Base, colour);
  w->setPalette(p);
}

QColor background(const QWidget* field) {
  return colourTarget(const_cast<QWidget*>(field))->palette().color(QPalette::Base);
}

void HighlightField(QWidget* field) { setBackground(field, Colours::Focus); }
void UnhighlightField(QWidget* field) { setBackground(field, Colours::normal()); }

void setNumericInput(QLineEdit* field) {
  field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  field->setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool FirstKeyClear(QLineEdit* field, int keyValue, bool flag) {
  if (!firstKeyClears(keyValue, flag)) return flag;
  field->clear();
  return true;
}

namespace {

// Watches one field: refuses an edit that would take the text over the
// current budget, trimming inserted text (typed, pasted or committed by the
// input method) to what still fits.
class ByteBudget : public QObject {
 public:
  static constexpr const char* kName = "ashimemo-byte-budget";
  ByteBudget(QLineEdit* field) : QObject(field), field_(field), accepted_(field->text()) {
    setObjectName(QString::fromLatin1(kName));
    connect(field, &QLineEdit::textEdited, this, &ByteBudget::edited);
    // Programmatic changes are accepted as they come. The signal's argument
    // is not used: after a correction made while the field is still
    // emitting, it carries the text from before the correction.
    connect(field, &QLineEdit::textChanged, this, [this] {
      if (!inEdit_) accepted_ = field_->text();
    });
  }
  int budget = 0;
  int onFocus = -1;
  int onChange = -1;

  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::FocusIn && onFocus >= 0) budget = onFocus;
    return false;
  }

 private:
  void edited(const QString& text) {
    inEdit_ = true;
    if (budget > 0 && byteCount(text) > budget && byteCount(text) > byteCount(accepted_)) {
      // The inserted part lies between the prefix and suffix that the new
      // text shares with the last accepted one; keep as much of it as fits.
      const int n = int(text.size()), m = int(accepted_.size());
      int pre = 0;
      while (pre < n && pre < m && text[pre] == accepted_[pre]) ++pre;
      int suf = 0;
      while (suf < n - pre && suf < m - pre && text[n - 1 - suf] == accepted_[m - 1 - suf]) ++suf;
      QString inserted = text.mid(pre, n - pre - suf);
      const QString left = accepted_.left(pre), right = accepted_.mid(m - suf);
      const int room = budget - byteCount(left) - byteCount(right);
      while (!inserted.isEmpty() && byteCount(inserted) > room) inserted.chop(1);
      if (inserted.isEmpty()) {
        field_->setText(accepted_);
        field_->setCursorPosition(pre);
      } else {
        field_->setText(left + inserted + right);
        field_->setCursorPosition(pre + int(inserted.size()));
      }
    }
    accepted_ = field_->text();
    if (onChange >= 0) budget = onChange;
    inEdit_ = false;
  }

  QPointer<QLineEdit> field_;
  QString accepted_;
  bool inEdit_ = false;
};

ByteBudget* budgetOf(QLineEdit* field) {
  // Found by name: the class has no meta-object of its own to cast by.
  auto* b = static_cast<ByteBudget*>(
      field->findChild<QObject*>(QString::fromLatin1(ByteBudget::kName), Qt::FindDirectChildrenOnly));
  if (!b) {
    b = new ByteBudget(field);
    field->installEventFilter(b);
  }
  return b;
}

}  // namespace

bool LimitTextBytes(QLineEdit* field, bool& limitReached, int limit) {
  budgetOf(field)->budget = limit;
  const QString t = field->text().trimmed();
  if (!t.isEmpty() && limit - byteCount(t) <= 1) limitReached = true;
  return limitReached;
}

void attachByteBudget(QLineEdit* field, int onFocus, int onChange) {
  ByteBudget* b = budgetOf(field);
  b->onFocus = onFocus;
  b->onChange = onChange;
  b->budget = onFocus;
}
