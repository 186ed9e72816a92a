#pragma once
// Text folding for the list search: what the user types and what a list row
// holds are both folded, so that a search finds a row however its text was
// keyed in (full- or half-width, hiragana or katakana, upper or lower case).
// Qt Core only.
#include <QString>
#include <QStringList>

namespace search {

// Folds a text for matching:
// - full-width letters, digits and signs become half-width, the full-width
//   blank a plain blank;
// - half-width katakana become full-width, a following voiced or semi-voiced
//   mark joined to its kana ("ｼﾋﾞｯｸ" folds like "シビック");
// - hiragana become katakana ("しびっく" folds like "シビック");
// - upper case becomes lower case;
// - dashes and minus signs become '-'.
QString fold(QStringView text);

// The words of a typed search, folded, split at blanks (half- or full-width).
QStringList words(QStringView typed);

// The text one row is searched in: each field folded and, when it holds '-'
// or '/', once more without them, so that "2026/05" and "202605" both find a
// date shown "2026/05/12" and "0312345678" finds "03-1234-5678". Fields are
// kept apart by line feeds, so a word never matches across two fields.
QString rowKey(const QStringList& fields);

// True when every word occurs in the key (no words: every row matches).
bool matches(QStringView key, const QStringList& words);

}  // namespace search
