// The records on a PostgreSQL server. The connections are Qt's (QPSQL, so
// that the list grids and the tests use them as they use the file's); the
// reading and our own statements go straight through libpq on the same
// connection, which keeps a one-row lookup of a 76-column record cheap and
// tells a lost connection from a refused statement.
#include "data/database.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/tablechanges.h"

#include <QHash>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVarLengthArray>

#include <libpq-fe.h>

namespace {

// Type numbers of the server's built-in types (pg_type.oid).
enum : Oid { kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700 };

// A value of a result as the file gives it: integers (and whole numerics)
// as Integer, reals as Real, everything else as the server's UTF-8 text.
RawValue rawCell(const PGresult* r, int row, int c) {
  RawValue v;
  if (PQgetisnull(r, row, c)) return v;
  const char* text = PQgetvalue(r, row, c);
  const int n = PQgetlength(r, row, c);
  switch (PQftype(r, c)) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      v.kind = RawValue::Integer;
      v.integer = QByteArray::fromRawData(text, n).toLongLong();
      return v;
    case kBool:
      v.kind = RawValue::Integer;
      v.integer = text[0] == 't' ? 1 : 0;
      return v;
    case kFloat4:
    case kFloat8:
      v.kind = RawValue::Real;
      v.real = QByteArray::fromRawData(text, n).toDouble();
      return v;
    case kNumeric: {
      const QByteArray number = QByteArray::fromRawData(text, n);
      bool whole = false;
      v.integer = number.toLongLong(&whole);
      if (whole) {
        v.kind = RawValue::Integer;
      } else {
        v.kind = RawValue::Real;
        v.real = number.toDouble();
      }
      return v;
    }
    default:
      v.kind = RawValue::Text;
      v.data = text;
      v.size = n;
      return v;
  }
}

// The same as readAll hands it over: qlonglong, double, QString or null.
QVariant cell(const PGresult* r, int row, int c) { return rawCell(r, row, c).toVariant(); }

// The text of a bound value for the server; null for NULL.
QByteArray parameter(const QVariant& v) {
  if (v.isNull()) return QByteArray();
  switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: return QByteArray::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool: return v.toBool() ? "1" : "0";
    default: {
      QByteArray text = v.toString().toUtf8();
      if (text.isNull()) text = "";  // an empty text stays a text, not NULL
      return text;
    }
  }
}

// "?" placeholders of our statements as the server numbers them ("$1"...).
// Our statements quote every name, so a "?" inside quotes is left alone.
QByteArray numbered(const QString& sql) {
  QString out;
  out.reserve(sql.size() + 16);
  bool quoted = false;
  int n = 0;
  for (QChar c : sql) {
    if (c == u'"') quoted = !quoted;
    if (c == u'?' && !quoted)
      out += u'$' + QString::number(++n);
    else
      out += c;
  }
  return out.toUtf8();
}

// Our table and field names that hold Latin letters, by their lower-case
// spelling: unquoted, the server would fold "FL_伸" to "fl_伸".
const QHash<QString, QString>& namesWithLetters() {
  static const QHash<QString, QString> names = [] {
    QHash<QString, QString> out;
    auto add = [&out](const QString& n) {
      if (n.toLower() != n) out.insert(n.toLower(), n);
    };
    for (const schema::Table& t : schema::tables()) {
      add(t.name);
      for (const schema::Column& c : t.columns) add(c.name);
    }
    return out;
  }();
  return names;
}

bool identifierChar(QChar c) { return c == u'_' || c.isLetterOrNumber() || c.unicode() >= 0x80; }
}  // namespace

QString serverSql(const QString& sql) {
  QString out;
  out.reserve(sql.size() + 16);
  const auto& names = namesWithLetters();
  for (qsizetype i = 0; i < sql.size();) {
    const QChar c = sql[i];
    if (c == u'\'' || c == u'"') {  // a literal or a quoted name stays as it is
      qsizetype end = sql.indexOf(c, i + 1);
      end = end < 0 ? sql.size() : end + 1;
      out += QStringView(sql).mid(i, end - i);
      i = end;
    } else if (identifierChar(c) && !c.isDigit()) {
      qsizetype end = i + 1;
      while (end < sql.size() && identifierChar(sql[end])) ++end;
      const QStringView word = QStringView(sql).mid(i, end - i);
      const auto exact = names.constFind(word.toString().toLower());
      if (exact != names.constEnd())
        out += u'"' + *exact + u'"';
      else
        out += word;
      i = end;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

namespace {
struct Result {
  PGresult* r = nullptr;
  explicit Result(PGresult* result = nullptr) : r(result) {}
  ~Result() { PQclear(r); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  bool ok() const {
    const ExecStatusType s = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
  }
};

class ServerEngine : public Engine {
 public:
  ServerEngine(const ServerUrl& url, QString password, QString mainConnection, QString listConnection)
      : url_(url), password_(std::move(password)), main_(std::move(mainConnection)), list_(std::move(listConnection)) {}

  bool onServer() const override { return true; }
  QString place() const override { return url_.display(); }
  QString beginStatement() const override { return QStringLiteral("BEGIN"); }
  bool login(ServerUrl* url, QString* password) const override {
    *url = url_;
    *password = password_;
    return true;
  }

  void read(const QString& sql, QStringList* columns, Rows* rows, bool outsideTransaction) override {
    const Result r(run(main_, spelled(sql), {}, outsideTransaction));
    take(r.r, columns, rows, nullptr);
  }

  void readList(const QString& sql, QStringList* columns, Rows* rows) override {
    const Result r(run(list_, serverSql(sql).toUtf8(), {}, true));
    take(r.r, columns, rows, nullptr);
  }

  QList<std::pair<double, QString>> codesAndNames(const QString& sql, bool outsideTransaction) override {
    const Result r(run(main_, spelled(sql), {}, outsideTransaction));
    QList<std::pair<double, QString>> out;
    const int n = PQntuples(r.r);
    out.reserve(n);
    const bool two = PQnfields(r.r) > 1;
    for (int i = 0; i < n; ++i)
      out.append({QByteArray(PQgetvalue(r.r, i, 0)).toDouble(),
                   two ? QString::fromUtf8(PQgetvalue(r.r, i, 1), PQgetlength(r.r, i, 1)).trimmed() : QString()});
    return out;
  }

  void exec(const QString& sql, const QVariantList& values, bool outsideTransaction) override {
    // BEGIN goes with the transaction's first statement, saving a round
    // trip; a transaction that sent nothing ends without one.
    if (sql == beginStatement()) {
      pendingBegin_ = true;
      return;
    }
    if (pendingBegin_ && (sql == QLatin1String("COMMIT") || sql == QLatin1String("ROLLBACK"))) {
      pendingBegin_ = false;
      return;
    }
    auto at = numberedText_.constFind(sql);
    if (at == numberedText_.constEnd()) at = numberedText_.insert(sql, numbered(serverSql(sql)));
    const Result r(run(main_, *at, values, outsideTransaction, !values.isEmpty()));
  }

  QString versionColumn() const override { return QStringLiteral("xmin"); }

  qlonglong write(const QString& sql, const QVariantList& values, QVariant* version) override {
    // An INSERT or UPDATE hands back the version it left on its row.
    const bool returning = version && !sql.startsWith(QStringLiteral("DELETE"));
    const QString key = returning ? sql + QStringLiteral(" RETURNING xmin") : sql;
    auto at = numberedText_.constFind(key);
    if (at == numberedText_.constEnd()) at = numberedText_.insert(key, numbered(serverSql(key)));
    const Result r(run(main_, *at, values, false, true));
    if (version) *version = returning && PQntuples(r.r) > 0 ? cell(r.r, PQntuples(r.r) - 1, 0) : QVariant();
    return returning ? PQntuples(r.r) : QByteArray(PQcmdTuples(r.r)).toLongLong();
  }

  void announce(const QString& table) override {
    static const QByteArray notify = "SELECT pg_notify('ashimemo', $1)";
    const Result r(run(main_, notify, {TableChanges::payloadFor(table)}, false, true));
  }

  Rows readAll(const QString& sql, QStringList* columns, const std::atomic<bool>* stop) const override {
    Rows rows;
    readOwn(sql, [&](const PGresult* r) { take(r, columns, &rows, stop); });
    return rows;
  }

  void readEach(const QString& sql, QStringList* columns, const RowReader& reader) const override {
    readOwn(sql, [&](const PGresult* r) {
      const int n = PQnfields(r), count = PQntuples(r);
      if (columns) {
        columns->clear();
        for (int c = 0; c < n; ++c) *columns << QString::fromUtf8(PQfname(r, c));
      }
      std::vector<RawValue> row(static_cast<size_t>(n));
      for (int i = 0; i < count; ++i) {
        for (int c = 0; c < n; ++c) row[size_t(c)] = rawCell(r, i, c);
        if (!reader(row.data(), n)) return;
      }
    });
  }

 private:
  static PGconn* handle(const QString& name) {
    const QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isValid() || !db.isOpen()) return nullptr;
    const QVariant h = db.driver()->handle();
    return h.isValid() ? *static_cast<PGconn* const*>(h.data()) : nullptr;
  }

  // Runs a statement on the shared connection. A connection found lost
  // (the server restarted, the network gone) is opened again and the
  // statement repeated once, unless a transaction of ours was open on it:
  // the server has rolled that back, so the caller must hear of it.
  PGresult* run(const QString& connection, const QByteArray& sql, const QVariantList& values, bool mayRepeat,
                bool prepare = false) {
    QVarLengthArray<QByteArray, 80> texts;
    QVarLengthArray<const char*, 80> params;
    for (const QVariant& v : values) texts.append(parameter(v));
    for (const QByteArray& t : texts) params.append(t.isNull() ? nullptr : t.constData());
    // Nothing of a transaction whose BEGIN is still to be sent has reached
    // the server: it may start again on a new connection.
    const bool withBegin = pendingBegin_ && connection == main_;
    mayRepeat = mayRepeat || withBegin;
    for (int attempt = 0;; ++attempt) {
      PGconn* conn = handle(connection);
      if (conn && PQstatus(conn) == CONNECTION_OK) {
        QByteArray name;
        if (prepare && connection == main_) {
          // A new shared connection knows none of them. (Only the shared
          // connection's: the list grids' one must not make the names start
          // again, or a name taken would abort the transaction it is
          // prepared in.)
          if (conn != preparedOn_) {
            preparedNames_.clear();
            preparedOn_ = conn;
          }
          name = preparedNames_.value(sql);
          if (name.isEmpty()) {
            const QByteArray next = "ashimemo_" + QByteArray::number(preparedNames_.size() + 1);
            const Result made(PQprepare(conn, next.constData(), sql.constData(), int(params.size()), nullptr));
            if (made.ok()) preparedNames_.insert(sql, name = next);
          }
        }
        Result result(withBegin ? sendWithBegin(conn, name, sql, params)
                      : !name.isEmpty()
                          ? PQexecPrepared(conn, name.constData(), int(params.size()), params.data(), nullptr, nullptr, 0)
                      : params.isEmpty()
                          ? PQexec(conn, sql.constData())
                          : PQexecParams(conn, sql.constData(), int(params.size()), nullptr, params.data(), nullptr, nullptr, 0));
        if (result.ok()) {
          if (withBegin) pendingBegin_ = false;
          return std::exchange(result.r, nullptr);
        }
        if (PQstatus(conn) == CONNECTION_OK) {
          if (withBegin) pendingBegin_ = false;  // the server ended the transaction with the error
          const DbError error = failure(conn, result.r);
          if (QByteArray(PQresultErrorField(result.r, PG_DIAG_SQLSTATE)) == "23505")
            throw CodeTaken(error.message, error.detail);
          throw error;
        }
        if (!mayRepeat || attempt > 0) throw lost(QString::fromUtf8(PQerrorMessage(conn)).trimmed());
      } else if (attempt > 0) {
        throw lost(QString());
      }
      QString detail;
      if (::openServer(connection, url_, password_, &detail) != ServerOpen::Opened) throw lost(detail);
    }
  }

  // BEGIN and the transaction's first statement in one round trip. Returns
  // the statement's result (an error of BEGIN stands for it).
  static PGresult* sendWithBegin(PGconn* conn, const QByteArray& name, const QByteArray& sql,
                                 const QVarLengthArray<const char*, 80>& params) {
    if (!PQenterPipelineMode(conn)) return nullptr;
    bool sent = PQsendQueryParams(conn, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    sent = sent && (name.isEmpty() ? PQsendQueryParams(conn, sql.constData(), int(params.size()), nullptr, params.data(),
                                                       nullptr, nullptr, 0)
                                   : PQsendQueryPrepared(conn, name.constData(), int(params.size()), params.data(), nullptr,
                                                         nullptr, 0)) == 1;
    sent = sent && PQpipelineSync(conn) == 1;
    PGresult* begin = nullptr;
    PGresult* statement = nullptr;
    // Each query's result is followed by a null; the sync ends the pipeline.
    for (int step = 0; step < 8; ++step) {
      PGresult* r = PQgetResult(conn);
      if (!r) {
        if (!sent || PQstatus(conn) != CONNECTION_OK) break;
        continue;
      }
      const ExecStatusType status = PQresultStatus(r);
      if (status == PGRES_PIPELINE_SYNC) {
        PQclear(r);
        break;
      }
      if (!begin)
        begin = r;
      else if (!statement)
        statement = r;
      else
        PQclear(r);
    }
    PQexitPipelineMode(conn);
    const ExecStatusType beginStatus = begin ? PQresultStatus(begin) : PGRES_FATAL_ERROR;
    if (beginStatus != PGRES_COMMAND_OK && begin) {
      PQclear(statement);
      return begin;
    }
    PQclear(begin);
    return statement;
  }

  // A connection of its own for a worker thread, refusing every write.
  PGconn* connect(bool readOnly, QString* detail) const {
    const QByteArray host = url_.host.toUtf8(), port = QByteArray::number(url_.port), user = url_.user.toUtf8(),
                     db = url_.database.toUtf8(), pw = (password_.isEmpty() ? url_.password : password_).toUtf8(),
                     timeout = QByteArray::number(kServerConnectTimeout);
    const char* keys[] = {"host", "port", "user", "dbname", "connect_timeout", "application_name", "options",
                          pw.isEmpty() ? nullptr : "password", nullptr};
    const char* vals[] = {host.constData(), port.constData(), user.constData(), db.constData(), timeout.constData(),
                          "Ashimemo", readOnly ? "-c default_transaction_read_only=on" : "", pw.constData(), nullptr};
    PGconn* conn = PQconnectdbParams(keys, vals, 0);
    if (PQstatus(conn) == CONNECTION_OK) return conn;
    if (detail) *detail = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    PQfinish(conn);
    return nullptr;
  }

  // The result of `sql` on a connection of its own, closed before it
  // returns, handed to `use`.
  void readOwn(const QString& sql, const std::function<void(const PGresult*)>& use) const {
    QString detail;
    PGconn* conn = connect(true, &detail);
    if (!conn) throw lost(detail);
    const Result r(PQexec(conn, serverSql(sql).toUtf8().constData()));
    if (!r.ok()) {
      const DbError error = failure(conn, r.r);
      PQfinish(conn);
      throw error;
    }
    try {
      use(r.r);
    } catch (...) {
      PQfinish(conn);
      throw;
    }
    PQfinish(conn);
  }

  static void take(const PGresult* r, QStringList* columns, Rows* rows, const std::atomic<bool>* stop) {
    const int n = PQnfields(r), count = PQntuples(r);
    if (columns) {
      columns->clear();
      for (int c = 0; c < n; ++c) *columns << QString::fromUtf8(PQfname(r, c));
    }
    rows->reserve(rows->size() + size_t(count));
    for (int i = 0; i < count; ++i) {
      if (stop && stop->load(std::memory_order_relaxed)) return;
      std::vector<QVariant> row(static_cast<size_t>(n));
      for (int c = 0; c < n; ++c) row[size_t(c)] = cell(r, i, c);
      rows->push_back(std::move(row));
    }
  }

  // The server's spelling of a reading of ours, worked out once per text.
  QByteArray spelled(const QString& sql) {
    auto at = spelledText_.constFind(sql);
    if (at == spelledText_.constEnd()) {
      if (spelledText_.size() > 256) spelledText_.clear();  // codes make many texts
      at = spelledText_.insert(sql, serverSql(sql).toUtf8());
    }
    return *at;
  }

  DbError lost(const QString& detail) const {
    return DbError(QStringLiteral("サーバー「%1」との接続が切れているため、処理できませんでした。"
                                  "サーバーとネットワークを確かめてから、もう一度やり直してください。")
                       .arg(url_.display()),
                   detail.simplified());  // libpq's tab-indented lines as one
  }

  static DbError failure(PGconn* conn, const PGresult* r) {
    const QByteArray state = r ? QByteArray(PQresultErrorField(r, PG_DIAG_SQLSTATE)) : QByteArray();
    QString detail = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(conn)).trimmed();
    if (detail.isEmpty()) detail = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    detail = detail.simplified();
    QString m;
    if (state == "23505")
      m = QStringLiteral("同じコードのデータがほかのパソコンで登録されたため、登録できませんでした。");
    else if (state == "42P01" || state == "42703")
      m = QStringLiteral("サーバーのデータベースに必要なテーブルまたは項目がないため、処理できませんでした。");
    else if (state == "25006" || state == "42501")
      m = QStringLiteral("サーバーのデータベースに書き込めないため、処理できませんでした（権限がありません）。");
    else if (state.startsWith("40") || state == "55P03")
      m = QStringLiteral("ほかのパソコンが同じデータを処理中のため、処理できませんでした。しばらくしてからやり直してください。");
    else if (state.startsWith("53"))
      m = QStringLiteral("サーバーの容量が足りないため、処理できませんでした。");
    else
      m = QStringLiteral("サーバーでの処理中にエラーが発生しました。");
    return DbError(m, detail);
  }

  ServerUrl url_;
  QString password_;
  QString main_, list_;
  QHash<QString, QByteArray> numberedText_, spelledText_;
  // Our statements prepared on the shared connection, by text.
  QHash<QByteArray, QByteArray> preparedNames_;
  const PGconn* preparedOn_ = nullptr;
  bool pendingBegin_ = false;
};

}  // namespace

std::shared_ptr<Engine> makeServerEngine(const ServerUrl& url, const QString& password, const QString& mainConnection,
                                         const QString& listConnection) {
  return std::make_shared<ServerEngine>(url, password, mainConnection, listConnection);
}
