#pragma once
// Converting a Jet-format "Setting.MDB" (Access 97 / 2000 and later) into a
// data file of this program. The Jet file is read through libmdb and never
// changed; the new file is built under a temporary name, checked and only
// then renamed into place. Progress and cancellation go through a callback,
// and the outcome is a report that the callers show.
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace convert {

// What the header of a file says it is.
enum class FileKind { Missing, Jet, NotJet };
FileKind fileKind(const QString& path);

// What the header says about the database password; `set` is false for a
// file without one (or a header that cannot be read: the conversion says why).
struct PasswordInfo {
  bool set = false;
  QString password;
};
PasswordInfo databasePassword(const QString& jetFile);

// The lock file "<name>.ldb" that Access keeps beside a database while it
// is open (a crash can leave it behind), and the PCs and users it lists.
struct LockFile {
  QString path;  // empty: none
  struct User {
    QString machine, user;
  };
  QList<User> users;
  bool present() const { return !path.isEmpty(); }
  // "「Setting.ldb」: PC-01 の Admin、PC-02 の 佐藤"
  QString describe() const;
};
LockFile accessLockFile(const QString& jetFile);

// What the user gave to convert a file that asks for it.
struct Access {
  QString password;           // the database password, when the file has one
  bool accessClosed = false;  // the user closed Access although its lock file is there
};

struct Progress {
  qint64 done = 0;   // rows read so far
  qint64 total = 0;  // rows in all tables to read
  QString step;      // Japanese, for a progress dialog
  bool finishing = false;  // past the point where cancelling is possible
};
// Called now and then from the thread that converts; returning false
// cancels (ignored while `finishing`).
using ProgressFn = std::function<bool(const Progress&)>;

struct Rejected {
  QString code;    // as read ("NULL" for a null code)
  QString reason;  // Japanese: 空, 重複, 範囲外
};

struct TableReport {
  QString name;
  bool present = false;  // the Jet file has the table
  qint64 rows = 0;       // rows written to the new file
  QStringList leftOut;   // Jet columns that we do not have
  QStringList filled;    // our columns that the Jet file lacks, "name（value）"
  QMap<QString, qint64> textInNumber;  // our number column -> texts read as numbers
  QList<Rejected> rejected;
};

// A text that could not be read exactly (its unreadable characters were
// written as U+FFFD).
struct InexactText {
  QString table, code, field;
};

struct Report {
  QString source;       // the Jet file
  QString jetVersion;   // "Jet 3", "Jet 4", ...
  QList<TableReport> tables;
  QList<QPair<QString, qint64>> leftBehind;  // Jet tables not carried over, with their rows (-1: unreadable)
  bool newVersionRow = false;                 // the Jet file had no version row: the new file's was written
  QList<InexactText> inexact;
  // Every value arrived as it was stored: nothing to check by hand.
  bool clean() const { return inexact.isEmpty(); }
  QString backup;       // where the original was kept (in-place conversion)
  QString reportFile;   // where the full report was written, if anywhere
  qint64 rejectedCount() const;
  // The whole report as plain Japanese text, one fact a line.
  QString text() const;
  // A short form for a message box: rows per table and what was left out or
  // filled; long lists are cut with a count of the rest.
  QString summary() const;
};

struct Result {
  enum Status { Done, Cancelled, Failed };
  Status status = Failed;
  QString error;  // Japanese, when Failed
  // When refused for want of it: what the user can give to go on.
  enum Need { Nothing, Password, RightPassword, AccessClosed };
  Need need = Nothing;
  Report report;
};

// Reads `jetFile` and writes a new data file `newFile`, which must not
// exist. Nothing is left at `newFile` unless the result is Done.
Result convertFile(const QString& jetFile, const QString& newFile, const ProgressFn& progress = {},
                   const Access& access = {});

// Converts the Jet file at `dataFile` in place: the original is kept byte
// for byte in the backup folder (safefile::stampedPath with label "変換前"
// and `now`), the full report beside it, and the new file replaces the
// original by one durable rename after it was checked. A failure, a cancel
// or a kill at any moment leaves either the untouched Jet file or the
// finished new file at `dataFile`. When `dataFile` is a symbolic link, the
// file it leads to is replaced and the link stays.
Result convertInPlace(const QString& dataFile, const QDateTime& now, const ProgressFn& progress = {},
                      const Access& access = {});

// Sets the environment libmdb reads when it opens a file (Japanese code page
// for Jet 3 text, UTF-8 out). Call once from the main thread before
// converting; the convert functions call it too.
void prepareEnvironment();

}  // namespace convert
