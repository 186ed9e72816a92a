#pragma once
// How the value fields of the alignment record and the alignment base master
// behave while the user types, as plain data: the field families and their
// number patterns, every field of the two screens in Enter order with its
// resting colour and length, the Enter/Esc navigation, and where each
// quantity's values sit on the form. Qt Core only.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace alignment {

enum class Family {
  Standard,     // a maker standard value: "0.00", first-key rule
  Range,        // one box of a range pair: "0.00", first-key rule
  Measurement,  // 調整前 / 調整後: "0.00", first-key rule
  Diameter,     // tyre outer diameter: "##0", first-key rule
  TyreSize,     // free text, no formatting, no first-key rule
  Code,         // a base-master code: "0000"
  Name,         // 登録名 of the base master (free text with a byte budget)
};

// "0.00", "##0", "0000", or "" for the text families.
QString patternOf(Family family);
// True for the families whose first keypad digit replaces the field.
bool hasFirstKeyRule(Family family);
// True for the families normalised on Enter, Esc and leaving.
inline bool isNumber(Family f) {
  return f == Family::Standard || f == Family::Range || f == Family::Measurement || f == Family::Diameter;
}

// The text a number field shows after Enter, Esc or leaving: empty stays
// empty, anything else becomes its leading number in the family's pattern
// ("+1.5" -> "1.50", "-.3" -> "-0.30", "x" -> "0.00", 643.6 -> "644").
QString normalise(const QString& text, Family family);

struct FieldInfo {
  QString name;      // the widget's name, "調整前(3)" for array members
  QString control;   // the control (array) name, "調整前"
  int index = -1;    // array index, -1 for a single field
  Family family = Family::Standard;
  bool yellow = false;        // resting colour light yellow, else the normal colour
  int maxChars = 0;           // typed text refused beyond this; 0 = no limit
  bool inputMethodOff = true; // numbers and codes switch the input method off
};

// One quantity of the form: its row caption, standard value, range pair,
// unit and the measurement indices on its two lines.
struct Quantity {
  QString caption;     // navy row caption, e.g. "ｲﾝｸﾙｰﾄﾞ角"
  QString standard;    // standard-value field, e.g. "インクルード角F"
  QString range;       // range-pair control, e.g. "インクルード角範囲F"; "" when none
  QString unit;        // "mm" or "度"
  int axle = 0;        // 0 front, 1 rear
  int centre = -1;     // measurement shown centred on the first line
  int lh = -1, rh = -1;  // measurements in the LH / RH columns of the first line
  int second = -1;     // measurement centred on the second line
};
// Front quantities first, then rear, in screen order.
const QList<Quantity>& quantities();

// The 26 standard boxes in stored column order (schema::alignmentStandardColumns):
// each standard value followed by its range boxes 0 and 1.
const QList<FieldInfo>& standardFields();
// The alignment record screen's 75 input fields in Enter order:
// アライメントコード, the 26 standard boxes, 調整前(0..21), 調整後(0..21),
// タイヤサイズ(0), タイヤ外径(0), タイヤサイズ(1), タイヤ外径(1).
const QList<FieldInfo>& araimentFields();
// The base master screen's fields in Enter order: コード, 登録名, the 26 boxes.
const QList<FieldInfo>& araimentBaseFields();
const FieldInfo* findField(const QList<FieldInfo>& fields, const QString& name);

// Where Enter and Esc move the focus from a field; "" means it stays.
struct Step {
  QString enter;
  QString esc;
};
using Navigation = QHash<QString, Step>;
// The alignment record screen: Enter walks araimentFields() forwards, Esc
// backwards; Esc in アライメントコード and Enter in タイヤ外径(1) stay.
const Navigation& araimentNavigation();
// The base master screen: the same steps for the standard boxes, except that
// Esc in トータルトウF goes to 登録名 and Enter in スラスト角 stays; コード and
// 登録名 lead into them.
const Navigation& araimentBaseNavigation();

}  // namespace alignment
