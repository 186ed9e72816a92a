#include "data/numfmt.h"

#include <QVariant>
#include <cmath>
#include <limits>

namespace numfmt {

double val(QStringView text) {
  QString s;
  s.reserve(text.size());
  for (QChar c : text)
    if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') s.append(c);
  int i = 0;
  const int n = int(s.size());
  QString num;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) num.append(s[i++]);
  bool digits = false;
  while (i < n && s[i].unicode() >= '0' && s[i].unicode() <= '9') { num.append(s[i++]); digits = true; }
  if (i < n && s[i] == u'.') {
    num.append(s[i++]);
    while (i < n && s[i].unicode() >= '0' && s[i].unicode() <= '9') { num.append(s[i++]); digits = true; }
  }
  if (!digits) return 0.0;
  if (i < n && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
    int j = i + 1;
    QString exp = QStringLiteral("e");
    if (j < n && (s[j] == u'+' || s[j] == u'-')) exp.append(s[j++]);
    bool expDigits = false;
    while (j < n && s[j].unicode() >= '0' && s[j].unicode() <= '9') { exp.append(s[j++]); expDigits = true; }
    if (expDigits) num.append(exp);
  }
  if (num.endsWith(u'.')) num.chop(1);
  bool ok = false;
  double v = num.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return 0.0;
  return v;
}

qint64 codeValue(QStringView text) {
  double v = val(text);
  v = std::round(v);
  constexpr double lim = double(std::numeric_limits<qint32>::max());
  if (v > lim) v = lim;
  if (v < -lim) v = -lim;
  return qint64(v);
}

// Rounds |value| to `decimals` places, half away from zero, working on the
// decimal text so that 1.005 rounds like the 1.005 the user typed.
static QString roundedDigits(double absValue, int decimals) {
  QString s = QString::number(absValue, 'f', 12);
  int dot = int(s.indexOf(u'.'));
  QString intPart = s.left(dot);
  QString frac = s.mid(dot + 1);
  QString kept = frac.left(decimals);
  bool up = frac.size() > decimals && frac[decimals].unicode() >= '5';
  QString all = intPart + kept;
  if (up) {
    int k = int(all.size()) - 1;
    while (k >= 0) {
      if (all[k] == u'9') { all[k] = u'0'; --k; }
      else { all[k] = QChar(all[k].unicode() + 1); break; }
    }
    if (k < 0) all.prepend(u'1');
  }
  QString ip = all.left(all.size() - decimals);
  QString fp = all.right(decimals);
  while (ip.size() > 1 && ip.startsWith(u'0')) ip.remove(0, 1);
  return decimals > 0 ? ip + u'.' + fp : ip;
}

QString format(double value, QStringView pattern) {
  if (!std::isfinite(value)) value = 0;
  const qsizetype dot = pattern.indexOf(u'.');
  const QStringView intPat = dot < 0 ? pattern : pattern.left(dot);
  const int decimals = dot < 0 ? 0 : int(pattern.size() - dot - 1);
  const int minInt = int(intPat.count(u'0'));
  QString digits = roundedDigits(std::fabs(value), decimals);
  QString ip = dot < 0 ? digits : digits.left(digits.indexOf(u'.'));
  QString rest = dot < 0 ? QString() : digits.mid(digits.indexOf(u'.'));
  if (ip == u"0" && minInt == 0) ip.clear();
  while (ip.size() < minInt) ip.prepend(u'0');
  // A comma in the pattern ("#,##0") groups the whole digits by thousands.
  if (intPat.contains(u','))
    for (qsizetype at = ip.size() - 3; at > 0; at -= 3) ip.insert(at, u',');
  QString out = ip + rest;
  bool zero = true;
  for (QChar c : out)
    if (c.unicode() >= '1' && c.unicode() <= '9') zero = false;
  if (value < 0 && !zero) out.prepend(u'-');
  return out;
}

QString shortest(double value) {
  if (!std::isfinite(value)) return QStringLiteral("0");
  QString s = QString::number(value, 'g', 15);
  if (s.contains(u'e')) return s.toUpper();
  if (s.startsWith(u"0.")) s.remove(0, 1);
  else if (s.startsWith(u"-0.")) s.remove(1, 1);
  return s;
}

QString shortestOf(const QVariant& stored) {
  if (stored.isNull()) return QString();
  bool ok = false;
  double v = stored.toDouble(&ok);
  if (!ok) return stored.toString().trimmed();
  return shortest(v);
}

}  // namespace numfmt
