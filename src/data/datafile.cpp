#include "data/datafile.h"

#include "data/database.h"
#include "data/numfmt.h"

#include <QFile>
#include <QFileInfo>

namespace {
QString lastOpenError;
bool lastOpenDamaged = false;
}

bool FileExists(const QString& path) {
  QFile f(path);
  const bool ok = f.open(QIODevice::ReadOnly);
  f.close();
  return ok;
}

int OpenDataFile() {
  lastOpenError.clear();
  lastOpenDamaged = false;
  // A folder of that name is there, not missing: nothing may be restored over it.
  if (QFileInfo(kDataFileName).isDir()) {
    lastOpenError = QStringLiteral("「Setting.MDB」はファイルではなくフォルダーです。"
                                   "別の名前に変えるか移動して、データファイルを置いてください。");
    return 2;
  }
  if (!FileExists(kDataFileName)) return 1;
  switch (Database::open(kDataFileName, &lastOpenError, &lastOpenDamaged)) {
    case Database::Opened: return 0;
    case Database::Missing: return 1;
    case Database::Unusable: break;
  }
  return 2;
}

QString OpenDataFileError() { return lastOpenError; }
bool OpenDataFileDamaged() { return lastOpenDamaged; }

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

static QStringList listItems(const QString& none, const QString& sql, int width) {
  const auto rows = Database::codesAndNames(sql);
  QStringList items;
  items.reserve(rows.size() + 1);
  items << none;
  for (const auto& [code, name] : rows) {
    if (code >= 0 && code < 1e9 && code == double(qint64(code))) {
      // "0012:name" built in place: this runs for every row of the list.
      QString text(width + 1 + name.size(), Qt::Uninitialized);
      QChar* out = text.data();
      qint64 c = qint64(code);
      int digits = 1;
      for (qint64 v = c; v >= 10; v /= 10) ++digits;
      const int pad = qMax(width, digits);
      if (pad > width) text.resize(pad + 1 + name.size()), out = text.data();
      for (int i = pad - 1; i >= 0; --i, c /= 10) out[i] = QChar(u'0' + int(c % 10));
      out[pad] = u':';
      std::copy(name.cbegin(), name.cend(), out + pad + 1);
      items << text;
    } else {
      items << numfmt::format(code, QString(width, u'0')) + u':' + name;
    }
  }
  return items;
}

QStringList userListItems() {
  return listItems(QStringLiteral("0000:なし"),
                   QStringLiteral("SELECT ユーザー.コード, ユーザー.名前 From ユーザー ") +
                       QStringLiteral("ORDER BY ユーザー.コード"),
                   4);
}

QStringList coilOverListItems() {
  return listItems(QStringLiteral("00:なし"),
                   QStringLiteral("SELECT 車高調マスタ.コード, 車高調マスタ.名称 From 車高調マスタ ") +
                       QStringLiteral("ORDER BY 車高調マスタ.コード"),
                   2);
}
