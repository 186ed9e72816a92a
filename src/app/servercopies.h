#pragma once
// The copies of a server's records: the daily copy after the main window
// is shown when "バックアップ" of the working folder has no copy of today
// yet, and a copy at closing when this session saved anything. Each is a
// snapshot of the server as an ordinary checked data file under the daily
// copies' names and generations (backup::makeServerCopyIn), made on a
// worker thread with a connection of its own. A failure is told once per
// session and the program goes on.
#include "data/backup.h"
#include "data/server.h"

#include <QObject>

class QThread;
class QWidget;

class ServerCopies : public QObject {
 public:
  explicit ServerCopies(QWidget* window);
  ~ServerCopies() override;
  // Call before the connection closes: waits for a copy in progress, then
  // makes the closing copy when something was saved, behind a progress
  // window when it takes more than a moment.
  void atClose();

 private:
  void startIfDue();
  void start();
  void done();
  void waitForCopy();
  void tell(const QString& problem);

  QWidget* window_;
  QString folder_;
  ServerUrl url_;
  QString password_;
  QThread* worker_ = nullptr;
  backup::Result result_;
  bool closing_ = false;
  bool told_ = false;
};
