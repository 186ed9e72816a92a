#include "data/secondplace.h"

#include "data/appconfig.h"
#include "data/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace secondplace {

namespace {

// Read and written in pieces of this size.
constexpr qint64 kChunk = 4 * 1024 * 1024;

// The day the second place's trouble was last told, in "バックアップ".
const QString kNoticeFile = QStringLiteral(".second-place-notice");

QString missing() {
  return QStringLiteral("フォルダーが見つかりません（USB ドライブがつながっていないか、"
                        "ネットワークのフォルダーに接続できません）。");
}

// The reason, in words a user can act on, for a failed system call.
QString reasonFor(int err) {
  switch (err) {
    case ENOENT: case ENOTDIR: case ENODEV: case ENXIO: case ESTALE: case ENOTCONN:
    case EHOSTDOWN: case EHOSTUNREACH: case ETIMEDOUT:
      return missing();
    case EROFS: case EACCES: case EPERM:
      return QStringLiteral("書き込みが禁止されています（読み取り専用）。");
    case ENOSPC: case EDQUOT:
      return QStringLiteral("空き容量が足りません。");
    default:
      return QStringLiteral("書き込めません（%1）。").arg(QString::fromLocal8Bit(std::strerror(err)));
  }
}

bool isDirectory(const QByteArray& path, dev_t* device) {
  struct stat st;
  if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (device) *device = st.st_dev;
  return true;
}

// The folder is there, or can be made because its parent is the top of a
// mounted drive (another file system than the parent's parent).
bool ready(const QString& folder, QString* problem) {
  const QByteArray native = QFile::encodeName(folder);
  if (isDirectory(native, nullptr)) return true;
  struct stat st;
  if (::stat(native.constData(), &st) == 0) {
    *problem = QStringLiteral("フォルダーではなくファイルです。「Ashimemo.ini」の second= にフォルダーを指定してください。");
    return false;
  }
  const QString parent = QFileInfo(folder).absolutePath();
  dev_t own = 0, above = 0;
  const bool mounted = parent != QFileInfo(parent).absolutePath() &&
                       isDirectory(QFile::encodeName(parent), &own) &&
                       isDirectory(QFile::encodeName(QFileInfo(parent).absolutePath()), &above) && own != above;
  if (!mounted) {
    *problem = missing();
    return false;
  }
  if (::mkdir(native.constData(), 0777) != 0 && errno != EEXIST) {
    *problem = reasonFor(errno);
    return false;
  }
  return true;
}

// Writes all of `source` into `out`: in the kernel where it can, else by
// reading and writing. Returns 0 or the error.
int copyContents(int source, int out) {
  bool kernel = true;
  bool first = true;
  for (;;) {
    ssize_t n = -1;
    if (kernel) {
      n = ::copy_file_range(source, nullptr, out, nullptr, size_t(kChunk), 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) && first) {
        kernel = false;
        continue;
      }
    } else {
      static thread_local QByteArray buffer(int(kChunk), Qt::Uninitialized);
      n = ::read(source, buffer.data(), size_t(buffer.size()));
      for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w = ::write(out, buffer.constData() + done, size_t(n - done));
        if (w < 0 && errno != EINTR) return errno;
        if (w > 0) done += w;
      }
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (first) backup::testStopPoint("second-copying");
    first = false;
  }
}

// Reads `copy` back (past the page cache, which the writer just filled, so
// that the drive's own bytes are what is compared) and compares it with
// `source`. Returns "" when equal, else the reason.
QString readBack(int source, const QString& copy) {
  const int fd = ::open(QFile::encodeName(copy).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return reasonFor(errno);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  QByteArray a(int(kChunk), Qt::Uninitialized), b(int(kChunk), Qt::Uninitialized);
  QString problem;
  for (off_t at = 0;; ) {
    const ssize_t n = ::pread(source, a.data(), size_t(a.size()), at);
    ssize_t m = 0;
    while (m < n) {
      const ssize_t r = ::pread(fd, b.data() + m, size_t(n - m), at + m);
      if (r <= 0) break;
      m += r;
    }
    if (n < 0 || m != n || std::memcmp(a.constData(), b.constData(), size_t(n)) != 0) {
      problem = QStringLiteral("書き込んだコピーを読み戻すと、内容が元のバックアップと一致しませんでした。");
      break;
    }
    if (n == 0) {
      char extra;
      if (::pread(fd, &extra, 1, at) != 0) problem = QStringLiteral("書き込んだコピーの大きさが元のバックアップと一致しません。");
      break;
    }
    at += n;
  }
  ::close(fd);
  return problem;
}

QString canonical(const QString& folder) {
  const QString c = QFileInfo(folder).canonicalFilePath();
  return c.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : c;
}

}  // namespace

QString folderFor(const QString& dataFile, QString* problem) {
  const QString dir = QFileInfo(dataFile).absolutePath();
  const AppConfig config = readAppConfig(dir);
  if (problem) *problem = config.error;
  const QString second = config.secondBackup;
  if (second.isEmpty()) return QString();
  return QDir::cleanPath(QDir(dir).absoluteFilePath(second));
}

Outcome copyTo(const QString& checkedCopy, const QString& folder, const QDateTime& when) {
  Outcome o;
  if (!ready(folder, &o.problem)) return o;
  // The same folder as the copies themselves: the copy is already there.
  if (canonical(folder) == canonical(QFileInfo(checkedCopy).absolutePath())) {
    o.ok = true;
    o.path = checkedCopy;
    return o;
  }
  backup::removeTemporaries(folder);
  const QStorageInfo disk(folder);
  if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < QFileInfo(checkedCopy).size() + 65536) {
    o.problem = reasonFor(ENOSPC);
    return o;
  }
  const int source = ::open(QFile::encodeName(checkedCopy).constData(), O_RDONLY | O_CLOEXEC);
  if (source < 0) {
    o.problem = QStringLiteral("元のバックアップを読めません（%1）。").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return o;
  }
  QByteArray pattern = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".Setting-作成中-XXXXXX.tmp")));
  const int out = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
  if (out < 0) {
    o.problem = reasonFor(errno);
    ::close(source);
    return o;
  }
  const QString temp = QFile::decodeName(pattern);
  int err = copyContents(source, out);
  if (err == 0 && ::fsync(out) != 0) err = errno;
  struct stat st;
  if (::fstat(source, &st) == 0) ::fchmod(out, st.st_mode & 0777);  // a FAT drive has none: no matter
  if (::close(out) != 0 && err == 0) err = errno;  // a network share may tell its error only here
  if (err == 0) o.problem = readBack(source, temp);
  ::close(source);
  if (err != 0) o.problem = reasonFor(err);
  if (o.problem.isEmpty()) {
    QString target = QDir(folder).filePath(QFileInfo(checkedCopy).fileName());
    if (QFileInfo::exists(target)) target = safefile::stampedPath(folder, QString(), when);
    QString error;
    if (safefile::durableRename(temp, target, &error)) {
      o.ok = true;
      o.path = target;
    } else {
      o.problem = QStringLiteral("コピーに名前を付けられません（%1）。").arg(error);
    }
  }
  if (!o.ok) {
    QFile::remove(temp);
    return o;
  }
  // Only now, with a newer copy whole on the drive, may older ones go. Its
  // bytes are those of a good copy: thinning need not read it again.
  backup::rememberGood(o.path);
  o.thinned = backup::thin(folder, when);
  return o;
}

Outcome catchUp(const QString& dataFile, const QString& folder, const QDateTime& now) {
  const QList<backup::Copy> local = backup::inOfferOrder(backup::copies(dataFile), now);
  if (local.isEmpty() || local.first().when > now) return Outcome();
  const QString path = local.first().path;
  // A copy that no longer checks out is set aside by the next thinning, not sent on.
  if (QFileInfo::exists(QDir(folder).filePath(QFileInfo(path).fileName())) || !safefile::checkDataFile(path).ok)
    return Outcome();
  return copyTo(path, folder, local.first().when);
}

QList<backup::Copy> copiesOfBoth(const QString& dataFile, const QString& folder) {
  QList<backup::Copy> all = backup::copies(dataFile);
  if (!folder.isEmpty() && canonical(folder) != canonical(safefile::backupFolder(dataFile))) all += backup::copiesIn(folder);
  std::stable_sort(all.begin(), all.end(), [](const backup::Copy& a, const backup::Copy& b) {
    return a.when != b.when ? a.when > b.when : a.serial > b.serial;
  });
  return all;
}

backup::Found newestGoodCopy(const QString& dataFile, const QString& folder, const QDateTime& now) {
  return backup::firstGoodCopy(backup::inOfferOrder(copiesOfBoth(dataFile, folder), now));
}

bool firstNoticeOn(const QString& dataFile, const QDate& day) {
  const QString path = QDir(safefile::backupFolder(dataFile)).filePath(kNoticeFile);
  const QString stamp = day.toString(Qt::ISODate);
  QFile in(path);
  if (in.open(QIODevice::ReadOnly) && QString::fromLatin1(in.readAll()).trimmed() == stamp) return false;
  QSaveFile out(path);
  if (out.open(QIODevice::WriteOnly)) {
    out.write(stamp.toLatin1());
    out.commit();
  }
  return true;
}

}  // namespace secondplace
