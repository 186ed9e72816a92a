#pragma once
// Small pure rules shared by every screen and by printing: unit conversion,
// the days-per-month table, byte counting in the double-byte code page, the
// first-key rule and code proposal. Qt Core only.
#include <QString>
#include <QVariant>
#include <QtGlobal>

// Millimetres to twips at 56.7 twips per mm, rounded to the nearest whole twip
// (halves to even) and kept within 16 bits.
qint16 MmToTwips(float mm);
// Twips to whole millimetres, rounded the same way.
qint16 TwipsToMm(double twips);

// Days per month, index 0 unused; February always has 29 days.
extern int MonthDays[13];
void InitMonthDays();

// --- Byte budgets -------------------------------------------------------
// A character is single-byte when it is U+0020..U+007F or a half-width
// katakana U+FF60..U+FF9F; every other character takes two bytes.
bool isSingleByte(QChar c);
int doubleByteCount(QStringView text);
int byteCount(QStringView text);

// --- First-key rule -------------------------------------------------------
// Given a key code minus 49 and the first-key flag: true when the field is to
// be emptied before the key is typed (keypad 1-9, keypad '*' and keypad '-').
bool firstKeyClears(int keyValue, bool flag);

// --- Codes ----------------------------------------------------------------
struct CodeKind {
  const char* table;  // table name
  int width;          // digits shown: 2 or 4
  int top;            // highest code: 99 or 9999
};
extern const CodeKind SettingCodes;
extern const CodeKind UserCodes;
extern const CodeKind AlignmentBaseCodes;
extern const CodeKind CoilOverCodes;

QString codePattern(const CodeKind& kind);  // "00" or "0000"
QString noCodeMarker(const CodeKind& kind); // "XX" or "XXXX"
// The next free code from the stored maximum (null when the table is empty):
// maximum + 1 in the code format, the first code for an empty table, or the
// marker when the maximum is already the top code.
QString proposeCode(const QVariant& storedMax, const CodeKind& kind);
// The code field text after Enter, Esc or leaving: the number the text starts
// with in the code format (blank or non-numeric gives all zeros).
QString formatCodeText(const QString& text, const CodeKind& kind);
