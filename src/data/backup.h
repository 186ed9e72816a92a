#pragma once
// Copies of the data file in the folder "バックアップ" beside it: the daily
// copies made with the engine's online backup and kept only when they check
// out, their generations, and putting a copy back in place of the data file.
// Qt Core only; the program decides when to copy (app/autobackup.h).
#include "data/safefile.h"

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

// The copies of `dataFile` in its copies folder, newest first. Files of
// other names (a copy being made, journals) are not copies.
QList<Copy> copies(const QString& dataFile);
// The copies in `folder` itself (the copies folder, or a second place).
QList<Copy> copiesIn(const QString& folder);

// The daily copies to delete once the copy made at `newest` has checked
// out. Kept are every copy of that day (the morning copy still holds the
// file as it was before the day's work), the newest copy of each of the 13
// days before it that have copies, and the newest copy of each of the 12
// calendar months up to `newest`. Labelled copies are never deleted.
QStringList toPrune(const QList<Copy>& copies, const QDateTime& newest);

// True when no daily copy of `today` exists yet.
bool dueOn(const QString& dataFile, const QDate& today);

// True when the data file was written after its newest daily copy was made
// (or there is none).
bool changedSinceLastCopy(const QString& dataFile);

struct Result {
  bool ok = false;
  QString path;     // the kept copy
  QString problem;  // Japanese reason when !ok
  QStringList pruned;
};

// Copies the data file (which may be open and written meanwhile) to a
// temporary name in the copies folder, flushes and checks the copy (sound
// file, same row counts as the source at the moment of copying), then names
// it "Setting-YYYYMMDD-HHMM.MDB" after `when` and deletes the daily copies
// that the generations no longer need. A copy that fails is removed; the
// earlier copies stay.
Result makeCopy(const QString& dataFile, const QDateTime& when);

// The newest daily copy that checks out, with its check; `found` false
// when there is none.
struct Found {
  bool found = false;
  Copy copy;
  safefile::Check check;
};
Found newestGoodCopy(const QString& dataFile);
// The same among `candidates`, taken in the order given (newest first).
Found newestGoodCopyAmong(const QList<Copy>& candidates);

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
bool restore(const QString& copyPath, const QString& dataFile, const QString& asideLabel, const QDateTime& when,
             QString* error, QString* aside = nullptr);

}  // namespace backup
