#pragma once
// Reading a Jet file through libmdb: the checks made before libmdb sees the
// file, and the rows of one table as typed values, read from their raw
// bytes so that no digit is lost and NULL is told from an empty text.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "convert/convert.h"

#include <cstddef>

namespace convert {

// One value as stored in the Jet file.
struct Cell {
  enum Kind { Null, Bool, Int, Single, Double, Money, Date, Text, Unreadable };
  Kind kind = Null;
  bool inexact = false;  // Text: some of it could not be read (shown as U+FFFD)
  qint64 i = 0;       // Bool, Int; Money in units of 1/10,000
  double d = 0;       // Double, Date (days since 1899-12-30)
  float f = 0;        // Single
  QByteArray text;    // Text: UTF-8
};

class JetSource {
 public:
  JetSource();
  ~JetSource();
  JetSource(const JetSource&) = delete;
  JetSource& operator=(const JetSource&) = delete;

  // Checks the header (a Jet file, not encrypted, the database password
  // if it has one), that no other program holds the file (Access's lock
  // file only counts unless `access.accessClosed`), and opens it. False
  // with a Japanese reason, and `need` says what the user could give.
  bool open(const QString& path, const Access& access, QString* error, Result::Need* need = nullptr);
  QString version() const;
  QStringList tables() const;  // user tables in catalog order

  // Opens a table for reading; false when it cannot be read.
  bool openTable(const QString& name, QString* error);
  QStringList columns() const;
  qint64 declaredRows() const;  // the row count the table definition states
  // Reads the next row into `cells` (one per column). False at the end;
  // `error` is set when the row could not be read.
  bool next(QList<Cell>* cells, QString* error);
  qint64 rowsRead() const;

 private:
  void closeTable();
  bool crack(int start, size_t length, QList<Cell>* cells, QString* error);
  QByteArray rawRow(quint32 pointer, bool* ok);
  QByteArray memoBytes(const unsigned char* field, int size, bool* ok);
  struct State;  // libmdb's handles
  State* s_;
};

// True when another program holds a lock on the file (an advisory lock, or
// the lock file that an office suite leaves beside a file it has open).
// Access's own lock file is told apart: see accessLockFile.
bool lockedByOtherProgram(const QString& path);

// Jet 4 text as stored: UTF-16LE, or the compressed form that starts with
// FF FE (one byte a character until a 00 byte switches to two bytes a
// character and back). `exact` is false when some of it could not be read
// (an odd byte, a lone surrogate): those characters become U+FFFD.
QString decodeJet4Text(const QByteArray& bytes, bool* exact);

}  // namespace convert
