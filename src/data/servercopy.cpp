#include "data/servercopy.h"

#include "data/database.h"
#include "data/newfile.h"
#include "data/numfmt.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "data/serverschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QUuid>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>
#include <limits>
#include <sqlite3.h>

namespace servercopy {

namespace {

// Bytes gathered before they are sent to the server in one piece.
constexpr int kCopyChunk = 256 * 1024;
// Rows between two progress reports.
constexpr int kProgressEvery = 1000;

using safefile::stopIfAsked;

QString serverText(PGconn* conn, PGresult* res = nullptr) {
  const char* text = res ? PQresultErrorMessage(res) : nullptr;
  if (!text || !*text) text = PQerrorMessage(conn);
  return QString::fromUtf8(text).trimmed();
}

// Runs one statement; the server's text on failure, else "".
QString run(PGconn* conn, const QByteArray& sql) {
  PGresult* res = PQexec(conn, sql.constData());
  const ExecStatusType st = PQresultStatus(res);
  const QString error = st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK ? QString() : serverText(conn, res);
  PQclear(res);
  return error;
}

QByteArray columnList(const schema::Table& t) {
  QStringList cols;
  for (const schema::Column& c : t.columns) cols << schema::quoted(c.name);
  return cols.join(u',').toUtf8();
}

QByteArray selectAll(const schema::Table& t) {
  QByteArray sql = "SELECT " + columnList(t) + " FROM " + schema::quoted(t.name).toUtf8();
  if (t.keyed) sql += " ORDER BY \"コード\"";
  return sql;
}

QString countsText(const QMap<QString, qint64>& counts) {
  QStringList parts;
  for (const schema::Table& t : schema::tables())
    if (t.name != schema::kVersion && counts.value(t.name) > 0)
      parts << QStringLiteral("%1 %2件").arg(t.name, numfmt::format(double(counts.value(t.name)), u"#,##0"));
  return parts.join(QStringLiteral("、"));
}

// A connection of this thread's own to the server, closed when it goes.
class ServerConnection {
 public:
  ServerConnection() : name_(QStringLiteral("servercopy-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}
  ~ServerConnection() {
    if (QSqlDatabase::contains(name_)) {
      QSqlDatabase::database(name_, false).close();
      QSqlDatabase::removeDatabase(name_);
    }
  }
  // Opens it; on failure `problem` says why in Japanese.
  bool open(const ServerUrl& url, const QString& password, QString* problem, bool* needsPassword) {
    QString detail;
    const ServerOpen r = openServer(name_, url, password, &detail);
    if (needsPassword) *needsPassword = r == ServerOpen::NeedsPassword;
    if (r != ServerOpen::Opened) {
      *problem = connectProblem(r, url, detail);
      return false;
    }
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    const QVariant handle = db.driver()->handle();
    // Qt's driver gives its libpq connection as "PGconn*" (the typedef's
    // name) or "pg_conn*" (the struct's), depending on how it was built.
    if (handle.isValid() && (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0))
      conn_ = *static_cast<PGconn* const*>(handle.constData());
    if (!conn_) {
      *problem = QStringLiteral("サーバー「%1」に接続できません。").arg(url.display());
      return false;
    }
    return true;
  }
  QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }
  PGconn* pg() const { return conn_; }

 private:
  QString name_;
  PGconn* conn_ = nullptr;
};

// A data file read with SQLite's own interface, inside one read
// transaction so that the counts and the rows are the same moment.
class FileReader {
 public:
  ~FileReader() {
    if (db_) {
      sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
      sqlite3_close(db_);
    }
  }
  QString open(const QString& path) {
    // Used by one thread only: no locking of its own.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
        sqlite3_busy_timeout(db_, 3000) != SQLITE_OK || sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      return engine();
    for (const schema::Table& t : schema::tables()) {
      sqlite3_stmt* st = prepare(QByteArray("SELECT count(*) FROM ") + schema::quoted(t.name).toUtf8());
      if (!st || sqlite3_step(st) != SQLITE_ROW) {
        sqlite3_finalize(st);
        return engine();
      }
      counts_.insert(t.name, sqlite3_column_int64(st, 0));
      sqlite3_finalize(st);
    }
    return QString();
  }
  sqlite3_stmt* prepare(const QByteArray& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) return nullptr;
    return st;
  }
  QString engine() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }
  const QMap<QString, qint64>& counts() const { return counts_; }

 private:
  sqlite3* db_ = nullptr;
  QMap<QString, qint64> counts_;
};

// Appends one value of the file in COPY's text form. A value that the
// server's column could not keep as it is (a text or a fraction in a
// whole-number field) gives the reason instead.
QString appendValue(QByteArray& out, sqlite3_stmt* st, int i, schema::Type type) {
  const int kind = sqlite3_column_type(st, i);
  if (kind == SQLITE_NULL) {
    out += "\\N";
    return {};
  }
  if (type == schema::Type::Integer) {
    if (kind != SQLITE_INTEGER) return QStringLiteral("整数ではありません");
    out += QByteArray::number(qint64(sqlite3_column_int64(st, i)));
    return {};
  }
  if (type == schema::Type::Real) {
    if (kind != SQLITE_FLOAT && kind != SQLITE_INTEGER) return QStringLiteral("数値ではありません");
    const double v = sqlite3_column_double(st, i);
    // The shortest text that reads back as the same double.
    if (std::isinf(v)) out += v > 0 ? "Infinity" : "-Infinity";
    else out += QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
    return {};
  }
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
  const int size = sqlite3_column_bytes(st, i);
  int from = 0;  // the start of the run of plain bytes not yet appended
  for (int k = 0; k < size; ++k) {
    const char* escaped = nullptr;
    switch (text[k]) {
      case '\\': escaped = "\\\\"; break;
      case '\t': escaped = "\\t"; break;
      case '\n': escaped = "\\n"; break;
      case '\r': escaped = "\\r"; break;
      case '\0': return QStringLiteral("文字 NUL を含んでいます");
      default: continue;
    }
    out.append(text + from, k - from).append(escaped);
    from = k + 1;
  }
  out.append(text + from, size - from);
  return {};
}

// One table of the file into the server through COPY. Returns the problem.
QString copyTable(FileReader& file, PGconn* conn, const schema::Table& t, qint64* done, qint64 total,
                  const ProgressFn& progress) {
  sqlite3_stmt* st = file.prepare(selectAll(t));
  if (!st)
    return withEngineDetail(QStringLiteral("データファイルの「%1」を読めません。").arg(t.name), file.engine());
  PGresult* res = PQexec(conn, "COPY " + schema::quoted(t.name).toUtf8() + " (" + columnList(t) + ") FROM STDIN");
  const bool copying = PQresultStatus(res) == PGRES_COPY_IN;
  QString problem = copying ? QString() : withEngineDetail(QStringLiteral("サーバーに書き込めません。"), serverText(conn, res));
  PQclear(res);
  QByteArray buffer;
  buffer.reserve(kCopyChunk + 65536);
  auto send = [&] {
    if (PQputCopyData(conn, buffer.constData(), int(buffer.size())) != 1)
      problem = withEngineDetail(QStringLiteral("サーバーに書き込めません。"), serverText(conn));
    buffer.clear();
  };
  bool first = true;
  int rc = SQLITE_DONE;
  while (problem.isEmpty() && (rc = sqlite3_step(st)) == SQLITE_ROW) {
    for (int i = 0; i < t.columns.size() && problem.isEmpty(); ++i) {
      if (i) buffer += '\t';
      const QString bad = appendValue(buffer, st, i, t.columns[i].type);
      if (!bad.isEmpty()) {
        const QString where = t.keyed ? QStringLiteral("コード %1 の").arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))))
                                      : QString();
        problem = QStringLiteral("データファイルの「%1」%2「%3」はサーバーにそのまま移せません（%4）。")
                      .arg(t.name, where, t.columns[i].name, bad);
      }
    }
    buffer += '\n';
    if (problem.isEmpty() && buffer.size() >= kCopyChunk) {
      send();
      if (first) stopIfAsked("to-server-copying");
      first = false;
    }
    if (++*done % kProgressEvery == 0 && progress) progress({*done, total, t.name});
  }
  if (problem.isEmpty() && rc != SQLITE_DONE)
    problem = withEngineDetail(QStringLiteral("データファイルの「%1」を読めません。").arg(t.name), file.engine());
  sqlite3_finalize(st);
  if (!copying) return problem;
  if (problem.isEmpty() && !buffer.isEmpty()) send();
  if (problem.isEmpty() && first) stopIfAsked("to-server-copying");
  // Ending a COPY with an error message makes the server drop its rows.
  if (PQputCopyEnd(conn, problem.isEmpty() ? nullptr : "cancelled") != 1 && problem.isEmpty())
    problem = withEngineDetail(QStringLiteral("サーバーに書き込めません。"), serverText(conn));
  while (PGresult* r = PQgetResult(conn)) {
    if (PQresultStatus(r) != PGRES_COMMAND_OK && problem.isEmpty())
      problem = withEngineDetail(QStringLiteral("サーバーが「%1」の行を受け付けませんでした。").arg(t.name), serverText(conn, r));
    PQclear(r);
  }
  if (progress) progress({*done, total, t.name});
  return problem;
}

// The rows per table that `conn` sees now; the problem, or "".
QString serverCounts(PGconn* conn, QMap<QString, qint64>* counts) {
  for (const schema::Table& t : schema::tables()) {
    PGresult* res = PQexec(conn, "SELECT count(*) FROM " + schema::quoted(t.name).toUtf8());
    const bool ok = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) == 1;
    if (ok) counts->insert(t.name, std::strtoll(PQgetvalue(res, 0, 0), nullptr, 10));
    const QString error = ok ? QString() : serverText(conn, res);
    PQclear(res);
    if (!ok) return error;
  }
  return {};
}

// A server's number as the double it is: its text is the shortest that
// reads back exactly (extra_float_digits above 0).
double serverDouble(const char* text) {
  if (!std::strcmp(text, "Infinity")) return std::numeric_limits<double>::infinity();
  if (!std::strcmp(text, "-Infinity")) return -std::numeric_limits<double>::infinity();
  if (!std::strcmp(text, "NaN")) return std::numeric_limits<double>::quiet_NaN();
  return QByteArray::fromRawData(text, int(std::strlen(text))).toDouble();
}

// Type numbers of the server's integer and floating types.
bool isIntegerType(Oid type) { return type == 20 || type == 21 || type == 23; }
bool isFloatType(Oid type) { return type == 700 || type == 701 || type == 1700; }

// One table of the server's snapshot into the open data file.
QString writeTable(PGconn* conn, sqlite3* file, const schema::Table& t, qint64* done, qint64 total,
                   const ProgressFn& progress) {
  PGresult* res = PQexec(conn, selectAll(t).constData());
  if (PQresultStatus(res) != PGRES_TUPLES_OK) {
    const QString e = serverText(conn, res);
    PQclear(res);
    return withEngineDetail(QStringLiteral("サーバーの「%1」を読めません。").arg(t.name), e);
  }
  QStringList marks;
  for (int i = 0; i < t.columns.size(); ++i) marks << QStringLiteral("?");
  const QByteArray insert = "INSERT INTO " + schema::quoted(t.name).toUtf8() + " (" + columnList(t) + ") VALUES (" +
                            marks.join(u',').toUtf8() + ")";
  sqlite3_stmt* st = nullptr;
  QString problem;
  if (sqlite3_prepare_v2(file, insert.constData(), int(insert.size()), &st, nullptr) != SQLITE_OK)
    problem = withEngineDetail(QStringLiteral("コピーを作成できません。"), QString::fromUtf8(sqlite3_errmsg(file)));
  const int rows = PQntuples(res), cols = PQnfields(res);
  for (int r = 0; r < rows && problem.isEmpty(); ++r) {
    for (int c = 0; c < cols; ++c) {
      if (PQgetisnull(res, r, c)) {
        sqlite3_bind_null(st, c + 1);
        continue;
      }
      const char* v = PQgetvalue(res, r, c);
      const Oid type = PQftype(res, c);
      if (isIntegerType(type)) sqlite3_bind_int64(st, c + 1, std::strtoll(v, nullptr, 10));
      else if (isFloatType(type)) sqlite3_bind_double(st, c + 1, serverDouble(v));
      else sqlite3_bind_text(st, c + 1, v, PQgetlength(res, r, c), SQLITE_STATIC);
    }
    if (sqlite3_step(st) != SQLITE_DONE) {
      const int code = sqlite3_extended_errcode(file);
      problem = (code & 0xff) == SQLITE_FULL ? QStringLiteral("ディスクの空きが足りません。")
                                             : withEngineDetail(QStringLiteral("コピーを作成できません。"),
                                                                QString::fromUtf8(sqlite3_errmsg(file)));
    }
    sqlite3_reset(st);
    if (++*done % kProgressEvery == 0 && progress) progress({*done, total, t.name});
  }
  sqlite3_finalize(st);
  PQclear(res);
  if (progress) progress({*done, total, t.name});
  return problem;
}

qint64 sum(const QMap<QString, qint64>& counts) {
  qint64 n = 0;
  for (qint64 v : counts) n += v;
  return n;
}

}  // namespace

QString connectProblem(ServerOpen result, const ServerUrl& url, const QString& detail) {
  QString message;
  switch (result) {
    case ServerOpen::Opened: return {};
    case ServerOpen::NeedsPassword:
      message = QStringLiteral("サーバー「%1」がパスワードを求めています。").arg(url.display());
      break;
    case ServerOpen::Refused:
      message = QStringLiteral("サーバー「%1」への接続が拒否されました。ユーザー名、パスワード、データベース名を確かめてください。")
                    .arg(url.display());
      break;
    case ServerOpen::Unreachable:
      message = QStringLiteral("サーバー「%1」に接続できません。サーバーのパソコンとネットワークを確かめてください。").arg(url.display());
      break;
  }
  return withEngineDetail(message, detail);
}

Result toServer(const QString& file, const ServerUrl& url, const QString& password, const ProgressFn& progress) {
  Result r;
  const safefile::Check check = safefile::checkDataFile(file);
  if (!check.ok) {
    r.problem = QStringLiteral("「%1」はデータファイルとして使えません。\n%2").arg(file, check.problem);
    return r;
  }
  FileReader source;
  QString problem = source.open(file);
  if (!problem.isEmpty()) {
    r.problem = withEngineDetail(QStringLiteral("「%1」を読めません。").arg(file), problem);
    return r;
  }
  ServerConnection server;
  if (!server.open(url, password, &r.problem, &r.needsPassword)) return r;
  PGconn* conn = server.pg();
  const QString target = QStringLiteral("サーバー「%1」").arg(url.display());
  auto fail = [&](const QString& text) {
    run(conn, "ROLLBACK");
    r.problem = text;
    return r;
  };

  if (QString e = run(conn, "BEGIN"); !e.isEmpty())
    return fail(withEngineDetail(target + QStringLiteral("で作業を始められません。"), e));
  // Two transfers into one database wait for each other instead of meeting.
  if (QString e = run(conn, "SELECT pg_advisory_xact_lock(hashtext('ashimemo-to-server'))"); !e.isEmpty())
    return fail(withEngineDetail(target + QStringLiteral("で作業を始められません。"), e));
  QSqlDatabase db = server.database();
  const ServerTables existing = serverTables(db);
  if (!existing.ok) return fail(withEngineDetail(target + QStringLiteral("の表を調べられません。"), existing.problem));
  if (existing.hasRecords()) {
    r.refused = true;
    return fail(QStringLiteral("%1のデータベースにはすでにレコードがあります（%2）。何も変更していません。"
                               "レコードのない新しいデータベースを指定してください。")
                    .arg(target, countsText(existing.rowCounts)));
  }
  // Our tables without records (made by hand or by an earlier start) are
  // made anew, so that their types are ours.
  for (const QString& t : existing.present)
    if (QString e = run(conn, "DROP TABLE " + schema::quoted(t).toUtf8()); !e.isEmpty())
      return fail(withEngineDetail(target + QStringLiteral("の空の表「%1」を作り直せません。").arg(t), e));
  for (const QString& sql : schema::createStatements(schema::Dialect::Server))
    if (QString e = run(conn, sql.toUtf8()); !e.isEmpty())
      return fail(withEngineDetail(target + QStringLiteral("に表を作成できません。"), e));

  const qint64 total = sum(source.counts());
  qint64 done = 0;
  for (const schema::Table& t : schema::tables())
    if (QString e = copyTable(source, conn, t, &done, total, progress); !e.isEmpty()) return fail(e);

  QMap<QString, qint64> counts;
  if (QString e = serverCounts(conn, &counts); !e.isEmpty())
    return fail(withEngineDetail(target + QStringLiteral("の件数を確かめられません。"), e));
  if (counts != source.counts())
    return fail(target + QStringLiteral("に書き込んだ件数がデータファイルと一致しません。何も変更していません。"));
  if (QString e = run(conn, "COMMIT"); !e.isEmpty()) {
    r.problem = withEngineDetail(target + QStringLiteral("への書き込みを確定できませんでした。何も変更していません。"), e);
    return r;
  }
  r.ok = true;
  r.rowCounts = counts;
  return r;
}

QString writeSnapshot(const ServerUrl& url, const QString& password, const QString& path, QMap<QString, qint64>* counts,
                      bool* needsPassword, const ProgressFn& progress) {
  ServerConnection server;
  QString problem;
  if (!server.open(url, password, &problem, needsPassword)) return problem;
  PGconn* conn = server.pg();
  const QString source = QStringLiteral("サーバー「%1」").arg(url.display());
  // One snapshot for the counts and every row; never a lock on a writer.
  if (QString e = run(conn, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"); !e.isEmpty())
    return withEngineDetail(source + QStringLiteral("を読めません。"), e);
  run(conn, "SET LOCAL extra_float_digits = 3");
  QSqlDatabase db = server.database();
  const ServerTables present = serverTables(db);
  if (!present.ok) return withEngineDetail(source + QStringLiteral("を読めません。"), present.problem);
  if (!present.missing.isEmpty())
    return source + QStringLiteral("のデータベースには Ashimemo の表がありません（「%1」がありません）。").arg(present.missing);
  QMap<QString, qint64> serverRows = present.rowCounts;

  if (!createDataFile(path, false, &problem)) return problem;
  sqlite3* file = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &file, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    problem = withEngineDetail(QStringLiteral("コピーを作成できません。"), QString::fromUtf8(sqlite3_errmsg(file)));
    sqlite3_close(file);
    return problem;
  }
  // The file is not trusted before its check, so it needs no journal.
  sqlite3_exec(file, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
  // The server's own version row replaces that of a new file.
  sqlite3_exec(file, "DELETE FROM \"バージョン情報\"", nullptr, nullptr, nullptr);
  const qint64 total = sum(serverRows);
  qint64 done = 0;
  for (const schema::Table& t : schema::tables()) {
    problem = writeTable(conn, file, t, &done, total, progress);
    if (!problem.isEmpty()) break;
  }
  if (problem.isEmpty() && sqlite3_exec(file, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
    problem = withEngineDetail(QStringLiteral("コピーを作成できません。"), QString::fromUtf8(sqlite3_errmsg(file)));
  sqlite3_close(file);
  run(conn, "COMMIT");
  if (problem.isEmpty() && counts) *counts = serverRows;
  return problem;
}

Result fromServer(const ServerUrl& url, const QString& password, const QString& file, const ProgressFn& progress) {
  Result r;
  if (QFileInfo::exists(file)) {
    r.problem = QStringLiteral("「%1」はすでにあります。上書きはしません。").arg(file);
    return r;
  }
  const QFileInfo target(file);
  if (!target.absoluteDir().exists()) {
    r.problem = QStringLiteral("フォルダー「%1」がありません。").arg(QDir::toNativeSeparators(target.absolutePath()));
    return r;
  }
  const QString temp = target.absoluteDir().filePath(QStringLiteral(".%1-%2.tmp").arg(
      target.fileName(), QUuid::createUuid().toString(QUuid::WithoutBraces).left(8)));
  auto fail = [&](const QString& text) {
    QFile::remove(temp);
    r.problem = text;
    return r;
  };
  QMap<QString, qint64> counts;
  if (QString e = writeSnapshot(url, password, temp, &counts, &r.needsPassword, progress); !e.isEmpty()) return fail(e);
  QString error;
  if (!safefile::syncFile(temp, &error))
    return fail(withEngineDetail(QStringLiteral("コピーをディスクに書き込めません。"), error));
  const safefile::Check check = safefile::checkDataFile(temp);
  if (!check.ok) return fail(QStringLiteral("作成したデータファイルが検査に合格しませんでした。\n") + check.problem);
  if (check.rowCounts != counts)
    return fail(QStringLiteral("作成したデータファイルの件数がサーバーと一致しません。"));
  if (QFileInfo::exists(file)) return fail(QStringLiteral("「%1」はすでにあります。上書きはしません。").arg(file));
  if (!safefile::durableRename(temp, file, &error))
    return fail(withEngineDetail(QStringLiteral("「%1」に名前を変更できません。").arg(file), error));
  r.ok = true;
  r.rowCounts = counts;
  return r;
}

}  // namespace servercopy
