#pragma once
// The paper sizes a sheet can be printed on, by their Windows paper numbers
// and the display names stored in the printer files, and the two
// orientations. Qt Gui only (QPageSize), no widgets.
#include <QList>
#include <QPageSize>
#include <QString>
#include <optional>

struct PaperEntry {
  int code;          // Windows paper number (DMPAPER_...)
  QString name;      // display name, stored in the printer files
  QPageSize size;    // the page that is printed
};

// The 35 standard sizes (codes 1-35) in code order, then the three inch
// sizes 44, 45 and 46.
const QList<PaperEntry>& paperTable();
// The code whose display name equals `name` exactly; none when no row does.
std::optional<int> GetPaperCode(const QString& name);
// The entry of a code, or nullptr.
const PaperEntry* paperEntry(int code);

inline const QString kPortrait = QStringLiteral("縦方向");
inline const QString kLandscape = QStringLiteral("横方向");
// 0 for "縦方向", 1 for "横方向", none otherwise.
std::optional<int> GetOrientationCode(const QString& name);
