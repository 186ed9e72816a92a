#include "support/jetwriter.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace jetfile {

namespace {

constexpr quint8 kOleType = 11;  // the catalog's property column; always NULL here

void put16(QByteArray& b, int at, quint32 v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char((v >> 8) & 0xFF);
}
void put32(QByteArray& b, int at, quint32 v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
void append16(QByteArray& b, quint32 v) {
  b.append(char(v & 0xFF));
  b.append(char((v >> 8) & 0xFF));
}
void append32(QByteArray& b, quint32 v) {
  append16(b, v & 0xFFFF);
  append16(b, v >> 16);
}
template <class T>
QByteArray rawBytes(T v) {
  QByteArray b(sizeof(T), 0);
  std::memcpy(b.data(), &v, sizeof(T));
  return b;
}

// RC4, which the header uses (with a fixed key) to hide its settings.
QByteArray rc4(const QByteArray& key, int length) {
  quint8 s[256];
  for (int i = 0; i < 256; ++i) s[i] = quint8(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + quint8(key[i % key.size()])) & 0xFF;
    std::swap(s[i], s[j]);
  }
  QByteArray out(length, 0);
  for (int n = 0, i = 0, j = 0; n < length; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    out[n] = char(s[(s[i] + s[j]) & 0xFF]);
  }
  return out;
}

int fixedSize(quint8 type) {
  switch (type) {
    case quint8(Type::Byte): return 1;
    case quint8(Type::Integer): return 2;
    case quint8(Type::Long): return 4;
    case quint8(Type::Single): return 4;
    case quint8(Type::Currency):
    case quint8(Type::Double):
    case quint8(Type::DateTime): return 8;
    default: return 0;
  }
}
bool isFixed(quint8 type) { return type != quint8(Type::Text) && type != quint8(Type::Memo) && type != kOleType; }

double dayNumber(const QVariant& v) {
  static const QDate epoch(1899, 12, 30);
  if (v.typeId() == QMetaType::QDate) return double(epoch.daysTo(v.toDate()));
  if (v.typeId() == QMetaType::QDateTime) {
    const QDateTime t = v.toDateTime();
    return double(epoch.daysTo(t.date())) + t.time().msecsSinceStartOfDay() / 86400000.0;
  }
  return v.toDouble();
}

struct Col {
  QString name;
  quint8 type;
  int size;       // bytes in the descriptor
  int number;     // column number
  int varIndex;   // index among the variable columns
  int fixedOffset;
};

// A page of rows (table data, long values or usage maps), packed from the
// page end.
struct RowPage {
  int page = -1;
  QByteArray owner;  // 4 bytes: the table definition page or "LVAL"
  QList<QByteArray> rows;
  int used = 0;
  QList<quint16> flags;  // per row: 0x8000 deleted, 0x4000 moved (a pointer)
};

class Writer {
 public:
  explicit Writer(const Options& o)
      : o_(o), jet4_(o.version == Version::Jet4), pg_(jet4_ ? 4096 : 2048), rco_(jet4_ ? 12 : 8) {}

  QByteArray build(const QList<Table>& tables) {
    newPage();  // 0: header
    newPage();  // 1: unused
    writeHeader();

    // The catalog first (its definition must be on page 2), then one
    // definition per table; their page numbers go into the catalog rows.
    Table catalog{QStringLiteral("MSysObjects"),
                  {{QStringLiteral("Id"), Type::Long},
                   {QStringLiteral("ParentId"), Type::Long},
                   {QStringLiteral("Name"), Type::Text, 128},
                   {QStringLiteral("Type"), Type::Integer},
                   {QStringLiteral("DateCreate"), Type::DateTime},
                   {QStringLiteral("DateUpdate"), Type::DateTime},
                   {QStringLiteral("Flags"), Type::Long},
                   {QStringLiteral("LvProp"), Type::Memo}},
                  {}, {}, {}};
    QList<QList<Col>> cols;
    cols << columnsOf(catalog, true);
    for (const Table& t : tables) cols << columnsOf(t, false);

    QList<int> tdefPages;
    QList<QByteArray> tdefs;
    for (int i = 0; i < cols.size(); ++i) {
      tdefs << definitionBody(cols[i]);
      const int first = newPage();
      Q_ASSERT(i > 0 || first == 2);
      tdefPages << first;
      // Continuation pages right after the first one.
      int pages = 1;
      for (qsizetype rest = tdefs[i].size() - pg_; rest > 0; rest -= pg_ - 8) ++pages;
      for (int k = 1; k < pages; ++k) newPage();
    }
    QList<int> mapPages;
    for (int i = 0; i < cols.size(); ++i) mapPages << newPage();

    const QDateTime created(QDate(2001, 4, 1), QTime(9, 0));
    catalog.rows << QVariantList{2, 0x0F000001, QStringLiteral("MSysObjects"), 1, created, created, qint64(0x80000002) - 0x100000000LL, QVariant()};
    for (int i = 0; i < tables.size(); ++i)
      catalog.rows << QVariantList{tdefPages[i + 1], 0x0F000001, tables[i].name, 1, created, created, 0, QVariant()};

    for (int i = 0; i < cols.size(); ++i) {
      const Table& t = i == 0 ? catalog : tables[i - 1];
      const QList<int> dataPages = writeRows(t, cols[i], tdefPages[i]);
      writeDefinition(tdefPages[i], tdefs[i], int(t.rows.size()), cols[i], mapPages[i], dataPages);
    }
    flushLval();
    return pages_.join();
  }

 private:
  int newPage() {
    pages_.append(QByteArray(pg_, 0));
    return int(pages_.size() - 1);
  }

  void writeHeader() {
    QByteArray& p = pages_[0];
    p[0] = 0;
    p[1] = 1;
    std::memcpy(p.data() + 4, "Standard Jet DB", 16);
    put32(p, 0x14, jet4_ ? 1 : 0);
    const int length = jet4_ ? 128 : 126;
    QByteArray plain(length, 0);
    put16(plain, 0x3C - 0x18, o_.codePage);
    put32(plain, 0x3E - 0x18, o_.databaseKey);
    put16(plain, (jet4_ ? 0x6E : 0x3A) - 0x18, 0x0411);
    std::memcpy(plain.data() + 0x72 - 0x18, &o_.created, 8);
    // The password: Jet 3 code-page text, Jet 4 UTF-16LE XORed with the
    // creation date's day number (also where there is no password).
    QByteArray password = jet4_ ? QByteArray(reinterpret_cast<const char*>(o_.password.utf16()), o_.password.size() * 2)
                                : QByteArray(QStringEncoder("windows-31j").encode(o_.password));
    password = password.leftJustified(jet4_ ? 40 : 20, '\0', true);
    const qint32 day = qint32(o_.created);
    for (int i = 0; i < password.size(); ++i)
      plain[0x42 - 0x18 + i] = char(password[i] ^ (jet4_ ? (quint32(day) >> (8 * (i % 4))) & 0xFF : 0));
    const QByteArray stream = rc4(QByteArray("\xC7\xDA\x39\x6B", 4), length);
    for (int i = 0; i < length; ++i) p[0x18 + i] = char(plain[i] ^ stream[i]);
  }

  QByteArray text(const QString& s) const {
    if (!jet4_) {
      QStringEncoder enc("windows-31j");
      return enc.encode(s);
    }
    bool compressible = o_.compressText;
    for (QChar c : s) compressible = compressible && (c.unicode() & 0xFF) != 0;
    if (!compressible) {
      QByteArray b;
      for (QChar c : s) append16(b, c.unicode());
      return b;
    }
    QByteArray b("\xFF\xFE", 2);
    bool compressed = true;
    for (QChar c : s) {
      const quint16 u = c.unicode();
      if ((u >> 8) == 0) {
        if (!compressed) b.append('\0'), compressed = true;
        b.append(char(u));
      } else {
        if (compressed) b.append('\0'), compressed = false;
        append16(b, u);
      }
    }
    return b;
  }

  QList<Col> columnsOf(const Table& t, bool catalog) const {
    QList<Col> out;
    int fixedAt = 0, var = 0;
    for (int i = 0; i < t.columns.size(); ++i) {
      const Column& c = t.columns[i];
      Col col{c.name, quint8(c.type), 0, i, 0, 0};
      if (catalog && c.name == QLatin1String("LvProp")) col.type = kOleType;
      if (isFixed(col.type)) {
        col.size = fixedSize(col.type);
        col.fixedOffset = fixedAt;
        fixedAt += col.size;
      } else {
        col.varIndex = var++;
        col.size = col.type == quint8(Type::Text) ? c.size * (jet4_ ? 2 : 1) : 0;
      }
      out << col;
    }
    return out;
  }

  QByteArray definitionBody(const QList<Col>& cols) const {
    QByteArray b(jet4_ ? 63 : 43, 0);
    const int entry = jet4_ ? 25 : 18;
    for (const Col& c : cols) {
      QByteArray d(entry, 0);
      d[0] = char(c.type);
      put16(d, jet4_ ? 5 : 1, c.number);
      put16(d, jet4_ ? 7 : 3, c.varIndex);
      put16(d, jet4_ ? 9 : 5, c.number);
      d[jet4_ ? 15 : 13] = char((isFixed(c.type) ? 0x01 : 0) | 0x02);
      if (jet4_ && c.type == quint8(Type::Text) && o_.compressText) d[16] = 0x01;
      put16(d, jet4_ ? 21 : 14, c.fixedOffset);
      put16(d, jet4_ ? 23 : 16, c.size);
      b += d;
    }
    for (const Col& c : cols) {
      const QByteArray name = jet4_ ? QByteArray(reinterpret_cast<const char*>(c.name.utf16()), c.name.size() * 2)
                                    : text(c.name);
      if (jet4_)
        append16(b, name.size());
      else
        b.append(char(name.size()));
      b += name;
    }
    return b;
  }

  void writeDefinition(int first, const QByteArray& body, int rows, const QList<Col>& cols, int mapPage,
                       const QList<int>& dataPages) {
    // Usage map: inline kind, first page, then a bit per page from there.
    QByteArray usage(1, 0);
    const int start = dataPages.isEmpty() ? 0 : dataPages.first();
    append32(usage, start);
    QByteArray bits(dataPages.isEmpty() ? 1 : (dataPages.last() - start) / 8 + 1, 0);
    for (int p : dataPages) bits[(p - start) / 8] = char(bits[(p - start) / 8] | (1 << ((p - start) % 8)));
    usage += bits;
    QByteArray freeMap(1, 0);
    append32(freeMap, start);
    freeMap.append('\0');
    RowPage maps{mapPage, QByteArray(4, 0), {usage, freeMap}, 0, {}};
    finishPage(maps);

    int vars = 0;
    for (const Col& c : cols) vars += isFixed(c.type) ? 0 : 1;
    QByteArray head = body;
    head[0] = 2;
    head[1] = 1;
    if (jet4_) head[2] = 'V', head[3] = 'C';
    put32(head, 8, quint32(body.size()));
    put32(head, jet4_ ? 16 : 12, rows);
    put16(head, jet4_ ? 43 : 23, vars);
    put16(head, jet4_ ? 45 : 25, cols.size());
    put32(head, jet4_ ? 55 : 35, quint32(mapPage) << 8 | 0);
    put32(head, jet4_ ? 59 : 39, quint32(mapPage) << 8 | 1);
    head[jet4_ ? 40 : 20] = 0x4E;  // user table
    // Spread over the first page and its continuation pages.
    int page = first;
    qsizetype at = 0;
    while (true) {
      const int from = page == first ? 0 : 8;
      const qsizetype n = qMin<qsizetype>(pg_ - from, head.size() - at);
      std::memcpy(pages_[page].data() + from, head.constData() + at, size_t(n));
      at += n;
      if (page != first) pages_[page][0] = 2, pages_[page][1] = 1;
      if (at >= head.size()) break;
      put32(pages_[page], 4, page + 1);
      ++page;
    }
  }

  QByteArray memo(const QString& value) {
    const QByteArray data = text(value);
    QByteArray header;
    if (data.size() <= 64) {
      append32(header, quint32(data.size()) | 0x80000000u);
      append32(header, 0);
      append32(header, 0);
      return header + data;
    }
    if (data.size() <= pg_ - 40) {
      append32(header, quint32(data.size()) | 0x40000000u);
      append32(header, addLval(data));
      append32(header, 0);
      return header;
    }
    // A chain of rows on long-value pages, each naming the next.
    const int chunk = pg_ - 40;
    QList<QByteArray> parts;
    for (qsizetype at = 0; at < data.size(); at += chunk) parts << data.mid(at, chunk);
    quint32 next = 0;
    for (qsizetype i = parts.size() - 1; i >= 0; --i) {
      QByteArray row;
      append32(row, next);
      next = addLval(row + parts[i]);
    }
    append32(header, quint32(data.size()));
    append32(header, next);
    append32(header, 0);
    return header;
  }

  quint32 addLval(const QByteArray& row) {
    if (lval_.page < 0 || !fits(lval_, int(row.size()))) {
      flushLval();
      lval_ = RowPage{newPage(), QByteArray("LVAL", 4), {}, 0, {}};
    }
    lval_.rows << row;
    lval_.used += int(row.size());
    return quint32(lval_.page) << 8 | quint32(lval_.rows.size() - 1);
  }
  void flushLval() {
    if (lval_.page >= 0) finishPage(lval_);
    lval_ = RowPage{};
  }

  bool fits(const RowPage& p, int size) const {
    const int header = rco_ + 2 + 2 * int(p.rows.size() + 1);
    return p.rows.size() < 250 && header + p.used + size <= pg_;
  }

  void finishPage(const RowPage& p) {
    QByteArray& b = pages_[p.page];
    b[0] = 1;
    b[1] = 1;
    std::memcpy(b.data() + 4, p.owner.constData(), 4);
    put16(b, rco_, quint32(p.rows.size()));
    int end = pg_;
    for (int i = 0; i < p.rows.size(); ++i) {
      const int startAt = end - int(p.rows[i].size());
      std::memcpy(b.data() + startAt, p.rows[i].constData(), size_t(p.rows[i].size()));
      put16(b, rco_ + 2 + 2 * i, quint32(startAt) | (i < p.flags.size() ? p.flags[i] : 0));
      end = startAt;
    }
    put16(b, 2, end - (rco_ + 2 + 2 * int(p.rows.size())));
  }

  QByteArray row(const QList<Col>& cols, const QVariantList& values) {
    const int n = int(cols.size());
    const int maskSize = (n + 7) / 8;
    QByteArray mask(maskSize, 0);
    int fixedBytes = 0;
    QList<QByteArray> var;
    for (const Col& c : cols) {
      if (isFixed(c.type)) fixedBytes = qMax(fixedBytes, c.fixedOffset + c.size);
      else var << QByteArray();
    }
    QByteArray fixed(fixedBytes, 0);
    for (int i = 0; i < n; ++i) {
      const Col& c = cols[i];
      const QVariant v = i < values.size() ? values[i] : QVariant();
      const bool null = !v.isValid() || v.isNull();
      const auto setBit = [&] { mask[c.number / 8] = char(mask[c.number / 8] | (1 << (c.number % 8))); };
      if (c.type == quint8(Type::YesNo)) {
        if (!null && v.toBool()) setBit();
        continue;
      }
      if (null) continue;
      setBit();
      QByteArray bytes;
      switch (c.type) {
        case quint8(Type::Byte): bytes = rawBytes(quint8(v.toInt())); break;
        case quint8(Type::Integer): bytes = rawBytes(qint16(v.toInt())); break;
        case quint8(Type::Long): bytes = rawBytes(qint32(v.toLongLong())); break;
        case quint8(Type::Currency): bytes = rawBytes(qint64(std::llround(v.toDouble() * 10000.0))); break;
        case quint8(Type::Single): bytes = rawBytes(float(v.toDouble())); break;
        case quint8(Type::Double): bytes = rawBytes(v.toDouble()); break;
        case quint8(Type::DateTime): bytes = rawBytes(dayNumber(v)); break;
        case quint8(Type::Text): bytes = text(v.toString()); break;
        case quint8(Type::Memo): bytes = memo(v.toString()); break;
        default: break;
      }
      if (isFixed(c.type))
        std::memcpy(fixed.data() + c.fixedOffset, bytes.constData(), size_t(bytes.size()));
      else
        var[c.varIndex] = bytes;
    }
    return jet4_ ? row4(n, fixed, var, mask) : row3(n, fixed, var, mask);
  }

  static QByteArray row4(int n, const QByteArray& fixed, const QList<QByteArray>& var, const QByteArray& mask) {
    QByteArray r;
    append16(r, n);
    r += fixed;
    QList<int> offsets;
    for (const QByteArray& v : var) {
      offsets << int(r.size());
      r += v;
    }
    append16(r, quint32(r.size()));  // end of the variable data
    for (qsizetype i = offsets.size() - 1; i >= 0; --i) append16(r, offsets[i]);
    append16(r, quint32(var.size()));
    return r + mask;
  }

  // Jet 3 keeps one byte per offset; a jump table names the first column
  // past each 256-byte boundary. Padding before the variable data keeps
  // the trailer from crossing a boundary, so no dummy jump is needed.
  static QByteArray row3(int n, const QByteArray& fixed, const QList<QByteArray>& var, const QByteArray& mask) {
    for (int pad = 0;; ++pad) {
      QByteArray r;
      r.append(char(n));
      r += fixed;
      r += QByteArray(pad, 0);
      QList<int> offsets;
      for (const QByteArray& v : var) {
        offsets << int(r.size());
        r += v;
      }
      const int eod = int(r.size());
      offsets << eod;
      const int jumps = eod / 256;
      const int size = eod + 1 + int(var.size()) + jumps + 1 + int(mask.size());
      if ((size - 1) / 256 != jumps) continue;
      r.append(char(eod & 0xFF));
      for (qsizetype i = var.size() - 1; i >= 0; --i) r.append(char(offsets[i] & 0xFF));
      for (int j = jumps - 1; j >= 0; --j) {
        int first = 0;
        while (offsets[first] < 256 * (j + 1)) ++first;
        r.append(char(first));
      }
      r.append(char(var.size()));
      return r + mask;
    }
  }

  QList<int> writeRows(const Table& t, const QList<Col>& cols, int tdefPage) {
    QList<int> dataPages;
    QByteArray owner(4, 0);
    put32(owner, 0, tdefPage);
    RowPage current, moved;
    auto place = [&](RowPage& page, const QByteArray& r, quint16 flag) {
      if (page.page < 0 || !fits(page, int(r.size()))) {
        if (page.page >= 0) finishPage(page);
        page = RowPage{newPage(), owner, {}, 0, {}};
        dataPages << page.page;
      }
      page.rows << r;
      page.flags << flag;
      page.used += int(r.size());
      return quint32(page.page) << 8 | quint32(page.rows.size() - 1);
    };
    for (int i = 0; i < t.rows.size(); ++i) {
      const QByteArray r = row(cols, t.rows[i]);
      if (t.moved.contains(i)) {
        // The row itself elsewhere, marked so that a scan passes it by; its
        // place holds the pointer.
        const quint32 target = place(moved, r, 0x8000);
        QByteArray pointer;
        append32(pointer, target);
        place(current, pointer, 0x4000);
      } else {
        place(current, r, 0);
      }
      if (i < t.deleted.size()) place(current, row(cols, t.deleted[i]), 0x8000);
    }
    if (current.page >= 0) finishPage(current);
    if (moved.page >= 0) finishPage(moved);
    std::sort(dataPages.begin(), dataPages.end());
    return dataPages;
  }

  Options o_;
  bool jet4_;
  int pg_;
  int rco_;
  QList<QByteArray> pages_;
  RowPage lval_;
};

}  // namespace

QByteArray build(const QList<Table>& tables, const Options& options) { return Writer(options).build(tables); }

bool write(const QString& path, const QList<Table>& tables, const Options& options, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(build(tables, options)) < 0) {
    if (error) *error = f.errorString();
    return false;
  }
  return true;
}

bool writeLockFile(const QString& path, const QList<QPair<QString, QString>>& machinesAndUsers) {
  QByteArray b;
  for (const auto& [machine, user] : machinesAndUsers)
    for (const QString& name : {machine, user}) b += QByteArray(QStringEncoder("windows-31j").encode(name)).leftJustified(32, '\0', true);
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(b) == b.size();
}

}  // namespace jetfile
