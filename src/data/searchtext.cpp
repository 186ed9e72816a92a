#include "data/searchtext.h"

#include <array>

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
    else if ((u >= 0x2010 && u <= 0x2014) || u == 0x2212) u = u'-';
    else if (u >= 'A' && u <= 'Z') u = char16_t(u + 32);
    else if (u >= 0x80) u = char16_t(QChar::toCaseFolded(char32_t(u)));
    out.append(QChar(u));
  }
  return out;
}

QStringList words(QStringView typed) {
  return fold(typed).simplified().split(u' ', Qt::SkipEmptyParts);
}

QString rowKey(const QStringList& fields) {
  QString key;
  for (const QString& field : fields) {
    const QString f = fold(field);
    key += f;
    key += u'\n';
    if (f.contains(u'-') || f.contains(u'/')) {
      QString bare = f;
      bare.remove(u'-');
      bare.remove(u'/');
      key += bare;
      key += u'\n';
    }
  }
  return key;
}

bool matches(QStringView key, const QStringList& words) {
  for (const QString& w : words)
    if (!key.contains(w)) return false;
  return true;
}

}  // namespace search
