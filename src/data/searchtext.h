#pragma once
// Text folding for the list search: what the user types and what a list row
// holds are both folded, so that a search finds a row however its text was
// keyed in (full- or half-width, hiragana or katakana, upper or lower case,
// with or without separators and blanks, a name's kanji in a variant form),
// and a date as people write it. Qt Core only.
#include <QList>
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
// - dashes and minus signs become '-', and so does a long-vowel mark right
//   after a letter or digit ("0155ー22" as an input method writes it);
// - kanji that names are written in two ways fold to one form
//   (髙/高, 﨑/崎, 齋/齊/斉/斎, 邊/邉/辺, 澤/沢, ...).
QString fold(QStringView text);

// A search as typed: for each word the texts that find it; a row matches a
// word when its key contains any one of them.
struct Query {
  QList<QStringList> words;
  bool isEmpty() const { return words.isEmpty(); }
  friend bool operator==(const Query&, const Query&) = default;
};

// The words of a typed search, split at blanks (half- or full-width), folded.
// A word with separators ('-', '/', brackets) is searched without them, so
// "AE-86" finds "AE86" and "03(3333)4444" finds "03-3333-4444". A word that
// is a date as people write it ("2026/5/12", "2026/5", "5/12", "5/",
// "2026年5月", "5月12日", "12日") finds the dates it names and no other
// ("5/12" does not find 2025/12/31), besides the same text in other fields.
Query parse(QStringView typed);

// The text one row is searched in, kept with the row. Each field is folded
// and, when it holds blanks or separators, added once more without them, so
// that "鈴木花子" finds "鈴木　花子" and "0155221234" finds "0155-22-1234".
// A field that is a shown date ("2026/05/12") is kept as a date (for date
// words) and as its eight digits. Fields are kept apart by line feeds, so a
// word never matches across two fields.
QString rowKey(const QStringList& fields);

// True when every word of the query is found in the key (an empty query
// matches every row).
bool matches(QStringView key, const Query& query);

// True when every row that `narrower` matches is sure to match `wider` as
// well (each word of `wider` is inside a word of `narrower`): the rows found
// by `wider` are then all that `narrower` has to scan.
bool within(const Query& narrower, const Query& wider);

}  // namespace search
