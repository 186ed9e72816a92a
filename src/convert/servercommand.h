#pragma once
// `ashimemo-mkdata --to-server FILE URL` and `--from-server URL FILE`: the
// records of a data file (or of a Jet-format file, converted on the way)
// into a PostgreSQL database, and the server's records into a new data file.
#include <QStringList>

namespace convert {
// `args` are the words after the option. Print the outcome (or the reason
// for refusing) and return the exit status: 0 done, 1 failed or refused,
// 2 misuse.
int runToServerCommand(const QStringList& args);
int runFromServerCommand(const QStringList& args);
}  // namespace convert
