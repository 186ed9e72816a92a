#pragma once
// Writes Jet 3 and Jet 4 database files (the format of Microsoft Access 97
// and 2000) for tests and benchmarks: tables with text, memo, number,
// Yes/No, currency and date columns, NULLs, memos over several pages,
// tables of any length, a database password and Access's lock file. Only
// what a reader needs is written (no indexes).
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

namespace jetfile {

enum class Version { Jet3, Jet4 };

enum class Type : quint8 {
  YesNo = 1,
  Byte = 2,
  Integer = 3,  // 16 bits
  Long = 4,     // 32 bits
  Currency = 5,
  Single = 6,
  Double = 7,
  DateTime = 8,
  Text = 10,
  Memo = 12,
};

struct Column {
  QString name;
  Type type;
  int size = 50;  // characters of a text column
};

// A row holds one value per column: an invalid or null QVariant is NULL;
// a Yes/No takes a bool or number, a date a QDate, QDateTime or the day
// number itself, a currency a double.
struct Table {
  QString name;
  QList<Column> columns;
  QList<QVariantList> rows;
  // As a file that has been in use holds them: rows deleted but still on
  // the pages (marked deleted, each after the live row of the same index),
  // and live rows that were moved to another page when they grew, leaving a
  // pointer behind (indexes into `rows`).
  QList<QVariantList> deleted;
  QList<int> moved;
};

struct Options {
  Version version = Version::Jet4;
  bool compressText = true;  // Jet 4 compressed Unicode where possible
  quint32 databaseKey = 0;   // non-zero: the file says it is encrypted
  quint16 codePage = 932;
  QString password;          // a database password (pages stay readable)
  double created = 36982.375;  // the creation date, which Jet 4 mixes into the password
};

QByteArray build(const QList<Table>& tables, const Options& options);
bool write(const QString& path, const QList<Table>& tables, const Options& options, QString* error = nullptr);

// The lock file Access keeps beside an open database ("Setting.ldb"): one
// 64-byte entry per user, machine name and user name, NUL-padded.
bool writeLockFile(const QString& path, const QList<QPair<QString, QString>>& machinesAndUsers);

}  // namespace jetfile
