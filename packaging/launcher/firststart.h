#pragma once
// Where a start from the desktop menu keeps its data, and the first start
// that prepares that folder: the folder "Ashimemo" in the user's documents
// folder with a new, empty data file and the two wheel pictures of the
// setting sheet. Nothing that is already there is ever replaced.
// Qt Core and the data library only, so that tests need no window.
#include <QString>
#include <QStringList>

namespace FirstStart {

inline const QString kFolderName = QStringLiteral("Ashimemo");

// "<documents>/Ashimemo"; "<home>/Ashimemo" when the documents folder is
// unknown (empty or not an absolute path).
QString dataFolder(const QString& documents, const QString& home);

// The documents folder as `xdg-user-dir DOCUMENTS` names it; empty when the
// command is missing, fails or says nothing.
QString documentsFolder();

struct Outcome {
  bool createdDataFile = false;  // this start made the data file
  QString error;                 // Japanese; the program cannot start there
  QStringList uncopiedPictures;  // pictures that are missing and could not be copied
};

// Makes `folder` ready for the program: creates it when absent, creates the
// data file when there is none (and no checked copy of one) and copies each wheel picture from
// `pictureDir` that the folder lacks. An existing data file or picture is
// left exactly as it is.
Outcome prepare(const QString& folder, const QString& pictureDir);

// The one-time notice after the data file was created.
QString createdNotice(const QString& folder, const QString& guide);

}  // namespace FirstStart
