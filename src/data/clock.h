#pragma once
// Today's date and the time of day, through one clock that tests can set.
// A program run by a test takes its clock from the environment variable
// ASHIMEMO_TEST_NOW ("yyyy-MM-ddTHH:mm"), so that a child process can be
// started on a chosen day; that clock stands still unless
// ASHIMEMO_TEST_CLOCK=running makes it run on from there.
#include <QDate>
#include <QDateTime>
#include <QString>

namespace Clock {
// Today's date as the system's short date text. Japanese systems write it
// "yyyy/MM/dd"; older ones "yy/MM/dd". A test may set the text directly.
QString shortDate();
void setShortDate(const QString& text);  // empty: back to the real clock
void setToday(const QDate& date);        // shortDate() becomes "yyyy/MM/dd"
// The date and time now (the stamps of the data file's copies).
QDateTime now();
// Sets both the date and the time; an invalid value goes back to the real clock.
void setNow(const QDateTime& when);
}  // namespace Clock

// Eight digits year, month, day from a short date text: a text longer than
// eight characters carries a four-digit year (characters 1-4, 6-7, 9-10),
// a shorter one a two-digit year (1-2, 4-5, 7-8) widened with 19 from 80 up
// and 20 below.
QString shortDateDigits(const QString& shortDate);
QString TodayDigits();
