#include "data/searchtext.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace search {

namespace {

constexpr char16_t kVoiced = 0x3099;      // combining voiced mark
constexpr char16_t kSemiVoiced = 0x309A;  // combining semi-voiced mark

// The half-width and full-width forms block (U+FF00..U+FFEF) and what each
// character folds to, taken from the characters' own compatibility mappings.
const std::array<char16_t, 0xF0>& widthTable() {
  static const std::array<char16_t, 0xF0> table = [] {
    std::array<char16_t, 0xF0> t{};
    for (char16_t u = 0; u < 0xF0; ++u) {
      const QChar c(char16_t(0xFF00 + u));
      const QChar::Decomposition tag = c.decompositionTag();
      t[u] = (tag == QChar::Wide || tag == QChar::Narrow) ? c.decomposition().at(0).unicode() : c.unicode();
    }
    return t;
  }();
  return table;
}

// Katakana U+30A0..U+30FF with a voiced (0) or semi-voiced (1) mark joined,
// or 0 when the pair has no single character.
const std::array<std::array<char16_t, 0x60>, 2>& markTable() {
  static const std::array<std::array<char16_t, 0x60>, 2> table = [] {
    std::array<std::array<char16_t, 0x60>, 2> t{};
    for (int m = 0; m < 2; ++m)
      for (char16_t u = 0; u < 0x60; ++u) {
        const QString pair = QString(QChar(char16_t(0x30A0 + u))) + QChar(m == 0 ? kVoiced : kSemiVoiced);
        const QString joined = pair.normalized(QString::NormalizationForm_C);
        t[size_t(m)][u] = joined.size() == 1 ? joined.at(0).unicode() : 0;
      }
    return t;
  }();
  return table;
}

// 0 for no mark, 1 voiced, 2 semi-voiced (half-width, spacing or combining).
int markOf(char16_t u) {
  if (u == 0xFF9E || u == 0x309B || u == kVoiced) return 1;
  if (u == 0xFF9F || u == 0x309C || u == kSemiVoiced) return 2;
  return 0;
}

// Kanji written in two or more ways in names, and the one form each folds
// to. Sorted by the first member.
struct Variant {
  char16_t from, to;
};
constexpr Variant kVariants[] = {
    {u'冨', u'富'}, {u'國', u'国'}, {u'嵜', u'崎'}, {u'嶋', u'島'}, {u'嶌', u'島'}, {u'廣', u'広'},
    {u'德', u'徳'}, {u'惠', u'恵'}, {u'斉', u'斎'}, {u'曾', u'曽'}, {u'栁', u'柳'}, {u'桒', u'桑'},
    {u'槗', u'橋'}, {u'櫻', u'桜'}, {u'淵', u'渕'}, {u'澤', u'沢'}, {u'濱', u'浜'}, {u'濵', u'浜'},
    {u'眞', u'真'}, {u'舘', u'館'}, {u'藪', u'薮'}, {u'邉', u'辺'}, {u'邊', u'辺'}, {u'髙', u'高'},
    {u'齊', u'斎'}, {u'齋', u'斎'}, {u'﨑', u'崎'},
};
static_assert([] {
  for (size_t i = 1; i < std::size(kVariants); ++i)
    if (kVariants[i - 1].from >= kVariants[i].from) return false;
  return true;
}());

// A CJK compatibility ideograph (U+F900..U+FAFF) as its unified ideograph,
// from the characters' own canonical mappings (0 when it has none).
const std::array<char16_t, 0x200>& compatTable() {
  static const std::array<char16_t, 0x200> table = [] {
    std::array<char16_t, 0x200> t{};
    for (char16_t u = 0; u < 0x200; ++u) {
      const QChar c(char16_t(0xF900 + u));
      const QString d = c.decomposition();
      if (c.decompositionTag() == QChar::Canonical && d.size() == 1) t[u] = d.at(0).unicode();
    }
    return t;
  }();
  return table;
}

char16_t variantOf(char16_t u) {
  if (u >= 0xF900 && u < 0xFB00)
    if (const char16_t unified = compatTable()[u - 0xF900]) u = unified;
  const auto* end = std::end(kVariants);
  const auto* at = std::lower_bound(std::begin(kVariants), end, u, [](const Variant& v, char16_t c) { return v.from < c; });
  return at != end && at->from == u ? at->to : u;
}

bool isAsciiAlnum(QChar c) {
  const char16_t u = c.unicode();
  return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z');
}

// Separators left out of a field's second form and of a word that has them;
// blanks too in the field (a word has none).
bool isSeparator(QChar c) {
  const char16_t u = c.unicode();
  return u == '-' || u == '/' || u == '(' || u == ')';
}

QString withoutSeparators(const QString& text, bool blanks) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text)
    if (!isSeparator(c) && !(blanks && c == u' ')) out.append(c);
  return out;
}

// Markers of the date form in a row key: "\x01" 2026 "\x02" 05 "\x02" 12 "\x01".
// They are never typed, so only a date word finds that form.
constexpr QChar kDateEdge(u'\x01');
constexpr QChar kDatePart(u'\x02');

bool isDigits(QStringView s, qsizetype min, qsizetype max) {
  if (s.size() < min || s.size() > max) return false;
  for (QChar c : s)
    if (c.unicode() < '0' || c.unicode() > '9') return false;
  return true;
}

QString twoDigits(QStringView s) { return s.size() == 1 ? u'0' + s.toString() : s.toString(); }

bool validMonth(QStringView s) { return isDigits(s, 1, 2) && s.toInt() >= 1 && s.toInt() <= 12; }
bool validDay(QStringView s) { return isDigits(s, 1, 2) && s.toInt() >= 1 && s.toInt() <= 31; }

// The date form a folded word stands for, or "" when it is no date:
// "2026/5/12" -> \1 2026 \2 05 \2 12 \1 (that day), "2026/5" -> \1 2026 \2 05 \2
// (that month), "2026/" -> \1 2026 \2 (that year), "5/12" -> \2 05 \2 12 \1
// (that day of any year), "5/" -> \2 05 \2 (that month of any year),
// "12日" -> \2 12 \1. 年 and 月 stand for '/', a closing 日 for the day.
QString dateForm(QStringView word) {
  QString s = word.toString();
  s.replace(u'年', u'/').replace(u'月', u'/');
  const bool dayMarked = s.endsWith(u'日');
  if (dayMarked) s.chop(1);
  if (!dayMarked && !s.contains(u'/')) return QString();
  const QList<QStringView> parts = QStringView(s).split(u'/');
  const QString edge(kDateEdge), part(kDatePart);
  if (parts.size() == 1)
    return dayMarked && validDay(parts[0]) ? part + twoDigits(parts[0]) + edge : QString();
  if (parts.size() == 2) {
    const QStringView a = parts[0], b = parts[1];
    if (isDigits(a, 4, 4)) {
      if (dayMarked) return QString();
      if (b.isEmpty()) return edge + a.toString() + part;
      return validMonth(b) ? edge + a.toString() + part + twoDigits(b) + part : QString();
    }
    if (!validMonth(a)) return QString();
    if (b.isEmpty()) return dayMarked ? QString() : part + twoDigits(a) + part;
    return validDay(b) ? part + twoDigits(a) + part + twoDigits(b) + edge : QString();
  }
  if (parts.size() == 3 && isDigits(parts[0], 4, 4) && validMonth(parts[1])) {
    const QString month = edge + parts[0].toString() + part + twoDigits(parts[1]) + part;
    if (parts[2].isEmpty()) return dayMarked ? QString() : month;
    return validDay(parts[2]) ? month + twoDigits(parts[2]) + edge : QString();
  }
  return QString();
}

// True for a date as a list shows it: "2026/05/12".
bool isShownDate(const QString& f) {
  if (f.size() != 10 || f[4] != u'/' || f[7] != u'/') return false;
  return isDigits(QStringView(f).left(4), 4, 4) && isDigits(QStringView(f).mid(5, 2), 2, 2) &&
         isDigits(QStringView(f).right(2), 2, 2);
}

}  // namespace

QString fold(QStringView text) {
  const auto& width = widthTable();
  const auto& marks = markTable();
  QString out;
  out.reserve(text.size());
  for (QChar qc : text) {
    char16_t u = qc.unicode();
    if (const int mark = markOf(u); mark && !out.isEmpty()) {
      const char16_t last = out.back().unicode();
      if (last >= 0x30A0 && last < 0x3100) {
        if (const char16_t joined = marks[size_t(mark - 1)][last - 0x30A0]) {
          out.back() = QChar(joined);
          continue;
        }
      }
    }
    if (u < 0x80) {
      if (u >= 'A' && u <= 'Z') u = char16_t(u + 32);
      out.append(QChar(u));
      continue;
    }
    if (u >= 0xFF00 && u < 0xFFF0) u = width[u - 0xFF00];
    else if (u == 0x3000) u = u' ';
    // A mark with no kana to join stays a mark of its own, always spacing.
    if (u == kVoiced) u = 0x309B;
    else if (u == kSemiVoiced) u = 0x309C;
    if (u >= 0x3041 && u <= 0x3096) u = char16_t(u + 0x60);        // hiragana to katakana
    else if (u == 0x309D || u == 0x309E) u = char16_t(u + 0x60);  // ゝゞ to ヽヾ
    else if ((u >= 0x2010 && u <= 0x2015) || u == 0x2212) u = u'-';
    else if (u == 0x30FC && !out.isEmpty() && isAsciiAlnum(out.back())) u = u'-';  // "AEー86"
    else if (u >= 'A' && u <= 'Z') u = char16_t(u + 32);
    else if ((u >= 0x4E00 && u < 0xA000) || (u >= 0xF900 && u < 0xFB00)) u = variantOf(u);
    else if (u == 0xDFB7 && !out.isEmpty() && out.back().unicode() == 0xD842) {  // 𠮷 (U+20BB7)
      out.back() = QChar(u'吉');
      continue;
    }
    else if (u >= 0x80) u = char16_t(QChar::toCaseFolded(char32_t(u)));
    out.append(QChar(u));
  }
  return out;
}

Query parse(QStringView typed) {
  QString text = fold(typed);
  text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n'; });
  Query query;
  for (const QString& word : text.simplified().split(u' ', Qt::SkipEmptyParts)) {
    if (const QString date = dateForm(word); !date.isEmpty()) {
      // The date, or the same text where it was written into a name.
      query.words.append(QStringList{date, word});
      continue;
    }
    bool separated = false;
    for (QChar c : word) separated = separated || isSeparator(c);
    const QString bare = separated ? withoutSeparators(word, false) : word;
    if (!bare.isEmpty()) query.words.append(QStringList{bare});
  }
  return query;
}

QString rowKey(const QStringList& fields) {
  QString key;
  for (const QString& field : fields) {
    const QString f = fold(field);
    if (isShownDate(f)) {
      const QStringView year = QStringView(f).left(4), month = QStringView(f).mid(5, 2), day = QStringView(f).right(2);
      key.append(kDateEdge).append(year).append(kDatePart).append(month).append(kDatePart).append(day);
      key.append(kDateEdge).append(u'\n');
      key.append(year).append(month).append(day).append(u'\n');
      continue;
    }
    key += f;
    key += u'\n';
    bool separated = false;
    for (QChar c : f) separated = separated || isSeparator(c) || c == u' ';
    if (separated) {
      key += withoutSeparators(f, true);
      key += u'\n';
    }
  }
  return key;
}

bool matches(QStringView key, const Query& query) {
  for (const QStringList& forms : query.words) {
    bool found = false;
    for (const QString& form : forms)
      if (key.contains(form)) {
        found = true;
        break;
      }
    if (!found) return false;
  }
  return true;
}

bool within(const Query& narrower, const Query& wider) {
  // A word is inside another when each of its forms holds a form of the other.
  auto inside = [](const QStringList& outer, const QStringList& inner) {
    for (const QString& o : outer) {
      bool holds = false;
      for (const QString& i : inner) holds = holds || o.contains(i);
      if (!holds) return false;
    }
    return true;
  };
  for (const QStringList& w : wider.words) {
    bool kept = false;
    for (const QStringList& n : narrower.words) kept = kept || inside(n, w);
    if (!kept) return false;
  }
  return true;
}

}  // namespace search
