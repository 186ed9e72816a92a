#include "data/database.h"

#include "data/schema.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace {
const QString kMain = QStringLiteral("ashimemo");
const QString kList = QStringLiteral("ashimemo-list");
int transactionDepth = 0;
QString openPath;

void configure(QSqlDatabase& db) {
  QSqlQuery q(db);
  q.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
  q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

QString quoted(const QString& id) { return u'"' + QString(id).replace(u'"', QStringLiteral("\"\"")) + u'"'; }
}  // namespace

DbError::DbError(QString m, QString d)
    : std::runtime_error(m.toStdString()), message(std::move(m)), detail(std::move(d)) {}

QString DbError::userText() const {
  return detail.isEmpty() ? message : message + QStringLiteral("\n（") + detail + QStringLiteral("）");
}

void Database::raise(const QSqlError& error) {
  const QString t = error.nativeErrorCode() + u' ' + error.text();
  QString m;
  if (t.contains(QStringLiteral("locked")) || t.contains(QStringLiteral("busy")))
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
  throw DbError(m, error.text().trimmed());
}

// Checks an opened connection; returns why it cannot be used, or "".
static QString unusableReason(QSqlDatabase& db) {
  auto lockedOr = [](const QSqlError& e, const QString& otherwise) {
    const QString t = e.text();
    if (t.contains(QStringLiteral("locked")) || t.contains(QStringLiteral("busy")))
      return QStringLiteral("ほかのプログラムが使用中のため、開けません。");
    return otherwise;
  };
  const QString notOurs = QStringLiteral("このプログラムのデータファイルではないか、壊れています。");
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) return lockedOr(q.lastError(), notOurs);
  const QString missing = schema::missingPart(db);
  if (!missing.isEmpty())
    return QStringLiteral("このプログラムのデータファイルではありません（「%1」がありません）。").arg(missing);
  // A write lock taken and given back at once: fails when another program
  // holds the file or when it cannot be written.
  if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
    return lockedOr(q.lastError(), QStringLiteral("ファイルに書き込めません（%1）。").arg(q.lastError().text()));
  q.exec(QStringLiteral("ROLLBACK"));
  return QString();
}

Database::OpenResult Database::open(const QString& path, QString* error) {
  QFile probe(path);
  if (!QFileInfo(path).isFile() || !probe.open(QIODevice::ReadOnly)) return Missing;
  const QByteArray head = probe.read(16);
  probe.close();
  QString why;
  if (head != QByteArray("SQLite format 3\0", 16))
    why = QStringLiteral("このプログラムのデータファイルではないか、壊れています。");
  else if (!QFileInfo(path).isWritable())
    why = QStringLiteral("ファイルが読み取り専用です。");
  close();
  for (const QString& name : {kMain, kList}) {
    if (!why.isEmpty()) break;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open()) why = QStringLiteral("ファイルを開けません（%1）。").arg(db.lastError().text());
  }
  if (why.isEmpty()) {
    QSqlDatabase db = connection();
    why = unusableReason(db);
    if (why.isEmpty()) {
      configure(db);
      QSqlQuery(QSqlDatabase::database(kList, false)).exec(QStringLiteral("PRAGMA query_only=1"));
    }
  }
  if (!why.isEmpty()) {
    if (error) *error = why;
    close();
    return Unusable;
  }
  openPath = path;
  transactionDepth = 0;
  return Opened;
}

void Database::close() {
  for (const QString& name : {kMain, kList}) {
    if (!QSqlDatabase::contains(name)) continue;
    {
      QSqlDatabase db = QSqlDatabase::database(name, false);
      if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(name);
  }
  openPath.clear();
  transactionDepth = 0;
}

bool Database::isOpen() { return QSqlDatabase::contains(kMain) && QSqlDatabase::database(kMain, false).isOpen(); }
QString Database::path() { return openPath; }
QSqlDatabase Database::connection() { return QSqlDatabase::database(kMain, false); }
QString Database::listConnectionName() { return kList; }

QList<std::pair<double, QString>> Database::codesAndNames(const QString& sql) {
  QList<std::pair<double, QString>> rows;
  const QVariant handle = connection().driver()->handle();
  auto* db = handle.isValid() ? *static_cast<sqlite3* const*>(handle.data()) : nullptr;
  if (!db) throw DbError(QStringLiteral("データファイルが開かれていません。"), QString());
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
  if (!error.isEmpty()) raise(QSqlError(error, error, QSqlError::StatementError));
  return rows;
}

Transaction::Transaction() {
  if (transactionDepth++ == 0) {
    QSqlDatabase db = Database::connection();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
      --transactionDepth;
      Database::raise(q.lastError());
    }
  }
}

Transaction::~Transaction() {
  if (done_) return;
  if (--transactionDepth == 0) {
    QSqlQuery q(Database::connection());
    q.exec(QStringLiteral("ROLLBACK"));
  }
}

void Transaction::commit() {
  if (done_) return;
  if (transactionDepth == 1) {
    QSqlQuery q(Database::connection());
    if (!q.exec(QStringLiteral("COMMIT"))) {
      const QSqlError e = q.lastError();
      q.exec(QStringLiteral("ROLLBACK"));
      done_ = true;
      transactionDepth = 0;
      Database::raise(e);
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
  QSqlQuery q(Database::connection());
  q.setForwardOnly(true);
  if (!q.exec(sql)) Database::raise(q.lastError());
  while (q.next()) rows_.push_back(q.record());
}

QVariant Recordset::field(const QString& name) const {
  if (editing_ != Editing::None) {
    for (const auto& [n, v] : buffer_)
      if (n == name) return v;
  }
  if (eof()) return QVariant();
  const QSqlRecord& r = rows_[size_t(pos_)];
  const int i = r.indexOf(name);
  if (i < 0)
    throw DbError(QStringLiteral("データファイルに必要な項目「%1」がありません。").arg(name), QString());
  return r.value(i);
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
}

void Recordset::edit() {
  if (eof()) throw DbError(QStringLiteral("編集する行がありません。"), QString());
  editing_ = Editing::Editing;
  buffer_.clear();
  editKey_ = rows_[size_t(pos_)].value(QStringLiteral("コード"));
}

void Recordset::setField(const QString& name, const QVariant& value) {
  for (auto& [n, v] : buffer_)
    if (n == name) {
      v = value;
      return;
    }
  buffer_.append({name, value});
}

void Recordset::update() {
  if (mode_ != Updatable || table_.isEmpty() || editing_ == Editing::None || buffer_.isEmpty()) {
    editing_ = Editing::None;
    return;
  }
  Transaction tx;
  QSqlQuery q(Database::connection());
  QStringList cols;
  for (const auto& [n, v] : buffer_) cols << quoted(n);
  if (editing_ == Editing::Adding) {
    QStringList marks;
    for (int i = 0; i < buffer_.size(); ++i) marks << QStringLiteral("?");
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quoted(table_), cols.join(u','), marks.join(u',')));
    for (const auto& [n, v] : buffer_) q.addBindValue(v);
  } else {
    QStringList sets;
    for (const QString& c : cols) sets << c + QStringLiteral("=?");
    q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE \"コード\"=?").arg(quoted(table_), sets.join(u',')));
    for (const auto& [n, v] : buffer_) q.addBindValue(v);
    q.addBindValue(editKey_);
  }
  if (!q.exec()) Database::raise(q.lastError());
  tx.commit();
  editing_ = Editing::None;
  buffer_.clear();
}

void Recordset::deleteRow() {
  if (mode_ != Updatable || eof()) return;
  Transaction tx;
  QSqlQuery q(Database::connection());
  q.prepare(QStringLiteral("DELETE FROM %1 WHERE \"コード\"=?").arg(quoted(table_)));
  q.addBindValue(rows_[size_t(pos_)].value(QStringLiteral("コード")));
  if (!q.exec()) Database::raise(q.lastError());
  tx.commit();
}

void Recordset::close() {
  rows_.clear();
  pos_ = 0;
  editing_ = Editing::None;
  buffer_.clear();
}
