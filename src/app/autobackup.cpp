#include "app/autobackup.h"

#include "data/clock.h"
#include "data/database.h"
#include "screens/messages.h"
#include "screens/progresswindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");
// The window is drawn and answering before the copy starts.
constexpr int kStartDelayMs = 300;
}  // namespace

AutoBackup::AutoBackup(QWidget* window)
    : window_(window),
      dataFile_(QFileInfo(Database::path()).absoluteFilePath()),
      second_(secondplace::folderFor(dataFile_)) {
  QTimer::singleShot(kStartDelayMs, this, &AutoBackup::startIfDue);
}

AutoBackup::~AutoBackup() {
  if (worker_) worker_->wait();
}

void AutoBackup::startIfDue() {
  if (closing_ || worker_) return;
  if (backup::dueOn(dataFile_, Clock::now().date()))
    start();
  else
    Msg::logEvent(QStringLiteral("backup not due"));
}

void AutoBackup::start() {
  const QString file = dataFile_;
  const QDateTime when = Clock::now();
  const QString second = second_;
  worker_ = QThread::create([this, file, when, second] {
    result_ = backup::makeCopy(file, when);
    secondResult_ = secondplace::Outcome();
    if (!result_.ok || second.isEmpty()) return;
    copyingToSecond_ = true;
    secondResult_ = secondplace::copyTo(result_.path, second, when);
    copyingToSecond_ = false;
  });
  connect(worker_, &QThread::finished, this, &AutoBackup::done);
  worker_->start(QThread::LowPriority);
}

void AutoBackup::done() {
  worker_->deleteLater();
  worker_ = nullptr;
  if (result_.ok) {
    Msg::logEvent(QStringLiteral("backup made ") + QFileInfo(result_.path).fileName());
    if (secondResult_.ok) {
      Msg::logEvent(QStringLiteral("second copy made ") + QFileInfo(secondResult_.path).fileName());
    } else if (!second_.isEmpty()) {
      Msg::logEvent(QStringLiteral("second copy failed"));
      tellSecond(secondResult_.problem);
    }
  } else {
    Msg::logEvent(QStringLiteral("backup failed"));
    tell(result_.problem);
  }
}

void AutoBackup::waitForCopy() {
  if (!worker_) return;
  ProgressWindow progress(QStringLiteral("データファイルのバックアップを作成しています…"), QString(), 0, 0);
  progress.setWindowTitle(kTitle);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.refuseCancel();
  progress.setMinimumWidth(360);
  progress.resize(progress.sizeHint());
  QTimer::singleShot(400, &progress, &QWidget::show);
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
}

void AutoBackup::atClose() {
  closing_ = true;
  waitForCopy();
  if (!Database::isOpen()) return;
  if (!backup::changedSinceLastCopy(dataFile_)) {
    Msg::logEvent(QStringLiteral("backup not needed at closing"));
    return;
  }
  start();
  waitForCopy();
}

void AutoBackup::tell(const QString& problem) {
  if (told_) return;
  // Not over a screen the user is working in; the program goes on anyway.
  if (!closing_ && QApplication::activeModalWidget()) {
    QTimer::singleShot(1000, this, [this, problem] { tell(problem); });
    return;
  }
  told_ = true;
  Msg::refuse(closing_ ? nullptr : window_, kTitle,
              QStringLiteral("データファイルのバックアップを作成できませんでした。\n%1\n"
                             "これまでのバックアップはそのまま残っています。作業はこのまま続けられます。")
                  .arg(problem));
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
