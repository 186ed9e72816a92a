#pragma once
// The second place for copies of the data file: a folder on a USB drive or a
// network share, named by "[backup] second=" in "Ashimemo.ini", that gets a
// copy of every daily copy once it has checked out in "バックアップ", so that
// the records outlive the PC's own disk. The place keeps its own
// generations by the same rule as "バックアップ". A place that is not there,
// is read-only or is full never stops the local copy; the program says so
// once a day. Qt Core only; the program decides when (app/autobackup.h).
#include "data/backup.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace secondplace {

// The second place named in "Ashimemo.ini" beside the data file, as an
// absolute path (a relative one is taken from the data file's folder);
// empty when there is none. An "Ashimemo.ini" that cannot be read leaves it
// empty too, and `problem` (when given) gets the Japanese reason: copies the
// user expects on the drive must not stop without a word.
QString folderFor(const QString& dataFile, QString* problem = nullptr);

struct Outcome {
  bool ok = false;
  QString path;      // the copy kept there
  QString problem;   // Japanese reason when !ok
  backup::Thinned thinned;
};

// Copies the checked copy at `checkedCopy` into `folder` under its own name:
// written to a temporary name there, flushed to the drive, read back from
// the drive and compared byte for byte with the checked copy (identical
// bytes pass the same check), then renamed. A copy that does not compare
// equal is deleted there and never counted. Then the copies there are thinned
// as in "バックアップ" (backup::thin). The folder is made only when
// it lies directly on a mounted drive (so that an unplugged drive's empty
// mount point never gets copies on the PC's own disk).
Outcome copyTo(const QString& checkedCopy, const QString& folder, const QDateTime& when);

// The newest daily copy in "バックアップ" (made up to `now`), copied as
// copyTo does when `folder` has no file of its name: a drive that was away
// when it was made gets it at the next start. `ok` false and no problem when
// there is nothing to copy.
Outcome catchUp(const QString& dataFile, const QString& folder, const QDateTime& now);

// The copies in the data file's "バックアップ" and in `folder` (none there
// when empty or unreachable), newest first; at the same time, local first.
QList<backup::Copy> copiesOfBoth(const QString& dataFile, const QString& folder);

// The first daily copy of either place, in offer order (backup::inOfferOrder
// at `now`), that checks out.
backup::Found newestGoodCopy(const QString& dataFile, const QString& folder, const QDateTime& now);

// True the first time it is asked on `day` for this data file, false after
// that (across runs): the second place's trouble is told once a day.
bool firstNoticeOn(const QString& dataFile, const QDate& day);

}  // namespace secondplace
