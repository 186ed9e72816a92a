#include "data/safefile.h"

#include "data/database.h"
#include "data/schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <cstring>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>

namespace safefile {

namespace {

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool syncPath(const QString& path, int flags, QString* error) {
  const QByteArray native = QFile::encodeName(path);
  const int fd = ::open(native.constData(), flags | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = systemError(errno);
    return false;
  }
  const bool ok = ::fsync(fd) == 0;
  const int err = errno;
  ::close(fd);
  if (!ok && error) *error = systemError(err);
  return ok;
}

}  // namespace

QString backupFolder(const QString& dataFile) {
  return QFileInfo(dataFile).absoluteDir().filePath(kBackupFolderName);
}

QString stampedPath(const QString& folder, const QString& label, const QDateTime& when) {
  QString stem = QStringLiteral("Setting-");
  if (!label.isEmpty()) stem += label + u'-';
  stem += when.toString(QStringLiteral("yyyyMMdd-HHmm"));
  const QDir dir(folder);
  QString path = dir.filePath(stem + QStringLiteral(".MDB"));
  for (int n = 2; QFileInfo::exists(path); ++n) path = dir.filePath(stem + QStringLiteral("-%1.MDB").arg(n));
  return path;
}

Check checkConnection(sqlite3* db, Depth depth) {
  Check result;
  const QString broken = QStringLiteral("このプログラムのデータファイルではないか、壊れています。");
  // Runs one statement; `row` sees each row. False on an engine error,
  // which is also told apart as "busy" (another program holds the file).
  auto each = [&](const QString& sql, const std::function<void(sqlite3_stmt*)>& row) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
      rc = sqlite3_step(st);
      if (rc == SQLITE_ROW) row(st);
    }
    sqlite3_finalize(st);
    const int code = sqlite3_extended_errcode(db) & 0xff;
    if (rc != SQLITE_DONE && (code == SQLITE_BUSY || code == SQLITE_LOCKED)) result.busy = true;
    return rc == SQLITE_DONE;
  };
  auto text = [](sqlite3_stmt* st, int c) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
  };
  auto fail = [&](const QString& problem) {
    result.problem = result.busy ? QStringLiteral("ほかのプログラムが使用中のため、開けません。") : problem;
    result.rowCounts.clear();
    return result;
  };
  if (!each(QStringLiteral("SELECT count(*) FROM sqlite_master"), [](sqlite3_stmt*) {})) return fail(broken);
  // Every table and field the program reads or writes.
  for (const schema::Table& t : schema::tables()) {
    QSet<QString> present;
    if (!each(QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.name), [&](sqlite3_stmt* st) { present.insert(text(st, 1)); }))
      return fail(broken);
    QString missing = present.isEmpty() ? t.name : QString();
    for (const schema::Column& c : t.columns)
      if (missing.isEmpty() && !present.contains(c.name)) missing = t.name + u'.' + c.name;
    if (!missing.isEmpty())
      return fail(QStringLiteral("このプログラムのデータファイルではありません（「%1」がありません）。").arg(missing));
  }
  // Damage inside the file shows here rather than in the middle of a save.
  QString verdict;
  const QString pragma = depth == Depth::Quick ? QStringLiteral("PRAGMA quick_check(1)") : QStringLiteral("PRAGMA integrity_check(1)");
  if (!each(pragma, [&](sqlite3_stmt* st) { verdict = text(st, 0); })) return fail(broken);
  if (verdict != QLatin1String("ok")) return fail(withEngineDetail(QStringLiteral("ファイルが壊れています。"), verdict));
  for (const schema::Table& t : schema::tables()) {
    qint64 count = -1;
    if (!each(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.name), [&](sqlite3_stmt* st) { count = sqlite3_column_int64(st, 0); }))
      return fail(broken);
    result.rowCounts.insert(t.name, count);
  }
  result.ok = true;
  return result;
}

Check checkDataFile(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    Check missing;
    missing.problem = QFileInfo(path).isDir() ? QStringLiteral("ファイルではなくフォルダーです。") : QStringLiteral("ファイルがありません。");
    return missing;
  }
  sqlite3* db = nullptr;
  const QByteArray native = QFile::encodeName(path);
  if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    Check failed;
    failed.problem = withEngineDetail(QStringLiteral("ファイルを開けません。"), QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close(db);
    return failed;
  }
  sqlite3_busy_timeout(db, 3000);
  Check result = checkConnection(db, Depth::Full);
  sqlite3_close(db);
  return result;
}

Target resolvedTarget(const QString& path) {
  Target t;
  t.path = QFileInfo(path).absoluteFilePath();
  // Followed by hand (not realpath) so that a dangling link still names its
  // target; 40 links deep is the kernel's own limit.
  for (int depth = 0; depth < 40; ++depth) {
    const QByteArray native = QFile::encodeName(t.path);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    QByteArray to(PATH_MAX, '\0');
    const ssize_t n = ::readlink(native.constData(), to.data(), size_t(to.size()));
    if (n <= 0) break;
    to.truncate(int(n));
    t.link = true;
    t.path = QDir::cleanPath(QFileInfo(t.path).absoluteDir().absoluteFilePath(QFile::decodeName(to)));
  }
  struct stat st;
  t.dangling = t.link && ::stat(QFile::encodeName(t.path).constData(), &st) != 0;
  return t;
}

bool syncFile(const QString& path, QString* error) { return syncPath(path, O_RDONLY, error); }

bool durableRename(const QString& from, const QString& to, QString* error) {
  const QByteArray a = QFile::encodeName(from);
  const QByteArray b = QFile::encodeName(to);
  if (::rename(a.constData(), b.constData()) != 0) {
    if (error) *error = systemError(errno);
    return false;
  }
  syncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY, nullptr);
  if (QFileInfo(from).absolutePath() != QFileInfo(to).absolutePath())
    syncPath(QFileInfo(from).absolutePath(), O_RDONLY | O_DIRECTORY, nullptr);
  return true;
}

bool ensureWritableFolder(const QString& folder, QString* error) {
  if (!QDir().mkpath(folder)) {
    if (error) *error = QStringLiteral("フォルダー「%1」を作成できません。").arg(folder);
    return false;
  }
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-test-XXXXXX")));
  if (!probe.open()) {
    if (error) *error = QStringLiteral("フォルダー「%1」に書き込めません。").arg(folder);
    return false;
  }
  return true;
}

bool isJetFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(20);
  return head.size() == 20 && head[0] == '\0' &&
         (head.mid(4) == QByteArray("Standard Jet DB\0", 16) || head.mid(4) == QByteArray("Standard ACE DB\0", 16));
}

QString folderLockPath(const QString& dataFile) {
  const QFileInfo folder(QFileInfo(dataFile).absolutePath());
  const QString name = folder.canonicalFilePath().isEmpty() ? folder.absoluteFilePath() : folder.canonicalFilePath();
  const QByteArray hash = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QDir::temp().filePath(QStringLiteral("ashimemo-folder-%1.lock").arg(QString::fromLatin1(hash)));
}

void stopIfAsked(const char* stage) {
  static const QByteArray at = qgetenv("ASHIMEMO_TEST_STOP_AT");
  if (at.isEmpty() || at != stage) return;
  std::fprintf(stderr, "stopped at %s\n", stage);
  std::fflush(stderr);
  for (;;) QThread::sleep(1);
}

}  // namespace safefile
