#pragma once
// A data file of the largest size the workshop reaches: 9,999 settings,
// 99 coil-over products, 9,999 users, one alignment record per tenth
// setting, 50 alignment base masters (or as many alignment records and base
// masters as asked, up to 9,999 and 9,999).
#include <QString>
#include <QTemporaryDir>

// Creates the file at `path` (which must not exist) and fills it.
void makeBigDataFile(const QString& path, int alignments = 999, int alignmentBases = 50);

// The largest data file in a temporary folder that is the current folder for
// the fixture's life, opened as the program's data file unless `open` is
// false; at the end the data file is closed and the old folder made current.
struct BigDataFolder {
  QTemporaryDir dir;
  QString old;
  explicit BigDataFolder(bool open = true);
  ~BigDataFolder();
  QString file() const;
};
