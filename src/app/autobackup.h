#pragma once
// The daily copy of the data file: made after the main window is shown on
// the first start of a day, when a new day begins while the program runs
// (at the first idle moment after midnight), every few hours while the file
// changes, and at closing when the file changed since the last copy. The
// copies run on a worker thread with a connection of their own, so the
// window never waits for them. A failure is told once per session and the
// program goes on. With a second place named in "Ashimemo.ini", each checked
// copy then goes there too on the same thread (and, when no copy is due, the
// newest one if the place lacks it); trouble there is told once a day.
//
// A data file deleted, moved or replaced while the program runs is noticed
// (when the file changes on disk, when a save fails, at each copy and at
// closing): the program copies what it holds open into the copies folder at
// once and again at closing, and says so, naming the copy.
#include "data/backup.h"
#include "data/secondplace.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <atomic>

class QFileSystemWatcher;
class QThread;
class QTimer;
class QWidget;

class AutoBackup : public QObject {
 public:
  explicit AutoBackup(QWidget* window);
  ~AutoBackup() override;
  // Call before the data file is closed: waits for a copy in progress, then
  // makes the closing copy when the file changed since the last one. A small
  // progress window shows when this takes more than a moment.
  void atClose();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Kind { Daily, Closing, Changed };
  void startIfDue();
  void tick();
  void armMidnight();
  void start(Kind kind);
  void done();
  void waitForCopy();
  void tell(const QString& problem);
  void reportSecond();
  void tellSecond(const QString& problem);
  bool lostFile();
  void rescue();
  QString rescueText() const;
  void tellLost(const QString& text);

  QWidget* window_;
  QString dataFile_;
  QThread* worker_ = nullptr;
  Kind kind_ = Kind::Daily;
  backup::Result result_;
  QString second_;  // the second place, or empty
  secondplace::Outcome secondResult_;
  std::atomic<bool> copyingToSecond_{false};
  QTimer* midnight_;
  QFileSystemWatcher* watcher_;
  QElapsedTimer lastInput_;   // invalid until the user first types or clicks
  QDateTime lastCopy_;        // when this session last made (or found) a copy
  QString rescued_;           // the copy of the open file after it was lost
  QString rescueProblem_;
  bool closing_ = false;
  bool told_ = false;
  bool toldLost_ = false;
};
