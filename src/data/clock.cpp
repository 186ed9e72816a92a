#include "data/clock.h"

namespace {
QString& overrideText() {
  static QString text;
  return text;
}
QDateTime& overrideNow() {
  static QDateTime when;
  return when;
}
}  // namespace

namespace Clock {
QDateTime now() { return overrideNow().isValid() ? overrideNow() : QDateTime::currentDateTime(); }
void setNow(const QDateTime& when) { overrideNow() = when; }
QString shortDate() {
  if (!overrideText().isEmpty()) return overrideText();
  return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
}
void setShortDate(const QString& text) { overrideText() = text; }
void setToday(const QDate& date) {
  overrideText() = date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}
}  // namespace Clock

QString shortDateDigits(const QString& s) {
  if (s.size() > 8) return (s.mid(0, 4) + s.mid(5, 2) + s.mid(8, 2)).trimmed();
  QString yy = s.mid(0, 2);
  const QString century = yy.toInt() >= 80 ? QStringLiteral("19") : QStringLiteral("20");
  return (century + yy + s.mid(3, 2) + s.mid(6, 2)).trimmed();
}

QString TodayDigits() { return shortDateDigits(Clock::shortDate()); }
