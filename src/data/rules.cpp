#include "data/rules.h"

#include "data/numfmt.h"

#include <cfenv>
#include <cmath>

static qint16 toInt16(double v) {
  double r = std::nearbyint(v);  // default rounding mode: halves to even
  if (r > 32767) r = 32767;
  if (r < -32768) r = -32768;
  return qint16(r);
}

qint16 MmToTwips(float mm) { return toInt16(double(mm) * 56.7); }
qint16 TwipsToMm(double twips) { return toInt16(twips / 56.7); }

int MonthDays[13] = {};

void InitMonthDays() {
  static const int days[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int i = 0; i < 13; ++i) MonthDays[i] = days[i];
}

bool isSingleByte(QChar c) {
  const ushort u = c.unicode();
  return (u >= 0x20 && u <= 0x7F) || (u >= 0xFF60 && u <= 0xFF9F);
}

int doubleByteCount(QStringView text) {
  int n = 0;
  for (QChar c : text)
    if (!isSingleByte(c)) ++n;
  return n;
}

int byteCount(QStringView text) { return int(text.size()) + doubleByteCount(text); }

bool firstKeyClears(int keyValue, bool flag) {
  return !flag && ((keyValue >= 48 && keyValue <= 57) || keyValue == 60);
}

const CodeKind SettingCodes{"セッティング", 4, 9999};
const CodeKind UserCodes{"ユーザー", 4, 9999};
const CodeKind AlignmentBaseCodes{"アライメントマスタ", 4, 9999};
const CodeKind CoilOverCodes{"車高調マスタ", 2, 99};

QString codePattern(const CodeKind& kind) { return QString(kind.width, u'0'); }
QString noCodeMarker(const CodeKind& kind) { return QString(kind.width, u'X'); }

QString proposeCode(const QVariant& storedMax, const CodeKind& kind) {
  if (storedMax.isNull() || !storedMax.isValid()) return numfmt::format(1, codePattern(kind));
  const double next = storedMax.toDouble() + 1;
  if (next > kind.top) return noCodeMarker(kind);
  return numfmt::format(next, codePattern(kind));
}

QString formatCodeText(const QString& text, const CodeKind& kind) {
  return numfmt::format(double(numfmt::codeValue(text)), codePattern(kind));
}
