#pragma once
// The six tables of the data file on a PostgreSQL server: the same table and
// field names and keys, with types that keep every value as the file does
// (texts as text, codes, flags and other whole numbers bigint, the
// product's spring values double precision, NULL as NULL). Tables made
// with 32-bit integers by an earlier version work on as they are: the
// engine reads every integer type alike. One list of tables for both: schema.h.
#include <QMap>
#include <QString>
#include <QStringList>

class QSqlDatabase;

// Creates the six tables, the setting list's index and the version row of a
// new data file in one transaction. Fails (nothing created) when a table of
// that name exists already; `error` gets the server's text.
bool createServerTables(QSqlDatabase& db, QString* error = nullptr);

// What a server database holds of our tables, as unqualified names resolve
// for this connection (its search_path).
struct ServerTables {
  bool ok = false;   // the server answered
  QString problem;   // the server's text when !ok
  QStringList present;              // those of our six tables that exist
  QMap<QString, qint64> rowCounts;  // rows of each present table
  // The first of our tables, or "table.field", that is not there; empty
  // when every table and field the program uses is.
  QString missing;
  // All six tables are there.
  bool complete() const;
  // Any record table holds a row (the version row alone is no record).
  bool hasRecords() const;
};
ServerTables serverTables(QSqlDatabase& db);

// All six tables are there with every field the program uses (and the
// server answered).
bool serverHasTables(QSqlDatabase& db);
