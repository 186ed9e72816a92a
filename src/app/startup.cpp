#include "app/startup.h"

#include "app/autobackup.h"
#include "app/jetstart.h"
#include "app/mainwindow.h"
#include "app/recovery.h"
#include "app/serverstart.h"
#include "app/termination.h"
#include "data/appconfig.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/rules.h"
#include "data/safefile.h"
#include "screens/look.h"
#include "screens/messages.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QFont>
#include <QLibraryInfo>
#include <QLockFile>
#include <QTranslator>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");

QString lockPath() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = QStringLiteral("user");
  return QDir::temp().filePath(QStringLiteral("ashimemo-%1.lock").arg(user));
}
}  // namespace

int runAshimemo(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kTitle);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/ashimemo.png")));
  setUpLookAndLanguage(app);

  // One running instance per user. The lock file names the running process,
  // so a lock left by a crashed run is seen as stale and taken over. The
  // data folder's lock keeps a restore from the command line away.
  QLockFile lock(lockPath()), folderLock(safefile::folderLockPath(kDataFileName));
  lock.setStaleLockTime(0);
  folderLock.setStaleLockTime(0);
  if (!lock.tryLock(0) || !folderLock.tryLock(3000)) {
    Msg::notice(nullptr, kTitle, QStringLiteral("このアプリケーションは既に開かれています！"));
    return 1;
  }

  // "Ashimemo.ini" naming a server: the records are there, and no data file
  // is looked for, converted or made here.
  const AppConfig config = readAppConfig();
  if (!config.error.isEmpty()) {
    Msg::refuse(nullptr, kTitle, config.error + QStringLiteral("\nプログラムを終了します。"));
    return 1;
  }
  const bool onServer = !config.serverUrl.isEmpty();
  if (onServer) {
    if (!openServerAtStartUp(config.serverUrl)) return 1;
  } else {
    if (offerJetConversion(kDataFileName) == JetStart::Ended) return 1;
    if (!openDataFileAtStartUp()) return 1;
  }
  InitMonthDays();
  quitOnTerminationSignal();

  int status = 0;
  {
    Setting window;
    window.startUp();
    window.show();
    AutoBackup backups(&window);
    status = app.exec();
    backups.atClose();
  }
  CloseDataFile();
  return status;
}
