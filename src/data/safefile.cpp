#include "data/safefile.h"

#include "data/database.h"
#include "data/schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
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

Check checkDataFile(const QString& path) {
  Check result;
  if (!QFileInfo(path).isFile()) {
    result.problem = QStringLiteral("ファイルがありません。");
    return result;
  }
  sqlite3* db = nullptr;
  const QByteArray native = QFile::encodeName(path);
  if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    result.problem = withEngineDetail(QStringLiteral("ファイルを開けません。"), QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close(db);
    return result;
  }
  sqlite3_busy_timeout(db, 3000);
  const QString broken = QStringLiteral("このプログラムのデータファイルではないか、壊れています。");
  auto firstText = [&](const QByteArray& sql, QString* text) {
    sqlite3_stmt* st = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) == SQLITE_OK;
    int rc = ok ? sqlite3_step(st) : SQLITE_ERROR;
    ok = rc == SQLITE_ROW;
    if (ok) *text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return ok;
  };
  QString verdict;
  if (!firstText("PRAGMA integrity_check(1)", &verdict)) {
    result.problem = broken;
  } else if (verdict != QLatin1String("ok")) {
    result.problem = withEngineDetail(QStringLiteral("ファイルが壊れています。"), verdict);
  } else {
    for (const schema::Table& t : schema::tables()) {
      QString count;
      const QByteArray sql = QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.name).toUtf8();
      if (!firstText(sql, &count)) {
        result.problem = QStringLiteral("このプログラムのデータファイルではありません（「%1」がありません）。").arg(t.name);
        break;
      }
      result.rowCounts.insert(t.name, count.toLongLong());
    }
  }
  sqlite3_close(db);
  result.ok = result.problem.isEmpty();
  if (!result.ok) result.rowCounts.clear();
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

}  // namespace safefile
