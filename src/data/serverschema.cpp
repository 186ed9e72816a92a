#include "data/serverschema.h"

#include "data/database.h"
#include "data/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSet>
#include <QSqlQuery>

bool createServerTables(QSqlDatabase& db, QString* error) { return schema::create(db, error); }

bool ServerTables::complete() const { return ok && present.size() == schema::tables().size(); }

bool ServerTables::hasRecords() const {
  for (auto it = rowCounts.cbegin(); it != rowCounts.cend(); ++it)
    if (it.key() != schema::kVersion && it.value() > 0) return true;
  return false;
}

ServerTables serverTables(QSqlDatabase& db) {
  ServerTables out;
  QSqlQuery q(db);
  auto failed = [&] {
    out.problem = engineText(q.lastError());
    out.present.clear();
    out.rowCounts.clear();
    return out;
  };
  for (const schema::Table& t : schema::tables()) {
    q.prepare(QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(?) AND attnum > 0 AND NOT attisdropped"));
    q.addBindValue(schema::quoted(t.name));
    if (!q.exec()) return failed();
    QSet<QString> fields;
    while (q.next()) fields.insert(q.value(0).toString());
    if (fields.isEmpty()) {
      if (out.missing.isEmpty()) out.missing = t.name;
      continue;
    }
    for (const schema::Column& c : t.columns)
      if (out.missing.isEmpty() && !fields.contains(c.name)) out.missing = t.name + u'.' + c.name;
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(schema::quoted(t.name))) || !q.next()) return failed();
    out.present << t.name;
    out.rowCounts.insert(t.name, q.value(0).toLongLong());
  }
  out.ok = true;
  return out;
}

bool serverHasTables(QSqlDatabase& db) {
  const ServerTables t = serverTables(db);
  return t.ok && t.missing.isEmpty();
}
