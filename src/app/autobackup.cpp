#include "app/autobackup.h"

#include "data/clock.h"
#include "data/database.h"
#include "data/datafile.h"
#include "screens/messages.h"
#include "screens/progresswindow.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");
// The window is drawn and answering before the copy starts.
constexpr int kStartDelayMs = 300;
// While the program runs: how often it looks whether a copy is due, how
// long no key or click makes an idle moment, and how often a changing file
// is copied within a day.
constexpr int kTickMs = 10 * 60 * 1000;
constexpr qint64 kIdleMs = 30 * 1000;
constexpr qint64 kChangedEverySecs = 3 * 3600;

backup::Origin openRecords() {
  backup::Origin o;
  o.onServer = Database::serverLogin(&o.url, &o.password);
  o.dataFile = o.onServer ? QDir::current().absoluteFilePath(kDataFileName) : QFileInfo(Database::path()).absoluteFilePath();
  return o;
}
}  // namespace

AutoBackup::AutoBackup(QWidget* window)
    : window_(window),
      origin_(openRecords()),
      dataFile_(origin_.dataFile),
      what_(origin_.onServer ? QStringLiteral("サーバーのデータ") : QStringLiteral("データファイル")),
      second_(secondplace::folderFor(dataFile_)) {
  lastCopy_ = Clock::now();
  QTimer::singleShot(kStartDelayMs, this, &AutoBackup::startIfDue);
  // A server's records get the day's copy and the closing copy; the rest
  // follows the data file on the disk.
  if (origin_.onServer) return;
  auto* every = new QTimer(this);
  connect(every, &QTimer::timeout, this, &AutoBackup::tick);
  every->start(kTickMs);
  midnight_ = new QTimer(this);
  midnight_->setSingleShot(true);
  connect(midnight_, &QTimer::timeout, this, &AutoBackup::tick);
  armMidnight();
  // A deletion or a move shows at once as a change of the file.
  auto* watcher = new QFileSystemWatcher(this);
  watcher->addPath(dataFile_);
  connect(watcher, &QFileSystemWatcher::fileChanged, this, [this] {
    if (lostFile() && rescued_.isEmpty() && rescueProblem_.isEmpty()) rescue();
  });
  qApp->installEventFilter(this);
  // A save that fails on a lost file: the copy is made once the failed
  // save has been rolled back, and the error names it.
  Database::setFileMovedHandler([this] {
    if (!rescued_.isEmpty())
      return QStringLiteral("開いていたデータは「%1」フォルダーの「%2」にコピーしてあります。")
          .arg(safefile::kBackupFolderName, QFileInfo(rescued_).fileName());
    QTimer::singleShot(0, this, &AutoBackup::rescue);
    return QStringLiteral("開いていたデータを「%1」フォルダーにコピーします。").arg(safefile::kBackupFolderName);
  });
}

AutoBackup::~AutoBackup() {
  Database::setFileMovedHandler(nullptr);
  if (worker_) worker_->wait();
}

bool AutoBackup::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if (t == QEvent::KeyPress || t == QEvent::MouseButtonPress || t == QEvent::Wheel) lastInput_.start();
  return QObject::eventFilter(watched, event);
}

bool AutoBackup::lostFile() { return Database::isOpen() && Database::fileMoved(); }

void AutoBackup::startIfDue() {
  if (closing_ || worker_) return;
  if (lostFile())
    rescue();
  else
    start(Kind::Daily);
}

void AutoBackup::armMidnight() {
  const QDateTime now = Clock::now();
  const qint64 ms = now.msecsTo(QDateTime(now.date().addDays(1), QTime(0, 0))) + 1000;
  midnight_->start(int(std::clamp<qint64>(ms, 1000, 24 * 3600 * 1000 + 1000)));
}

// A new day begun while the program runs, or hours of work since the last
// copy: copied at the first idle moment, with the same checks and
// generations as the copy at start-up.
void AutoBackup::tick() {
  armMidnight();
  if (closing_ || worker_) return;
  if (lostFile()) {
    if (rescued_.isEmpty() && rescueProblem_.isEmpty()) rescue();
    return;
  }
  const QDateTime now = Clock::now();
  // A clock put back (it was ahead when the last copy was made) must not
  // stop the copies until it passes that time again.
  if (lastCopy_ > now) lastCopy_ = now;
  const bool newDay = now.date() > lastCopy_.date();
  if (!newDay && lastCopy_.secsTo(now) < kChangedEverySecs) return;
  if (lastInput_.isValid() && lastInput_.elapsed() < kIdleMs) {
    QTimer::singleShot(int(kIdleMs), this, &AutoBackup::tick);
    return;
  }
  if (newDay)
    start(Kind::Daily);
  else if (backup::changedSinceLastCopy(dataFile_, now))
    start(Kind::Changed);
  else
    lastCopy_ = now;
}

void AutoBackup::start(Kind kind) {
  const backup::Origin origin = origin_;
  const QString file = dataFile_;
  const QDateTime when = Clock::now();
  const QString second = second_;
  kind_ = kind;
  worker_ = QThread::create([this, origin, file, when, kind, second] {
    result_ = kind == Kind::Daily ? backup::makeDailyCopyIfDue(origin, when) : backup::makeCopy(origin, when);
    secondResult_ = secondplace::Outcome();
    if (second.isEmpty() || (!result_.ok && result_.due)) return;
    copyingToSecond_ = true;
    secondResult_ = result_.ok ? secondplace::copyTo(result_.path, second, when)
                               : secondplace::catchUp(file, second, when);
    copyingToSecond_ = false;
  });
  connect(worker_, &QThread::finished, this, &AutoBackup::done);
  worker_->start(QThread::LowPriority);
}

void AutoBackup::done() {
  worker_->deleteLater();
  worker_ = nullptr;
  // The copy's progress window never stays over what is told of the copy.
  if (progress_) progress_->hide();
  lastCopy_ = Clock::now();
  if (!result_.due) {
    Msg::logEvent(QStringLiteral("backup not due"));
    reportSecond();
  } else if (result_.ok) {
    Msg::logEvent(QStringLiteral("backup made ") + QFileInfo(result_.path).fileName());
    reportSecond();
  } else if (lostFile()) {
    rescue();  // the file went while it was being copied
  } else {
    Msg::logEvent(QStringLiteral("backup failed"));
    refuseOnce(&told_, QStringLiteral("%1のバックアップを作成できませんでした。\n%2\n"
                                      "これまでのバックアップはそのまま残っています。作業はこのまま続けられます。")
                           .arg(what_, result_.problem));
  }
}

// The copy reads through the program's own connection, which only this
// thread may use, and takes a moment: the file may be gone from the disk,
// so nothing else is worth doing meanwhile.
void AutoBackup::rescue() {
  if (!Database::isOpen()) return;
  if (worker_) {
    waitForCopy();  // done() comes back here when that copy failed
    if (!rescued_.isEmpty() || !rescueProblem_.isEmpty()) return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const backup::Result r =
      backup::makeCopyIn(safefile::backupFolder(dataFile_), dataFile_, Clock::now(), Database::handle());
  QApplication::restoreOverrideCursor();
  if (r.ok) {
    rescued_ = r.path;
    rescueProblem_.clear();
    Msg::logEvent(QStringLiteral("backup made ") + QFileInfo(r.path).fileName());
  } else {
    rescueProblem_ = r.problem;
    Msg::logEvent(QStringLiteral("backup failed"));
  }
  toldLost_ = false;
  refuseOnce(&toldLost_, rescueText());
}

QString AutoBackup::rescueText() const {
  QString text = QStringLiteral("データファイル「%1」は、このプログラムの使用中に削除されたか、別の場所に移されました。\n")
                     .arg(QFileInfo(dataFile_).fileName());
  if (rescueProblem_.isEmpty())
    text += QStringLiteral("開いていたデータを「%1」フォルダーの「%2」にコピーしました（検査済み）。\n")
                .arg(safefile::kBackupFolderName, QFileInfo(rescued_).fileName());
  else
    text += QStringLiteral("開いていたデータをコピーできませんでした。\n%1\n%2")
                .arg(rescueProblem_, closing_ ? QString() : QStringLiteral("終了するときにもう一度コピーを試みます。\n"));
  if (!closing_) text += QStringLiteral("これ以降の変更は保存できません。プログラムを終了してから、");
  text += QStringLiteral("「Setting.MDB」を元の場所に戻すか、次の起動時にバックアップから復元してください。");
  return text;
}

void AutoBackup::waitForCopy() {
  if (!worker_) return;
  ProgressWindow progress(QStringLiteral("%1のバックアップを作成しています…").arg(what_), QString(), 0, 0);
  progress.setWindowTitle(kTitle);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.refuseCancel();
  progress.setMinimumWidth(360);
  progress.resize(progress.sizeHint());
  QTimer::singleShot(400, &progress, [this, &progress] {
    if (worker_) progress.show();
  });
  progress_ = &progress;
  // A USB drive or a network share can take a while: say where the copy goes.
  QTimer second;
  connect(&second, &QTimer::timeout, &progress, [this, &progress, &second] {
    if (!copyingToSecond_) return;
    progress.setLabelText(QStringLiteral("バックアップを「%1」にもコピーしています…").arg(second_));
    progress.resize(progress.sizeHint());
    second.stop();
  });
  second.start(100);
  while (worker_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  progress_ = nullptr;
}

void AutoBackup::atClose() {
  closing_ = true;
  waitForCopy();
  if (!Database::isOpen()) return;
  // A lost file is copied again at closing: that copy holds what the
  // program held at the very end.
  if (lostFile()) {
    rescue();
    return;
  }
  if (!changedSinceCopy()) {
    Msg::logEvent(QStringLiteral("backup not needed at closing"));
    return;
  }
  start(Kind::Closing);
  waitForCopy();
}

// The file written after its newest copy; on a server, where other PCs
// save too, anything this program saved since it opened the records.
bool AutoBackup::changedSinceCopy() const {
  if (origin_.onServer) return Database::savesSinceOpen() > 0;
  return backup::changedSinceLastCopy(dataFile_, Clock::now());
}

// Tells `text` once (`told`); not over a screen the user is working in,
// which it waits for; the program goes on anyway.
void AutoBackup::refuseOnce(bool* told, const QString& text) {
  if (*told) return;
  if (!closing_ && QApplication::activeModalWidget()) {
    QTimer::singleShot(1000, this, [this, told, text] { refuseOnce(told, text); });
    return;
  }
  *told = true;
  Msg::refuse(closing_ ? nullptr : window_, kTitle, text);
}

void AutoBackup::reportSecond() {
  if (secondResult_.ok) {
    Msg::logEvent(QStringLiteral("second copy made ") + QFileInfo(secondResult_.path).fileName());
  } else if (!secondResult_.problem.isEmpty()) {
    Msg::logEvent(QStringLiteral("second copy failed"));
    tellSecond(secondResult_.problem);
  }
}

void AutoBackup::tellSecond(const QString& problem) {
  if (!closing_ && QApplication::activeModalWidget()) {
    QTimer::singleShot(1000, this, [this, problem] { tellSecond(problem); });
    return;
  }
  if (!secondplace::firstNoticeOn(dataFile_, Clock::now().date())) return;
  Msg::notice(closing_ ? nullptr : window_, kTitle,
              QStringLiteral("バックアップを「%1」に保存できませんでした。\n%2\n"
                             "このパソコンの「%3」フォルダーには、バックアップが正しく作成されています。\n"
                             "保存できるようになれば、次のバックアップから自動的にまた保存します。")
                  .arg(second_, problem, safefile::kBackupFolderName));
}
