#pragma once
// Moving the records between a data file and a PostgreSQL server.
//
// Into the server: every row of a checked data file into a database without
// records of ours, in one transaction through COPY, committed only when the
// server's row counts equal the file's; a failure or a killed process leaves
// the database as it was.
//
// Out of the server: one consistent snapshot of the server's records written
// into a new data file. The same routine makes the copies of a server in
// "バックアップ" (backup.h), from whichever thread, on a connection of its own.
#include "data/server.h"

#include <QMap>
#include <QString>
#include <functional>

namespace servercopy {

struct Progress {
  qint64 done = 0;   // rows so far
  qint64 total = 0;  // rows in all six tables
  QString table;     // the table being copied
};
// Called now and then from the thread that copies.
using ProgressFn = std::function<void(const Progress&)>;

struct Result {
  bool ok = false;
  // Japanese, with the server's or engine's own text on a line "詳細: …";
  // names the server (user@host:port/db), never the password.
  QString problem;
  // The server's database already holds records of ours (nothing changed).
  bool refused = false;
  // A password is wanted and none was given or found.
  bool needsPassword = false;
  QMap<QString, qint64> rowCounts;  // rows per table copied
};

// The Japanese sentence for a connection that did not open.
QString connectProblem(ServerOpen result, const ServerUrl& url, const QString& detail);

// Copies the data file `file` into the database at `url`. Refuses when the
// file is not a sound data file or when the database holds records in our
// tables; tables of ours without records are replaced by new ones.
Result toServer(const QString& file, const ServerUrl& url, const QString& password = QString(),
                const ProgressFn& progress = {});

// Writes the server's records, read in one snapshot, into the data file
// `path`, which must not exist: made whole but neither flushed nor checked.
// `counts` gets the server's rows per table in that snapshot, to compare
// with the check of the file. Opens, and closes again, a connection of its
// own in the calling thread. Returns the problem, or "".
QString writeSnapshot(const ServerUrl& url, const QString& password, const QString& path,
                      QMap<QString, qint64>* counts, bool* needsPassword = nullptr, const ProgressFn& progress = {});

// The server's records into the new data file `file` (refused when it
// exists): written under a temporary name beside it, flushed, checked like
// a daily copy (integrity, the six tables, the server's row counts), then
// renamed into place.
Result fromServer(const ServerUrl& url, const QString& password, const QString& file,
                  const ProgressFn& progress = {});

}  // namespace servercopy
