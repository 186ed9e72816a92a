// ashimemo-mkdata [--sample] FILE: creates a new, empty data file (or one
// with sample records). Never overwrites an existing file.
// ashimemo-mkdata --import [--password PW] [--access-closed] JETFILE NEWFILE:
// converts a Jet-format file.
// ashimemo-mkdata --backups DIR: lists the copies of DIR/Setting.MDB (in
// "バックアップ" and in the second place that DIR/Ashimemo.ini names).
// ashimemo-mkdata --restore COPY DIR: puts a copy (from either place) in
// place of DIR/Setting.MDB.
// ashimemo-mkdata --export [--sjis] DIR OUTDIR: the tables as CSV files.
// ashimemo-mkdata --to-server FILE URL: a data file's records into a server.
// ashimemo-mkdata --from-server URL FILE: a server's records into a new file.
// ashimemo-mkdata --help | -h | --version: the usage or the version, status 0.
#include "convert/importcommand.h"
#include "convert/servercommand.h"
#include "data/backup.h"
#include "data/clock.h"
#include "data/csvexport.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/newfile.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "data/secondplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QStringList>
#include <cstdio>

namespace {

void say(FILE* to, const QString& text) { std::fprintf(to, "%s\n", text.toLocal8Bit().constData()); }

// Every copy beside DIR/Setting.MDB (and in the second place, with a column
// naming the place), newest first: date and time, size, settings count and
// whether it checks out now.
int listBackups(const QString& dir) {
  if (!QFileInfo(dir).isDir()) {
    say(stderr, QStringLiteral("フォルダー「%1」がありません。").arg(dir));
    return 1;
  }
  const QString dataFile = QDir(dir).absoluteFilePath(kDataFileName);
  QString unreadable;
  const QString second = secondplace::folderFor(dataFile, &unreadable);
  if (!unreadable.isEmpty())
    say(stderr, unreadable + QStringLiteral("2か所目のバックアップ先は表示できません。"));
  if (!second.isEmpty() && QFileInfo(second).isFile())
    say(stderr, QStringLiteral("2か所目のバックアップ先「%1」はフォルダーではなくファイルです。"
                               "「Ashimemo.ini」の second= にフォルダーを指定してください。").arg(second));
  else if (!second.isEmpty() && !QFileInfo(second).isDir())
    say(stderr, QStringLiteral("2か所目のバックアップ先「%1」が見つかりません（USB ドライブがつながっていないか、"
                               "ネットワークのフォルダーに接続できません）。").arg(second));
  // Copies dated after now (made while the clock was ahead) cannot be newer
  // than today's work: they come last, marked, as the start-up offer does.
  const QDateTime now = Clock::now();
  QList<backup::Copy> copies, later;
  for (const backup::Copy& c : secondplace::copiesOfBoth(dataFile, second)) (c.when <= now ? copies : later).append(c);
  copies += later;
  const QString where = second.isEmpty()
      ? QStringLiteral("「%1」").arg(safefile::backupFolder(dataFile))
      : QStringLiteral("「%1」と「%2」").arg(safefile::backupFolder(dataFile), second);
  if (copies.isEmpty()) {
    say(stdout, QStringLiteral("%1にバックアップはありません。").arg(where));
    return 0;
  }
  const QLocale locale(QLocale::Japanese);
  say(stdout, QStringLiteral("%1のバックアップ（新しい順）:").arg(where));
  for (const backup::Copy& c : copies) {
    const safefile::Check check = safefile::checkDataFile(c.path);
    const QString kind = c.daily() ? QStringLiteral("毎日") : c.label;
    const QString settings = check.ok
        ? QStringLiteral("セッティング %1件").arg(locale.toString(check.rowCounts.value(schema::kSettings)))
        : QStringLiteral("セッティング -");
    QString verdict = QStringLiteral("検査OK");
    // The Access-format original kept by a conversion is whole, only not ours.
    if (!check.ok && safefile::isJetFile(c.path))
      verdict = QStringLiteral("Access 形式の元のファイル（--import で変換できます）");
    else if (!check.ok)
      verdict = QStringLiteral("検査NG（%1）").arg(QString(check.problem).replace(u'\n', u' '));
    QString line = QStringLiteral("%1  %2  %3 KB  %4  %5  %6")
                       .arg(c.when.toString(QStringLiteral("yyyy/MM/dd HH:mm")), kind,
                            locale.toString((QFileInfo(c.path).size() + 1023) / 1024), settings, verdict,
                            QFileInfo(c.path).fileName());
    if (c.when > now) line += QStringLiteral("  ※日時が現在より後です（時計が違っていたときのもの）");
    if (!second.isEmpty()) line += QStringLiteral("  場所: %1").arg(QFileInfo(c.path).absolutePath());
    say(stdout, line);
  }
  return 0;
}

// Puts COPY (a path, or a name in the copies folder or the second place) in place of
// DIR/Setting.MDB, keeping the replaced file as "Setting-復元前-...".
// Refused while the program runs on that folder.
int restoreBackup(const QString& copy, const QString& dir) {
  const QString dataFile = QDir(dir).absoluteFilePath(kDataFileName);
  QString unreadable;
  const QString second = secondplace::folderFor(dataFile, &unreadable);
  // A path, else a name in either place. The same name in both places
  // (the list shows both): the local one, unless only the other checks out.
  QStringList candidates;
  if (QFileInfo(copy).isFile())
    candidates << copy;
  else
    for (const QString& folder : {safefile::backupFolder(dataFile), second})
      if (!folder.isEmpty() && QFileInfo(QDir(folder).filePath(copy)).isFile()) candidates << QDir(folder).filePath(copy);
  QString source = candidates.value(0);
  if (candidates.size() > 1 && !safefile::checkDataFile(source).ok) source = candidates[1];
  if (source.isEmpty()) {
    say(stderr, QStringLiteral("バックアップ「%1」がありません。%2").arg(copy, unreadable));
    return 1;
  }
  if (safefile::isJetFile(source)) {
    say(stderr, QStringLiteral("「%1」は Access 形式の元のファイルのため、復元できません。"
                               "ashimemo-mkdata --import で新しいファイルに変換してください。").arg(copy));
    return 1;
  }
  QLockFile folderLock(safefile::folderLockPath(dataFile));
  folderLock.setStaleLockTime(0);
  if (!folderLock.tryLock(0)) {
    say(stderr, QStringLiteral("Ashimemo がこのフォルダーのデータファイルを使用中のため、復元できません。"
                               "Ashimemo を終了してからやり直してください。"));
    return 1;
  }
  QString error, aside;
  if (!backup::restore(source, dataFile, backup::kBeforeRestoreLabel, Clock::now(), &error, &aside)) {
    say(stderr, QStringLiteral("復元できませんでした。%1").arg(error));
    return 1;
  }
  say(stdout, QStringLiteral("「%1」を「%2」に復元しました。").arg(QFileInfo(source).fileName(), dataFile));
  if (!aside.isEmpty()) say(stdout, QStringLiteral("元のファイルは「%1」に残しました。").arg(aside));
  return 0;
}

int usage();

// The five tables of DIR/Setting.MDB as CSV files in OUTDIR, one per table
// named after it. Every file is built before the first is written, so a
// value that Shift_JIS cannot hold leaves no half set behind.
int exportTables(QStringList args) {
  const bool sjis = args.removeAll(QStringLiteral("--sjis")) > 0;
  if (args.size() != 2) return usage();
  const QString dataFile = QDir(args[0]).absoluteFilePath(kDataFileName);
  if (!QFileInfo(dataFile).isFile()) {
    say(stderr, QStringLiteral("「%1」がありません。").arg(QDir::toNativeSeparators(dataFile)));
    return 1;
  }
  if (safefile::isJetFile(dataFile)) {
    say(stderr, QStringLiteral("「%1」は Access 形式のファイルです。ashimemo-mkdata --import で変換してから"
                               "書き出してください。").arg(QDir::toNativeSeparators(dataFile)));
    return 1;
  }
  QString error;
  if (!safefile::ensureWritableFolder(args[1], &error)) {
    say(stderr, error);
    return 1;
  }
  QList<csv::Encoded> files;
  for (const QString& table : csv::exportTables()) {
    try {
      files << csv::exportTable(dataFile, table, sjis ? csv::Encoding::ShiftJis : csv::Encoding::Utf8);
    } catch (const DbError& e) {
      say(stderr, e.userText());
      return 1;
    }
    if (!files.last().refusal.isEmpty()) {
      say(stderr, files.last().refusal + QStringLiteral("\n--sjis を付けずに UTF-8 で書き出してください。"));
      return 1;
    }
  }
  const QLocale locale(QLocale::Japanese);
  for (qsizetype i = 0; i < files.size(); ++i) {
    const QString path = QDir(args[1]).absoluteFilePath(csv::exportTables()[i] + QStringLiteral(".csv"));
    if (!csv::writeFile(path, files[i].bytes, &error)) {
      say(stderr, error);
      return 1;
    }
    say(stdout, QStringLiteral("%1  %2件").arg(QDir::toNativeSeparators(path), locale.toString(files[i].rowCount)));
  }
  return 0;
}

const char* const kUsage =
    "使い方: ashimemo-mkdata [--sample] ファイル名\n"
    "        ashimemo-mkdata --import [--password パスワード] [--access-closed] Jet形式のファイル 新しいファイル\n"
    "        ashimemo-mkdata --backups フォルダー\n"
    "        ashimemo-mkdata --restore バックアップ フォルダー\n"
    "        ashimemo-mkdata --export [--sjis] フォルダー 書き出し先フォルダー\n"
    "        ashimemo-mkdata --to-server データファイル postgresql://ユーザー名@サーバー名:ポート番号/データベース名\n"
    "        ashimemo-mkdata --from-server postgresql://ユーザー名@サーバー名:ポート番号/データベース名 新しいファイル\n"
    "        ashimemo-mkdata --help | -h | --version";

// Wrong usage: the usage on standard error, status 2.
int usage() {
  say(stderr, QString::fromUtf8(kUsage));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
    say(stdout, QString::fromUtf8(kUsage));
    return 0;
  }
  if (args.size() == 1 && args[0] == QLatin1String("--version")) {
    say(stdout, QStringLiteral("ashimemo-mkdata ") + schema::kVersionText);
    return 0;
  }
  if (args.value(0) == QLatin1String("--import")) return convert::runImportCommand(args.mid(1));
  if (args.value(0) == QLatin1String("--to-server")) return convert::runToServerCommand(args.mid(1));
  if (args.value(0) == QLatin1String("--from-server")) return convert::runFromServerCommand(args.mid(1));
  if (args.value(0) == QLatin1String("--backups")) return args.size() == 2 ? listBackups(args[1]) : usage();
  if (args.value(0) == QLatin1String("--export")) return exportTables(args.mid(1));
  if (args.value(0) == QLatin1String("--restore")) return args.size() == 3 ? restoreBackup(args[1], args[2]) : usage();
  const bool sample = args.removeAll(QStringLiteral("--sample")) > 0;
  if (args.size() != 1 || args[0].startsWith(u'-')) return usage();
  QString error;
  if (!createDataFile(args[0], sample, &error)) {
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return 1;
  }
  std::printf("%s を作成しました。\n", args[0].toLocal8Bit().constData());
  return 0;
}
