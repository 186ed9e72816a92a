#include "alignment/alignmentrows.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "data/schema.h"

#include <cmath>

namespace alignment {

static QString twoDigits(int i) { return QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')); }

StandardValues readStandard(const Recordset& rs) {
  StandardValues v;
  const QStringList& cols = schema::alignmentStandardColumns();
  for (int i = 0; i < 26; ++i) v[size_t(i)] = rs.text(cols[i]).trimmed();
  return v;
}

void writeStandard(Recordset& rs, const StandardValues& values) {
  const QStringList& cols = schema::alignmentStandardColumns();
  for (int i = 0; i < 26; ++i) rs.setField(cols[i], values[size_t(i)].trimmed());
}

AlignmentRecord readAlignment(const Recordset& rs) {
  AlignmentRecord r;
  // A record stored without a master code shows "0000" like any other, so
  // that passing through the code field does not replace its own values.
  r.alignmentCode = numfmt::format(numfmt::val(rs.text(QStringLiteral("アライメントコード"))), u"0000");
  r.standard = readStandard(rs);
  for (int i = 0; i < 22; ++i) {
    r.before[size_t(i)] = rs.text(QStringLiteral("調整前") + twoDigits(i)).trimmed();
    r.after[size_t(i)] = rs.text(QStringLiteral("調整後") + twoDigits(i)).trimmed();
  }
  const char* axle[2] = {"F", "R"};
  for (int i = 0; i < 2; ++i) {
    r.tyreSize[size_t(i)] = rs.text(QStringLiteral("タイヤサイズ") + QLatin1String(axle[i])).trimmed();
    r.tyreDiameter[size_t(i)] = numfmt::shortestOf(rs.field(QStringLiteral("タイヤ外径") + QLatin1String(axle[i])));
  }
  return r;
}

void writeAlignment(Recordset& rs, const AlignmentRecord& r, qint64 code) {
  rs.setField(QStringLiteral("コード"), code);
  rs.setField(QStringLiteral("アライメントコード"), r.alignmentCode);
  writeStandard(rs, r.standard);
  for (int i = 0; i < 22; ++i) rs.setField(QStringLiteral("調整前") + twoDigits(i), r.before[size_t(i)].trimmed());
  for (int i = 0; i < 22; ++i) rs.setField(QStringLiteral("調整後") + twoDigits(i), r.after[size_t(i)].trimmed());
  const char* axle[2] = {"F", "R"};
  for (int i = 0; i < 2; ++i) {
    rs.setField(QStringLiteral("タイヤサイズ") + QLatin1String(axle[i]), r.tyreSize[size_t(i)].trimmed());
    // The diameter as the whole number the field shows ("##0"), in 64 bits
    // so that what is stored is what was shown.
    const double diameter = std::round(numfmt::val(r.tyreDiameter[size_t(i)]));
    rs.setField(QStringLiteral("タイヤ外径") + QLatin1String(axle[i]),
                std::fabs(diameter) < 9e18 ? QVariant(qint64(diameter)) : QVariant(diameter));
  }
}

}  // namespace alignment
