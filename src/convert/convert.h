#pragma once
// Converting a Jet-format "Setting.MDB" (Access 97 / 2000 and later) into a
// data file of this program. The Jet file is read through libmdb and never
// changed; the new file is built under a temporary name, checked and only
// then renamed into place. Progress and cancellation go through a callback,
// and the outcome is a report that the callers show.
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace convert {

// What the header of a file says it is.
enum class FileKind { Missing, Jet, NotJet };
FileKind fileKind(const QString& path);

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

struct Report {
  QString source;       // the Jet file
  QString jetVersion;   // "Jet 3", "Jet 4", ...
  QList<TableReport> tables;
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
  Report report;
};

// Reads `jetFile` and writes a new data file `newFile`, which must not
// exist. Nothing is left at `newFile` unless the result is Done.
Result convertFile(const QString& jetFile, const QString& newFile, const ProgressFn& progress = {});

// Converts the Jet file at `dataFile` in place: the original is kept byte
// for byte in the backup folder (safefile::stampedPath with label "変換前"
// and `now`), the full report beside it, and the new file replaces the
// original by one durable rename after it was checked. A failure, a cancel
// or a kill at any moment leaves either the untouched Jet file or the
// finished new file at `dataFile`.
Result convertInPlace(const QString& dataFile, const QDateTime& now, const ProgressFn& progress = {});

// Sets the environment libmdb reads when it opens a file (Japanese code page
// for Jet 3 text, UTF-8 out). Call once from the main thread before
// converting; the convert functions call it too.
void prepareEnvironment();

}  // namespace convert
