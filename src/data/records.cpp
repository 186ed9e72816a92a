#include "data/records.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "data/schema.h"

void writeSetting(Recordset& rs, const SettingRecord& r, qint64 code) {
  rs.setField(QStringLiteral("コード"), code);
  writeSettingFields(rs, r);
}

void writeSettingFields(Recordset& rs, const SettingRecord& r) {
  using numfmt::format;
  using numfmt::val;
  rs.setField(QStringLiteral("セッティング名称"), r.name.trimmed());
  rs.setField(QStringLiteral("登録日"), format(val(r.year), u"0000") + format(val(r.month), u"00") +
                                           format(val(r.day), u"00"));
  rs.setField(QStringLiteral("ユーザー"), numfmt::codeValue(r.user.left(4)));
  rs.setField(QStringLiteral("車高調"), numfmt::codeValue(r.coilOver.left(2)));
  const QStringList& prefixes = schema::wheelPrefixes();
  const QStringList& items = schema::wheelItems();
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < 12; ++i) rs.setField(prefixes[w] + items[i], r.wheel[size_t(w)][size_t(i)].trimmed());
}
