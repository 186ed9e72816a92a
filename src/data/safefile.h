#pragma once
// Whole data files handled safely: the check that a file is a sound data file
// of ours, durable writes and renames, and the folder of copies beside the
// data file. Used by the backups, by restoring a copy and by converting a
// Jet-format file, so that the file at "Setting.MDB" is always one whole file.
#include <QDateTime>
#include <QMap>
#include <QString>

struct sqlite3;

namespace safefile {

// The folder beside the data file that holds its copies.
inline const QString kBackupFolderName = QStringLiteral("バックアップ");

// "<folder of dataFile>/バックアップ".
QString backupFolder(const QString& dataFile);

// A free path "<folder>/Setting-<label>-YYYYMMDD-HHMM.MDB" ("Setting-YYYYMMDD-HHMM.MDB"
// when label is empty). When that name is taken, "-2", "-3", ... is added
// before ".MDB", so that no copy is ever overwritten.
QString stampedPath(const QString& folder, const QString& label, const QDateTime& when);

struct Check {
  bool ok = false;
  bool busy = false;                // another program held the file: nothing is known of it
  QString problem;                  // Japanese reason when !ok
  QMap<QString, qint64> rowCounts;  // rows per table of the data file
};

// How far the engine's own check reads: Quick (every page once, not the
// index contents) when the data file is opened, Full for copies, which are
// read seldom and must be sound to be kept or offered.
enum class Depth { Quick, Full };

// The one check of a data file, on an open engine connection: the file is
// an SQLite database holding every table and field the program uses, the
// engine's check passes, and the rows per table are counted. Opening the
// data file, keeping or offering a copy, restoring and converting all use
// it, so that a copy that checks out can also be opened.
Check checkConnection(sqlite3* db, Depth depth);

// The same check on the file at `path`, opened read-only with a connection
// of its own, at depth Full.
Check checkDataFile(const QString& path);

// The file a path finally names. A symbolic link (or a chain of them) is
// followed to its last target; `dangling` is true when that target cannot be
// reached (it does not exist, or the share or folder it lies on is not
// mounted or not readable). Writing "through" a link means writing at
// `path`, so that the link itself stays.
struct Target {
  QString path;          // absolute; the given path itself when it is no link
  bool link = false;     // the given path is a symbolic link
  bool dangling = false; // a link whose target cannot be reached
};
Target resolvedTarget(const QString& path);

// Flushes a file's contents to the disk.
bool syncFile(const QString& path, QString* error);

// Renames `from` to `to` (replacing `to` when it exists) in one step and
// flushes the folder, so that after a crash `to` is either the old or the
// new file, never a mixture, and the rename is not lost. Both paths must be
// on the same file system.
bool durableRename(const QString& from, const QString& to, QString* error);

// Creates the folder (and its parents) when missing; false with a Japanese
// reason when it cannot be made or written.
bool ensureWritableFolder(const QString& folder, QString* error);

// True when the file starts as a Jet or ACE database does (byte 0 is 0 and
// bytes 4 to 19 read "Standard Jet DB" or "Standard ACE DB" and a 0 byte).
bool isJetFile(const QString& path);

// The lock that a program working on the data file's folder holds, so that
// a restore from the command line and the running program never meet.
// Lives in the temporary folder, named after the data file's folder.
QString folderLockPath(const QString& dataFile);

// For tests that kill the program in the middle of a copy, a restore, a
// thinning, a transfer to a server or a save: with ASHIMEMO_TEST_STOP_AT naming
// `stage`, the work says so on standard error and waits there for ever.
void stopIfAsked(const char* stage);

}  // namespace safefile
