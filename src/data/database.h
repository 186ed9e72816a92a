#pragma once
// The one connection to the data file for the whole run, and record sets over
// it. Every value that is written is bound as a parameter; codes reach SQL
// only as numbers that our own code formatted. Each save or delete is one
// transaction, committed durably.
#include <QHash>
#include <QList>
#include <QStringList>
#include <QString>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

struct sqlite3;
class QSqlDatabase;
class QSqlQuery;
class QSqlError;
class Engine;
struct RawValue;
struct ServerUrl;
enum class ServerOpen;

// An engine error: locked, corrupt, read-only file, missing table or field.
// `message` is a Japanese sentence for the user; `detail` the engine's text.
class DbError : public std::runtime_error {
 public:
  DbError(QString message, QString detail);
  QString message;
  QString detail;
  // The text shown to the user: the message, then the labelled detail.
  QString userText() const;
};

// A new row refused because another PC registered its code first.
class CodeTaken : public DbError {
 public:
  using DbError::DbError;
};

// A Japanese sentence followed, when there is one, by the engine's own text
// on a line of its own labelled "詳細: ".
QString withEngineDetail(const QString& message, const QString& engineText);
// The engine's own text of an error. Qt's text would add the driver's
// phrase for the failed step, translated ("レコードをフェッチできません" for a
// failed write) and misleading next to the engine's English.
QString engineText(const QSqlError& error);

class Database {
 public:
  enum OpenResult { Opened = 0, Missing = 1, Unusable = 2 };

  // Opens an existing data file and checks that it is one: an SQLite file
  // holding every table and field the program uses, writable and not locked.
  // On Unusable, `error` says why in Japanese and `damaged` whether the file
  // itself is unusable (not a data file, damaged, a table missing) rather
  // than locked or read-only. Nothing is written to the file.
  static OpenResult open(const QString& path, QString* error = nullptr, bool* damaged = nullptr);
  // Opens the records on a PostgreSQL server instead (see server.h for the
  // results and `password`). When the database lacks a table or field of
  // ours, `missing` names it and the result is Refused. Nothing is created.
  static ServerOpen openServer(const ServerUrl& url, const QString& password, QString* detail = nullptr,
                               QString* missing = nullptr);
  static void close();
  static bool isOpen();
  // The open data file; empty on a server.
  static QString path();
  // Whether the records are on a server, and what messages call their place
  // (the file's path, or "USER@HOST:PORT/DBNAME"). For start-up and the
  // copies only: the screens work the same on both.
  static bool onServer();
  static QString place();
  // The open server's address and the password it was opened with (for
  // the copies' own connections); false on a data file.
  static bool serverLogin(ServerUrl* url, QString* password);
  // Transactions committed since the records were opened.
  static int savesSinceOpen();
  // The engine of the open records, for a reading on a worker thread.
  static std::shared_ptr<const Engine> engine();

  static QSqlDatabase connection();
  // SQLite's handle of the shared connection; null when none is open and on a server.
  static sqlite3* handle();
  // True when the open data file is no longer at its path: deleted, moved
  // or replaced by another file since it was opened (the program still
  // holds the old file open and can read it, but the engine refuses every
  // write to it).
  static bool fileMoved();
  // Called when a write fails because the data file is no longer at its
  // path; gives a sentence that says where the open data was saved (the
  // program makes that copy), added to the error's message.
  static void setFileMovedHandler(std::function<QString()> handler);
  // Name of the second connection used by the bound list grids.
  static QString listConnectionName();
  // Every row of a query on that connection (a page of a list grid), with
  // the result's column names. Throws DbError.
  static void readList(const QString& sql, QStringList* columns, std::vector<std::vector<QVariant>>* rows);

  // The first two columns of every row of a query, as (number, trimmed
  // text): the drop-down lists of codes and names, read straight from the
  // engine because they hold up to 9,999 rows and are refilled often.
  static QList<std::pair<double, QString>> codesAndNames(const QString& sql);

  // Every row of a query, read straight from the engine through a read-only
  // connection of its own to the records of `engine` (Database::engine()),
  // closed before it returns: the list search reads a whole list at once,
  // also from a worker thread. `columns` receives the result's column names.
  // When `stop` turns true the reading ends early with the rows read so far.
  // Throws DbError.
  static std::vector<std::vector<QVariant>> readAll(const std::shared_ptr<const Engine>& engine, const QString& sql,
                                                    QStringList* columns = nullptr,
                                                    const std::atomic<bool>* stop = nullptr);

  // The rows of `sql` as readAll reads them, handed to `row` one at a time
  // without a QVariant per value (the spreadsheet export). Throws DbError.
  static void readEach(const std::shared_ptr<const Engine>& engine, const QString& sql, QStringList* columns,
                       const std::function<bool(const RawValue* values, int count)>& row);

  // A statement of ours prepared once per connection and reused: the
  // writes of the record sets and the transaction statements. Finished
  // after each use, so it never holds a lock.
  static QSqlQuery& prepared(const QString& sql);

  // Turns an engine error into a DbError with a Japanese message.
  [[noreturn]] static void raise(const QSqlError& error);
};

// A transaction over the shared connection; rolls back unless committed.
// Record sets that update or delete inside one join it instead of starting
// their own.
class Transaction {
 public:
  Transaction();
  ~Transaction();
  void commit();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

 private:
  bool done_ = false;
};

// A result set of one SQL text, read whole when opened (straight from the
// engine, so that a one-row lookup of a 76-column record stays cheap). An updatable record
// set (always a "SELECT * FROM <table> ..." of a keyed table) can add a new
// row, edit the current one and delete it.
class Recordset {
 public:
  enum Mode { ReadOnly, Updatable };
  explicit Recordset(const QString& sql, Mode mode = ReadOnly);

  bool eof() const { return pos_ >= int(rows_.size()); }
  bool bof() const { return rows_.empty(); }
  bool noRow() const { return eof() && bof(); }
  int rowCount() const { return int(rows_.size()); }

  // Field of the current row (or of the row being built after addNew/edit).
  QVariant field(const QString& name) const;
  // A text field as text: null gives "", numbers their shortest text.
  QString text(const QString& name) const;
  double number(const QString& name) const;

  // The version of the current row as it was read; null when the engine
  // keeps none (then every check below passes).
  QVariant version() const;

  void addNew();
  void edit();
  // An edit that saveChecked() writes only while the row still has the
  // version `expected` (the one the screen read); null: no check.
  void edit(const QVariant& expected);
  void setField(const QString& name, const QVariant& value);
  void update();
  void deleteRow();

  // What another PC did first, which a checked save or delete reports
  // instead of writing over it. Nothing is written unless Written.
  enum class Outcome { Written, Changed, Deleted, CodeTaken };
  // update() with the checks: an edit's row changed or deleted since the
  // version given to edit(expected), a new row's code registered meanwhile.
  // The check and the write are one statement in one transaction, so no
  // other save slips in between. Other faults throw DbError.
  Outcome saveChecked();
  // After Changed: write the edit over the other PC's change.
  void dropCheck() { expected_ = QVariant(); }
  // After Deleted: register the edited row again as a new one.
  void addAgain();
  // deleteRow() of the current row while it still has `expected`.
  Outcome deleteChecked(const QVariant& expected);
  // The version the last write left on its row (null without versions).
  QVariant writtenVersion() const { return written_; }
  void moveNext() { ++pos_; }
  void close();

 private:
  QString table_;
  Mode mode_;
  QStringList columns_;                  // names of the result's columns
  QHash<QString, int> columnIndex_;
  std::vector<std::vector<QVariant>> rows_;
  int pos_ = 0;
  enum class Editing { None, Adding, Editing } editing_ = Editing::None;
  Outcome write(bool checked);
  bool stored(const QVariant& code);
  QList<QPair<QString, QVariant>> buffer_;  // fields set, in the order they were set
  QHash<QString, int> bufferIndex_;
  QVariant editKey_;
  QVariant expected_;
  QVariant written_;
};
