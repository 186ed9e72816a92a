#pragma once
// Copies of the data file in the folder "バックアップ" beside it: the daily
// copies made with the engine's online backup and kept only when they check
// out, their generations, and putting a copy back in place of the data file.
// Qt Core only; the program decides when to copy (app/autobackup.h).
#include "data/safefile.h"
#include "data/server.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace backup {

// Labels of the copies that are kept until the user deletes them; a daily
// copy has no label ("Setting-20261208-0930.MDB").
inline const QString kUnusableLabel = QStringLiteral("使用不可");        // an unusable data file moved aside
inline const QString kBeforeRestoreLabel = QStringLiteral("復元前");     // the file a restore replaced
inline const QString kBeforeConversionLabel = QStringLiteral("変換前");  // the Jet file a conversion read

inline constexpr int kDailyKept = 14;
inline constexpr int kMonthlyKept = 12;

struct Copy {
  QString path;
  QString label;  // empty for a daily copy
  QDateTime when;  // from the name
  int serial = 1;  // 2, 3, ... when the name of that minute was taken
  bool daily() const { return label.isEmpty(); }
};

// The copies in a copies folder, newest first by their names. Files of
// other names (a copy being made, journals) are not copies.
QList<Copy> copiesIn(const QString& folder);
// The copies of `dataFile`, in its copies folder.
QList<Copy> copies(const QString& dataFile);

// The daily copies in the order in which they are offered: those made
// up to `now`, newest first, then those dated after `now` (made while the
// clock was wrong: when they were made cannot be known), newest first.
QList<Copy> inOfferOrder(const QList<Copy>& copies, const QDateTime& now);

// What thinning the daily copies did.
struct Thinned {
  QStringList deleted;   // copies the generations no longer need
  QStringList setAside;  // copies that failed the check, now "Setting-使用不可-<their time>.MDB"
};

// Thins the daily copies in `folder` once a copy made at `newest` has
// checked out. Only copies that check out count: kept are every copy of
// that day (the morning copy still holds the file as it was before the
// day's work), the newest good copy of each of the 13 days before it that
// have good copies, and the newest good copy of each of the 12 calendar
// months up to `newest`. A copy that fails the check is set aside under the
// unusable label, never deleted and never counted, so that a damaged file
// named like a copy never pushes a good one out. A copy that another
// program holds, and one dated after `newest`, is left as it is and not
// counted. Labelled copies are never touched.
Thinned thin(const QString& folder, const QDateTime& newest);

// True when no good daily copy dated `now`'s day exists in `folder` yet.
bool dueIn(const QString& folder, const QDateTime& now);

// True when the data file was written after its newest daily copy was made
// (or there is none). A copy dated after now, by its name or its file time,
// never counts as newer than today's work.
bool changedSinceLastCopy(const QString& dataFile, const QDateTime& now);

struct Result {
  bool ok = false;
  bool due = true;  // false: makeDailyCopyIfDue found a good copy of the day
  QString path;     // the kept copy
  QString problem;  // Japanese reason when !ok
  Thinned thinned;
};

// Copies the data file (which may be open and written meanwhile) to a
// temporary name in `folder`, flushes and checks the copy (sound file, same
// row counts as the source at the moment of copying), then names it
// "Setting-YYYYMMDD-HHMM.MDB" after `when` and thins the daily copies. A
// copy that fails is removed; the earlier copies stay. With `open` (the
// program's own connection to the data file) the copy is read through it:
// a data file deleted or moved while the program runs can still be copied
// that way, from the file the program holds open; such a copy leaves the
// thinning to the next copy.
Result makeCopyIn(const QString& folder, const QString& dataFile, const QDateTime& when, sqlite3* open = nullptr);
// A copy of the records of the PostgreSQL server at `url`, read in one
// snapshot on a connection of the calling thread's own (servercopy.h), as
// an ordinary data file: the same temporary name, check, name after `when`
// and thinning as a copy of the data file, so that it can be opened as a
// file, listed by --backups, or moved back with --to-server.
Result makeServerCopyIn(const QString& folder, const ServerUrl& url, const QString& password, const QDateTime& when);
// The same into the copies folder beside the data file.
Result makeCopy(const QString& dataFile, const QDateTime& when);

// What the program's copies are copies of: the data file, or (`onServer`)
// the records of the server at `url`, read on the copying thread's own
// connection. Either way the copies go into "バックアップ" beside
// `dataFile`: on a server, where the data file would be in the working
// folder.
struct Origin {
  QString dataFile;
  bool onServer = false;
  ServerUrl url;
  QString password;
};
// A copy of `origin` into its copies folder (makeCopy or makeServerCopyIn).
Result makeCopy(const Origin& origin, const QDateTime& when);
// makeCopy when dueIn says so; otherwise nothing is done and `due` is false.
Result makeDailyCopyIfDue(const Origin& origin, const QDateTime& when);

// The first daily copy in offer order that checks out, with its check;
// `found` false when there is none.
struct Found {
  bool found = false;
  Copy copy;
  safefile::Check check;
};
Found newestGoodCopyIn(const QString& folder, const QDateTime& now);
Found newestGoodCopy(const QString& dataFile, const QDateTime& now);
// The same among `candidates`, already in offer order (copies of several folders).
Found firstGoodCopy(const QList<Copy>& candidates);

// Tells thinning that the copy at `path` (as it is now) checked out, when
// it was checked another way (compared byte for byte with a good copy).
void rememberGood(const QString& path);

// Removes the files that copies carry until they have checked out
// (".Setting-*.tmp") from `folder`: left there by a run that was killed.
void removeTemporaries(const QString& folder);

// For tests that kill a program in the middle of a copy: with
// ASHIMEMO_TEST_STOP_AT naming `stage`, says so on standard error and waits
// there for ever.
void testStopPoint(const char* stage);

// Puts the copy at `copyPath` in place of `dataFile`: copies it to a
// temporary name beside the data file, checks and flushes it, keeps the file
// it replaces (if any) in the copies folder as "Setting-<asideLabel>-...",
// then renames the copy into place. At every moment "Setting.MDB" is either
// the old file or the whole restored one. `aside` gets the kept old file.
// When `dataFile` is a symbolic link, the copy is put where the link points
// and the link stays; a link whose target cannot be reached is refused.
bool restore(const QString& copyPath, const QString& dataFile, const QString& asideLabel, const QDateTime& when,
             QString* error, QString* aside = nullptr);

}  // namespace backup
