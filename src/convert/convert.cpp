#include "convert/convert.h"

#include "convert/jetsource.h"
#include "data/clock.h"
#include "data/newfile.h"
#include "data/numfmt.h"
#include "data/safefile.h"
#include "data/schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sqlite3.h>
#include <sys/statvfs.h>

namespace convert {

void prepareEnvironment() {
  // Jet 3 text is in the file's code page; Japanese files use CP932, which
  // iconv's "SHIFT-JIS" (libmdb's default for code page 932) gets wrong for
  // characters such as ～ － ∥ ① ㈱ 髙.
  if (qgetenv("MDB_JET3_CHARSET") != "CP932") qputenv("MDB_JET3_CHARSET", "CP932");
  if (qgetenv("MDB_ICONV") != "UTF-8") qputenv("MDB_ICONV", "UTF-8");
}

namespace {

const QString kCode = QStringLiteral("コード");

// The highest code of each table with codes; all start at 1.
qint64 topCode(const QString& table) { return table == schema::kCoilOvers ? 99 : 9999; }

// What a new record of ours holds in a column when nothing was entered:
// the screens' cleared state (a blank number field is stored as 0).
QVariant newRecordValue(const QString& table, const schema::Column& column) {
  if (table == schema::kSettings && column.name == QStringLiteral("登録日")) return TodayDigits();
  if (table == schema::kCoilOvers) {
    static const QStringList offered{QStringLiteral("ピロアッパーキャンバー調節_F"), QStringLiteral("ピロアッパーキャンバー調節_R"),
                                     QStringLiteral("ネジ式車高調整_F"), QStringLiteral("ネジ式車高調整_R"),
                                     QStringLiteral("減衰力調整式_伸縮同時_F"), QStringLiteral("減衰力調整式_伸縮同時_R")};
    if (offered.contains(column.name)) return 1;
    if (column.name.startsWith(QStringLiteral("減衰力_"))) return 5;
    if (column.name.startsWith(QStringLiteral("ID_"))) return 65;
  }
  if (column.type == schema::Type::Text) return QString();
  return 0;
}

QByteArray shortestText(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return QByteArray(buf, int(r.ptr - buf));
}
QByteArray shortestText(float v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return QByteArray(buf, int(r.ptr - buf));
}
// A Single as the double of its shortest decimal text: 0.1f gives 0.1.
double singleAsDouble(float v) {
  const QByteArray t = shortestText(v);
  double d = 0;
  std::from_chars(t.constData(), t.constData() + t.size(), d);
  return d;
}
QByteArray moneyText(qint64 units) {
  const bool negative = units < 0;
  const quint64 a = negative ? quint64(-(units + 1)) + 1 : quint64(units);
  QByteArray s = QByteArray::number(a / 10000);
  QByteArray frac = QByteArray::number(a % 10000).rightJustified(4, '0');
  while (frac.endsWith('0')) frac.chop(1);
  if (!frac.isEmpty()) s += '.' + frac;
  return negative ? '-' + s : s;
}
QByteArray dateDigits(double days) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6) return QByteArray();
  return QDate(1899, 12, 30).addDays(qint64(std::trunc(days))).toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

// One value ready for SQLite.
struct Out {
  enum Kind { Null, Int, Real, Text } kind = Null;
  qint64 i = 0;
  double d = 0;
  QByteArray text;
};

Out number(double v) {
  Out o;
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9e15) {
    o.kind = Out::Int;
    o.i = qint64(v);
  } else {
    o.kind = Out::Real;
    o.d = std::isfinite(v) ? v : 0;
  }
  return o;
}

// Turns a Jet value into the value of one of our columns. `textAsNumber`
// is set when a text had to be read as a number.
Out convertCell(const Cell& c, schema::Type type, bool* textAsNumber) {
  Out o;
  if (c.kind == Cell::Null || c.kind == Cell::Unreadable) return o;
  if (type == schema::Type::Text) {
    o.kind = Out::Text;
    switch (c.kind) {
      case Cell::Bool:
      case Cell::Int: o.text = QByteArray::number(c.i); break;
      case Cell::Single: o.text = shortestText(c.f); break;
      case Cell::Double: o.text = shortestText(c.d); break;
      case Cell::Money: o.text = moneyText(c.i); break;
      case Cell::Date: o.text = dateDigits(c.d); break;
      default: o.text = c.text; break;
    }
    return o;
  }
  switch (c.kind) {
    case Cell::Bool:
    case Cell::Int: o.kind = Out::Int, o.i = c.i; return o;
    case Cell::Single: return number(singleAsDouble(c.f));
    case Cell::Double:
    case Cell::Date: return number(c.d);
    case Cell::Money: return number(double(c.i) / 10000.0);
    default:
      *textAsNumber = true;
      return number(numfmt::val(QString::fromUtf8(c.text)));
  }
}

QString fillText(const QVariant& v) {
  const QString s = v.toString();
  return s.isEmpty() ? QStringLiteral("空") : s;
}

// The new file, written through SQLite directly: one transaction, prepared
// inserts, values bound as they come from libmdb.
class Target {
 public:
  ~Target() { close(); }
  bool open(const QString& path, QString* error) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
      return fail(error);
    // The file is not in place yet: a crash only loses the temporary file,
    // so the build needs no journal; it is synced before the rename.
    return exec("PRAGMA journal_mode=OFF", error) && exec("PRAGMA synchronous=OFF", error) &&
           exec("BEGIN", error);
  }
  bool exec(const char* sql, QString* error) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail(error);
  }
  bool prepare(const schema::Table& t, QString* error) {
    finalize();
    QStringList cols, marks;
    for (const schema::Column& c : t.columns) cols << u'"' + c.name + u'"', marks << QStringLiteral("?");
    const QByteArray sql =
        QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(t.name, cols.join(u','), marks.join(u',')).toUtf8();
    return sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &insert_, nullptr) == SQLITE_OK || fail(error);
  }
  bool write(const QList<Out>& values, QString* error) {
    for (int i = 0; i < values.size(); ++i) {
      const Out& v = values[i];
      switch (v.kind) {
        case Out::Null: sqlite3_bind_null(insert_, i + 1); break;
        case Out::Int: sqlite3_bind_int64(insert_, i + 1, v.i); break;
        case Out::Real: sqlite3_bind_double(insert_, i + 1, v.d); break;
        case Out::Text: sqlite3_bind_text(insert_, i + 1, v.text.constData(), int(v.text.size()), SQLITE_STATIC); break;
      }
    }
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    return rc == SQLITE_DONE || fail(error);
  }
  bool finish(QString* error) {
    finalize();
    if (!exec("COMMIT", error)) return false;
    return close() || fail(error);
  }
  bool close() {
    finalize();
    const bool ok = !db_ || sqlite3_close(db_) == SQLITE_OK;
    db_ = nullptr;
    return ok;
  }

 private:
  void finalize() {
    if (insert_) sqlite3_finalize(insert_);
    insert_ = nullptr;
  }
  bool fail(QString* error) {
    const int code = db_ ? sqlite3_errcode(db_) : SQLITE_CANTOPEN;
    if (code == SQLITE_FULL)
      *error = QStringLiteral("ディスクの空き容量が足りません。");
    else
      *error = QStringLiteral("新しいデータファイルに書き込めません（%1）。").arg(QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "open"));
    return false;
  }
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
};

qint64 freeBytes(const QString& folder) {
  struct statvfs s{};
  if (::statvfs(QFile::encodeName(folder).constData(), &s) != 0) return -1;
  return qint64(s.f_bavail) * qint64(s.f_frsize);
}

}  // namespace

// Everything above the final rename: reads the Jet file and builds the new
// file at `temp`, reporting into `result`. Returns false on cancel/failure.
static bool buildFrom(JetSource& jet, const QString& temp, const ProgressFn& progress, Result* result) {
  Report& report = result->report;
  const QStringList jetTables = jet.tables();
  bool anyOurs = false;
  for (const schema::Table& t : schema::tables()) anyOurs = anyOurs || jetTables.contains(t.name);
  if (!jetTables.contains(schema::kSettings) || !anyOurs) {
    result->error = QStringLiteral("このプログラムのデータファイルではありません（表「%1」がありません）。").arg(schema::kSettings);
    return false;
  }
  // Row counts first, for the progress total; the Jet file's own tables
  // stay behind and are named in the report with their rows.
  Progress p;
  for (const schema::Table& t : schema::tables()) {
    if (!jetTables.contains(t.name)) continue;
    if (!jet.openTable(t.name, &result->error)) return false;
    p.total += jet.declaredRows();
  }
  for (const QString& name : jetTables) {
    if (schema::tables().end() != std::find_if(schema::tables().begin(), schema::tables().end(),
                                               [&](const schema::Table& t) { return t.name == name; }))
      continue;
    QString ignored;
    report.leftBehind << qMakePair(name, jet.openTable(name, &ignored) ? jet.declaredRows() : qint64(-1));
  }
  QString error;
  if (!createDataFile(temp, false, &error)) {
    result->error = error;
    return false;
  }
  Target out;
  if (!out.open(temp, &result->error)) return false;
  auto tick = [&](const QString& step) {
    p.step = step;
    if (progress && !progress(p)) {
      result->status = Result::Cancelled;
      return false;
    }
    return true;
  };

  for (const schema::Table& t : schema::tables()) {
    TableReport tr;
    tr.name = t.name;
    tr.present = jetTables.contains(t.name);
    if (!tr.present) {
      report.tables << tr;
      continue;
    }
    const QString step = QStringLiteral("「%1」を変換しています…").arg(t.name);
    if (!tick(step)) return false;
    if (!jet.openTable(t.name, &result->error)) return false;
    const QStringList jetCols = jet.columns();
    // Our columns by name (Jet names are case-insensitive), and what fills
    // the ones the Jet file lacks.
    QList<int> source;
    QList<QVariant> fill;
    for (const schema::Column& c : t.columns) {
      int found = -1;
      for (int j = 0; j < jetCols.size() && found < 0; ++j)
        if (jetCols[j].compare(c.name, Qt::CaseInsensitive) == 0) found = j;
      source << found;
      fill << (found < 0 ? newRecordValue(t.name, c) : QVariant());
      if (found < 0) tr.filled << c.name + QStringLiteral("（%1）").arg(fillText(fill.last()));
    }
    for (const QString& j : jetCols)
      if (!source.contains(int(jetCols.indexOf(j)))) tr.leftOut << j;
    QList<Out> fillOut;
    for (int k = 0; k < t.columns.size(); ++k) {
      Out o;
      const QVariant& f = fill[k];
      if (source[k] >= 0) {
      } else if (t.columns[k].type == schema::Type::Text) {
        o.kind = Out::Text, o.text = f.toString().toUtf8();
      } else {
        o = number(f.toDouble());
      }
      fillOut << o;
    }
    // The new file's version row goes only when the Jet file has one.
    bool keepNewVersionRow = t.name == schema::kVersion;
    if (!out.prepare(t, &result->error)) return false;

    const int codeColumn = t.keyed ? int(t.columnNames().indexOf(kCode)) : -1;
    QSet<qint64> seen;
    QList<Cell> cells;
    QList<Out> values = fillOut;
    while (jet.next(&cells, &result->error)) {
      // Every row read counts towards the total, also one not imported.
      ++p.done;
      if ((p.done & 63) == 0 && !tick(step)) return false;
      for (int k = 0; k < t.columns.size(); ++k) {
        if (source[k] < 0) continue;
        bool textAsNumber = false;
        values[k] = convertCell(cells[source[k]], t.columns[k].type, &textAsNumber);
        if (textAsNumber) ++tr.textInNumber[t.columns[k].name];
      }
      if (codeColumn >= 0) {
        const Out& code = values[codeColumn];
        const Cell& raw = source[codeColumn] >= 0 ? cells[source[codeColumn]] : Cell{};
        QString shown;
        if (raw.kind == Cell::Text) shown = QString::fromUtf8(raw.text);
        else if (code.kind == Out::Int) shown = QString::number(code.i);
        else if (code.kind == Out::Real) shown = QString::number(code.d, 'g', 17);
        if (code.kind == Out::Null) {
          tr.rejected << Rejected{QStringLiteral("NULL"), QStringLiteral("コードが空")};
          continue;
        }
        if (code.kind != Out::Int || code.i < 1 || code.i > topCode(t.name)) {
          tr.rejected << Rejected{shown, QStringLiteral("コードが範囲外（1～%1）").arg(topCode(t.name))};
          continue;
        }
        if (seen.contains(code.i)) {
          tr.rejected << Rejected{shown, QStringLiteral("コードが重複")};
          continue;
        }
        seen.insert(code.i);
      }
      for (int k = 0; k < t.columns.size(); ++k) {
        const Cell* c = source[k] >= 0 ? &cells[source[k]] : nullptr;
        if (c && (c->inexact || c->kind == Cell::Unreadable))
          report.inexact << InexactText{t.name, codeColumn >= 0 ? QString::number(values[codeColumn].i) : QString(),
                                        t.columns[k].name};
      }
      if (keepNewVersionRow) {
        keepNewVersionRow = false;
        if (!out.exec("DELETE FROM \"バージョン情報\"", &result->error) || !out.prepare(t, &result->error)) return false;
      }
      if (!out.write(values, &result->error)) return false;
      ++tr.rows;
    }
    if (!result->error.isEmpty()) return false;
    // A table that ends before the count its definition states has pages
    // missing (a cut-off copy): refuse rather than lose rows unseen.
    if (jet.rowsRead() < jet.declaredRows()) {
      result->error = QStringLiteral("表「%1」の %2 行のうち %3 行しか読めません。ファイルが途中で切れているか、壊れています。")
                          .arg(t.name)
                          .arg(numfmt::format(double(jet.declaredRows()), u"#,##0"),
                               numfmt::format(double(jet.rowsRead()), u"#,##0"));
      return false;
    }
    if (keepNewVersionRow) report.newVersionRow = true;
    report.tables << tr;
  }
  if (!tick(QStringLiteral("新しいデータファイルを確認しています…"))) return false;
  if (!out.finish(&result->error)) return false;

  // The new file must be sound and hold exactly what was imported.
  const safefile::Check check = safefile::checkDataFile(temp);
  if (!check.ok) {
    result->error = QStringLiteral("変換したファイルの確認で問題が見つかりました（%1）。").arg(check.problem);
    return false;
  }
  for (const TableReport& tr : report.tables) {
    const qint64 expected = tr.name == schema::kVersion && tr.rows == 0 ? 1 : tr.rows;
    if (check.rowCounts.value(tr.name, -1) != expected) {
      result->error = QStringLiteral("変換したファイルの「%1」の行数が合いません。").arg(tr.name);
      return false;
    }
  }
  if (!tick(QStringLiteral("新しいデータファイルを確認しています…"))) return false;
  QString syncError;
  if (!safefile::syncFile(temp, &syncError)) {
    result->error = QStringLiteral("新しいデータファイルを書き込めません（%1）。").arg(syncError);
    return false;
  }
  return true;
}

static QString tempNameBeside(const QString& target) {
  const QFileInfo info(target);
  return info.absoluteDir().filePath(info.fileName() + QStringLiteral(".変換中-") +
                                     QUuid::createUuid().toString(QUuid::Id128).left(12));
}

// A file left by a conversion that was killed.
static void removeStaleTemporaries(const QString& target) {
  const QFileInfo info(target);
  const QDir dir = info.absoluteDir();
  for (const QString& name : dir.entryList({info.fileName() + QStringLiteral(".変換中-*")}, QDir::Files | QDir::Hidden))
    QFile::remove(dir.filePath(name));
}

static bool enoughSpace(const QString& folder, qint64 need, QString* error) {
  const qint64 free = freeBytes(folder);
  if (free >= 0 && free < need) {
    *error = QStringLiteral("ディスクの空き容量が足りません（必要: 約 %1 MB、空き: %2 MB）。")
                 .arg((need + 999999) / 1000000)
                 .arg(free / 1000000);
    return false;
  }
  return true;
}

static bool folderWritable(const QString& folder, QString* error) {
  if (safefile::ensureWritableFolder(folder, nullptr)) return true;
  *error = QStringLiteral("フォルダー「%1」に書き込めません（読み取り専用か、権限がありません）。").arg(QDir::toNativeSeparators(folder));
  return false;
}

Result convertFile(const QString& jetFile, const QString& newFile, const ProgressFn& progress, const Access& access) {
  Result result;
  result.report.source = jetFile;
  // A link that leads nowhere counts as there: the rename would replace it.
  if (QFileInfo::exists(newFile) || QFileInfo(newFile).isSymLink()) {
    result.error = QStringLiteral("「%1」はすでにあります。上書きはしません。").arg(newFile);
    return result;
  }
  JetSource jet;
  if (!jet.open(jetFile, access, &result.error, &result.need)) return result;
  result.report.jetVersion = jet.version();
  const QString folder = QFileInfo(newFile).absolutePath();
  if (!folderWritable(folder, &result.error)) return result;
  if (!enoughSpace(folder, QFileInfo(jetFile).size() + (1 << 20), &result.error)) return result;
  const QString temp = tempNameBeside(newFile);
  const bool built = buildFrom(jet, temp, progress, &result);
  QString renameError;
  if (built && safefile::durableRename(temp, newFile, &renameError)) {
    result.status = Result::Done;
    return result;
  }
  QFile::remove(temp);
  if (built) result.error = QStringLiteral("新しいデータファイルの名前を変更できません（%1）。").arg(renameError);
  if (result.status != Result::Cancelled) result.status = Result::Failed;
  return result;
}

static bool sameBytes(const QString& a, const QString& b) {
  QFile fa(a), fb(b);
  if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size()) return false;
  while (!fa.atEnd())
    if (fa.read(1 << 20) != fb.read(1 << 20)) return false;
  return true;
}

// Copies `from` to `to` through a temporary name, synced, so that `to` is
// never a partial copy.
static bool durableCopy(const QString& from, const QString& to, QString* error) {
  const QString temp = to + QStringLiteral(".part");
  QFile::remove(temp);
  if (!QFile::copy(from, temp) || !sameBytes(from, temp)) {
    QFile::remove(temp);
    *error = QStringLiteral("元のファイルを「%1」に保存できません（空き容量か権限をご確認ください）。").arg(QDir::toNativeSeparators(to));
    return false;
  }
  QString why;
  if (!safefile::syncFile(temp, &why) || !safefile::durableRename(temp, to, &why)) {
    QFile::remove(temp);
    *error = QStringLiteral("元のファイルを保存できません（%1）。").arg(why);
    return false;
  }
  return true;
}

Result convertInPlace(const QString& linkOrFile, const QDateTime& now, const ProgressFn& progress, const Access& access) {
  Result result;
  result.report.source = linkOrFile;
  JetSource jet;
  if (!jet.open(linkOrFile, access, &result.error, &result.need)) return result;
  // Through a symbolic link, the file it leads to is replaced (the new file
  // is built beside it) and the link stays; the copies stay beside the link.
  const QString dataFile = safefile::resolvedTarget(linkOrFile).path;
  const QFileInfo before(dataFile);
  result.report.jetVersion = jet.version();
  const QString folder = before.absolutePath();
  if (!folderWritable(folder, &result.error)) return result;
  // Room for the new file and for the copy of the original.
  if (!enoughSpace(folder, 2 * before.size() + (1 << 20), &result.error)) return result;
  removeStaleTemporaries(dataFile);

  const QString temp = tempNameBeside(dataFile);
  if (!buildFrom(jet, temp, progress, &result)) {
    QFile::remove(temp);
    if (result.status != Result::Cancelled) result.status = Result::Failed;
    return result;
  }
  if (progress) {
    Progress p;
    p.finishing = true;
    p.step = QStringLiteral("元のファイルを保存しています…");
    progress(p);
  }
  // The original, byte for byte, in the backup folder, before the new
  // file takes its name. It must not have changed while we read it.
  auto fail = [&](const QString& why) {
    QFile::remove(temp);
    result.error = why;
    result.status = Result::Failed;
    return result;
  };
  const QFileInfo still(dataFile);
  if (still.size() != before.size() || still.lastModified() != before.lastModified() || lockedByOtherProgram(dataFile) ||
      (!access.accessClosed && accessLockFile(linkOrFile).present()))
    return fail(QStringLiteral("変換中に「%1」がほかのプログラムで変更されました。").arg(before.fileName()));
  const QString backups = safefile::backupFolder(linkOrFile);
  QString error;
  if (!safefile::ensureWritableFolder(backups, &error)) return fail(error);
  const QString kept = safefile::stampedPath(backups, QStringLiteral("変換前"), now);
  if (!durableCopy(dataFile, kept, &error)) return fail(error);
  result.report.backup = kept;
  const QString reportFile = kept.left(kept.size() - 4) + QStringLiteral("-変換結果.txt");
  QFile text(reportFile);
  if (text.open(QIODevice::WriteOnly | QIODevice::Text)) {
    result.report.reportFile = reportFile;
    text.write(result.report.text().toUtf8());
    text.close();
  }
  if (!safefile::durableRename(temp, dataFile, &error)) {
    QFile::remove(reportFile);
    QFile::remove(kept);
    return fail(QStringLiteral("新しいデータファイルの名前を変更できません（%1）。").arg(error));
  }
  result.status = Result::Done;
  return result;
}

}  // namespace convert
