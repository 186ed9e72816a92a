#include "app/recovery.h"

#include "data/backup.h"
#include "data/clock.h"
#include "data/datafile.h"
#include "data/numfmt.h"
#include "data/schema.h"
#include "data/secondplace.h"
#include "screens/messages.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");

// `second`: the second place for copies, when one is named; the question
// then says which of the two places the copy comes from.
QString question(const backup::Found& found, bool fileThere, const QDateTime& now, const QString& second) {
  QString text = QStringLiteral("バックアップから「Setting.MDB」を復元しますか？\n\n"
                                "最新のバックアップ：%1 作成（セッティング %2件）")
                     .arg(found.copy.when.toString(QStringLiteral("yyyy年M月d日 H:mm")),
                          numfmt::format(double(found.check.rowCounts.value(schema::kSettings)), u"#,##0"));
  if (!second.isEmpty())
    text += QStringLiteral("\n保存場所：%1").arg(QDir::toNativeSeparators(QFileInfo(found.copy.path).absolutePath()));
  // Offered only when no copy made before now checks out; its name's date
  // is shown as it is, with what it means.
  if (found.copy.when > now)
    text += QStringLiteral("\n※ このバックアップの日時は現在より後です（作成したときのパソコンの時計が"
                           "違っていたと考えられます）。いつの内容かは確かめられません。");
  if (fileThere)
    text += QStringLiteral("\n\n使用できないファイルは「%1」フォルダーに「Setting-%2-…」の名前で残します。")
                .arg(safefile::kBackupFolderName, backup::kUnusableLabel);
  text += QStringLiteral("\n\n「いいえ」を選ぶとプログラムを終了します。");
  return text;
}
}  // namespace

bool openDataFileAtStartUp() {
  const QString path = QFileInfo(kDataFileName).absoluteFilePath();
  // A link to a share that is not mounted is not a missing file: nothing
  // may be put in its place.
  const safefile::Target target = safefile::resolvedTarget(path);
  if (target.dangling) {
    Msg::refuse(nullptr, kTitle,
                QStringLiteral("データファイル「Setting.MDB」はリンク先「%1」を指していますが、リンク先に接続できません。\n"
                               "ネットワークのフォルダーや外付けのディスクがつながっているか確かめてから、もう一度起動してください。\n"
                               "プログラムを終了します。")
                    .arg(QDir::toNativeSeparators(target.path)));
    return false;
  }
  const int opened = OpenDataFile();
  if (opened == 0) return true;
  const QDateTime now = Clock::now();
  // A locked or read-only file is whole and stays; a Jet-format file is
  // converted, not replaced.
  const bool recoverable = opened == 1 || (OpenDataFileDamaged() && !safefile::isJetFile(path));
  const QString second = secondplace::folderFor(path);
  const backup::Found found = recoverable ? secondplace::newestGoodCopy(path, second, now) : backup::Found();

  if (opened == 1) {
    Msg::notice(nullptr, kTitle, QStringLiteral("データファイル「Setting.MDB」がありません"));
  } else {
    QString text = QStringLiteral("データファイル「Setting.MDB」を開けません。\n%1").arg(OpenDataFileError());
    if (!found.found) text += QStringLiteral("\nプログラムを終了します。");
    Msg::refuse(nullptr, kTitle, text);
  }
  if (!found.found || !Msg::confirm(nullptr, kTitle, question(found, opened != 1, now, second))) return false;

  QString error;
  if (!backup::restore(found.copy.path, path, backup::kUnusableLabel, now, &error)) {
    Msg::refuse(nullptr, kTitle, QStringLiteral("復元できませんでした。\n%1\nプログラムを終了します。").arg(error));
    return false;
  }
  Msg::logEvent(QStringLiteral("restored ") + QFileInfo(found.copy.path).fileName());
  if (OpenDataFile() == 0) return true;
  Msg::refuse(nullptr, kTitle,
              QStringLiteral("データファイル「Setting.MDB」を開けません。\n%1\nプログラムを終了します。").arg(OpenDataFileError()));
  return false;
}
