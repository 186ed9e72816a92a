#pragma once
// The tables of the data file "Setting.MDB" with their Japanese field names,
// which are part of the stored format. Field lists are in the order the
// screens write them.
#include <QList>
#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace schema {

enum class Type { Integer, Real, Text };

struct Column {
  QString name;
  Type type;
};

struct Table {
  QString name;
  QList<Column> columns;
  bool keyed;  // コード is the primary key
  QStringList columnNames() const;
};

inline const QString kSettings = QStringLiteral("セッティング");
inline const QString kCoilOvers = QStringLiteral("車高調マスタ");
inline const QString kUsers = QStringLiteral("ユーザー");
inline const QString kAlignments = QStringLiteral("アライメント");
inline const QString kAlignmentBases = QStringLiteral("アライメントマスタ");
inline const QString kVersion = QStringLiteral("バージョン情報");
// The version row of a new data file: the program's version (the CMake
// project VERSION, compiled into schema.cpp only).
extern const QString kVersionText;

const QList<Table>& tables();
const Table& table(const QString& name);

// Wheel prefixes FL_, FR_, RL_, RR_ and the twelve per-wheel items.
const QStringList& wheelPrefixes();
const QStringList& wheelItems();
// The 26 standard-value columns shared by アライメント and アライメントマスタ.
const QStringList& alignmentStandardColumns();

// The data file (SQLite) or a PostgreSQL server. The tables, fields and
// keys are the same on both; only the names of the types differ (the
// file's INTEGER already holds 64 bits, the server's BIGINT does).
enum class Dialect { File, Server };

// "name" quoted as an SQL identifier (the same on both engines).
QString quoted(const QString& id);
// The column type as the engine spells it.
QString typeName(Type type, Dialect dialect);
// CREATE TABLE for the six tables, then the setting list's index.
QStringList createStatements(Dialect dialect);

// Creates all six tables and the version row in an empty database of
// either engine (told by the connection's driver), in one transaction.
// Returns false with the engine's message on failure.
bool create(QSqlDatabase& db, QString* error);

}  // namespace schema
