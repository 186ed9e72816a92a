#include "data/backup.h"

#include "data/database.h"
#include "data/schema.h"
#include "data/servercopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>
#include <functional>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace backup {

namespace {

// Pages copied per backup step: 4 MB at the usual page size.
constexpr int kStepPages = 1024;

// Copies being made and restores being put in place carry names of this
// form until they have checked out, so that they never count as copies.
const QString kTempPattern = QStringLiteral(".Setting-*.tmp");

using safefile::stopIfAsked;

QString engineProblem(sqlite3* db, int rc) {
  const int own = db ? sqlite3_errcode(db) : SQLITE_OK;
  if ((rc & 0xff) == SQLITE_FULL || (own & 0xff) == SQLITE_FULL) return QStringLiteral("ディスクの空きが足りません。");
  // A step that failed on the source leaves the copy's own error empty.
  const QString detail = QString::fromUtf8(own != SQLITE_OK ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  return withEngineDetail(QStringLiteral("コピーを作成できません。"), detail);
}

bool rowCounts(sqlite3* db, QMap<QString, qint64>* counts) {
  for (const schema::Table& t : schema::tables()) {
    const QByteArray sql = QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.name).toUtf8();
    sqlite3_stmt* st = nullptr;
    const bool ok = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) == SQLITE_OK &&
                    sqlite3_step(st) == SQLITE_ROW;
    if (ok) counts->insert(t.name, sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    if (!ok) return false;
  }
  return true;
}

// Copies the database at `from` (or, with `open`, the one that connection
// has open) into the empty file `to` with the online backup, inside one read
// transaction on the source, so that `counts` (the source's rows per table)
// describe exactly what was copied. Writers on other connections wait for
// the few moments this takes. Returns the problem, or "".
QString copyDatabase(const QString& from, const QString& to, QMap<QString, qint64>* counts, const char* stage,
                     sqlite3* open = nullptr) {
  sqlite3* src = open;
  sqlite3* dst = nullptr;
  QString problem;
  int rc = open ? SQLITE_OK : sqlite3_open_v2(QFile::encodeName(from).constData(), &src, SQLITE_OPEN_READONLY, nullptr);
  if (rc != SQLITE_OK)
    problem = withEngineDetail(QStringLiteral("元のファイルを開けません。"), QString::fromUtf8(sqlite3_errmsg(src)));
  if (problem.isEmpty()) {
    if (!open) sqlite3_busy_timeout(src, 3000);
    rc = sqlite3_open_v2(QFile::encodeName(to).constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) problem = engineProblem(dst, rc);
  }
  bool reading = false;
  if (problem.isEmpty()) {
    // The copy is not trusted before its check, so it needs no journal.
    sqlite3_exec(dst, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    reading = sqlite3_exec(src, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!reading || !rowCounts(src, counts))
      problem = withEngineDetail(QStringLiteral("元のファイルを読めません。"), QString::fromUtf8(sqlite3_errmsg(src)));
  }
  if (problem.isEmpty()) {
    sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
    if (!b) {
      problem = engineProblem(dst, SQLITE_ERROR);
    } else {
      int waits = 0;
      bool first = true;
      for (;;) {
        rc = sqlite3_backup_step(b, kStepPages);
        if (first) stopIfAsked(stage);
        first = false;
        if (rc == SQLITE_OK) continue;
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++waits < 150) {
          QThread::msleep(20);
          continue;
        }
        break;
      }
      const int done = sqlite3_backup_finish(b);
      if (rc != SQLITE_DONE || done != SQLITE_OK) problem = engineProblem(dst, rc != SQLITE_DONE ? rc : done);
    }
  }
  if (reading) sqlite3_exec(src, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(dst);
  if (!open) sqlite3_close(src);
  return problem;
}

// Left by a run that was killed. Only the one program that holds the data
// folder's lock makes or restores copies, so none of these is in use.
void removeStaleTemporaries(const QStringList& folders) {
  for (const QString& folder : folders) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList({kTempPattern}, QDir::Files | QDir::Hidden)) QFile::remove(dir.filePath(name));
  }
}

// A temporary name in `folder` for a file being made; empty on failure.
QString temporaryName(const QString& folder, const QString& what) {
  QTemporaryFile reserve(QDir(folder).filePath(QStringLiteral(".Setting-%1-XXXXXX.tmp").arg(what)));
  reserve.setAutoRemove(false);
  if (!reserve.open()) return QString();
  return reserve.fileName();  // closed here, before the engine opens it
}

QString dataFolder(const QString& dataFile) { return QFileInfo(dataFile).absolutePath(); }

// Copies that checked out in this run, by path, size and file time: each
// thinning counts only good copies, and reading every copy of a large file
// again at each copy of a session would take seconds. A new run reads each
// copy once again.
struct GoodCopies {
  QMutex lock;
  QHash<QString, QPair<qint64, QDateTime>> known;
  static QPair<qint64, QDateTime> stamp(const QString& path) {
    const QFileInfo fi(path);
    return {fi.size(), fi.lastModified()};
  }
  void add(const QString& path) {
    const QMutexLocker hold(&lock);
    known.insert(path, stamp(path));
  }
  bool has(const QString& path) {
    const QMutexLocker hold(&lock);
    const auto it = known.constFind(path);
    return it != known.cend() && *it == stamp(path);
  }
};
GoodCopies& goodCopies() {
  static GoodCopies g;
  return g;
}

// The check of a copy, read once per run while it stays as it was.
safefile::Check checkCopy(const QString& path) {
  if (goodCopies().has(path)) {
    safefile::Check known;
    known.ok = true;
    return known;
  }
  safefile::Check c = safefile::checkDataFile(path);
  if (c.ok) goodCopies().add(path);
  return c;
}

}  // namespace

QList<Copy> copiesIn(const QString& folder) {
  static const QRegularExpression name(
      QStringLiteral("^Setting-(?:([^-]+)-)?(\\d{8})-(\\d{4})(?:-(\\d+))?\\.MDB$"));
  QList<Copy> list;
  const QDir dir(folder);
  for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("Setting-*.MDB")}, QDir::Files)) {
    const auto m = name.match(fi.fileName());
    if (!m.hasMatch()) continue;
    const QDateTime when(QDate::fromString(m.captured(2), QStringLiteral("yyyyMMdd")),
                         QTime::fromString(m.captured(3), QStringLiteral("HHmm")));
    if (!when.isValid()) continue;
    list.append({fi.absoluteFilePath(), m.captured(1), when, m.captured(4).isEmpty() ? 1 : m.captured(4).toInt()});
  }
  std::sort(list.begin(), list.end(), [](const Copy& a, const Copy& b) {
    return a.when != b.when ? a.when > b.when : a.serial > b.serial;
  });
  return list;
}

QList<Copy> copies(const QString& dataFile) { return copiesIn(safefile::backupFolder(dataFile)); }

QList<Copy> inOfferOrder(const QList<Copy>& all, const QDateTime& now) {
  QList<Copy> made, later;
  for (const Copy& c : all)  // newest first
    if (c.daily()) (c.when <= now ? made : later).append(c);
  return made + later;
}

Thinned thin(const QString& folder, const QDateTime& newest) {
  Thinned out;
  QSet<QDate> days;
  QSet<int> months;
  const auto monthOf = [](const QDate& d) { return d.year() * 12 + d.month() - 1; };
  const int top = monthOf(newest.date());
  bool first = true;
  for (const Copy& c : copiesIn(folder)) {  // newest first
    if (!c.daily() || c.when > newest) continue;
    const safefile::Check check = checkCopy(c.path);
    if (first) stopIfAsked("backup-thinning");
    first = false;
    if (check.busy) continue;
    if (!check.ok) {
      const QString aside = safefile::stampedPath(folder, kUnusableLabel, c.when);
      if (safefile::durableRename(c.path, aside, nullptr)) out.setAside << aside;
      continue;
    }
    const QDate day = c.when.date();
    bool keep = day == newest.date();
    if (!days.contains(day) && days.size() < kDailyKept) {
      days.insert(day);
      keep = true;
    }
    if (top - monthOf(day) < kMonthlyKept && !months.contains(monthOf(day))) {
      months.insert(monthOf(day));
      keep = true;
    }
    if (!keep && QFile::remove(c.path)) out.deleted << c.path;
  }
  return out;
}

bool dueIn(const QString& folder, const QDateTime& now) {
  for (const Copy& c : copiesIn(folder))
    if (c.daily() && c.when.date() == now.date() && c.when <= now && checkCopy(c.path).ok) return false;
  return true;
}

bool changedSinceLastCopy(const QString& dataFile, const QDateTime& now) {
  // File times come from the system clock, names from the program's clock
  // (the same one, except in tests that set the program's clock).
  const QDateTime systemNow = QDateTime::currentDateTime();
  QDateTime last;
  for (const Copy& c : copies(dataFile)) {
    if (!c.daily() || c.when > now) continue;
    const QDateTime m = QFileInfo(c.path).lastModified();
    if (m <= systemNow && (!last.isValid() || m > last)) last = m;
  }
  return !last.isValid() || QFileInfo(dataFile).lastModified() >= last;
}

namespace {

// Where the rows of a copy come from: writes them into the temporary file
// `temp` (which exists, empty) and gives the source's row counts at that
// moment. Returns the problem, or "".
using Source = std::function<QString(const QString& temp, QMap<QString, qint64>* counts)>;

// A copy from `source` into `folder`: to a temporary name, flushed, checked
// against the counts, then named after `when`; `dataFile` (may be empty)
// lends its size to the space check and its access rights to the copy.
Result copyFrom(const QString& folder, const QString& dataFile, const QDateTime& when, const Source& source, bool thinAfter) {
  Result r;
  if (!safefile::ensureWritableFolder(folder, &r.problem)) return r;
  removeStaleTemporaries(dataFile.isEmpty() ? QStringList{folder} : QStringList{folder, dataFolder(dataFile)});
  const QStorageInfo disk(folder);
  if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < QFileInfo(dataFile).size() + 65536) {
    r.problem = QStringLiteral("ディスクの空きが足りません。");
    return r;
  }
  const QString temp = temporaryName(folder, QStringLiteral("作成中"));
  if (temp.isEmpty()) {
    r.problem = QStringLiteral("フォルダー「%1」に書き込めません。").arg(folder);
    return r;
  }
  auto fail = [&](const QString& problem) {
    QFile::remove(temp);
    r.problem = problem;
    return r;
  };
  QMap<QString, qint64> counts;
  const QString problem = source(temp, &counts);
  if (!problem.isEmpty()) return fail(problem);
  QString error;
  if (!safefile::syncFile(temp, &error))
    return fail(withEngineDetail(QStringLiteral("コピーをディスクに書き込めません。"), error));
  const safefile::Check check = safefile::checkDataFile(temp);
  if (!check.ok) return fail(QStringLiteral("作成したコピーが検査に合格しませんでした。\n") + check.problem);
  if (check.rowCounts != counts) return fail(QStringLiteral("作成したコピーの件数が元のデータファイルと一致しません。"));
  if (QFileInfo::exists(dataFile)) QFile::setPermissions(temp, QFileInfo(dataFile).permissions());
  const QString final = safefile::stampedPath(folder, QString(), when);
  if (!safefile::durableRename(temp, final, &error))
    return fail(withEngineDetail(QStringLiteral("コピーに名前を付けられません。"), error));
  goodCopies().add(final);
  r.ok = true;
  r.path = final;
  // Only now, with a newer copy checked and in place, may older ones go.
  // A copy through the program's own connection is made while the window
  // waits, and thinning may read every copy: the next copy thins instead.
  if (thinAfter) r.thinned = thin(folder, when);
  return r;
}

}  // namespace

Result makeCopyIn(const QString& folder, const QString& dataFile, const QDateTime& when, sqlite3* open) {
  const auto fromFile = [&](const QString& temp, QMap<QString, qint64>* counts) {
    return copyDatabase(dataFile, temp, counts, "backup-copying", open);
  };
  return copyFrom(folder, dataFile, when, fromFile, !open);
}

Result makeServerCopyIn(const QString& folder, const ServerUrl& url, const QString& password, const QDateTime& when) {
  const auto fromServer = [&](const QString& temp, QMap<QString, qint64>* counts) {
    QFile::remove(temp);  // the snapshot makes its file itself
    return servercopy::writeSnapshot(url, password, temp, counts);
  };
  return copyFrom(folder, QString(), when, fromServer, true);
}

Result makeCopy(const QString& dataFile, const QDateTime& when) {
  return makeCopyIn(safefile::backupFolder(dataFile), dataFile, when);
}

Result makeCopy(const Origin& origin, const QDateTime& when) {
  if (!origin.onServer) return makeCopy(origin.dataFile, when);
  return makeServerCopyIn(safefile::backupFolder(origin.dataFile), origin.url, origin.password, when);
}

Result makeDailyCopyIfDue(const Origin& origin, const QDateTime& when) {
  if (dueIn(safefile::backupFolder(origin.dataFile), when)) return makeCopy(origin, when);
  Result r;
  r.due = false;
  return r;
}

Found newestGoodCopyIn(const QString& folder, const QDateTime& now) {
  return firstGoodCopy(inOfferOrder(copiesIn(folder), now));
}

Found firstGoodCopy(const QList<Copy>& candidates) {
  for (const Copy& c : candidates) {
    Found f;
    f.check = safefile::checkDataFile(c.path);
    if (f.check.ok) {
      f.found = true;
      f.copy = c;
      return f;
    }
  }
  return Found();
}

Found newestGoodCopy(const QString& dataFile, const QDateTime& now) {
  return newestGoodCopyIn(safefile::backupFolder(dataFile), now);
}

bool restore(const QString& copyPath, const QString& dataFile, const QString& asideLabel, const QDateTime& when,
             QString* error, QString* aside) {
  auto failed = [&](const QString& text) {
    if (error) *error = text;
    return false;
  };
  const safefile::Check source = safefile::checkDataFile(copyPath);
  if (!source.ok)
    return failed(QStringLiteral("バックアップ「%1」は使用できません。\n%2").arg(QFileInfo(copyPath).fileName(), source.problem));
  // Through a symbolic link the restored file goes where the link points,
  // and the link stays; the copies stay beside the link.
  const safefile::Target target = safefile::resolvedTarget(dataFile);
  if (target.dangling)
    return failed(QStringLiteral("「%1」のリンク先「%2」に接続できません。").arg(QFileInfo(dataFile).fileName(), target.path));
  const QString place = target.path;
  const QString folder = safefile::backupFolder(dataFile);
  const QStringList companions{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
  bool replacing = QFileInfo::exists(place);
  for (const QString& s : companions) replacing = replacing || QFileInfo::exists(place + s);
  QString problem;
  if (replacing && !safefile::ensureWritableFolder(folder, &problem)) return failed(problem);
  removeStaleTemporaries({dataFolder(place), folder});

  const QString temp = temporaryName(dataFolder(place), QStringLiteral("復元中"));
  if (temp.isEmpty()) return failed(QStringLiteral("フォルダー「%1」に書き込めません。").arg(dataFolder(place)));
  auto fail = [&](const QString& text) {
    QFile::remove(temp);
    return failed(text);
  };
  QMap<QString, qint64> counts;
  problem = copyDatabase(copyPath, temp, &counts, "restore-copying");
  if (!problem.isEmpty()) return fail(problem);
  QString sysError;
  if (!safefile::syncFile(temp, &sysError))
    return fail(withEngineDetail(QStringLiteral("コピーをディスクに書き込めません。"), sysError));
  // The restored file gets the access rights of the file it replaces.
  QFile::setPermissions(temp, QFileInfo::exists(place) ? QFileInfo(place).permissions()
                                                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                             QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
  const safefile::Check check = safefile::checkDataFile(temp);
  if (!check.ok || check.rowCounts != source.rowCounts)
    return fail(QStringLiteral("復元したファイルが検査に合格しませんでした。\n") + check.problem);

  // The file being replaced stays in place until the rename below replaces
  // it: it is kept in the copies folder by a second name (a hard link, or a
  // copy where the file system has none or the link points elsewhere).
  if (replacing) {
    const QString kept = safefile::stampedPath(folder, asideLabel, when);
    if (QFileInfo::exists(place)) {
      const bool linked = ::link(QFile::encodeName(place).constData(), QFile::encodeName(kept).constData()) == 0;
      if (!linked && !(QFile::copy(place, kept) && safefile::syncFile(kept, nullptr))) {
        QFile::remove(kept);
        return fail(QStringLiteral("元のファイルを「%1」フォルダーに残せません。").arg(safefile::kBackupFolderName));
      }
      safefile::syncFile(folder, nullptr);
      if (aside) *aside = kept;
    }
    // A journal left beside the old file belongs to it; the engine would
    // otherwise play it back into the restored file. Across file systems it
    // is copied first and removed after, so a kill leaves it beside the old file.
    for (const QString& s : companions) {
      if (!QFileInfo::exists(place + s) || safefile::durableRename(place + s, kept + s, &sysError)) continue;
      if (!(QFile::copy(place + s, kept + s) && safefile::syncFile(kept + s, &sysError) && QFile::remove(place + s)))
        return fail(withEngineDetail(QStringLiteral("「%1」を移せません。").arg(QFileInfo(place + s).fileName()), sysError));
    }
  }
  stopIfAsked("restore-replacing");
  if (!safefile::durableRename(temp, place, &sysError))
    return fail(withEngineDetail(QStringLiteral("「%1」を置き換えられません。").arg(QFileInfo(dataFile).fileName()), sysError));
  return true;
}

void rememberGood(const QString& path) { goodCopies().add(path); }

void removeTemporaries(const QString& folder) { removeStaleTemporaries({folder}); }

void testStopPoint(const char* stage) { stopIfAsked(stage); }

}  // namespace backup
