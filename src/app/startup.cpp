#include "app/startup.h"

#include "app/jetstart.h"
#include "app/mainwindow.h"
#include "data/datafile.h"
#include "data/rules.h"
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
  // so a lock left by a crashed run is seen as stale and taken over.
  QLockFile lock(lockPath());
  lock.setStaleLockTime(0);
  if (!lock.tryLock(0)) {
    Msg::notice(nullptr, kTitle, QStringLiteral("このアプリケーションは既に開かれています！"));
    return 1;
  }

  if (offerJetConversion(kDataFileName) == JetStart::Ended) return 1;
  switch (OpenDataFile()) {
    case 0: break;
    case 1:
      Msg::notice(nullptr, kTitle, QStringLiteral("データファイル「Setting.MDB」がありません"));
      return 1;
    default:
      Msg::refuse(nullptr, kTitle,
                  QStringLiteral("データファイル「Setting.MDB」を開けません。\n%1\nプログラムを終了します。")
                      .arg(OpenDataFileError()));
      return 1;
  }
  InitMonthDays();

  int status = 0;
  {
    Setting window;
    window.startUp();
    window.show();
    status = app.exec();
  }
  CloseDataFile();
  return status;
}
