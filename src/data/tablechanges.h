#pragma once
// Saves and deletions made by other PCs on the same server, as they happen.
// Every write on a server sends pg_notify('ashimemo', <table>) inside its
// transaction; while the records are on a server, a connection of its own
// listens on that channel and tells the followers which table changed. A
// burst of changes to one table (a copy, a delete of many rows) is told once,
// 150 ms after its first notification. On a data file nothing listens and
// nothing is ever told.
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

class QTimer;

class TableChanges : public QObject {
 public:
  static TableChanges& instance();

  // Calls `changed(table)` for every table changed elsewhere, as long as
  // `context` lives (on its thread: the main thread).
  void follow(QObject* context, std::function<void(const QString& table)> changed);

  // Starts listening on the QPSQL connection `connectionName`, opened for
  // this alone (Database opens it with the records); stop() ends it.
  // Returns false when the driver cannot listen (the lists then follow
  // nothing, as on a data file).
  bool listen(const QString& connectionName);
  void stop();
  // stop(), without making the instance when there is none (at exit).
  static void stopListening();
  // What a save of this program sends for `table`: the table's name and,
  // after a blank, a mark of this run, so that the program's own saves
  // (whose screens refresh themselves) do not make its lists read again.
  static QString payloadFor(const QString& table);
  bool listening() const { return !connection_.isEmpty(); }

  // Tells the followers now, as a notification would (150 ms later).
  void announce(const QString& table);

 private:
  TableChanges();
  void tell();

  struct Follower {
    QPointer<QObject> context;
    std::function<void(const QString&)> changed;
  };
  std::vector<Follower> followers_;
  QString connection_;
  QSet<QString> pending_;
  QTimer* timer_;
};
