#pragma once
// The typing behaviour of the alignment value fields, shared by the
// alignment record and the base master screen: creating each field from its
// description, normalising numbers on Enter, Esc and leaving, walking the
// Enter/Esc chain, the focus colours with the remembered resting colour, and
// the first-key rule. One object per screen holds the screen's focus state.
#include "alignment/entryrules.h"

#include <QColor>
#include <QHash>
#include <QLineEdit>
#include <QString>

class QLineEdit;
class QWidget;

namespace alignment {

class ValueEntry {
 public:
  ValueEntry(const QList<FieldInfo>& fields, const Navigation& navigation);

  // Creates the field `name` (which must be one of `fields`) with its name,
  // alignment, input method, length limit and resting colour.
  QLineEdit* create(const QString& name, QWidget* parent);
  // Makes a field that the screen created itself (a code or name field) a
  // target of the navigation.
  void adopt(QLineEdit* e) { widgets_.insert(e->objectName(), e); }
  QLineEdit* field(const QString& name) const { return widgets_.value(name); }
  const FieldInfo* infoOf(const QWidget* w) const;
  const QList<FieldInfo>& fields() const { return fields_; }

  // The resting colour of a field (light yellow or the normal colour).
  static QColor restingColour(const FieldInfo& info);

  // Number fields and tyre sizes; each returns false for other fields so
  // that the screen can handle its code and name fields itself.
  bool focusIn(QWidget* w);
  bool focusOut(QWidget* w);
  // Enter and Esc normalise and move; every key then meets the first-key
  // rule. Returns true when the field is one of these.
  bool keyDown(QWidget* w, int keyCode);

  // Moves the focus from `from` by the navigation table (Enter or Esc).
  void step(const QString& from, int keyCode);
  // Normalises a number field now (as Enter would).
  void normaliseField(QLineEdit* e) const;

 private:
  QList<FieldInfo> fields_;
  const Navigation& navigation_;
  QHash<QString, QLineEdit*> widgets_;
  // The screen's focus state.
  QColor remembered_;
  bool firstKey_ = false;
};

}  // namespace alignment
