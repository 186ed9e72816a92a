#include "support/pgserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A port that nothing listens on now: bind to port 0 and read what we got.
int freePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  ::close(s);
  return port;
}

QString newestBinDir() {
  QDir root(QStringLiteral("/usr/lib/postgresql"));
  QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
  for (const QString& v : versions)
    if (QFile::exists(root.filePath(v + QStringLiteral("/bin/pg_ctl")))) return root.filePath(v + QStringLiteral("/bin"));
  return {};
}
}  // namespace

// A test executable that crashed or was killed leaves its server running:
// stop those whose executable has ended (the folder is named by its pid).
void PgServer::removeServersOfEndedRuns() const {
  const QDir temp = QDir::temp();
  for (const QString& name : temp.entryList({QStringLiteral("ashimemo-pg-*")}, QDir::Dirs)) {
    const pid_t pid = name.section(u'-', -1).toInt();
    if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    const QString data = temp.filePath(name) + QStringLiteral("/data");
    if (QFile::exists(data + QStringLiteral("/postmaster.pid")))
      run(bin(QStringLiteral("pg_ctl")), {QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("immediate"),
                                          QStringLiteral("-D"), data});
    QDir(temp.filePath(name)).removeRecursively();
  }
}

PgServer& PgServer::instance() {
  static PgServer server;
  return server;
}

QString PgServer::bin(const QString& name) const { return binDir_ + u'/' + name; }

bool PgServer::run(const QString& program, const QStringList& args, QString* output) const {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  env.remove(QStringLiteral("PGPASSWORD"));
  p.setProcessEnvironment(env);
  if (asPostgres_) {
    p.setWorkingDirectory(dir_);
    p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
  } else {
    p.start(program, args);
  }
  const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (output) *output = QString::fromUtf8(p.readAll());
  return ok;
}

PgServer::PgServer() {
  binDir_ = newestBinDir();
  if (binDir_.isEmpty()) {
    why_ = QStringLiteral("the server programs (Debian package postgresql) are not installed");
    return;
  }
  asPostgres_ = ::geteuid() == 0;
  removeServersOfEndedRuns();
  dir_ = QDir::temp().filePath(QStringLiteral("ashimemo-pg-%1").arg(QCoreApplication::applicationPid()));
  QDir(dir_).removeRecursively();
  QDir().mkpath(dir_);
  if (asPostgres_) {
    const passwd* pw = ::getpwnam("postgres");
    if (!pw || ::chown(QFile::encodeName(dir_).constData(), pw->pw_uid, pw->pw_gid) != 0) {
      why_ = QStringLiteral("no user postgres to run the server as");
      return;
    }
  }
  QString out;
  if (!run(bin(QStringLiteral("initdb")), {QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("postgres"),
                                           QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-sync"), QStringLiteral("-D"), dir_ + QStringLiteral("/data")},
           &out)) {
    why_ = QStringLiteral("initdb failed: ") + out;
    return;
  }
  // One role that must give a password; everyone else is trusted.
  QFile hba(dir_ + QStringLiteral("/data/pg_hba.conf"));
  if (hba.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    hba.write(QByteArray("local all all trust\n") + "host all " + kPasswordUser + " 127.0.0.1/32 scram-sha-256\n" +
              "host all all 127.0.0.1/32 trust\n");
    hba.close();
  }
  port_ = freePort();
  if (!start()) return;
  QString error;
  psql(QStringLiteral("postgres"),
       QStringLiteral("CREATE ROLE %1 LOGIN CREATEDB PASSWORD '%2'").arg(QLatin1String(kPasswordUser), QLatin1String(kPassword)), &error);
  if (!error.isEmpty()) {
    why_ = error;
    running_ = false;
  }
}

bool PgServer::start() {
  QString out;
  const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(port_).arg(dir_);
  running_ = run(bin(QStringLiteral("pg_ctl")), {QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"),
                                                 QStringLiteral("-D"), dir_ + QStringLiteral("/data"), QStringLiteral("-l"),
                                                 dir_ + QStringLiteral("/server.log"), QStringLiteral("-o"), options},
                 &out);
  if (!running_) why_ = QStringLiteral("pg_ctl start failed: ") + out;
  return running_;
}

bool PgServer::stop() {
  if (binDir_.isEmpty() || dir_.isEmpty()) return false;
  const bool ok = run(bin(QStringLiteral("pg_ctl")), {QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("fast"),
                                                      QStringLiteral("-D"), dir_ + QStringLiteral("/data")});
  running_ = false;
  return ok;
}

PgServer::~PgServer() {
  if (running_) stop();
  if (!dir_.isEmpty()) QDir(dir_).removeRecursively();
}

QString PgServer::psql(const QString& database, const QString& sql, QString* error) const {
  QString out;
  const bool ok = run(bin(QStringLiteral("psql")), {QStringLiteral("-h"), dir_, QStringLiteral("-p"), QString::number(port_), QStringLiteral("-U"),
                                                    QStringLiteral("postgres"), QStringLiteral("-d"), database, QStringLiteral("-X"), QStringLiteral("-q"),
                                                    QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                                    QStringLiteral("-c"), sql},
                      &out);
  if (!ok) {
    if (error) *error = out.isEmpty() ? QStringLiteral("psql failed") : out;
    return {};
  }
  if (error) error->clear();
  return out.trimmed();
}

QString PgServer::newDatabase(const QString& owner) {
  const QString name = QStringLiteral("t_%1").arg(++databases_);
  QString error;
  psql(QStringLiteral("postgres"),
       QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, owner.isEmpty() ? QStringLiteral("postgres") : owner), &error);
  return error.isEmpty() ? name : QString();
}

QString PgServer::url(const QString& database, const QString& user) const {
  return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user.isEmpty() ? QStringLiteral("postgres") : user).arg(port_).arg(database);
}
