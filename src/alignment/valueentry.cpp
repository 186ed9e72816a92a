#include "alignment/valueentry.h"

#include "screens/fields.h"
#include "screens/keys.h"

#include <QLineEdit>

namespace alignment {

ValueEntry::ValueEntry(const QList<FieldSpec>& fields, const Navigation& navigation)
    : fields_(fields), navigation_(navigation) {}

QColor ValueEntry::restingColour(const FieldSpec& spec) { return spec.yellow ? Colours::LightYellow : Colours::normal(); }

QLineEdit* ValueEntry::create(const QString& name, QWidget* parent) {
  const FieldSpec* spec = findField(fields_, name);
  Q_ASSERT(spec);
  auto* e = new QLineEdit(parent);
  nameControl(e, spec->name);
  if (isNumber(spec->family) || spec->family == Family::Code) {
    setNumericInput(e);
  }
  if (!spec->inputMethodOff) e->setAttribute(Qt::WA_InputMethodEnabled, true);
  else if (spec->family == Family::TyreSize) e->setAttribute(Qt::WA_InputMethodEnabled, false);
  // A character limit that only refuses typing: a longer text the program
  // writes (a normalised "1234.50") is shown whole, never cut.
  if (spec->maxChars > 0) attachByteBudget(e, spec->maxChars, spec->maxChars);
  setBackground(e, restingColour(*spec));
  widgets_.insert(spec->name, e);
  return e;
}

const FieldSpec* ValueEntry::specOf(const QWidget* w) const {
  if (!w) return nullptr;
  auto it = widgets_.constFind(w->objectName());
  if (it == widgets_.constEnd() || it.value() != w) return nullptr;
  return findField(fields_, w->objectName());
}

static bool handled(const FieldSpec* s) { return s && (isNumber(s->family) || s->family == Family::TyreSize); }

bool ValueEntry::focusIn(QWidget* w) {
  const FieldSpec* s = specOf(w);
  if (!handled(s)) return false;
  if (isNumber(s->family)) firstKey_ = false;
  remembered_ = background(w);
  HighlightField(w);
  return true;
}

bool ValueEntry::focusOut(QWidget* w) {
  const FieldSpec* s = specOf(w);
  if (!handled(s)) return false;
  normaliseField(static_cast<QLineEdit*>(w));
  setBackground(w, remembered_.isValid() ? remembered_ : restingColour(*s));
  return true;
}

void ValueEntry::normaliseField(QLineEdit* e) const {
  const FieldSpec* s = specOf(e);
  if (!s || !isNumber(s->family)) return;
  const QString t = normalise(e->text(), s->family);
  if (t != e->text()) e->setText(t);
}

bool ValueEntry::keyDown(QWidget* w, int keyCode) {
  const FieldSpec* s = specOf(w);
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
