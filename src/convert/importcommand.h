#pragma once
// `ashimemo-mkdata --import JETFILE NEWFILE`: the conversion without the
// program's window, for the person who looks after the PC.
#include <QStringList>

namespace convert {
// `args` are the words after "--import". Prints the report (or the reason
// for refusing) and returns the exit status: 0 done, 1 failed, 2 misuse.
int runImportCommand(const QStringList& args);
}  // namespace convert
