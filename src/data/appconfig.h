#pragma once
// The settings file "Ashimemo.ini" of the working folder (INI format). Each
// PC has its own. Without the file, or without a key, the program works as
// it always has: on "Setting.MDB" of the working folder, copies in
// "バックアップ" only.
//
//   [server]
//   url=postgresql://USER@HOST:PORT/DBNAME
//   [backup]
//   second=/media/usb/Ashimemo
#include <QString>

struct AppConfig {
  bool present = false;  // the file exists (and could be read)
  QString file;          // its path
  QString serverUrl;     // [server] url, trimmed; empty: the data file
  QString secondBackup;  // [backup] second, trimmed; empty: no second place
  // A file that exists but cannot be read as INI: a Japanese reason.
  QString error;
};

inline constexpr const char16_t* kAppConfigName = u"Ashimemo.ini";

// Reads "Ashimemo.ini" in `dir` (the working folder when empty).
AppConfig readAppConfig(const QString& dir = QString());
