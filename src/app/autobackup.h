#pragma once
// The program's copies of its records, of the data file or, on a server, of
// the server's records (a snapshot as an ordinary checked data file in
// "バックアップ" of the working folder): the daily copy after the main
// window is shown on the first start of a day, and a copy at closing when
// the records changed since the last copy (the file written after it; on a
// server, anything saved in this session). The data file is also copied
// when a new day begins while the program runs (at the first idle moment
// after midnight) and every few hours while it changes. The copies run on a
// worker thread with a connection of their own, so the window never waits
// for them. A failure is told once per session and the program goes on.
// With a second place named in "Ashimemo.ini", each checked copy then goes
// there too on the same thread (and, when no copy is due, the newest one if
// the place lacks it); trouble there is told once a day.
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

class QThread;
class QTimer;
class QWidget;

class AutoBackup : public QObject {
 public:
  // Copies the records that are open now: the data file or the server.
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
  bool changedSinceCopy() const;
  void refuseOnce(bool* told, const QString& text);
  void reportSecond();
  void tellSecond(const QString& problem);
  bool lostFile();
  void rescue();
  QString rescueText() const;

  QWidget* window_;
  const backup::Origin origin_;
  const QString dataFile_;  // on a server, where the data file would be
  const QString what_;      // what messages call the records
  QThread* worker_ = nullptr;
  QWidget* progress_ = nullptr;  // shown while waitForCopy() waits for the worker
  Kind kind_ = Kind::Daily;
  backup::Result result_;
  QString second_;  // the second place, or empty
  secondplace::Outcome secondResult_;
  std::atomic<bool> copyingToSecond_{false};
  QTimer* midnight_ = nullptr;
  QElapsedTimer lastInput_;   // invalid until the user first types or clicks
  QDateTime lastCopy_;        // when this session last made (or found) a copy
  QString rescued_;           // the copy of the open file after it was lost
  QString rescueProblem_;
  bool closing_ = false;
  bool told_ = false;
  bool toldLost_ = false;
};
