#pragma once
// The printer settings of each sheet: one program-wide record, and one
// small text file per sheet ("SETTING.PRN", "ARAIMENT.PRN" in the working
// directory) holding five CR LF lines in Shift-JIS: printer, paper name,
// orientation name, top margin, left margin. Qt Core only.
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

struct PrnInfRecord {
  QString PrnInfKey;   // "SETTING" or "ARAIMENT": the sheet being worked on
  QString PrnName;     // printer device name
  QString PaperName;   // a display name of the paper table
  QString OrientName;  // "縦方向" or "横方向"
  QString MarginTop;   // whole millimetres as typed
  QString MarginLeft;
};

// The record shared by the printer settings screen and the two sheets.
extern PrnInfRecord PrnInf;

inline const QString kSettingSheetKey = QStringLiteral("SETTING");
inline const QString kAlignmentSheetKey = QStringLiteral("ARAIMENT");

// The file of a sheet: the key without surrounding blanks and ".PRN".
QString prnInfFileName(const QString& key);

// Opens the file of `key`: mode "W"/"w" for output (replaced when the
// written file is closed), "R"/"r" for input when the file exists. Returns
// the file number used (the lowest free one, from 1), or 0 when nothing was
// opened.
int OpenPrnInf(const QString& key, const QString& mode);
// Closes an open file; returns false when the output could not be written.
bool ClosePrnInf(int fileNumber);

// Reads the five values of `key` into PrnInf. Returns the file number, or 0
// when there is no file or it cannot be used (unreadable, not Shift-JIS, or
// fewer than five values); PrnInf is then left as it was.
int ReadPrnInf(const QString& key);
// Writes the five values of PrnInf into the file of `key`. Returns false
// when the file could not be written (the old file then stays as it was).
bool WritePrnInf(const QString& key);

// The file content of a record: five lines ended by CR LF, in Shift-JIS.
QByteArray prnInfBytes(const PrnInfRecord& record);
// The first five values of a file's content, read field by field: a field
// ends at a comma or at the end of its line, surrounding blanks are dropped
// and a value in double quotes loses them. None when the bytes are not
// Shift-JIS or hold fewer than five values.
std::optional<std::array<QString, 5>> readPrnInfFields(const QByteArray& bytes);
