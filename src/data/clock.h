#pragma once
// Today's date, through one clock that tests can set.
#include <QDate>
#include <QDateTime>
#include <QString>

namespace Clock {
// Today's date as the system's short date text. Japanese systems write it
// "yyyy/MM/dd"; older ones "yy/MM/dd". A test may set the text directly.
QString shortDate();
void setShortDate(const QString& text);  // empty: back to the real clock
void setToday(const QDate& date);        // shortDate() becomes "yyyy/MM/dd"
// The current local date and time (for the names of copies); a test may fix it.
QDateTime now();
void setNow(const QDateTime& when);  // invalid: back to the real clock
}  // namespace Clock

// Eight digits year, month, day from a short date text: a text longer than
// eight characters carries a four-digit year (characters 1-4, 6-7, 9-10),
// a shorter one a two-digit year (1-2, 4-5, 7-8) widened with 19 from 80 up
// and 20 below.
QString shortDateDigits(const QString& shortDate);
QString TodayDigits();
