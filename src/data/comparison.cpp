#include "data/comparison.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "data/schema.h"

namespace comparison {

namespace {

// A wheel value that is a plain decimal number ("12", "-3", "8.5", ".5"),
// with the count of its decimals; nothing for blanks and other texts.
std::optional<std::pair<double, int>> plainNumber(const QString& text) {
  const QString t = text.trimmed();
  qsizetype i = 0;
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    if (t[i].isDigit() && t[i].unicode() < 128) {
      ++digits;
      if (point) ++decimals;
    } else if (t[i] == u'.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  return std::make_pair(numfmt::val(t), decimals);
}

// The difference as it is shown, "0" (or "0.0") when the numbers are equal.
std::optional<QString> signedDifference(const QString& older, const QString& newer) {
  const auto a = plainNumber(older), b = plainNumber(newer);
  if (!a || !b) return std::nullopt;
  const int decimals = std::max(a->second, b->second);
  const QString pattern = decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
  QString text = numfmt::format(b->first - a->first, pattern);
  if (!text.startsWith(u'-')) text.prepend(u'+');
  return text;
}

bool isZero(const QString& signedText) {
  for (QChar c : signedText)
    if (c.unicode() >= '1' && c.unicode() <= '9') return false;
  return true;
}

QString listText(const QString& sql, qint64 code, int width, const QString& none) {
  if (code <= 0) return none;
  Recordset rs(sql + QString::number(code));
  if (rs.eof()) return none;
  return QString::number(code).rightJustified(width, u'0') + u':' + rs.text(QStringLiteral("name")).trimmed();
}

}  // namespace

QString difference(const QString& older, const QString& newer) {
  const auto d = signedDifference(older, newer);
  return d && !isZero(*d) ? *d : QString();
}

bool differs(const QString& older, const QString& newer) {
  if (const auto d = signedDifference(older, newer)) return !isZero(*d);
  return older.trimmed() != newer.trimmed();
}

QString dateText(const SettingRecord& s) { return s.year + u'/' + s.month + u'/' + s.day; }

SettingComparison compare(const SettingRecord& a, const SettingRecord& b) {
  const auto key = [](const SettingRecord& s) {
    return std::make_pair(s.year + s.month + s.day, numfmt::codeValue(s.code));
  };
  SettingComparison c;
  const bool aFirst = key(a) <= key(b);
  c.older = aFirst ? a : b;
  c.newer = aFirst ? b : a;
  for (size_t w = 0; w < 4; ++w)
    for (size_t i = 0; i < 12; ++i) {
      const QString& before = c.older.wheel[w][i];
      const QString& after = c.newer.wheel[w][i];
      c.differing[w][i] = differs(before, after);
      c.difference[w][i] = difference(before, after);
      if (c.differing[w][i]) ++c.count;
    }
  return c;
}

std::optional<SettingRecord> readSetting(qint64 code) {
  Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=") + QString::number(code));
  if (rs.eof()) return std::nullopt;
  SettingRecord s;
  s.code = numfmt::format(rs.number(QStringLiteral("コード")), u"0000");
  s.name = rs.text(QStringLiteral("セッティング名称")).trimmed();
  const QString date = rs.text(QStringLiteral("登録日"));
  s.year = date.mid(0, 4);
  s.month = date.mid(4, 2);
  s.day = date.mid(6, 2);
  s.user = listText(QStringLiteral("SELECT 名前 AS name FROM ユーザー WHERE コード="),
                    qint64(rs.number(QStringLiteral("ユーザー"))), 4, QStringLiteral("0000:なし"));
  s.coilOver = listText(QStringLiteral("SELECT 名称 AS name FROM 車高調マスタ WHERE コード="),
                        qint64(rs.number(QStringLiteral("車高調"))), 2, QStringLiteral("00:なし"));
  const QStringList& prefixes = schema::wheelPrefixes();
  const QStringList& items = schema::wheelItems();
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < 12; ++i) s.wheel[size_t(w)][size_t(i)] = rs.text(prefixes[w] + items[i]).trimmed();
  return s;
}

qint64 partnerOf(qint64 chosen, qint64 shown) {
  if (shown > 0 && shown != chosen) {
    Recordset rs(QStringLiteral("SELECT コード FROM セッティング WHERE コード=") + QString::number(shown));
    if (!rs.eof()) return shown;
  }
  Recordset self(QStringLiteral("SELECT 登録日, ユーザー FROM セッティング WHERE コード=") + QString::number(chosen));
  if (self.eof()) return 0;
  const qint64 user = qint64(self.number(QStringLiteral("ユーザー")));
  if (user <= 0) return 0;
  const auto before = std::make_pair(self.text(QStringLiteral("登録日")), chosen);
  // Every setting of the user; the latest one before the chosen is kept.
  Recordset rs(QStringLiteral("SELECT コード, 登録日 FROM セッティング WHERE ユーザー=") + QString::number(user));
  std::optional<std::pair<QString, qint64>> best;
  for (; !rs.eof(); rs.moveNext()) {
    const auto key = std::make_pair(rs.text(QStringLiteral("登録日")), qint64(rs.number(QStringLiteral("コード"))));
    if (key < before && (!best || *best < key)) best = key;
  }
  return best ? best->second : 0;
}

}  // namespace comparison
