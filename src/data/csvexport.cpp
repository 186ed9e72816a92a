#include "data/csvexport.h"

#include "data/database.h"
#include "data/engine.h"
#include "data/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QStringEncoder>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace csv {

namespace {

const char* const kShiftJis = "windows-31j";

// How a column's values are written.
enum class Kind { Plain, Code, Date };
struct ColumnKind {
  Kind kind = Kind::Plain;
  int width = 0;  // digits of a code
};

ColumnKind kindOf(const QString& table, const QString& column) {
  if (column == QStringLiteral("コード")) return {Kind::Code, table == schema::kCoilOvers ? 2 : 4};
  if (table == schema::kSettings) {
    if (column == QStringLiteral("ユーザー")) return {Kind::Code, 4};
    if (column == QStringLiteral("車高調")) return {Kind::Code, 2};
    if (column == QStringLiteral("登録日")) return {Kind::Date, 0};
  }
  return {};
}

bool needsQuotes(const QString& text) {
  const ushort* p = text.utf16();
  for (const ushort* end = p + text.size(); p != end; ++p)
    if (*p == u',' || *p == u'"' || *p == u'\n' || *p == u'\r') return true;
  return false;
}

void appendField(QString& out, const QString& text) {
  if (text.isEmpty()) return;
  if (!needsQuotes(text)) {
    out.append(text.constData(), text.size());
    return;
  }
  out += u'"';
  for (QChar c : text) {
    if (c == u'"') out += u'"';
    out += c;
  }
  out += u'"';
}

QString numberText(const QVariant& value) {
  if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
    return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
  return value.toString();
}

QString valueText(const ColumnKind& k, const QVariant& value) {
  if (value.isNull()) return QString();
  switch (k.kind) {
    case Kind::Code:
      if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
          value.typeId() == QMetaType::Double) {
        const double v = value.toDouble();
        if (v >= 0 && v == double(qint64(v)))
          return QString::number(qint64(v)).rightJustified(k.width, u'0');
      }
      return numberText(value);
    case Kind::Date: {
      const QString t = value.toString();
      bool digits = t.size() == 8;
      for (QChar c : t) digits = digits && c.isDigit();
      return digits ? t.left(4) + u'/' + t.mid(4, 2) + u'/' + t.mid(6, 2) : t;
    }
    case Kind::Plain: break;
  }
  return value.typeId() == QMetaType::QString ? value.toString() : numberText(value);
}

QList<ColumnKind> kindsOf(const QString& table, const QStringList& columns) {
  QList<ColumnKind> kinds;
  kinds.reserve(columns.size());
  for (const QString& c : columns) kinds << kindOf(table, c);
  return kinds;
}

// The first character of `text` that Shift_JIS (CP932) does not have, or "".
QString unwritable(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QStringEncoder encoder(kShiftJis, QStringConverter::Flag::Stateless);
    const QString one = text.mid(i, n);
    (void)QByteArray(encoder.encode(one));
    if (encoder.hasError()) return one;
    i += n - 1;
  }
  return QString();
}

// Bytes written straight into one growing buffer: a cell costs no
// allocation of its own.
class ByteWriter {
 public:
  explicit ByteWriter(qsizetype expected) {
    buf_.resize(std::max<qsizetype>(expected, 4096));
    p_ = buf_.data();
    end_ = p_ + buf_.size();
  }
  void ensure(qsizetype n) {
    if (end_ - p_ >= n) return;
    const qsizetype used = p_ - buf_.data();
    buf_.resize(std::max(buf_.size() * 2, used + n + 4096));
    p_ = buf_.data() + used;
    end_ = buf_.data() + buf_.size();
  }
  void put(char c) {
    ensure(1);
    *p_++ = c;
  }
  void put(const char* bytes, qsizetype n) {
    ensure(n);
    std::memcpy(p_, bytes, size_t(n));
    p_ += n;
  }
  char* at() { return p_; }
  qsizetype size() const { return p_ - buf_.constData(); }
  void rewind(char* to) { p_ = to; }
  void advance(char* to) { p_ = to; }
  QByteArray take() {
    buf_.truncate(p_ - buf_.constData());
    return std::move(buf_);
  }

 private:
  QByteArray buf_;
  char* p_;
  char* end_;
};

// Writes `text` as UTF-8, byte for byte as QString::toUtf8 writes it. False
// (and nothing written) when the field must be quoted.
bool putUtf8(ByteWriter& out, QStringView text) {
  const char16_t* s = text.utf16();
  const qsizetype n = text.size();
  out.ensure(n * 3);  // at most three bytes per UTF-16 unit
  char* const start = out.at();
  auto* p = reinterpret_cast<unsigned char*>(start);
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = s[i];
    if (u < 0x80) {
      if (u == u',' || u == u'"' || u == u'\n' || u == u'\r') {
        out.rewind(start);
        return false;
      }
      *p++ = (unsigned char)u;
    } else if (u < 0x800) {
      *p++ = (unsigned char)(0xC0 | (u >> 6));
      *p++ = (unsigned char)(0x80 | (u & 0x3F));
    } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
      const char32_t c = QChar::surrogateToUcs4(u, s[++i]);
      *p++ = (unsigned char)(0xF0 | (c >> 18));
      *p++ = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
      *p++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
      *p++ = (unsigned char)(0x80 | (c & 0x3F));
    } else if (QChar::isSurrogate(u)) {
      // A lone surrogate, written as Qt writes it (rare: the slow way).
      out.rewind(start);
      const QByteArray bytes = text.toUtf8();
      if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) return false;
      out.put(bytes.constData(), bytes.size());
      return true;
    } else {
      *p++ = (unsigned char)(0xE0 | (u >> 12));
      *p++ = (unsigned char)(0x80 | ((u >> 6) & 0x3F));
      *p++ = (unsigned char)(0x80 | (u & 0x3F));
    }
  }
  out.advance(reinterpret_cast<char*>(p));
  return true;
}

// One field as UTF-8, quoted as appendField quotes it.
void putField(ByteWriter& out, const QString& text) {
  if (text.isEmpty() || putUtf8(out, text)) return;
  QString quoted;
  appendField(quoted, text);
  const QByteArray bytes = quoted.toUtf8();
  out.put(bytes.constData(), bytes.size());
}

// One value as UTF-8: texts and whole numbers straight into the bytes,
// everything else through valueText.
void putValue(ByteWriter& out, const ColumnKind& k, const QVariant& v) {
  const int type = v.typeId();
  if (type == QMetaType::QString && k.kind == Kind::Plain) {
    if (!v.isNull()) putField(out, *static_cast<const QString*>(v.constData()));
    return;
  }
  // Whole numbers that a double holds exactly, as valueText writes them.
  if ((type == QMetaType::LongLong || type == QMetaType::Int) && k.kind != Kind::Date && !v.isNull()) {
    const qint64 n = v.toLongLong();
    if (n >= 0 && n < (qint64(1) << 53)) {
      char digits[24];
      const qsizetype len = std::to_chars(digits, digits + sizeof digits, n).ptr - digits;
      for (qsizetype pad = (k.kind == Kind::Code ? k.width : 0) - len; pad > 0; --pad) out.put('0');
      out.put(digits, len);
      return;
    }
  }
  putField(out, valueText(k, v));
}

// The length of the leading run of `bytes` that is well-formed UTF-8 which
// QString::fromUtf8 followed by toUtf8 gives back unchanged, and whether a
// comma, quote or line break occurs in it.
struct Utf8Scan {
  qsizetype valid = 0;
  bool quote = false;
};
Utf8Scan scanUtf8(const unsigned char* s, qsizetype n) {
  Utf8Scan scan;
  qsizetype i = 0;
  // Qt drops a byte-order mark at the very start of a text.
  if (n >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) return scan;
  while (i < n) {
    const unsigned char b = s[i];
    if (b < 0x80) {
      if (b == ',' || b == '"' || b == '\n' || b == '\r') scan.quote = true;
      ++i;
      continue;
    }
    // Well-formed sequences only (no overlong forms, surrogates or values
    // past U+10FFFF): Qt replaces any other with U+FFFD.
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) len = 2;
    else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else break;
    if (i + len > n || s[i + 1] < lo || s[i + 1] > hi) break;
    bool ok = true;
    for (int k = 2; k < len; ++k) ok = ok && (s[i + k] & 0xC0) == 0x80;
    if (!ok) break;
    i += len;
  }
  scan.valid = i;
  return scan;
}

// One text value of the engine, written as putValue writes its QString:
// valid UTF-8 is copied as it is (quoted where needed), anything else goes
// the way of the text. False when it must go that way.
bool putText(ByteWriter& out, const RawValue& v) {
  const auto* s = reinterpret_cast<const unsigned char*>(v.data);
  const Utf8Scan scan = scanUtf8(s, v.size);
  if (scan.valid != v.size) return false;
  if (!scan.quote) {
    out.put(v.data, v.size);
    return true;
  }
  out.ensure(v.size * 2 + 2);
  out.put('"');
  for (qsizetype i = 0; i < v.size; ++i) {
    if (v.data[i] == '"') out.put('"');
    out.put(v.data[i]);
  }
  out.put('"');
  return true;
}

// One value of the engine as putValue writes the QVariant readAll makes of
// it: texts and whole numbers straight from the engine's bytes, the rest
// (reals, odd types for a column, malformed UTF-8) through the QVariant.
void putRaw(ByteWriter& out, const ColumnKind& k, const RawValue& v) {
  switch (v.kind) {
    case RawValue::Null: return;
    case RawValue::Text:
      if (k.kind == Kind::Plain && putText(out, v)) return;
      if (k.kind == Kind::Date && v.size == 8 &&
          std::all_of(v.data, v.data + 8, [](char c) { return c >= '0' && c <= '9'; })) {
        out.put(v.data, 4);
        out.put('/');
        out.put(v.data + 4, 2);
        out.put('/');
        out.put(v.data + 6, 2);
        return;
      }
      break;
    case RawValue::Integer:
      if (k.kind == Kind::Plain || (k.kind == Kind::Code && v.integer >= 0 && v.integer < (qint64(1) << 53))) {
        char digits[24];
        const qsizetype len = std::to_chars(digits, digits + sizeof digits, v.integer).ptr - digits;
        for (qsizetype pad = (k.kind == Kind::Code ? k.width : 0) - len; pad > 0; --pad) out.put('0');
        out.put(digits, len);
        return;
      }
      break;
    case RawValue::Real:
    case RawValue::Bytes: break;
  }
  putValue(out, k, v.toVariant());
}

// The UTF-8 bytes of tableText, with the byte-order mark in front.
QByteArray utf8Table(const QString& table, const QStringList& columns,
                     const std::vector<std::vector<QVariant>>& rows) {
  const QList<ColumnKind> kinds = kindsOf(table, columns);
  ByteWriter out(qsizetype(rows.size() + 1) * columns.size() * 8);
  out.put("\xEF\xBB\xBF", 3);
  for (qsizetype c = 0; c < columns.size(); ++c) {
    if (c) out.put(',');
    putField(out, columns[c]);
  }
  out.put("\r\n", 2);
  for (const std::vector<QVariant>& row : rows) {
    const qsizetype cells = std::min(columns.size(), qsizetype(row.size()));
    for (qsizetype c = 0; c < columns.size(); ++c) {
      if (c) out.put(',');
      if (c < cells) putValue(out, kinds[c], row[size_t(c)]);
    }
    out.put("\r\n", 2);
  }
  return out.take();
}

}  // namespace

const QStringList& exportTables() {
  static const QStringList t{schema::kSettings, schema::kCoilOvers, schema::kUsers, schema::kAlignments,
                             schema::kAlignmentBases};
  return t;
}

QString field(const QString& text) {
  QString out;
  appendField(out, text);
  return out;
}

QString cellText(const QString& table, const QString& column, const QVariant& value) {
  return valueText(kindOf(table, column), value);
}

QString tableText(const QString& table, const QStringList& columns, const std::vector<std::vector<QVariant>>& rows) {
  const QList<ColumnKind> kinds = kindsOf(table, columns);
  const QMetaType stringType = QMetaType::fromType<QString>();
  QString out;
  out.reserve(qsizetype(rows.size() + 1) * columns.size() * 6);
  for (qsizetype c = 0; c < columns.size(); ++c) {
    if (c) out += u',';
    appendField(out, columns[c]);
  }
  out += QLatin1String("\r\n");
  for (const std::vector<QVariant>& row : rows) {
    for (qsizetype c = 0; c < columns.size(); ++c) {
      if (c) out += u',';
      if (size_t(c) >= row.size()) continue;
      const QVariant& v = row[size_t(c)];
      // Most values are texts written as stored: no copy on the way.
      if (kinds[c].kind == Kind::Plain && v.metaType() == stringType)
        appendField(out, *static_cast<const QString*>(v.constData()));
      else
        appendField(out, valueText(kinds[c], v));
    }
    out += QLatin1String("\r\n");
  }
  return out;
}

Encoded encode(const QString& table, const QStringList& columns, const std::vector<std::vector<QVariant>>& rows,
               Encoding encoding) {
  Encoded result;
  result.rowCount = int(rows.size());
  if (encoding == Encoding::Utf8) {
    result.bytes = utf8Table(table, columns, rows);
    return result;
  }
  const QString text = tableText(table, columns, rows);
  QStringEncoder encoder(kShiftJis, QStringConverter::Flag::Stateless);
  result.bytes = encoder.encode(text);
  if (!encoder.hasError()) return result;
  // Name the first value that cannot be written, by its row's code.
  result.bytes.clear();
  const QList<ColumnKind> kinds = kindsOf(table, columns);
  const qsizetype codeColumn = columns.indexOf(QStringLiteral("コード"));
  for (const std::vector<QVariant>& row : rows) {
    for (qsizetype c = 0; c < columns.size() && size_t(c) < row.size(); ++c) {
      const QString bad = unwritable(valueText(kinds[c], row[size_t(c)]));
      if (bad.isEmpty()) continue;
      const QString code = codeColumn >= 0 && size_t(codeColumn) < row.size()
                               ? valueText(kinds[codeColumn], row[size_t(codeColumn)])
                               : QString();
      result.refusal = QStringLiteral("「%1」のコード %2 の項目「%3」に Shift_JIS で書けない文字「%4」があるため、"
                                      "書き出せませんでした。")
                           .arg(table, code, columns[c], bad);
      return result;
    }
  }
  result.refusal = QStringLiteral("「%1」に Shift_JIS で書けない文字があるため、書き出せませんでした。").arg(table);
  return result;
}

Encoded exportTable(const QString& file, const QString& table, Encoding encoding, const QList<qint64>* codes) {
  return exportTable(makeFileEngine(file), table, encoding, codes);
}

Encoded exportTable(const std::shared_ptr<const Engine>& engine, const QString& table, Encoding encoding,
                    const QList<qint64>* codes) {
  const QString sql = QStringLiteral("SELECT * FROM \"%1\" ORDER BY \"コード\"").arg(table);
  if (encoding == Encoding::Utf8) {
    // Each value written as the engine hands it over, row by row; for a
    // choice of rows, each row's bytes are noted by its code and put
    // together in the order asked for.
    Encoded result;
    ByteWriter out(1 << 16);
    QStringList columns;
    QList<ColumnKind> kinds;
    qsizetype codeColumn = -1, headEnd = 0;
    const auto putHead = [&] {
      out.put("\xEF\xBB\xBF", 3);
      for (qsizetype c = 0; c < columns.size(); ++c) {
        if (c) out.put(',');
        putField(out, columns[c]);
      }
      out.put("\r\n", 2);
      headEnd = out.size();
      kinds = kindsOf(table, columns);
      codeColumn = columns.indexOf(QStringLiteral("コード"));
    };
    QHash<qint64, std::pair<qsizetype, qsizetype>> at;
    Database::readEach(engine, sql, &columns, [&](const RawValue* values, int count) {
      if (headEnd == 0) putHead();
      const qsizetype start = out.size();
      for (int c = 0; c < count; ++c) {
        if (c) out.put(',');
        putRaw(out, kinds[c], values[c]);
      }
      out.put("\r\n", 2);
      ++result.rowCount;
      if (codes && codeColumn >= 0) at.insert(values[codeColumn].toVariant().toLongLong(), {start, out.size()});
      return true;
    });
    if (headEnd == 0) putHead();
    result.bytes = out.take();
    if (codes) {
      QByteArray chosen = result.bytes.left(headEnd);
      result.rowCount = 0;
      for (qint64 code : *codes)
        if (auto it = at.constFind(code); it != at.constEnd()) {
          chosen.append(result.bytes.constData() + it->first, it->second - it->first);
          ++result.rowCount;
        }
      result.bytes = std::move(chosen);
    }
    return result;
  }
  QStringList columns;
  std::vector<std::vector<QVariant>> rows = Database::readAll(engine, sql, &columns);
  if (codes) {
    const qsizetype codeColumn = columns.indexOf(QStringLiteral("コード"));
    QHash<qint64, size_t> at;
    at.reserve(qsizetype(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) at.insert(rows[i][size_t(codeColumn)].toLongLong(), i);
    std::vector<std::vector<QVariant>> chosen;
    chosen.reserve(size_t(codes->size()));
    for (qint64 code : *codes)
      if (auto it = at.constFind(code); it != at.constEnd()) chosen.push_back(std::move(rows[*it]));
    rows = std::move(chosen);
  }
  return encode(table, columns, rows, encoding);
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
  // QSaveFile writes a temporary file beside the target and renames it into
  // place on commit: a file of that name is never half-written.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    *error = QStringLiteral("「%1」に書き込めません。\n保存先のフォルダーを確認してください。")
                 .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return false;
  }
  return true;
}

}  // namespace csv
