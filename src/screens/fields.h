#pragma once
// What every field shares: its names for tests and assistive technology, its
// background colours, the first-key rule and the byte budget of free text.
#include <QColor>
#include <QString>

class QWidget;
class QLineEdit;

// Names a control: objectName, and for inputs (fields, lists, grids, check
// boxes) the accessible name too. An editable combo box also carries the name
// as its accessible description and on its line edit, since Qt names a combo
// box after its current text. Buttons keep their caption, and labels and
// frames are read by the text they show, always the current one: their
// accessible name is left to Qt. A caption label is the buddy of its field.
void nameControl(QWidget* control, const QString& name);
// "name(i)", the name of member i of a control array.
QString arrayName(const QString& name, int index);

namespace Colours {
inline const QColor Focus{192, 255, 255};
inline const QColor LightYellow{255, 255, 192};
QColor normal();  // the palette's base colour
QColor grey();    // the palette's button colour
}  // namespace Colours

void setBackground(QWidget* field, const QColor& colour);
QColor background(const QWidget* field);
void HighlightField(QWidget* field);
void UnhighlightField(QWidget* field);

// Marks an input field: right-aligned, input method off (numbers and codes).
void setNumericInput(QLineEdit* field);

// The first digit typed on the numeric keypad replaces the field's content.
// `keyValue` is the key code minus 49; returns the new first-key flag.
bool FirstKeyClear(QLineEdit* field, int keyValue, bool flag);

// Keeps a free-text field within a byte budget (full-width characters count
// two bytes). The budget only refuses further typing, pasting or input-method
// text; it never shortens what is already there. Returns the limit-reached
// flag (true when at most one byte is left).
bool LimitTextBytes(QLineEdit* field, bool& limitReached, int limit);
// Sets up a field whose budget is `onFocus` bytes when it receives focus and
// `onChange` bytes after every change (usually the same).
void attachByteBudget(QLineEdit* field, int onFocus, int onChange);
