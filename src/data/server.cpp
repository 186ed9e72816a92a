#include "data/server.h"

#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>

#include <libpq-fe.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fcntl.h>

namespace {
// Whether a TCP connection to host:port is accepted within the timeout.
bool answers(const QString& host, int port, int timeoutSeconds) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.toUtf8().constData(), QByteArray::number(port).constData(), &hints, &found) != 0) return false;
  bool ok = false;
  for (addrinfo* a = found; a && !ok; a = a->ai_next) {
    const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK, a->ai_protocol);
    if (s < 0) continue;
    if (::connect(s, a->ai_addr, a->ai_addrlen) == 0) {
      ok = true;
    } else if (errno == EINPROGRESS) {
      pollfd p{s, POLLOUT, 0};
      int err = 0;
      socklen_t len = sizeof err;
      ok = ::poll(&p, 1, timeoutSeconds * 1000) == 1 && ::getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
    }
    ::close(s);
  }
  ::freeaddrinfo(found);
  return ok;
}
}  // namespace

QString ServerUrl::display() const {
  const QString h = host.contains(u':') ? u'[' + host + u']' : host;
  return QStringLiteral("%1@%2:%3/%4").arg(user, h).arg(port).arg(database);
}

bool parseServerUrl(const QString& text, ServerUrl* url, QString* error) {
  // The text as the user wrote it, less any password (between the user
  // name's colon and the last "@"), so that they recognise what to mend.
  QString shown = text.trimmed();
  const qsizetype at = shown.lastIndexOf(u'@');
  const qsizetype scheme = shown.indexOf(QStringLiteral("://"));
  const qsizetype colon = shown.indexOf(u':', scheme >= 0 && scheme < at ? scheme + 3 : 0);
  if (at >= 0 && colon >= 0 && colon < at) shown.remove(colon, at - colon);
  const auto fail = [&](const QString& why) {
    if (error) *error = QStringLiteral("サーバーの指定「%1」が正しくありません（%2）。").arg(shown, why);
    return false;
  };
  static const QRegularExpression shape(QStringLiteral(R"(^postgres(?:ql)?://([^@/]+)@(\[[^\]/]+\]|[^:/@\[\]]+)(?::([0-9]{1,5}))?/([^/?#]+)$)"));
  const QRegularExpressionMatch m = shape.match(text.trimmed());
  if (!m.hasMatch()) return fail(QStringLiteral("書き方は postgresql://ユーザー名@サーバー名:ポート番号/データベース名 です"));
  ServerUrl u;
  const QString userInfo = m.captured(1);
  u.user = QUrl::fromPercentEncoding(userInfo.section(u':', 0, 0).toUtf8());
  if (userInfo.contains(u':')) u.password = QUrl::fromPercentEncoding(userInfo.section(u':', 1).toUtf8());
  u.host = m.captured(2);
  if (u.host.startsWith(u'[')) u.host = u.host.mid(1, u.host.size() - 2);
  if (!m.captured(3).isEmpty()) {
    u.port = m.captured(3).toInt();
    if (u.port < 1 || u.port > 65535) return fail(QStringLiteral("ポート番号は 1～65535 です"));
  }
  u.database = QUrl::fromPercentEncoding(m.captured(4).toUtf8());
  if (u.user.isEmpty()) return fail(QStringLiteral("ユーザー名がありません"));
  if (u.database.isEmpty()) return fail(QStringLiteral("データベース名がありません"));
  *url = u;
  return true;
}

namespace {
// Opens the QPSQL connection `connectionName` to the server.
bool openQt(const QString& connectionName, const ServerUrl& url, const QString& pw, int timeoutSeconds, QString* detail) {
  QSqlDatabase db = QSqlDatabase::contains(connectionName) ? QSqlDatabase::database(connectionName, false)
                                                           : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
  if (db.isOpen()) db.close();
  db.setHostName(url.host);
  db.setPort(url.port);
  db.setUserName(url.user);
  db.setDatabaseName(url.database);
  db.setPassword(pw);
  // Keepalives and the TCP user timeout end a statement on a connection
  // whose cable was pulled after about the connect timeout instead of the
  // system's minutes.
  db.setConnectOptions(QStringLiteral("connect_timeout=%1;application_name=Ashimemo;keepalives_idle=%1;"
                                      "keepalives_interval=1;keepalives_count=3;tcp_user_timeout=%2")
                           .arg(timeoutSeconds)
                           .arg(timeoutSeconds * 1000));
  if (db.open()) return true;
  if (detail) *detail = db.lastError().databaseText().trimmed();
  return false;
}

// The login that opened last: the program's further connections to the
// same server skip libpq's probe, which costs a connection of its own.
QMutex lastGoodMutex;
QString lastGood;
}  // namespace

ServerOpen openServer(const QString& connectionName, const ServerUrl& url, const QString& password, QString* detail,
                      int timeoutSeconds) {
  const QString pw = password.isEmpty() ? url.password : password;
  const QString login = QStringList{url.host, QString::number(url.port), url.user, url.database, pw}.join(QChar(0));
  {
    QMutexLocker lock(&lastGoodMutex);
    const bool known = login == lastGood;
    lock.unlock();
    // A failure now is a server gone since (its text is in the detail);
    // probing too would double the wait on a pulled cable.
    if (known) return openQt(connectionName, url, pw, timeoutSeconds, detail) ? ServerOpen::Opened : ServerOpen::Unreachable;
  }
  // libpq first: Qt's driver does not tell a missing password from any
  // other failure. A refused attempt costs the caller nothing more.
  const QByteArray host = url.host.toUtf8(), port = QByteArray::number(url.port), user = url.user.toUtf8(),
                   dbname = url.database.toUtf8(), pass = pw.toUtf8(), timeout = QByteArray::number(timeoutSeconds);
  const char* keys[] = {"host", "port", "user", "dbname", "connect_timeout", pw.isEmpty() ? nullptr : "password", nullptr};
  const char* values[] = {host.constData(), port.constData(), user.constData(), dbname.constData(), timeout.constData(), pass.constData(), nullptr};
  PGconn* conn = PQconnectdbParams(keys, values, 0);
  if (PQstatus(conn) != CONNECTION_OK) {
    ServerOpen result = ServerOpen::NeedsPassword;
    if (!PQconnectionNeedsPassword(conn)) {
      // libpq's texts follow the locale; whether anything answers on the
      // port tells a server that refused from one that is not there.
      result = answers(url.host, url.port, 1) ? ServerOpen::Refused : ServerOpen::Unreachable;
    }
    if (detail) *detail = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    PQfinish(conn);
    return result;
  }
  PQfinish(conn);

  if (!openQt(connectionName, url, pw, timeoutSeconds, detail)) return ServerOpen::Unreachable;  // answered a moment ago, gone now
  QMutexLocker lock(&lastGoodMutex);
  lastGood = login;
  return ServerOpen::Opened;
}

bool serverAnswers(const ServerUrl& url) {
  const QByteArray host = url.host.toUtf8(), port = QByteArray::number(url.port),
                   timeout = QByteArray::number(kServerConnectTimeout);
  const char* keys[] = {"host", "port", "connect_timeout", nullptr};
  const char* values[] = {host.constData(), port.constData(), timeout.constData(), nullptr};
  return PQpingParams(keys, values, 0) == PQPING_OK;
}
