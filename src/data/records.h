#pragma once
// Plain values of a setting and of an alignment record as a screen shows
// them, and how they are written into their tables. The main window, the
// setting copy dialog and the two printed sheets share these.
#include <QString>
#include <array>

class Recordset;

struct SettingRecord {
  QString code;   // the code field's text, e.g. "0012"
  QString name;   // セッティング名
  QString year, month, day;
  QString user;   // the user list text, e.g. "0003:佐藤　一郎"
  QString coilOver;  // the product list text, e.g. "02:..."
  // wheel[w][item]: w 0 FL, 1 FR, 2 RL, 3 RR; items in the order of
  // schema::wheelItems() (フェンダー高 ... 備考).
  std::array<std::array<QString, 12>, 4> wheel;
};

// Writes the 53 fields in their stored order: the code (numeric value of
// `code`), the trimmed name, the date as "0000"+"00"+"00", the user and
// product codes from the leading digits of their list texts, and the 48
// trimmed wheel texts.
void writeSetting(Recordset& rs, const SettingRecord& record, qint64 code);
// The same without the code: every field after it (the copy dialog writes
// its own target code).
void writeSettingFields(Recordset& rs, const SettingRecord& record);

struct AlignmentRecord {
  QString alignmentCode;  // the base-master code field, e.g. "0003"
  QString baseName;       // 登録名 of that master
  // The 26 standard values in the order of schema::alignmentStandardColumns().
  std::array<QString, 26> standard;
  std::array<QString, 22> before;
  std::array<QString, 22> after;
  std::array<QString, 2> tyreSize;
  std::array<QString, 2> tyreDiameter;
};
