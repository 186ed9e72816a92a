#include "alignment/valueentry.h"

#include "screens/fields.h"
#include "screens/keys.h"

#include <QLineEdit>

namespace alignment {

ValueEntry::ValueEntry(const QList<FieldInfo>& fields, const Navigation& navigation)
    : fields_(fields), navigation_(navigation) {}

QColor ValueEntry::restingColour(const FieldInfo& info) { return info.yellow ? Colours::LightYellow : Colours::normal(); }

QLineEdit* ValueEntry::create(const QString& name, QWidget* parent) {
  const FieldInfo* info = findField(fields_, name);
  Q_ASSERT(info);
  auto* e = new QLineEdit(parent);
  nameControl(e, info->name);
  if (isNumber(info->family) || info->family == Family::Code) {
    setNumericInput(e);
  }
  if (!info->inputMethodOff) e->setAttribute(Qt::WA_InputMethodEnabled, true);
  else if (info->family == Family::TyreSize) e->setAttribute(Qt::WA_InputMethodEnabled, false);
  // A character limit that only refuses typing: a longer text the program
  // writes (a normalised "1234.50") is shown whole, never cut.
  if (info->maxChars > 0) attachByteBudget(e, info->maxChars, info->maxChars);
  setBackground(e, restingColour(*info));
  widgets_.insert(info->name, e);
  return e;
}

const FieldInfo* ValueEntry::infoOf(const QWidget* w) const {
  if (!w) return nullptr;
  auto it = widgets_.constFind(w->objectName());
  if (it == widgets_.constEnd() || it.value() != w) return nullptr;
  return findField(fields_, w->objectName());
}

static bool handled(const FieldInfo* s) { return s && (isNumber(s->family) || s->family == Family::TyreSize); }

bool ValueEntry::focusIn(QWidget* w) {
  const FieldInfo* s = infoOf(w);
  if (!handled(s)) return false;
  if (isNumber(s->family)) firstKey_ = false;
  remembered_ = background(w);
  HighlightField(w);
  return true;
}

bool ValueEntry::focusOut(QWidget* w) {
  const FieldInfo* s = infoOf(w);
  if (!handled(s)) return false;
  normaliseField(static_cast<QLineEdit*>(w));
  setBackground(w, remembered_.isValid() ? remembered_ : restingColour(*s));
  return true;
}

void ValueEntry::normaliseField(QLineEdit* e) const {
  const FieldInfo* s = infoOf(e);
  if (!s || !isNumber(s->family)) return;
  const QString t = normalise(e->text(), s->family);
  if (t != e->text()) e->setText(t);
}

bool ValueEntry::keyDown(QWidget* w, int keyCode) {
  const FieldInfo* s = infoOf(w);
  if (!handled(s)) return false;
  auto* e = static_cast<QLineEdit*>(w);
  if (keyCode == Key::Enter || keyCode == Key::Esc) {
    normaliseField(e);
    step(s->name, keyCode);
  }
  if (hasFirstKeyRule(s->family)) firstKey_ = FirstKeyClear(e, keyCode - 49, firstKey_);
  return true;
}

void ValueEntry::step(const QString& from, int keyCode) {
  const Step st = navigation_.value(from);
  const QString to = keyCode == Key::Enter ? st.enter : st.esc;
  if (to.isEmpty()) return;
  if (QLineEdit* target = widgets_.value(to)) target->setFocus(Qt::OtherFocusReason);
}

}  // namespace alignment
