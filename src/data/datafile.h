#pragma once
// Opening and closing the data file, the file test, the drop-down list
// contents and the proposal of the next free code of each table.
#include "data/rules.h"

#include <QString>
#include <QStringList>

inline const QString kDataFileName = QStringLiteral("Setting.MDB");

// True when the file can be opened for reading.
bool FileExists(const QString& path);

// Opens "Setting.MDB" in the working directory: 0 when opened, 1 when the
// file does not exist, 2 when it exists but cannot be used (the reason is
// then in OpenDataFileError()).
int OpenDataFile();
QString OpenDataFileError();
// After OpenDataFile() gave 2: true when the file itself cannot be used (not
// a data file, damaged, a table missing), false when it is locked or read-only.
bool OpenDataFileDamaged();
void CloseDataFile();

// Next free code of a table, or its no-code-left marker. Throws DbError.
QString NextCode(const CodeKind& kind);
QString NextSettingCode();
QString NextUserCode();
QString NextAlignmentBaseCode();
QString NextCoilOverCode();

// Items of the user and coil-over drop-down lists: "0000:なし" / "00:なし"
// first, then one "code:name" per stored record in code order.
QStringList userListItems();
QStringList coilOverListItems();
