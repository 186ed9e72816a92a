#pragma once
// `ashimemo-mkdata --import JETFILE NEWFILE`: the conversion without the
// program's window, for the person who looks after the PC.
#include <QStringList>

namespace convert {
// `args` are the words after "--import": [--password PW] [--access-closed]
// JETFILE NEWFILE. Prints the report (or the reason for refusing) and
// returns the exit status: 0 done, 1 failed, 2 misuse, 3 done but some
// text could not be read exactly (named in the report).
int runImportCommand(const QStringList& args);
}  // namespace convert
