#include "app/servercopies.h"

#include "data/clock.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/safefile.h"
#include "screens/messages.h"
#include "screens/progresswindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");
constexpr int kStartDelayMs = 300;  // the window is drawn and answering first
}  // namespace

ServerCopies::ServerCopies(QWidget* window)
    : window_(window), folder_(safefile::backupFolder(QDir::current().absoluteFilePath(kDataFileName))) {
  Database::serverLogin(&url_, &password_);
  QTimer::singleShot(kStartDelayMs, this, &ServerCopies::startIfDue);
}

ServerCopies::~ServerCopies() {
  if (worker_) worker_->wait();
}

void ServerCopies::startIfDue() {
  if (closing_ || worker_) return;
  if (backup::dueIn(folder_, Clock::now()))
    start();
  else
    Msg::logEvent(QStringLiteral("backup not due"));
}

void ServerCopies::start() {
  const QDateTime when = Clock::now();
  worker_ = QThread::create([this, when] { result_ = backup::makeServerCopyIn(folder_, url_, password_, when); });
  connect(worker_, &QThread::finished, this, &ServerCopies::done);
  worker_->start(QThread::LowPriority);
}

void ServerCopies::done() {
  worker_->deleteLater();
  worker_ = nullptr;
  if (result_.ok) {
    Msg::logEvent(QStringLiteral("backup made ") + QFileInfo(result_.path).fileName());
  } else {
    Msg::logEvent(QStringLiteral("backup failed"));
    tell(result_.problem);
  }
}

void ServerCopies::waitForCopy() {
  if (!worker_) return;
  ProgressWindow progress(QStringLiteral("サーバーのデータのバックアップを作成しています…"), QString(), 0, 0);
  progress.setWindowTitle(kTitle);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.refuseCancel();
  progress.setMinimumWidth(360);
  progress.resize(progress.sizeHint());
  QTimer::singleShot(400, &progress, &QWidget::show);
  while (worker_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ServerCopies::atClose() {
  closing_ = true;
  waitForCopy();
  if (Database::savesSinceOpen() == 0) {
    Msg::logEvent(QStringLiteral("backup not needed at closing"));
    return;
  }
  start();
  waitForCopy();
}

void ServerCopies::tell(const QString& problem) {
  if (told_) return;
  // Not over a screen the user is working in; the program goes on anyway.
  if (!closing_ && QApplication::activeModalWidget()) {
    QTimer::singleShot(1000, this, [this, problem] { tell(problem); });
    return;
  }
  told_ = true;
  Msg::refuse(closing_ ? nullptr : window_, kTitle,
              QStringLiteral("サーバーのデータのバックアップを作成できませんでした。\n%1\n"
                             "これまでのバックアップはそのまま残っています。作業はこのまま続けられます。")
                  .arg(problem));
}
