#include "firststart.h"

#include "data/appconfig.h"
#include "data/backup.h"
#include "data/clock.h"
#include "data/datafile.h"
#include "data/newfile.h"
#include "data/secondplace.h"
#include "printing/settingsheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace FirstStart {

QString dataFolder(const QString& documents, const QString& home) {
  const QString base = !documents.isEmpty() && QDir::isAbsolutePath(documents) ? documents : home;
  return QDir(base).filePath(kFolderName);
}

QString documentsFolder() {
  QProcess p;
  p.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DOCUMENTS")});
  if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    p.kill();
    return {};
  }
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

Outcome prepare(const QString& folder, const QString& pictureDir) {
  Outcome out;
  QDir dir(folder);
  if (!dir.mkpath(QStringLiteral("."))) {
    out.error = QStringLiteral("データ用のフォルダー「%1」を作成できません。").arg(folder);
    return out;
  }
  const QString data = dir.filePath(kDataFileName);
  // A dangling link still counts as present: creating a file through it
  // would write somewhere the user did not choose.
  // Nor when a checked copy of a lost data file is there (in "バックアップ"
  // or in the second place): the program then offers to put it back, which
  // a new, empty file would hide.
  // Nor in a folder whose "Ashimemo.ini" names a server (or cannot be read):
  // the records are on the server.
  const AppConfig config = readAppConfig(folder);
  const bool onServer = config.present && (!config.serverUrl.isEmpty() || !config.error.isEmpty());
  if (!onServer && !QFileInfo(data).isSymLink() && !QFileInfo::exists(data) &&
      !secondplace::newestGoodCopy(data, secondplace::folderFor(data), Clock::now()).found) {
    QString why;
    out.createdDataFile = createDataFile(data, false, &why);
    // Another start may have made it at the same moment; that one is kept.
    if (!out.createdDataFile && !QFileInfo::exists(data)) {
      out.error = QStringLiteral("データファイル「%1」を作成できません。\n%2").arg(data, why);
      return out;
    }
  }
  for (const QString& picture : {SettingSheet::kLeftPicture, SettingSheet::kRightPicture}) {
    const QString target = dir.filePath(picture);
    if (QFileInfo(target).isSymLink() || QFileInfo::exists(target)) continue;
    // QFile::copy never replaces an existing file.
    if (!QFile::copy(QDir(pictureDir).filePath(picture), target)) out.uncopiedPictures << picture;
  }
  return out;
}

QString createdNotice(const QString& folder, const QString& guide) {
  return QStringLiteral(
             "新しいデータファイル「%1」を次のフォルダーに作成しました。\n\n%2\n\n"
             "データとセッティング表の車輪の絵は、このフォルダーに保存されます。\n"
             "使い方は次の操作ガイドをご覧ください。\n\n%3")
      .arg(kDataFileName, QDir::toNativeSeparators(folder), guide);
}

}  // namespace FirstStart
