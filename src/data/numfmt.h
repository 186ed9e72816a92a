#pragma once
// Number reading and formatting in the Basic style that the screens and the
// stored records use: "0000", "00", "##0", "#0", "#0.0", "0.00", "#,##0"
// (thousands grouped, for counts), and the leading-number reading of a text.
#include <QString>

namespace numfmt {

// The number a text starts with, as Basic's Val reads it: blanks, tabs and
// line feeds are skipped anywhere, then an optional sign, digits, a decimal
// point and an exponent. A text with no number gives 0.
double val(QStringView text);

// Val rounded to a whole number (halves away from zero) and kept in the range
// of a 32-bit code. Used wherever a code reaches SQL or a key column.
qint64 codeValue(QStringView text);

// Formats a value with one of the patterns above. '0' before the decimal point
// is a digit that is always shown, '#' one that is shown only when needed;
// the count of '0' after the point is the number of decimals. Halves round
// away from zero; a value that rounds to zero never carries a minus sign.
QString format(double value, QStringView pattern);

// The shortest decimal text of a value with no zero before the decimal point
// (0.5 gives ".5", -0.25 gives "-.25", 65 gives "65").
QString shortest(double value);

// Shortest text of a stored number: a null or non-numeric value gives "".
QString shortestOf(const class QVariant& stored);

}  // namespace numfmt
