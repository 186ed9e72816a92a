#include "data/serverschema.h"

#include "data/database.h"
#include "data/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
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
  for (const schema::Table& t : schema::tables()) {
    q.prepare(QStringLiteral("SELECT to_regclass(?) IS NOT NULL"));
    q.addBindValue(schema::quoted(t.name));
    if (!q.exec() || !q.next()) {
      out.problem = engineText(q.lastError());
      return out;
    }
    if (!q.value(0).toBool()) continue;
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(schema::quoted(t.name))) || !q.next()) {
      out.problem = engineText(q.lastError());
      return out;
    }
    out.present << t.name;
    out.rowCounts.insert(t.name, q.value(0).toLongLong());
  }
  out.ok = true;
  return out;
}

bool serverHasTables(QSqlDatabase& db) { return serverTables(db).complete() && schema::missingPart(db).isEmpty(); }
