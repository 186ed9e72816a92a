#include "convert/jetsource.h"

#include "convert/convert.h"
#include "data/database.h"
#include "data/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QStringDecoder>

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <mdbtools.h>
#include <sys/file.h>
#include <unistd.h>

namespace convert {

namespace {

const QString kBroken = QStringLiteral("ファイルが途中で切れているか、壊れています。");

// RC4, with which the header hides its settings under a fixed key.
QByteArray rc4(const QByteArray& key, const QByteArray& data) {
  quint8 s[256];
  for (int i = 0; i < 256; ++i) s[i] = quint8(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + quint8(key[i % key.size()])) & 0xFF;
    std::swap(s[i], s[j]);
  }
  QByteArray out = data;
  for (int n = 0, i = 0, j = 0; n < out.size(); ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    out[n] = char(out[n] ^ s[(s[i] + s[j]) & 0xFF]);
  }
  return out;
}

quint32 le32(const QByteArray& b, int at) {
  return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
         quint32(quint8(b[at + 3])) << 24;
}

// libmdb trusts a table's usage maps: a map row shorter than its own header
// makes it read far past the row. Checked here before libmdb reads a table.
bool usageMapsSound(const QString& path, int pageSize, quint32 definitionPage) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const qint64 pages = f.size() / pageSize;
  auto page = [&](quint32 n) {
    if (qint64(n) >= pages || !f.seek(qint64(n) * pageSize)) return QByteArray();
    return f.read(pageSize);
  };
  const bool jet4 = pageSize == 4096;
  const QByteArray definition = page(definitionPage);
  if (definition.size() != pageSize || definition[0] != 2) return false;
  const int rowCountAt = jet4 ? 12 : 8;
  for (int at : {jet4 ? 55 : 35, jet4 ? 59 : 39}) {
    const quint32 pointer = le32(definition, at);
    const QByteArray map = page(pointer >> 8);
    if (map.size() != pageSize) return false;
    const int row = int(pointer & 0xFF);
    const int rows = quint8(map[rowCountAt]) | quint8(map[rowCountAt + 1]) << 8;
    if (row >= rows || rowCountAt + 2 + 2 * row + 1 >= pageSize) return false;
    auto offset = [&](int r) { return (quint8(map[rowCountAt + 2 + 2 * r]) | quint8(map[rowCountAt + 3 + 2 * r]) << 8) & 0x1FFF; };
    const int start = offset(row);
    const int end = row == 0 ? pageSize : offset(row - 1);
    if (start >= end || end > pageSize) return false;
    const int kind = quint8(map[start]);
    if (end - start < (kind == 0 ? 5 : 1)) return false;
  }
  return true;
}

quint16 le16(const QByteArray& b, int at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }

// The first page's settings, as the header hides them under RC4.
struct Header {
  bool jet = false;
  bool jet3 = false;
  int pageSize = 4096;
  qint64 size = 0;
  QByteArray plain;  // bytes 0x18.. decoded; empty when the header is cut off
  QByteArray at(int offset, int length) const { return plain.mid(offset - 0x18, length); }
};

Header readHeader(const QString& path) {
  Header h;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return h;
  const QByteArray head = f.read(0x18 + 128);
  h.size = f.size();
  h.jet = head.size() >= 20 && head[0] == 0 &&
          (head.mid(4, 16) == QByteArray("Standard Jet DB", 16) || head.mid(4, 16) == QByteArray("Standard ACE DB", 16));
  if (!h.jet || head.size() < 0x18 + 128) return h;
  h.jet3 = le32(head, 0x14) == 0;
  h.pageSize = h.jet3 ? 2048 : 4096;
  h.plain = rc4(QByteArray("\xC7\xDA\x39\x6B", 4), head.mid(0x18, h.jet3 ? 126 : 128));
  return h;
}

QString decodeCodePage(const QByteArray& bytes) {
  QByteArray b = bytes;
  if (const qsizetype nul = b.indexOf('\0'); nul >= 0) b.truncate(nul);
  QStringDecoder cp932("windows-31j");
  return cp932.isValid() ? QString(cp932.decode(b)) : QString::fromLatin1(b);
}

}  // namespace

QString decodeJet4Text(const QByteArray& bytes, bool* exact) {
  *exact = true;
  QString out;
  const qsizetype n = bytes.size();
  auto unit = [&](qsizetype at) { return char16_t(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8); };
  if (n >= 2 && quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xFE) {
    bool oneByte = true;
    for (qsizetype i = 2; i < n;) {
      if (bytes[i] == 0) {
        oneByte = !oneByte;
        ++i;
      } else if (oneByte) {
        out += QChar(char16_t(quint8(bytes[i++])));
      } else if (i + 1 < n) {
        out += QChar(unit(i));
        i += 2;
      } else {
        out += QChar::ReplacementCharacter, *exact = false;
        ++i;
      }
    }
  } else {
    out.reserve(n / 2);
    for (qsizetype i = 0; i + 1 < n; i += 2) out += QChar(unit(i));
    if (n % 2) out += QChar::ReplacementCharacter, *exact = false;
  }
  // A surrogate must come in a pair; a lone one cannot be read.
  for (qsizetype i = 0; i < out.size(); ++i) {
    if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
      ++i;
    } else if (out[i].isSurrogate()) {
      out[i] = QChar::ReplacementCharacter;
      *exact = false;
    }
  }
  return out;
}

PasswordInfo databasePassword(const QString& jetFile) {
  PasswordInfo info;
  const Header h = readHeader(jetFile);
  if (h.plain.isEmpty()) return info;
  QByteArray bytes = h.at(0x42, h.jet3 ? 20 : 40);
  if (!h.jet3) {
    // Jet 4 also mixes the password with the creation date's day number.
    double created = 0;
    std::memcpy(&created, h.at(0x72, 8).constData(), 8);
    const qint32 day = std::isfinite(created) && std::fabs(created) < 2e9 ? qint32(created) : 0;
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(bytes[i] ^ ((quint32(day) >> (8 * (i % 4))) & 0xFF));
  }
  info.set = bytes.count('\0') != bytes.size();
  if (!info.set) return info;
  if (h.jet3) {
    info.password = decodeCodePage(bytes);
  } else {
    bool exact = true;
    info.password = decodeJet4Text(bytes, &exact);
    if (const qsizetype nul = info.password.indexOf(QChar(0)); nul >= 0) info.password.truncate(nul);
  }
  return info;
}

QString LockFile::describe() const {
  QStringList who;
  for (const User& u : users) who << (u.user.isEmpty() ? u.machine : QStringLiteral("%1 の %2").arg(u.machine, u.user));
  const QString name = QStringLiteral("「%1」").arg(QFileInfo(path).fileName());
  return who.isEmpty() ? name : name + QStringLiteral(": ") + who.join(u'、');
}

LockFile accessLockFile(const QString& jetFile) {
  LockFile lock;
  // Access names it after the database it opened: beside the file a link
  // leads to, and (for a link) beside the link too.
  QStringList places{jetFile};
  const safefile::Target target = safefile::resolvedTarget(jetFile);
  if (target.link) places << target.path;
  for (const QString& place : places) {
    const QFileInfo info(place);
    const QDir dir = info.absoluteDir();
    const QStringList found = dir.entryList({info.completeBaseName() + QStringLiteral(".ldb")}, QDir::Files | QDir::Hidden);
    if (found.isEmpty()) continue;
    lock.path = dir.filePath(found.first());
    QFile f(lock.path);
    if (!f.open(QIODevice::ReadOnly)) return lock;
    const QByteArray all = f.read(64 * 255);
    for (qsizetype at = 0; at + 64 <= all.size(); at += 64) {
      const QString machine = decodeCodePage(all.mid(at, 32)).trimmed();
      const QString user = decodeCodePage(all.mid(at + 32, 32)).trimmed();
      if (!machine.isEmpty() || !user.isEmpty()) lock.users << LockFile::User{machine, user};
    }
    return lock;
  }
  return lock;
}

FileKind fileKind(const QString& path) {
  if (!QFile::exists(path)) return FileKind::Missing;
  return safefile::isJetFile(path) ? FileKind::Jet : FileKind::NotJet;
}

bool lockedByOtherProgram(const QString& path) {
  const QFileInfo info(path);
  if (QFileInfo::exists(info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + u'#'))) return true;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool locked = false;
  struct flock probe{};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) locked = true;
  if (!locked) {
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
      locked = errno == EWOULDBLOCK;
    else
      ::flock(fd, LOCK_UN);
  }
  ::close(fd);
  return locked;
}

struct JetSource::State {
  MdbHandle* mdb = nullptr;
  MdbTableDef* table = nullptr;
  QList<int> types;
  qint64 rowsRead = 0;
  QString path;
  QFile raw;  // the same file, for long values read byte for byte
  int pageSize = 4096;
  int slot = 0, slots = -1;  // the row slot on the current data page
};

JetSource::JetSource() : s_(new State) {}

JetSource::~JetSource() {
  closeTable();
  if (s_->mdb) mdb_close(s_->mdb);
  delete s_;
}

qint64 JetSource::rowsRead() const { return s_->rowsRead; }

bool JetSource::open(const QString& path, const Access& access, QString* error, Result::Need* need) {
  prepareEnvironment();
  const safefile::Target target = safefile::resolvedTarget(path);
  if (target.dangling) {
    *error = QStringLiteral("「%1」はリンクですが、リンク先「%2」に届きません（ネットワークのドライブがつながっていないなど）。")
                 .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(target.path));
    return false;
  }
  QFile f(path);
  if (!QFileInfo(path).isFile()) {
    *error = QFileInfo::exists(path) ? QStringLiteral("ファイルではなくフォルダーです。")
                                     : QStringLiteral("ファイルがありません。");
    return false;
  }
  if (!f.open(QIODevice::ReadOnly)) {
    *error = withEngineDetail(QStringLiteral("ファイルを読めません。"), f.errorString());
    return false;
  }
  f.close();
  const Header h = readHeader(path);
  if (!h.jet) {
    *error = QStringLiteral("Jet 形式（Microsoft Access）のデータベースファイルではありません。");
    return false;
  }
  if (h.plain.isEmpty() || h.size < 3 * h.pageSize) {
    *error = kBroken;
    return false;
  }
  // The database key: non-zero means the pages are encrypted, which libmdb
  // would read as garbage.
  if (le32(h.plain, 0x3E - 0x18) != 0) {
    *error = QStringLiteral("データベースが暗号化されています。Microsoft Access で暗号化を解除（データベースの解読）してから、もう一度お試しください。");
    return false;
  }
  // A database password leaves the pages readable; honour it all the same.
  const PasswordInfo password = databasePassword(path);
  if (password.set && access.password != password.password) {
    const bool none = access.password.isEmpty();
    *error = none ? QStringLiteral("データベースパスワードが設定されています。パスワードを入力してください。")
                  : QStringLiteral("データベースパスワードが違います。");
    if (need) *need = none ? Result::Password : Result::RightPassword;
    return false;
  }
  if (const LockFile lock = accessLockFile(path); lock.present() && !access.accessClosed) {
    *error = QStringLiteral("Microsoft Access で開かれています（ロックファイル%1）。Access を閉じてから、もう一度お試しください。"
                            "Access が異常終了して残ったロックファイルなら、削除してかまいません。")
                 .arg(lock.describe());
    if (need) *need = Result::AccessClosed;
    return false;
  }
  if (lockedByOtherProgram(path)) {
    *error = QStringLiteral("ファイルがほかのプログラムで使用中です。そのプログラムを閉じてから、もう一度お試しください。");
    return false;
  }
  const int pageSize = h.pageSize;
  s_->path = path;
  s_->pageSize = pageSize;
  s_->raw.setFileName(path);
  if (!s_->raw.open(QIODevice::ReadOnly) || !usageMapsSound(path, pageSize, 2)) {
    *error = kBroken;
    return false;
  }
  s_->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
  if (!s_->mdb) {
    *error = kBroken;
    return false;
  }
  if (!mdb_read_catalog(s_->mdb, MDB_TABLE)) {
    *error = kBroken;
    return false;
  }
  return true;
}

QString JetSource::version() const {
  switch (s_->mdb ? s_->mdb->f->jet_version : 0) {
    case MDB_VER_JET3: return QStringLiteral("Jet 3（Access 97）");
    case MDB_VER_JET4: return QStringLiteral("Jet 4（Access 2000-2003）");
    default: return QStringLiteral("ACE（Access 2007 以降）");
  }
}

QStringList JetSource::tables() const {
  QStringList out;
  if (!s_->mdb || !s_->mdb->catalog) return out;
  for (guint i = 0; i < s_->mdb->catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(s_->mdb->catalog, i));
    if (mdb_is_user_table(entry)) out << QString::fromUtf8(entry->object_name);
  }
  return out;
}

void JetSource::closeTable() {
  if (s_->table) mdb_free_tabledef(s_->table);
  s_->table = nullptr;
  s_->types.clear();
  s_->rowsRead = 0;
  s_->slot = 0;
  s_->slots = -1;
}

bool JetSource::openTable(const QString& name, QString* error) {
  closeTable();
  for (guint i = 0; s_->mdb->catalog && i < s_->mdb->catalog->len && !s_->table; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(s_->mdb->catalog, i));
    if (mdb_is_user_table(entry) && QString::fromUtf8(entry->object_name) == name &&
        usageMapsSound(s_->path, s_->pageSize, quint32(entry->table_pg)))
      s_->table = mdb_read_table(entry);
  }
  if (!s_->table || !mdb_read_columns(s_->table) || s_->table->num_cols == 0) {
    *error = QStringLiteral("表「%1」を読めません。").arg(name) + kBroken;
    return false;
  }
  for (guint i = 0; i < s_->table->num_cols; ++i)
    s_->types << static_cast<MdbColumn*>(g_ptr_array_index(s_->table->columns, i))->col_type;
  mdb_rewind_table(s_->table);
  return true;
}

QStringList JetSource::columns() const {
  QStringList out;
  for (guint i = 0; s_->table && i < s_->table->num_cols; ++i)
    out << QString::fromUtf8(static_cast<MdbColumn*>(g_ptr_array_index(s_->table->columns, i))->name);
  return out;
}

qint64 JetSource::declaredRows() const { return s_->table ? qint64(s_->table->num_rows) : 0; }

// The row offsets of a data page carry two flags: 0x8000 a deleted row
// (or the relocated copy of a row, reached through its pointer), 0x4000 a
// row that was moved to another page and left a 4-byte pointer to it.
// libmdb 1.0 reads these the other way round (deleted rows come back, moved
// rows are lost), so the pages are walked here and libmdb only cracks rows.
bool JetSource::next(QList<Cell>* cells, QString* error) {
  MdbHandle* mdb = s_->mdb;
  const int pageSize = int(mdb->fmt->pg_size);
  while (true) {
    if (s_->slots < 0 || s_->slot >= s_->slots) {
      if (!mdb_read_next_dpg(s_->table)) return false;
      s_->slots = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
      s_->slot = 0;
    }
    int start = 0;
    size_t length = 0;
    if (mdb_find_row(mdb, s_->slot++, &start, &length) != 0 || length == 0) continue;
    if (start & 0x8000) continue;
    if (!(start & 0x4000)) {
      if (!crack(start & 0x1FFF, length, cells, error)) return false;
      ++s_->rowsRead;
      return true;
    }
    if (length < 4) {
      *error = kBroken;
      return false;
    }
    quint32 pointer = 0;
    std::memcpy(&pointer, mdb->pg_buf + (start & 0x1FFF), 4);
    const guint32 here = s_->table->cur_phys_pg;
    bool ok = mdb_read_pg(mdb, pointer >> 8) == pageSize &&
              mdb_find_row(mdb, int(pointer & 0xFF), &start, &length) == 0 && length > 0 &&
              crack(start & 0x1FFF, length, cells, error);
    if (mdb_read_pg(mdb, here) != pageSize) ok = false;
    if (!ok) {
      if (error->isEmpty()) *error = kBroken;
      return false;
    }
    ++s_->rowsRead;
    return true;
  }
}

bool JetSource::crack(int start, size_t length, QList<Cell>* cells, QString* error) {
  const int pageSize = int(s_->mdb->fmt->pg_size);
  const guint n = s_->table->num_cols;
  QList<MdbField> fields(n);
  if (mdb_crack_row(s_->table, start, length, fields.data()) < 0) {
    *error = kBroken;
    return false;
  }
  cells->resize(n);
  const unsigned char* page = s_->mdb->pg_buf;
  const bool jet4 = s_->mdb->f->jet_version != MDB_VER_JET3;
  for (guint i = 0; i < n; ++i) {
    const MdbField& field = fields[i];
    const int col = field.colnum;
    Cell& c = (*cells)[col];
    c = Cell{};
    const int type = s_->types[col];
    if (type == MDB_BOOL) {
      c.kind = Cell::Bool;
      c.i = field.is_null ? 0 : 1;
      continue;
    }
    if (field.is_null) continue;
    const int at = field.start, size = field.siz;
    if (at < 0 || size < 0 || at + size > pageSize) {
      *error = kBroken;
      return false;
    }
    auto raw = [&](void* out, int bytes) {
      if (size < bytes) return false;
      std::memcpy(out, page + at, size_t(bytes));
      return true;
    };
    bool ok = true;
    switch (type) {
      case MDB_BYTE: c.kind = Cell::Int, c.i = size >= 1 ? page[at] : 0, ok = size >= 1; break;
      case MDB_INT: {
        qint16 v = 0;
        ok = raw(&v, 2), c.kind = Cell::Int, c.i = v;
        break;
      }
      case MDB_LONGINT:
      case MDB_COMPLEX: {
        qint32 v = 0;
        ok = raw(&v, 4), c.kind = Cell::Int, c.i = v;
        break;
      }
      case MDB_MONEY: ok = raw(&c.i, 8), c.kind = Cell::Money; break;
      case MDB_FLOAT: ok = raw(&c.f, 4), c.kind = Cell::Single; break;
      case MDB_DOUBLE: ok = raw(&c.d, 8), c.kind = Cell::Double; break;
      case MDB_DATETIME: ok = raw(&c.d, 8), c.kind = Cell::Date; break;
      case MDB_TEXT: {
        c.kind = Cell::Text;
        if (size == 0) break;
        if (jet4) {
          // libmdb reads Jet 4 text as UCS-2: a character outside the BMP
          // would come back as "??". Decoded here from the bytes instead.
          bool exact = true;
          c.text = decodeJet4Text(QByteArray(reinterpret_cast<const char*>(page + at), size), &exact).toUtf8();
          c.inexact = !exact;
          break;
        }
        QByteArray out(size * 3 + 4, Qt::Uninitialized);
        const int written = mdb_unicode2ascii(s_->mdb, reinterpret_cast<const char*>(page + at), size_t(size),
                                              out.data(), size_t(out.size()));
        out.truncate(qMax(0, written));
        c.text = out;
        break;
      }
      case MDB_MEMO: {
        c.kind = Cell::Text;
        if (size < MDB_MEMO_OVERHEAD) break;
        if (jet4) {
          const QByteArray bytes = memoBytes(page + at, size, &ok);
          bool exact = true;
          c.text = decodeJet4Text(bytes, &exact).toUtf8();
          c.inexact = !exact;
          break;
        }
        quint32 memoLength = 0;
        std::memcpy(&memoLength, page + at, 4);
        memoLength &= 0x3FFFFFFF;
        // The whole memo must fit the conversion buffer: never cut it.
        mdb_set_bind_size(s_->mdb, qMax<size_t>(MDB_BIND_SIZE, size_t(memoLength) * 3 + 16));
        char* text = mdb_col_to_string(s_->mdb, s_->mdb->pg_buf, at, MDB_MEMO, size);
        c.text = QByteArray(text);
        g_free(text);
        break;
      }
      case MDB_NUMERIC: {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(s_->table->columns, col));
        char* text = mdb_numeric_to_string(s_->mdb, at, column->col_scale, column->col_prec);
        c.kind = Cell::Text;
        c.text = QByteArray(text);
        g_free(text);
        break;
      }
      default: c.kind = Cell::Unreadable; break;
    }
    if (!ok) {
      *error = kBroken;
      return false;
    }
  }
  return true;
}

// One row of a page, read from the file itself: `pointer` is page << 8 | row.
QByteArray JetSource::rawRow(quint32 pointer, bool* ok) {
  const int pageSize = s_->pageSize, rco = pageSize == 4096 ? 12 : 8;
  QByteArray page;
  if (s_->raw.seek(qint64(pointer >> 8) * pageSize)) page = s_->raw.read(pageSize);
  const int row = int(pointer & 0xFF);
  if (page.size() != pageSize || row >= le16(page, rco) || rco + 2 + 2 * row + 1 >= pageSize) return *ok = false, QByteArray();
  const int start = le16(page, rco + 2 + 2 * row) & 0x1FFF;
  const int end = row == 0 ? pageSize : le16(page, rco + 2 * row) & 0x1FFF;
  if (start >= end || end > pageSize) return *ok = false, QByteArray();
  return page.mid(start, end - start);
}

// The stored bytes of a memo: inline after its 12-byte header (flag 0x80),
// one long-value row (0x40), or a chain of rows that each begin with the
// pointer to the next (0x00).
QByteArray JetSource::memoBytes(const unsigned char* field, int size, bool* ok) {
  auto le = [&](int at) { return quint32(field[at]) | quint32(field[at + 1]) << 8 | quint32(field[at + 2]) << 16 | quint32(field[at + 3]) << 24; };
  const quint32 head = le(0), length = head & 0x3FFFFFFF;
  if (head & 0x80000000u) {
    if (12 + qint64(length) > size) return *ok = false, QByteArray();
    return QByteArray(reinterpret_cast<const char*>(field + 12), int(length));
  }
  if (head & 0x40000000u) {
    const QByteArray row = rawRow(le(4), ok);
    if (*ok && row.size() < qsizetype(length)) *ok = false;
    return *ok ? row.left(length) : QByteArray();
  }
  QByteArray out;
  quint32 next = le(4);
  for (int rows = 0; next != 0 && out.size() < qsizetype(length); ++rows) {
    const QByteArray row = rawRow(next, ok);
    if (!*ok || row.size() < 4 || rows > 1 << 20) return *ok = false, QByteArray();
    next = le32(row, 0);
    out += row.mid(4);
  }
  if (out.size() < qsizetype(length)) *ok = false;
  return out.left(length);
}

}  // namespace convert
