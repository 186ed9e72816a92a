#include "data/clock.h"

#include <QElapsedTimer>

namespace {
struct Override {
  QString text;    // the short date, when set
  QDateTime when;  // date and time, when set
  // With ASHIMEMO_TEST_CLOCK=running the clock set from the environment
  // runs on from there, so that a test can see a day begin.
  QElapsedTimer running;
  Override() {
    const QDateTime env = QDateTime::fromString(qEnvironmentVariable("ASHIMEMO_TEST_NOW"), Qt::ISODate);
    if (env.isValid()) {
      when = env;
      text = env.date().toString(QStringLiteral("yyyy/MM/dd"));
      if (qEnvironmentVariable("ASHIMEMO_TEST_CLOCK") == QLatin1String("running")) running.start();
    }
  }
};
Override& current() {
  static Override o;
  return o;
}
}  // namespace

namespace Clock {
QString shortDate() {
  if (current().running.isValid()) return now().date().toString(QStringLiteral("yyyy/MM/dd"));
  if (!current().text.isEmpty()) return current().text;
  return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
}
void setShortDate(const QString& text) {
  current().running.invalidate();
  current().text = text;
  current().when = QDateTime();
}
void setToday(const QDate& date) {
  current().running.invalidate();
  current().when = QDateTime();
  current().text = date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}
QDateTime now() {
  const Override& o = current();
  if (o.when.isValid()) return o.running.isValid() ? o.when.addMSecs(o.running.elapsed()) : o.when;
  const QDateTime real = QDateTime::currentDateTime();
  // A test that set only the day gets that day at the real time.
  const QDate day = o.text.size() == 10 ? QDate::fromString(o.text, QStringLiteral("yyyy/MM/dd")) : QDate();
  return day.isValid() ? QDateTime(day, real.time()) : real;
}
void setNow(const QDateTime& when) {
  current().running.invalidate();
  current().when = when;
  current().text = when.isValid() ? when.date().toString(QStringLiteral("yyyy/MM/dd")) : QString();
}
}  // namespace Clock

QString shortDateDigits(const QString& s) {
  if (s.size() > 8) return (s.mid(0, 4) + s.mid(5, 2) + s.mid(8, 2)).trimmed();
  QString yy = s.mid(0, 2);
  const QString century = yy.toInt() >= 80 ? QStringLiteral("19") : QStringLiteral("20");
  return (century + yy + s.mid(3, 2) + s.mid(6, 2)).trimmed();
}

QString TodayDigits() { return shortDateDigits(Clock::shortDate()); }
