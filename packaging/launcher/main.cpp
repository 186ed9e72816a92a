// ashimemo-launcher: how the desktop menu starts Ashimemo. It works in the
// folder "Ashimemo" of the user's documents folder, prepares that folder on
// the first start (saying so once) and then replaces itself with the
// program, which runs there exactly as if started from a terminal.
#include "firststart.h"
#include "screens/look.h"
#include "screens/messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");
}

int main(int argc, char** argv) {
  // The program and its shared files sit beside the launcher, so that an
  // unpacked package works from any root.
  QString programPath, shareDir, guide;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kTitle);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ashimemo")));
    setUpLookAndLanguage(app);
    const QDir bin(QCoreApplication::applicationDirPath());
    programPath = bin.filePath(QStringLiteral("ashimemo"));
    shareDir = QDir::cleanPath(bin.filePath(QStringLiteral("../share/ashimemo")));
    guide = QDir::cleanPath(bin.filePath(QStringLiteral("../share/doc/ashimemo/user-guide.md")));

    const QString folder = FirstStart::dataFolder(FirstStart::documentsFolder(), QDir::homePath());
    const FirstStart::Outcome ready = FirstStart::prepare(folder, shareDir);
    if (!ready.error.isEmpty()) {
      Msg::refuse(nullptr, kTitle, ready.error);
      return 1;
    }
    if (ready.createdDataFile) Msg::notice(nullptr, kTitle, FirstStart::createdNotice(folder, guide));
    if (!ready.uncopiedPictures.isEmpty())
      Msg::notice(nullptr, kTitle,
                  QStringLiteral("セッティング表の車輪の絵（%1）をフォルダー「%2」にコピーできませんでした。\n"
                                 "セッティング表は絵なしで印刷されます。")
                      .arg(ready.uncopiedPictures.join(QStringLiteral("、")), folder));
    if (!QDir::setCurrent(folder)) {
      Msg::refuse(nullptr, kTitle, QStringLiteral("フォルダー「%1」に移れません。").arg(folder));
      return 1;
    }
  }
  // The window-system connection is closed above; the program opens its own.
  const QByteArray path = QFile::encodeName(programPath);
  char* args[] = {const_cast<char*>("ashimemo"), nullptr};
  ::execv(path.constData(), args);
  const QString why = QString::fromLocal8Bit(std::strerror(errno));
  QApplication app(argc, argv);
  setUpLookAndLanguage(app);
  Msg::refuse(nullptr, kTitle, QStringLiteral("プログラム「%1」を起動できません。\n%2").arg(programPath, why));
  return 1;
}
