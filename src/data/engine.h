#pragma once
// What differs between the two places the records can be kept: the data
// file (SQLite) and a PostgreSQL server shared by several PCs. One engine is
// chosen when the records are opened; Database, Transaction and Recordset
// work through it, and nothing above src/data asks which one it is.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

struct ServerUrl;

// One value of a row as the engine holds it, for readers that write values
// straight out (the spreadsheet export) without a QVariant or QString each.
struct RawValue {
  enum Kind { Null, Integer, Real, Text, Bytes };
  Kind kind = Null;
  qint64 integer = 0;
  double real = 0;
  const char* data = nullptr;  // Text (UTF-8 as stored) or Bytes; valid until the next row
  qsizetype size = 0;
  // The value as readAll hands it over: qlonglong, double, QString
  // (from UTF-8), QByteArray or a null QVariant.
  QVariant toVariant() const;
};

class Engine {
 public:
  using Rows = std::vector<std::vector<QVariant>>;
  // Called with the values of one row, in the order of the columns; false
  // ends the reading.
  using RowReader = std::function<bool(const RawValue* values, int count)>;
  virtual ~Engine() = default;

  virtual bool onServer() const = 0;
  // What messages name: the file's path, or "USER@HOST:PORT/DBNAME".
  virtual QString place() const = 0;

  // Every row of `sql` on the shared connection, read straight from the
  // engine: integers as qlonglong, reals as double, texts as QString, NULL
  // as a null QVariant. Throws DbError. `outsideTransaction`: no
  // transaction of ours is open, so a connection found lost may be opened
  // again and the statement repeated once (also for exec and codesAndNames).
  virtual void read(const QString& sql, QStringList* columns, Rows* rows, bool outsideTransaction) = 0;
  // The first two columns of every row as (number, trimmed text).
  virtual QList<std::pair<double, QString>> codesAndNames(const QString& sql, bool outsideTransaction) = 0;
  // One statement of ours with bound values on the shared connection.
  virtual void exec(const QString& sql, const QVariantList& values, bool outsideTransaction) = 0;
  // Every row of `sql` on the list grids' connection (read-only).
  virtual void readList(const QString& sql, QStringList* columns, Rows* rows) = 0;
  // A server's address and the password it was opened with; false on a file.
  virtual bool login(ServerUrl* url, QString* password) const = 0;
  // The statement that starts a write transaction.
  virtual QString beginStatement() const = 0;

  // Every row of `sql` through a read-only connection of its own, closed
  // before it returns; safe on any thread. Ends early, with the rows read so
  // far, when `stop` turns true. Throws DbError.
  virtual Rows readAll(const QString& sql, QStringList* columns, const std::atomic<bool>* stop) const = 0;
  // The same rows handed to `row` one at a time as the engine holds them:
  // the file's values straight from SQLite, the server's from its result.
  virtual void readEach(const QString& sql, QStringList* columns, const RowReader& row) const = 0;

  // Row versions, so that a save can tell that another PC changed a record
  // since this one read it. The name of the column that carries the version
  // (PostgreSQL's system column "xmin"); empty when the engine keeps none:
  // the data file has one PC at a time and nothing to check.
  virtual QString versionColumn() const { return QString(); }
  // Runs a write of ours (INSERT, UPDATE or DELETE) on the shared connection
  // and returns how many rows it touched; `version` (when not null) receives
  // the version the write left on its row (null without versions).
  virtual qlonglong write(const QString& sql, const QVariantList& values, QVariant* version) = 0;
  // Tells the other PCs' open lists that `table` changed; sent with the open
  // transaction, so they hear of it after the commit. Nothing on the file.
  virtual void announce(const QString& table) { (void)table; }

};

// The data file at `path`, whose connections Database::open has opened.
std::shared_ptr<Engine> makeFileEngine(const QString& path);
// The server at `url`; `password` (maybe empty) is kept for reconnecting
// and for the connections of worker threads.
// The connections named are already open.
std::shared_ptr<Engine> makeServerEngine(const ServerUrl& url, const QString& password, const QString& mainConnection,
                                         const QString& listConnection);

// An SQL text of ours as the server reads it: our names that hold Latin
// letters ("FL_伸", "FAX番号") quoted in their exact spelling, since the server
// folds unquoted names to lower case where the file ignores case.
QString serverSql(const QString& sql);
