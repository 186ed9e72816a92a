#include "data/database.h"
#include "data/tablechanges.h"

#include "data/engine.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/serverschema.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {
const QString kMain = QStringLiteral("ashimemo");
const QString kList = QStringLiteral("ashimemo-list");
// Listens for other PCs' changes on a server (TableChanges).
const QString kListen = QStringLiteral("ashimemo-listen");
int transactionDepth = 0;
QString openPath;
std::shared_ptr<Engine> current;  // the engine of the open records
int commits = 0;                  // transactions committed since opening
// The file the open path named when it was opened (through any link).
struct stat openFile {};
std::function<QString()> fileMovedHandler;
QHash<QString, QSqlQuery>& statements() {
  static QHash<QString, QSqlQuery> cache;
  return cache;
}

void configure(QSqlDatabase& db) {
  QSqlQuery q(db);
  q.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
  q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

QString quoted(const QString& id) { return u'"' + QString(id).replace(u'"', QStringLiteral("\"\"")) + u'"'; }
}  // namespace

DbError::DbError(QString m, QString d)
    : std::runtime_error(m.toStdString()), message(std::move(m)), detail(std::move(d)) {}

QString DbError::userText() const { return withEngineDetail(message, detail); }

QString withEngineDetail(const QString& message, const QString& engineText) {
  // On one line: libpq breaks its own text with a newline and a tab.
  const QString detail = engineText.simplified();
  return detail.isEmpty() ? message : message + QStringLiteral("\n詳細: ") + detail;
}

QString engineText(const QSqlError& error) {
  const QString engine = error.databaseText().trimmed();
  return engine.isEmpty() ? error.driverText().trimmed() : engine;
}

void Database::raise(const QSqlError& error) {
  const QString t = error.nativeErrorCode() + u' ' + error.text();
  QString m;
  // The engine calls a deleted or moved file "readonly"; that would send the
  // user looking at the file's access rights.
  if (fileMoved()) {
    m = QStringLiteral("データファイル「%1」は、このプログラムの使用中に削除されたか、別の場所に移されました。変更は保存できません。")
            .arg(QFileInfo(openPath).fileName());
    // The handler belongs to the window's thread; the list search reads on a worker.
    const QCoreApplication* app = QCoreApplication::instance();
    const bool windowThread = app && QThread::currentThread() == app->thread();
    const QString saved = fileMovedHandler && windowThread ? fileMovedHandler() : QString();
    if (!saved.isEmpty()) m += u'\n' + saved;
  } else if (t.contains(QStringLiteral("locked")) || t.contains(QStringLiteral("busy")))
    m = QStringLiteral("データファイルがほかのプログラムで使用中のため、処理できませんでした。しばらくしてからやり直してください。");
  else if (t.contains(QStringLiteral("readonly")) || t.contains(QStringLiteral("read-only")) ||
           t.contains(QStringLiteral("read only")))
    m = QStringLiteral("データファイルに書き込めないため、処理できませんでした（読み取り専用）。");
  else if (t.contains(QStringLiteral("no such table")) || t.contains(QStringLiteral("no such column")))
    m = QStringLiteral("データファイルに必要なテーブルまたは項目がないため、処理できませんでした。");
  else if (t.contains(QStringLiteral("malformed")) || t.contains(QStringLiteral("not a database")) ||
           t.contains(QStringLiteral("corrupt")))
    m = QStringLiteral("データファイルが壊れているため、処理できませんでした。");
  else if (t.contains(QStringLiteral("disk")) || t.contains(QStringLiteral("full")))
    m = QStringLiteral("データファイルに書き込めませんでした（ディスクの空き不足など）。");
  else
    m = QStringLiteral("データファイルの処理中にエラーが発生しました。");
  throw DbError(m, engineText(error));
}

// The engine's handle of an open connection.
static sqlite3* handleOf(const QSqlDatabase& db) {
  const QVariant handle = db.driver()->handle();
  return handle.isValid() ? *static_cast<sqlite3* const*>(handle.data()) : nullptr;
}

// Checks an opened connection with the one check of a data file; returns
// why it cannot be used, or "". `damaged` tells a file that is itself
// unusable (not a data file, damaged, a table or field missing) from one
// that is locked or cannot be written.
static QString unusableReason(QSqlDatabase& db, bool* damaged) {
  const safefile::Check check = safefile::checkConnection(handleOf(db), safefile::Depth::Quick);
  *damaged = !check.ok && !check.busy;
  if (!check.ok) return check.problem;
  // A write lock taken and given back at once: fails when another program
  // holds the file or when it cannot be written.
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
    const QString t = q.lastError().text();
    if (t.contains(QStringLiteral("locked")) || t.contains(QStringLiteral("busy")))
      return QStringLiteral("ほかのプログラムが使用中のため、開けません。");
    return withEngineDetail(QStringLiteral("ファイルに書き込めません。"), engineText(q.lastError()));
  }
  q.exec(QStringLiteral("ROLLBACK"));
  return QString();
}

Database::OpenResult Database::open(const QString& path, QString* error, bool* damagedFile) {
  bool damaged = false;
  QFile probe(path);
  if (!QFileInfo(path).isFile() || !probe.open(QIODevice::ReadOnly)) return Missing;
  const QByteArray head = probe.read(16);
  probe.close();
  QString why;
  if (head != QByteArray("SQLite format 3\0", 16)) {
    why = QStringLiteral("このプログラムのデータファイルではないか、壊れています。");
    damaged = true;
  }
  else if (!QFileInfo(path).isWritable())
    why = QStringLiteral("ファイルが読み取り専用です。");
  close();
  for (const QString& name : {kMain, kList}) {
    if (!why.isEmpty()) break;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open()) why = withEngineDetail(QStringLiteral("ファイルを開けません。"), engineText(db.lastError()));
  }
  if (why.isEmpty()) {
    QSqlDatabase db = connection();
    why = unusableReason(db, &damaged);
    if (why.isEmpty()) {
      configure(db);
      QSqlQuery(QSqlDatabase::database(kList, false)).exec(QStringLiteral("PRAGMA query_only=1"));
    }
  }
  if (!why.isEmpty()) {
    if (error) *error = why;
    if (damagedFile) *damagedFile = damaged;
    close();
    return Unusable;
  }
  openPath = path;
  transactionDepth = 0;
  ::stat(QFile::encodeName(path).constData(), &openFile);
  current = makeFileEngine(path);
  return Opened;
}

ServerOpen Database::openServer(const ServerUrl& url, const QString& password, QString* detail, QString* missing) {
  close();
  if (missing) missing->clear();
  for (const QString& name : {kMain, kList}) {
    const ServerOpen result = ::openServer(name, url, password, detail);
    if (result != ServerOpen::Opened) {
      close();
      return result;
    }
  }
  QSqlDatabase db = connection();
  const ServerTables held = serverTables(db);
  if (!held.ok || !held.missing.isEmpty()) {
    if (missing) *missing = held.missing;
    if (detail && !held.ok) *detail = held.problem;
    close();
    return ServerOpen::Refused;
  }
  transactionDepth = 0;
  current = makeServerEngine(url, password, kMain, kList);
  // The lists follow other PCs' changes when this works; the records are
  // usable without it.
  TableChanges::instance().listen(
      kListen, [url, password] { return ::openServer(kListen, url, password) == ServerOpen::Opened; },
      [url] { return serverAnswers(url); });
  return ServerOpen::Opened;
}

void Database::close() {
  statements().clear();
  TableChanges::stopListening();
  for (const QString& name : {kMain, kList, kListen}) {
    if (!QSqlDatabase::contains(name)) continue;
    {
      QSqlDatabase db = QSqlDatabase::database(name, false);
      if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(name);
  }
  openPath.clear();
  transactionDepth = 0;
  commits = 0;
  current.reset();
}

// A server's records stay open while its connection is lost: the next
// statement opens the connection again.
bool Database::isOpen() {
  return current && (current->onServer() || (QSqlDatabase::contains(kMain) && QSqlDatabase::database(kMain, false).isOpen()));
}
QString Database::path() { return openPath; }
bool Database::onServer() { return current && current->onServer(); }
QString Database::place() { return current ? current->place() : QString(); }
std::shared_ptr<const Engine> Database::engine() { return current; }
bool Database::serverLogin(ServerUrl* url, QString* password) { return current && current->login(url, password); }
int Database::savesSinceOpen() { return commits; }

static Engine& engineInUse() {
  if (!current) throw DbError(QStringLiteral("データファイルが開かれていません。"), QString());
  return *current;
}

void Database::readList(const QString& sql, QStringList* columns, std::vector<std::vector<QVariant>>* rows) {
  engineInUse().readList(sql, columns, rows);
}
void Database::readListAhead(const QString& sql) {
  if (current) current->readListAhead(sql);
}
QSqlDatabase Database::connection() { return QSqlDatabase::database(kMain, false); }
sqlite3* Database::handle() { return isOpen() && !onServer() ? handleOf(connection()) : nullptr; }

bool Database::fileMoved() {
  if (openPath.isEmpty()) return false;
  struct stat now {};
  return ::stat(QFile::encodeName(openPath).constData(), &now) != 0 || now.st_dev != openFile.st_dev ||
         now.st_ino != openFile.st_ino;
}

void Database::setFileMovedHandler(std::function<QString()> handler) { fileMovedHandler = std::move(handler); }
QString Database::listConnectionName() { return kList; }

// The engine's handle of the shared connection.
static sqlite3* engineHandle() {
  auto* db = handleOf(Database::connection());
  if (!db) throw DbError(QStringLiteral("データファイルが開かれていません。"), QString());
  return db;
}

// The value of column `c` of the current row: a number, a text, bytes or null.
static QVariant columnValue(sqlite3_stmt* stmt, int c) {
  switch (sqlite3_column_type(stmt, c)) {
    case SQLITE_INTEGER: return qlonglong(sqlite3_column_int64(stmt, c));
    case SQLITE_FLOAT: return sqlite3_column_double(stmt, c);
    case SQLITE_TEXT:
      return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)), sqlite3_column_bytes(stmt, c));
    case SQLITE_BLOB:
      return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)), sqlite3_column_bytes(stmt, c));
    default: return QVariant();  // NULL
  }
}

[[noreturn]] static void raiseEngine(sqlite3* db) {
  const QString error = QString::fromUtf8(sqlite3_errmsg(db));
  Database::raise(QSqlError(QString(), error, QSqlError::StatementError));
}

QList<std::pair<double, QString>> Database::codesAndNames(const QString& sql) {
  return engineInUse().codesAndNames(sql, transactionDepth == 0);
}

// Every row of a query on the shared connection, read whole.
static void fileRead(const QString& sql, QStringList* columns, Engine::Rows* rows) {
  sqlite3* db = engineHandle();
  sqlite3_stmt* stmt = nullptr;
  const QByteArray text = sql.toUtf8();
  if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) raiseEngine(db);
  const int n = sqlite3_column_count(stmt);
  for (int c = 0; c < n; ++c) *columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<QVariant> row(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) row[size_t(c)] = columnValue(stmt, c);
    rows->push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) {
    const QString error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    Database::raise(QSqlError(QString(), error, QSqlError::StatementError));
  }
  sqlite3_finalize(stmt);
}

static QList<std::pair<double, QString>> fileCodesAndNames(const QString& sql) {
  QList<std::pair<double, QString>> rows;
  sqlite3* db = engineHandle();
  sqlite3_stmt* stmt = nullptr;
  const QByteArray text = sql.toUtf8();
  int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    if ((rc = sqlite3_step(stmt)) != SQLITE_ROW) break;
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    rows.append({sqlite3_column_double(stmt, 0),
                 name ? QString::fromUtf8(name, sqlite3_column_bytes(stmt, 1)).trimmed() : QString()});
  }
  const QString error = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
  sqlite3_finalize(stmt);
  if (!error.isEmpty()) Database::raise(QSqlError(QString(), error, QSqlError::StatementError));
  return rows;
}

std::vector<std::vector<QVariant>> Database::readAll(const std::shared_ptr<const Engine>& engine, const QString& sql,
                                                    QStringList* columns, const std::atomic<bool>* stop) {
  if (!engine) throw DbError(QStringLiteral("データファイルが開かれていません。"), QString());
  return engine->readAll(sql, columns, stop);
}

QVariant RawValue::toVariant() const {
  switch (kind) {
    case Integer: return qlonglong(integer);
    case Real: return real;
    case Text: return QString::fromUtf8(data, size);
    case Bytes: return QByteArray(data, size);
    case Null: break;
  }
  return QVariant();
}

void Database::readEach(const std::shared_ptr<const Engine>& engine, const QString& sql, QStringList* columns,
                        const std::function<bool(const RawValue*, int)>& row) {
  if (!engine) throw DbError(QStringLiteral("データファイルが開かれていません。"), QString());
  engine->readEach(sql, columns, row);
}

namespace {
// A statement on a read-only connection of its own to the data file,
// closed with it.
class OwnStatement {
 public:
  OwnStatement(const QString& file, const QString& sql, QStringList* columns, const std::atomic<bool>* stop) {
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      const QString error = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
      sqlite3_close(db_);
      db_ = nullptr;
      Database::raise(QSqlError(error, error, QSqlError::ConnectionError));
    }
    // A save in progress holds the file only for a moment: wait up to 3 s as
    // the other connections do, but end at once when the rows are no longer
    // wanted, also in the middle of a long step.
    sqlite3_busy_handler(
        db_,
        [](void* flag, int tries) -> int {
          const auto* stop = static_cast<const std::atomic<bool>*>(flag);
          if ((stop && stop->load()) || tries >= 300) return 0;
          sqlite3_sleep(10);
          return 1;
        },
        const_cast<std::atomic<bool>*>(stop));
    if (stop)
      sqlite3_progress_handler(
          db_, 1000, [](void* flag) -> int { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; },
          const_cast<std::atomic<bool>*>(stop));
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt_, nullptr) != SQLITE_OK) {
      const QString error = QString::fromUtf8(sqlite3_errmsg(db_));
      sqlite3_close(db_);
      db_ = nullptr;
      Database::raise(QSqlError(error, error, QSqlError::StatementError));
    }
    columns_ = sqlite3_column_count(stmt_);
    if (columns) {
      columns->clear();
      for (int c = 0; c < columns_; ++c) *columns << QString::fromUtf8(sqlite3_column_name(stmt_, c));
    }
  }
  ~OwnStatement() {
    sqlite3_finalize(stmt_);
    sqlite3_close(db_);
  }
  sqlite3_stmt* stmt() const { return stmt_; }
  int columns() const { return columns_; }
  // After the last step: raises the engine's error unless it ended well.
  void finish(int rc, bool stopped) {
    const QString error = rc == SQLITE_DONE || stopped ? QString() : QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (!error.isEmpty()) Database::raise(QSqlError(error, error, QSqlError::StatementError));
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  int columns_ = 0;
};
}  // namespace

static std::vector<std::vector<QVariant>> fileReadAll(const QString& file, const QString& sql, QStringList* columns,
                                                    const std::atomic<bool>* stop) {
  std::vector<std::vector<QVariant>> rows;
  OwnStatement own(file, sql, columns, stop);
  sqlite3_stmt* stmt = own.stmt();
  const int n = own.columns();
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      rc = SQLITE_DONE;
      break;
    }
    std::vector<QVariant> row;
    row.reserve(size_t(n));
    for (int c = 0; c < n; ++c) row.push_back(columnValue(stmt, c));
    rows.push_back(std::move(row));
  }
  own.finish(rc, stop && stop->load());
  return rows;
}

static void fileReadEach(const QString& file, const QString& sql, QStringList* columns,
                         const Engine::RowReader& reader) {
  OwnStatement own(file, sql, columns, nullptr);
  sqlite3_stmt* stmt = own.stmt();
  const int n = own.columns();
  std::vector<RawValue> row(static_cast<size_t>(n));
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    for (int c = 0; c < n; ++c) {
      RawValue& v = row[size_t(c)];
      switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER:
          v.kind = RawValue::Integer;
          v.integer = sqlite3_column_int64(stmt, c);
          break;
        case SQLITE_FLOAT:
          v.kind = RawValue::Real;
          v.real = sqlite3_column_double(stmt, c);
          break;
        case SQLITE_TEXT:
          v.kind = RawValue::Text;
          v.data = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
          v.size = sqlite3_column_bytes(stmt, c);
          break;
        case SQLITE_BLOB:
          v.kind = RawValue::Bytes;
          v.data = static_cast<const char*>(sqlite3_column_blob(stmt, c));
          v.size = sqlite3_column_bytes(stmt, c);
          break;
        default: v.kind = RawValue::Null;
      }
    }
    if (!reader(row.data(), n)) {
      rc = SQLITE_DONE;
      break;
    }
  }
  own.finish(rc, false);
}

QSqlQuery& Database::prepared(const QString& sql) {
  auto it = statements().find(sql);
  if (it == statements().end()) {
    QSqlQuery q(connection());
    if (!q.prepare(sql)) raise(q.lastError());
    it = statements().insert(sql, q);
  }
  return *it;
}

// Runs one of our fixed statements with bound values; false on failure,
// with the error.
static bool run(const QString& sql, const QVariantList& values = {}, QSqlError* error = nullptr) {
  QSqlQuery& q = Database::prepared(sql);
  for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
  const bool ok = q.exec();
  if (!ok && error) *error = q.lastError();
  q.finish();
  return ok;
}

// Runs a statement that ends a transaction; its failure is not reported.
static void endQuietly(const QString& sql) {
  if (!current) return;
  try {
    current->exec(sql, {}, false);
  } catch (const DbError&) {
  }
}

Transaction::Transaction() {
  if (transactionDepth++ == 0) {
    try {
      Engine& engine = engineInUse();
      engine.exec(engine.beginStatement(), {}, true);
    } catch (const DbError&) {
      --transactionDepth;
      throw;
    }
  }
}

Transaction::~Transaction() {
  if (done_) return;
  if (--transactionDepth == 0) endQuietly(QStringLiteral("ROLLBACK"));
}

void Transaction::commit() {
  if (done_) return;
  if (transactionDepth == 1) {
    try {
      engineInUse().exec(QStringLiteral("COMMIT"), {}, false);
      ++commits;
    } catch (const DbError&) {
      endQuietly(QStringLiteral("ROLLBACK"));
      done_ = true;
      transactionDepth = 0;
      throw;
    }
  }
  --transactionDepth;
  done_ = true;
}

Recordset::Recordset(const QString& sql, Mode mode) : mode_(mode) {
  if (!Database::isOpen()) throw DbError(QStringLiteral("データファイルが開かれていません。"), QString());
  if (mode == Updatable) {
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+([^\\s;]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = from.match(sql);
    table_ = m.hasMatch() ? m.captured(1) : QString();
  }
  // A record read whole carries its row version where the engine keeps one.
  QString text = sql;
  const QString versionColumn = engineInUse().versionColumn();
  static const QString whole = QStringLiteral("SELECT * FROM ");
  if (!versionColumn.isEmpty() && text.startsWith(whole, Qt::CaseInsensitive))
    text = QStringLiteral("SELECT *, ") + versionColumn + QStringLiteral(" FROM ") + text.mid(whole.size());
  engineInUse().read(text, &columns_, &rows_, transactionDepth == 0);
  for (int c = 0; c < columns_.size(); ++c) columnIndex_.insert(columns_[c], c);
}

QVariant Recordset::field(const QString& name) const {
  if (editing_ != Editing::None) {
    const auto at = bufferIndex_.constFind(name);
    if (at != bufferIndex_.constEnd()) return buffer_[*at].second;
  }
  if (eof()) return QVariant();
  const auto c = columnIndex_.constFind(name);
  if (c == columnIndex_.constEnd())
    throw DbError(QStringLiteral("データファイルに必要な項目「%1」がありません。").arg(name), QString());
  return rows_[size_t(pos_)][size_t(*c)];
}

QString Recordset::text(const QString& name) const {
  const QVariant v = field(name);
  if (v.isNull()) return QString();
  if (v.typeId() == QMetaType::Double) {
    const double d = v.toDouble();
    return QString::number(d, 'g', 15);
  }
  return v.toString();
}

double Recordset::number(const QString& name) const {
  const QVariant v = field(name);
  return v.isNull() ? 0.0 : v.toDouble();
}

void Recordset::addNew() {
  editing_ = Editing::Adding;
  buffer_.clear();
  bufferIndex_.clear();
}

void Recordset::edit() { edit(QVariant()); }

void Recordset::edit(const QVariant& expected) {
  if (eof()) throw DbError(QStringLiteral("編集する行がありません。"), QString());
  editing_ = Editing::Editing;
  expected_ = expected;
  buffer_.clear();
  bufferIndex_.clear();
  editKey_ = field(QStringLiteral("コード"));
}

void Recordset::setField(const QString& name, const QVariant& value) {
  const auto at = bufferIndex_.constFind(name);
  if (at != bufferIndex_.constEnd()) {
    buffer_[*at].second = value;
    return;
  }
  bufferIndex_.insert(name, int(buffer_.size()));
  buffer_.append({name, value});
}

void Recordset::update() { write(false); }

Recordset::Outcome Recordset::saveChecked() { return write(true); }

void Recordset::addAgain() {
  editing_ = Editing::Adding;
  expected_ = QVariant();
  if (!bufferIndex_.contains(QStringLiteral("コード"))) setField(QStringLiteral("コード"), editKey_);
}

// Whether a row with `code` is stored, read inside the open transaction.
bool Recordset::stored(const QVariant& code) {
  QStringList columns;
  std::vector<std::vector<QVariant>> rows;
  engineInUse().read(QStringLiteral("SELECT \"コード\" FROM %1 WHERE \"コード\"=%2")
                         .arg(quoted(table_), QString::number(code.toLongLong())),
                     &columns, &rows, false);
  return !rows.empty();
}

Recordset::Outcome Recordset::write(bool checked) {
  if (mode_ != Updatable || table_.isEmpty() || editing_ == Editing::None || buffer_.isEmpty()) {
    editing_ = Editing::None;
    return Outcome::Written;
  }
  Engine& engine = engineInUse();
  const QString versionColumn = engine.versionColumn();
  const bool check = checked && editing_ == Editing::Editing && !expected_.isNull() && !versionColumn.isEmpty();
  QStringList cols;
  for (const auto& [n, v] : buffer_) cols << quoted(n);
  QString sql;
  if (editing_ == Editing::Adding) {
    QStringList marks;
    for (int i = 0; i < buffer_.size(); ++i) marks << QStringLiteral("?");
    sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quoted(table_), cols.join(u','), marks.join(u','));
  } else {
    QStringList sets;
    for (const QString& c : cols) sets << c + QStringLiteral("=?");
    sql = QStringLiteral("UPDATE %1 SET %2 WHERE \"コード\"=?").arg(quoted(table_), sets.join(u','));
    if (check) sql += QStringLiteral(" AND ") + versionColumn + QStringLiteral("=?");
  }
  QVariantList values;
  for (const auto& [n, v] : buffer_) values << v;
  if (editing_ == Editing::Editing) values << editKey_;
  if (check) values << expected_;
  Outcome outcome = Outcome::Written;
  try {
    Transaction tx;
    written_ = QVariant();
    const qlonglong rows = engine.write(sql, values, versionColumn.isEmpty() ? nullptr : &written_);
    // Zero rows: the row's version moved on, or the row is gone. Which one
    // is read in the same transaction; the caller asks the user after the
    // rollback, so no transaction waits on a question.
    if (rows == 0 && checked && editing_ == Editing::Editing && !versionColumn.isEmpty())
      outcome = stored(editKey_) ? Outcome::Changed : Outcome::Deleted;
    if (outcome != Outcome::Written) return outcome;
    engine.announce(table_);
    // The row is written but not yet committed: a test kills the program here.
    safefile::stopIfAsked("save-writing");
    tx.commit();
  } catch (const CodeTaken&) {
    if (!checked) throw;
    return Outcome::CodeTaken;
  }
  editing_ = Editing::None;
  buffer_.clear();
  bufferIndex_.clear();
  return outcome;
}

void Recordset::deleteRow() {
  if (mode_ != Updatable || eof()) return;
  const QVariant code = field(QStringLiteral("コード"));
  Transaction tx;
  Engine& engine = engineInUse();
  engine.write(QStringLiteral("DELETE FROM %1 WHERE \"コード\"=?").arg(quoted(table_)), {code}, nullptr);
  engine.announce(table_);
  tx.commit();
}

Recordset::Outcome Recordset::deleteChecked(const QVariant& expected) {
  if (mode_ != Updatable || eof()) return Outcome::Written;
  Engine& engine = engineInUse();
  const QString versionColumn = engine.versionColumn();
  if (expected.isNull() || versionColumn.isEmpty()) {
    deleteRow();
    return Outcome::Written;
  }
  const QVariant code = field(QStringLiteral("コード"));
  Transaction tx;
  const qlonglong rows = engine.write(
      QStringLiteral("DELETE FROM %1 WHERE \"コード\"=? AND %2=?").arg(quoted(table_), versionColumn), {code, expected},
      nullptr);
  if (rows == 0) return stored(code) ? Outcome::Changed : Outcome::Deleted;
  engine.announce(table_);
  tx.commit();
  return Outcome::Written;
}

QVariant Recordset::version() const {
  const QString column = Database::isOpen() ? engineInUse().versionColumn() : QString();
  if (column.isEmpty() || eof() || !columnIndex_.contains(column)) return QVariant();
  return rows_[size_t(pos_)][size_t(columnIndex_.value(column))];
}

void Recordset::close() {
  rows_.clear();
  pos_ = 0;
  editing_ = Editing::None;
  buffer_.clear();
  bufferIndex_.clear();
}

namespace {
// The data file: SQLite through Qt's driver for the statements of ours and
// straight through SQLite's own handle for reading.
class FileEngine : public Engine {
 public:
  explicit FileEngine(const QString& path) : file_(QFileInfo(path).absoluteFilePath()) {}
  bool onServer() const override { return false; }
  QString place() const override { return file_; }
  void read(const QString& sql, QStringList* columns, Rows* rows, bool) override { fileRead(sql, columns, rows); }
  void readList(const QString& sql, QStringList* columns, Rows* rows) override {
    QSqlQuery q(QSqlDatabase::database(kList, false));
    q.setForwardOnly(true);
    if (!q.exec(sql)) Database::raise(q.lastError());
    const QSqlRecord rec = q.record();
    for (int c = 0; c < rec.count(); ++c) *columns << rec.fieldName(c);
    while (q.next()) {
      std::vector<QVariant> row;
      row.reserve(size_t(rec.count()));
      for (int c = 0; c < rec.count(); ++c) row.push_back(q.value(c));
      rows->push_back(std::move(row));
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid()) Database::raise(error);
  }
  QList<std::pair<double, QString>> codesAndNames(const QString& sql, bool) override { return fileCodesAndNames(sql); }
  void exec(const QString& sql, const QVariantList& values, bool) override {
    QSqlError e;
    if (!run(sql, values, &e)) Database::raise(e);
  }
  QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
  bool login(ServerUrl*, QString*) const override { return false; }
  Rows readAll(const QString& sql, QStringList* columns, const std::atomic<bool>* stop) const override {
    return fileReadAll(file_, sql, columns, stop);
  }
  void readEach(const QString& sql, QStringList* columns, const RowReader& row) const override {
    fileReadEach(file_, sql, columns, row);
  }
  qlonglong write(const QString& sql, const QVariantList& values, QVariant* version) override {
    if (version) *version = QVariant();
    QSqlQuery& q = Database::prepared(sql);
    for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
    const bool ok = q.exec();
    const QSqlError e = q.lastError();
    const qlonglong rows = ok ? q.numRowsAffected() : 0;
    q.finish();
    if (!ok) Database::raise(e);
    return rows;
  }

 private:
  QString file_;
};
}  // namespace

std::shared_ptr<Engine> makeFileEngine(const QString& path) { return std::make_shared<FileEngine>(path); }
