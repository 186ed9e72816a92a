#include "printing/sheettext.h"

#include "data/numfmt.h"

QString padLeft(const QString& value, int width) {
  const qsizetype missing = width - value.size();
  return missing > 0 ? QString(missing, u' ') + value : value;
}

QString wheelValueText(const QString& value, int width, const QString& unit) {
  return padLeft(value.trimmed(), width) + unit;
}

QString settingDateText(const QString& year, const QString& month, const QString& day) {
  using numfmt::format;
  using numfmt::val;
  return QStringLiteral(" ") + format(val(year.trimmed()), u"0000") + QStringLiteral("年") +
         format(val(month.trimmed()), u"00") + QStringLiteral("月") + format(val(day.trimmed()), u"00") +
         QStringLiteral("日");
}

QString printDateText(const QString& d) {
  return QStringLiteral("印刷日:") + d.mid(0, 4) + QStringLiteral("年") + d.mid(4, 2) + QStringLiteral("月") +
         d.mid(6, 2) + QStringLiteral("日");
}

QString baseMasterLine(const QString& alignmentCode, const QString& baseName) {
  const QString code = alignmentCode.trimmed();
  QString line = QStringLiteral("【アライメントの基準値");
  if (code.isEmpty())
    line += QStringLiteral(":");
  else
    line += QStringLiteral("[") + numfmt::format(numfmt::val(code), u"0000") + QStringLiteral("]:");
  return line + baseName.trimmed() + QStringLiteral("】");
}

QString alignmentValueText(const QString& value, int width, const QString& unit) {
  return padLeft(value.trimmed(), width) + unit;
}

QString tyreDiameterText(const QString& value) { return padLeft(value.trimmed(), 3) + QStringLiteral("mm"); }
