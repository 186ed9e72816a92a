#include "support/jetdata.h"

#include "data/schema.h"

namespace jetdata {

using jetfile::Type;

jetfile::Table table(const QString& name) {
  const schema::Table& ours = schema::table(name);
  jetfile::Table t{name, {}, {}, {}, {}};
  for (const schema::Column& c : ours.columns) {
    jetfile::Column j{c.name, Type::Text, 50};
    if (c.name == QStringLiteral("コード")) j.type = Type::Long;
    else if (c.type == schema::Type::Integer) j.type = name == schema::kCoilOvers ? Type::Integer : Type::Long;
    else if (c.type == schema::Type::Real) j.type = Type::Single;
    else if (c.name == QStringLiteral("備考") || c.name.endsWith(QStringLiteral("_備考"))) j.type = Type::Memo;
    else if (c.name == QStringLiteral("セッティング名称") || c.name.startsWith(QStringLiteral("住所"))) j.size = 80;
    t.columns << j;
  }
  return t;
}

QList<jetfile::Table> tables() {
  QList<jetfile::Table> out;
  for (const schema::Table& t : schema::tables()) out << table(t.name);
  out.last().rows << QVariantList{QStringLiteral("1.00")};
  return out;
}

QVariantList row(const QString& name, int code) {
  QVariantList v{code};
  if (name == schema::kSettings) {
    v << QStringLiteral("ＡＥ８６　街乗りセッティング %1").arg(code) << QStringLiteral("2026%1%2").arg(code % 12 + 1, 2, 10, QLatin1Char('0')).arg(code % 28 + 1, 2, 10, QLatin1Char('0'))
      << code % 9999 + 1 << code % 99 + 1;
    const QStringList wheel{QStringLiteral("650"), QStringLiteral("5"), QStringLiteral("520"), QStringLiteral("12"),
                            QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("16"), QStringLiteral("12"),
                            QStringLiteral("8.0"), QStringLiteral("65"), QStringLiteral("200"), QStringLiteral("街乗り")};
    for (int w = 0; w < 4; ++w)
      for (const QString& x : wheel) v << x;
  } else if (name == schema::kCoilOvers) {
    v << QStringLiteral("ストリートスペック %1").arg(code);
    for (int f = 0; f < 14; ++f) v << ((f + code) % 3 == 0 ? 1 : 0);
    v << 32 << 32 << 16 << 16 << 8.0 << 6.5 << 65.0 << 65.0 << 200.0 << 178.0;
  } else if (name == schema::kUsers) {
    v << QStringLiteral("佐藤　一郎%1").arg(code) << QStringLiteral("ｻﾄｳ ｲﾁﾛｳ") << QStringLiteral("084-0905")
      << QStringLiteral("北海道釧路市鳥取南５丁目１－１") << QStringLiteral("コーポ鳥取２０１") << QStringLiteral("0154-12-3456")
      << QStringLiteral("090-1234-5678") << QString() << QStringLiteral("sato@example.jp") << QStringLiteral("ＡＥ８６　サーキット走行");
  } else if (name == schema::kAlignments) {
    v << QStringLiteral("0001");
    for (int i = 0; i < 26; ++i) v << QStringLiteral("%1").arg(i % 5 * 0.1 - 0.2, 0, 'f', 2);
    for (int i = 0; i < 44; ++i) v << QStringLiteral("%1").arg(i % 7 * 0.3 - 1, 0, 'f', 2);
    v << QStringLiteral("205/50R15") << QStringLiteral("205/50R15") << 580 << 580;
  } else if (name == schema::kAlignmentBases) {
    v << QStringLiteral("トヨタ　カローラレビン　ＡＥ８６ %1").arg(code);
    for (int i = 0; i < 26; ++i) v << QStringLiteral("%1").arg(i % 5 * 0.1 - 0.2, 0, 'f', 2);
  }
  return v;
}

QList<jetfile::Table> filled(int settings, int users, int products, int alignments, int bases) {
  QList<jetfile::Table> out = tables();
  const QList<QPair<QString, int>> counts{{schema::kSettings, settings}, {schema::kUsers, users},
                                          {schema::kCoilOvers, products}, {schema::kAlignments, alignments},
                                          {schema::kAlignmentBases, bases}};
  for (const auto& [name, n] : counts) {
    jetfile::Table* t = find(out, name);
    t->rows.reserve(n);
    for (int code = 1; code <= n; ++code) t->rows << row(name, code);
  }
  return out;
}

jetfile::Table* find(QList<jetfile::Table>& tables, const QString& name) {
  for (jetfile::Table& t : tables)
    if (t.name == name) return &t;
  return nullptr;
}

}  // namespace jetdata
