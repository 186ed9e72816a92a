#include "data/appconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

AppConfig readAppConfig(const QString& dir) {
  AppConfig config;
  config.file = QDir(dir.isEmpty() ? QDir::currentPath() : dir).filePath(QString::fromUtf16(kAppConfigName));
  const QFileInfo info(config.file);
  if (!info.exists()) return config;
  config.present = true;
  if (!info.isFile() || !info.isReadable()) {
    config.error = QStringLiteral("設定ファイル「%1」を読み込めません。").arg(config.file);
    return config;
  }
  // QSettings reads UTF-8 only: a file in UTF-16 (Notepad's "Unicode")
  // would give no keys, and a path in the Japanese ANSI code page garbled
  // letters, without a word.
  const QString encoding = QStringLiteral("設定ファイル「%1」の文字コードが UTF-8 ではありません"
                                          "（UTF-8 で保存し直してください）。").arg(config.file);
  QFile raw(config.file);
  if (raw.open(QIODevice::ReadOnly)) {
    const QByteArray head = raw.read(2);
    if (head == "\xFF\xFE" || head == "\xFE\xFF") {
      config.error = encoding;
      return config;
    }
  }
  QSettings ini(config.file, QSettings::IniFormat);
  if (ini.status() != QSettings::NoError) {
    config.error = QStringLiteral("設定ファイル「%1」の書式が正しくありません。").arg(config.file);
    return config;
  }
  // QSettings splits an unquoted value at commas; a path may hold one.
  const auto text = [&ini](const char* key) {
    const QVariant v = ini.value(QLatin1String(key));
    return (v.typeId() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString()).trimmed();
  };
  config.serverUrl = text("server/url");
  config.secondBackup = text("backup/second");
  if (config.serverUrl.contains(QChar::ReplacementCharacter) || config.secondBackup.contains(QChar::ReplacementCharacter)) {
    config.error = encoding;
    config.serverUrl.clear();
    config.secondBackup.clear();
  }
  return config;
}
