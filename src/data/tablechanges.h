#pragma once
// Saves and deletions made by other PCs on the same server, as they happen.
// Every write on a server sends pg_notify('ashimemo', <table>) inside its
// transaction; while the records are on a server, a connection of its own
// listens on that channel and tells the followers which table changed. A
// burst of changes to one table (a copy, a delete of many rows) is told once,
// 150 ms after its first notification. A listening connection lost with the
// server (restarted, cable pulled) is opened again once the server answers,
// and every table is told then, as changes made meanwhile were not heard.
// On a data file nothing listens and nothing is ever told.
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

class TableChanges : public QObject {
 public:
  static TableChanges& instance();

  // Calls `changed(table)` for every table changed elsewhere, as long as
  // `context` lives (on its thread: the main thread).
  void follow(QObject* context, std::function<void(const QString& table)> changed);

  // Listens on the QPSQL connection `connectionName`, kept for this alone:
  // `open` opens it (on this thread; it is called at once and again after
  // the connection was lost), `answers` tells whether the server accepts
  // connections (on a worker thread, so a server that does not answer never
  // holds the window). stop() ends it. Returns false when it could not
  // listen now (the lists then follow nothing until it can).
  bool listen(const QString& connectionName, std::function<bool()> open, std::function<bool()> answers);
  void stop();
  // stop(), without making the instance when there is none (at exit).
  static void stopListening();
  // What a save of this program sends for `table`: the table's name and,
  // after a blank, a mark of this run, so that the program's own saves
  // (whose screens refresh themselves) do not make its lists read again.
  static QString payloadFor(const QString& table);
  bool listening() const { return subscribed_; }

  // Tells the followers now, as a notification would (150 ms later).
  void announce(const QString& table);

 private:
  TableChanges();
  void tell();
  bool subscribe();
  void watch();

  struct Follower {
    QPointer<QObject> context;
    std::function<void(const QString&)> changed;
  };
  std::vector<Follower> followers_;
  QString connection_;
  std::function<bool()> open_;
  std::shared_ptr<std::function<bool()>> answers_;
  bool subscribed_ = false;
  bool asking_ = false;  // a worker is asking whether the server answers
  QSet<QString> pending_;
  QTimer* timer_;
  QTimer* watch_;  // while listening: whether the connection still holds
};
