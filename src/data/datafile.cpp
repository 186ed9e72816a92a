#include "data/datafile.h"

#include "data/database.h"
#include "data/numfmt.h"

#include <QFile>

namespace {
QString lastOpenError;
}

bool FileExists(const QString& path) {
  QFile f(path);
  const bool ok = f.open(QIODevice::ReadOnly);
  f.close();
  return ok;
}

int OpenDataFile() {
  lastOpenError.clear();
  if (!FileExists(kDataFileName)) return 1;
  switch (Database::open(kDataFileName, &lastOpenError)) {
    case Database::Opened: return 0;
    case Database::Missing: return 1;
    case Database::Unusable: break;
  }
  return 2;
}

QString OpenDataFileError() { return lastOpenError; }

void CloseDataFile() { Database::close(); }

QString NextCode(const CodeKind& kind) {
  Recordset rs(QStringLiteral("SELECT max(コード) As 最大コード FROM ") + QString::fromUtf8(kind.table));
  const QVariant max = rs.noRow() ? QVariant() : rs.field(QStringLiteral("最大コード"));
  rs.close();
  return proposeCode(max, kind);
}

QString NextSettingCode() { return NextCode(SettingCodes); }
QString NextUserCode() { return NextCode(UserCodes); }
QString NextAlignmentBaseCode() { return NextCode(AlignmentBaseCodes); }
QString NextCoilOverCode() { return NextCode(CoilOverCodes); }

static QStringList listItems(const QString& none, const QString& sql, const QString& nameField, const QString& pattern) {
  QStringList items{none};
  Recordset rs(sql);
  for (; !rs.eof(); rs.moveNext())
    items << numfmt::format(rs.number(QStringLiteral("コード")), pattern) + u':' + rs.text(nameField).trimmed();
  rs.close();
  return items;
}

QStringList userListItems() {
  return listItems(QStringLiteral("0000:なし"),
                   QStringLiteral("SELECT ユーザー.コード, ユーザー.名前 From ユーザー ") +
                       QStringLiteral("ORDER BY ユーザー.コード"),
                   QStringLiteral("名前"), QStringLiteral("0000"));
}

QStringList coilOverListItems() {
  return listItems(QStringLiteral("00:なし"),
                   QStringLiteral("SELECT 車高調マスタ.コード, 車高調マスタ.名称 From 車高調マスタ ") +
                       QStringLiteral("ORDER BY 車高調マスタ.コード"),
                   QStringLiteral("名称"), QStringLiteral("00"));
}
