#pragma once
// The daily copy of the data file: made after the main window is shown on
// the first start of a day, and again at closing when the file changed since
// the last copy. The copy runs on a worker thread with a connection of its
// own, so the window never waits for it. A failure is told once per session
// and the program goes on. With a second place named in "Ashimemo.ini", each
// checked copy then goes there too on the same thread; trouble there is told
// once a day.
#include "data/backup.h"
#include "data/secondplace.h"

#include <QObject>
#include <atomic>

class QThread;
class QWidget;

class AutoBackup : public QObject {
 public:
  explicit AutoBackup(QWidget* window);
  ~AutoBackup() override;
  // Call before the data file is closed: waits for a copy in progress, then
  // makes the closing copy when the file changed since the last one. A small
  // progress window shows when this takes more than a moment.
  void atClose();

 private:
  void startIfDue();
  void start();
  void done();
  void waitForCopy();
  void tell(const QString& problem);
  void tellSecond(const QString& problem);

  QWidget* window_;
  QString dataFile_;
  QThread* worker_ = nullptr;
  backup::Result result_;
  QString second_;  // the second place, or empty
  secondplace::Outcome secondResult_;
  std::atomic<bool> copyingToSecond_{false};
  bool closing_ = false;
  bool told_ = false;
};
