#pragma once
// A private PostgreSQL server for the tests of one executable: initdb and
// pg_ctl in a temporary folder, on a free port on 127.0.0.1, as the user
// "postgres" when the tests run as root (the server refuses root). Started
// on first use, stopped and removed when the executable ends. Each test takes
// a fresh database from newDatabase().
//
// Clients log in as the superuser "postgres" without a password, or as
// "ashimemo_pw" with the password PgServer::kPassword (the only role that
// the server asks a password of).
#include <QString>
#include <QStringList>

class PgServer {
 public:
  static constexpr const char* kPasswordUser = "ashimemo_pw";
  static constexpr const char* kPassword = "himitsu-42";

  // The one server of this executable, started on first use. When the
  // PostgreSQL programs are missing, available() is false and why() says so
  // (tests then QSKIP).
  static PgServer& instance();
  bool available() const { return running_; }
  QString why() const { return why_; }

  int port() const { return port_; }
  // A new empty database ("t_1", "t_2", ...) owned by `owner` (the superuser
  // when empty); returns its name.
  QString newDatabase(const QString& owner = QString());
  // "postgresql://USER@127.0.0.1:PORT/DB" (user "postgres" when empty).
  QString url(const QString& database, const QString& user = QString()) const;
  // Runs SQL through psql as the superuser on `database`; returns its
  // standard output (unaligned, tuples only) or fails with an empty string
  // and `error` set.
  QString psql(const QString& database, const QString& sql, QString* error = nullptr) const;

  // Stops and starts the same server (same port, same data): a server
  // restart in the middle of a session.
  bool stop();
  bool start();
  ~PgServer();

 private:
  PgServer();
  void removeServersOfEndedRuns() const;
  bool run(const QString& program, const QStringList& args, QString* output = nullptr) const;
  QString bin(const QString& name) const;
  QString binDir_, dir_, why_;
  int port_ = 0;
  int databases_ = 0;
  bool running_ = false;
  bool asPostgres_ = false;
};

// In a test function: skips the test when no server can be started.
#define REQUIRE_PGSERVER()                                          \
  do {                                                              \
    if (!PgServer::instance().available())                          \
      QSKIP(qPrintable(QStringLiteral("PostgreSQL: ") + PgServer::instance().why())); \
  } while (0)
