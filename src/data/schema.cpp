#include "data/schema.h"

#include "data/database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace schema {

const QString kVersionText = QStringLiteral(ASHIMEMO_VERSION);

QStringList Table::columnNames() const {
  QStringList names;
  for (const Column& c : columns) names << c.name;
  return names;
}

const QStringList& wheelPrefixes() {
  static const QStringList p{QStringLiteral("FL_"), QStringLiteral("FR_"), QStringLiteral("RL_"),
                             QStringLiteral("RR_")};
  return p;
}

const QStringList& wheelItems() {
  static const QStringList items{
      QStringLiteral("フェンダー高"), QStringLiteral("プリロード"), QStringLiteral("全長"),
      QStringLiteral("アッパーout"),  QStringLiteral("アッパーin"), QStringLiteral("アッパー車高"),
      QStringLiteral("伸"),           QStringLiteral("縮"),         QStringLiteral("バネレート"),
      QStringLiteral("ID"),           QStringLiteral("自由長"),     QStringLiteral("備考")};
  return items;
}

const QStringList& alignmentStandardColumns() {
  static const QStringList cols = [] {
    QStringList c;
    auto triple = [&c](const QString& q, const QString& axle) {
      c << q + axle << q + QStringLiteral("st_") + axle << q + QStringLiteral("et_") + axle;
    };
    const QString F = QStringLiteral("F"), R = QStringLiteral("R");
    triple(QStringLiteral("トータルトウ"), F);
    triple(QStringLiteral("個別トウ"), F);
    triple(QStringLiteral("キャンバー"), F);
    triple(QStringLiteral("キャスター"), F);
    c << QStringLiteral("SAI");
    triple(QStringLiteral("インクルード角"), F);
    triple(QStringLiteral("トータルトウ"), R);
    triple(QStringLiteral("個別トウ"), R);
    triple(QStringLiteral("キャンバー"), R);
    c << QStringLiteral("スラスト角");
    return c;
  }();
  return cols;
}

static QList<Table> buildTables() {
  const Column code{QStringLiteral("コード"), Type::Integer};
  auto text = [](const QString& n) { return Column{n, Type::Text}; };
  auto integer = [](const QString& n) { return Column{n, Type::Integer}; };
  auto real = [](const QString& n) { return Column{n, Type::Real}; };

  Table settings{kSettings, {code, text(QStringLiteral("セッティング名称")), text(QStringLiteral("登録日")),
                             integer(QStringLiteral("ユーザー")), integer(QStringLiteral("車高調"))},
                 true};
  for (const QString& p : wheelPrefixes())
    for (const QString& item : wheelItems()) settings.columns << text(p + item);

  Table coil{kCoilOvers, {code, text(QStringLiteral("名称"))}, true};
  for (const char* flag : {"ピロアッパーキャンバー調節", "ピロアッパー車高調節", "全長調整式", "ネジ式車高調整",
                           "Cリング式車高調整", "減衰力調整式_伸縮同時", "減衰力調整式_伸縮別"})
    for (const char* axle : {"_F", "_R"}) coil.columns << integer(QString::fromUtf8(flag) + QLatin1String(axle));
  for (const char* num : {"減衰力_伸段", "減衰力_縮段", "バネレート", "ID", "自由長"})
    for (const char* axle : {"_F", "_R"}) coil.columns << real(QString::fromUtf8(num) + QLatin1String(axle));

  Table users{kUsers, {code}, true};
  for (const char* f : {"名前", "フリガナ", "郵便番号", "住所1", "住所2", "電話番号", "携帯番号", "FAX番号",
                        "メールアドレス", "備考"})
    users.columns << text(QString::fromUtf8(f));

  Table alignment{kAlignments, {code, text(QStringLiteral("アライメントコード"))}, true};
  for (const QString& c : alignmentStandardColumns()) alignment.columns << text(c);
  for (const char* phase : {"調整前", "調整後"})
    for (int i = 0; i < 22; ++i)
      alignment.columns << text(QString::fromUtf8(phase) + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
  alignment.columns << text(QStringLiteral("タイヤサイズF")) << text(QStringLiteral("タイヤサイズR"))
                    << integer(QStringLiteral("タイヤ外径F")) << integer(QStringLiteral("タイヤ外径R"));

  Table bases{kAlignmentBases, {code, text(QStringLiteral("登録名"))}, true};
  for (const QString& c : alignmentStandardColumns()) bases.columns << text(c);

  Table version{kVersion, {text(QStringLiteral("バージョン"))}, false};

  return {settings, coil, users, alignment, bases, version};
}

const QList<Table>& tables() {
  static const QList<Table> t = buildTables();
  return t;
}

const Table& table(const QString& name) {
  for (const Table& t : tables())
    if (t.name == name) return t;
  static const Table none{};
  return none;
}

QString quoted(const QString& id) { return u'"' + QString(id).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

QString typeName(Type type, Dialect dialect) {
  // The server keeps the values exactly: whole numbers in 64 bits as in
  // the file (a diameter typed as "9e9", a Jet Double carried over as a
  // whole number, an edited file), IEEE doubles for the product's spring
  // values, unlimited texts.
  switch (type) {
    case Type::Integer: return dialect == Dialect::Server ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case Type::Real: return dialect == Dialect::Server ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    case Type::Text: return QStringLiteral("TEXT");
  }
  return {};
}

QStringList createStatements(Dialect dialect) {
  QStringList out;
  for (const Table& t : tables()) {
    QStringList defs;
    for (const Column& c : t.columns) {
      QString def = quoted(c.name) + u' ' + typeName(c.type, dialect);
      if (t.keyed && c.name == QStringLiteral("コード")) def += QStringLiteral(" PRIMARY KEY");
      defs << def;
    }
    out << QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(t.name), defs.join(QStringLiteral(", ")));
  }
  // The setting list is ordered by date, then code.
  out << QStringLiteral("CREATE INDEX \"セッティング_登録日\" ON %1 (\"登録日\", \"コード\")").arg(quoted(kSettings));
  return out;
}

bool create(QSqlDatabase& db, QString* error) {
  const Dialect dialect = db.driverName() == QLatin1String("QPSQL") ? Dialect::Server : Dialect::File;
  QSqlQuery q(db);
  auto failed = [&](const QSqlError& e) {
    if (error) *error = engineText(e);
    db.rollback();
    return false;
  };
  if (!db.transaction()) {
    if (error) *error = engineText(db.lastError());
    return false;
  }
  for (const QString& sql : createStatements(dialect))
    if (!q.exec(sql)) return failed(q.lastError());
  q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(quoted(kVersion), quoted(QStringLiteral("バージョン"))));
  q.addBindValue(kVersionText);
  if (!q.exec()) return failed(q.lastError());
  if (!db.commit()) {
    if (error) *error = engineText(db.lastError());
    return false;
  }
  return true;
}

}  // namespace schema
