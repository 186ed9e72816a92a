#include "printing/papers.h"

#include <QSizeF>

namespace {

QPageSize inches(double w, double h, const QString& name) {
  return QPageSize(QSizeF(w, h), QPageSize::Inch, name, QPageSize::FuzzyMatch);
}

QList<PaperEntry> build() {
  // The page follows the size in the display name, which is what the user
  // picks. Two names carry sizes that differ from the paper every printer
  // knows under that number: Executive is 7 1/4 x 10 1/2 in, and B4 is the
  // Japanese B4 (257 x 364 mm) that B5 (182 x 257 mm) belongs to.
  using P = QPageSize;
  return {
      {1, QStringLiteral("レター - 8 1/2 x 11 in"), P(P::Letter)},
      {2, QStringLiteral("スモールレター - 8 1/2 x 11 in"), P(P::LetterSmall)},
      {3, QStringLiteral("タブロイド - 11 x 17 in"), P(P::Tabloid)},
      {4, QStringLiteral("レッジャー - 17 x 11 in"), P(P::Ledger)},
      {5, QStringLiteral("リーガル - 8 1/2 x 14 in"), P(P::Legal)},
      {6, QStringLiteral("ステートメント - 5 1/2 x 8 1/2 in"), P(P::Statement)},
      {7, QStringLiteral("エグゼクティブ - 7 1/2 x 10 1/2 in"), P(P::ExecutiveStandard)},
      {8, QStringLiteral("A3 - 297 x 420 mm"), P(P::A3)},
      {9, QStringLiteral("A4 - 210 x 297 mm"), P(P::A4)},
      {10, QStringLiteral("A4スモール - 210 x 297 mm"), P(P::A4Small)},
      {11, QStringLiteral("A5 - 148 x 210 mm"), P(P::A5)},
      {12, QStringLiteral("B4 - 250 x 354 mm"), P(P::JisB4)},
      {13, QStringLiteral("B5 - 182 x 257 mm"), P(P::JisB5)},
      {14, QStringLiteral("フォリオ - 8 1/2 x 13 in"), inches(8.5, 13, QStringLiteral("Folio 8.5 x 13 in"))},
      {15, QStringLiteral("クアルト - 215 x 275 mm"), P(P::Quarto)},
      {16, QStringLiteral("10x14 - 10 x 14 in"), P(P::Imperial10x14)},
      {17, QStringLiteral("11x17 - 11 x 17 in"), P(P::Tabloid)},
      {18, QStringLiteral("ノート - 8 1/2 x 11 in"), P(P::Note)},
      {19, QStringLiteral("９型封筒 - 3 7/8 x 8 7/8 in"), P(P::Envelope9)},
      {20, QStringLiteral("10型封筒 - 4 1/8 x 9 1/2 in"), P(P::Envelope10)},
      {21, QStringLiteral("11型封筒 - 4 1/2 x 10 3/8 in"), P(P::Envelope11)},
      {22, QStringLiteral("12型封筒 - 4 1/2 x 11 in"), P(P::Envelope12)},
      {23, QStringLiteral("14型封筒 - 5 x 11 1/2 in"), P(P::Envelope14)},
      {24, QStringLiteral("C型シート"), P(P::AnsiC)},
      {25, QStringLiteral("D型シート"), P(P::AnsiD)},
      {26, QStringLiteral("E型シート"), P(P::AnsiE)},
      {27, QStringLiteral("DL型封筒 - 110 x 220 mm"), P(P::EnvelopeDL)},
      {28, QStringLiteral("C3型封筒 - 324 x 458 mm"), P(P::EnvelopeC3)},
      {29, QStringLiteral("C4型封筒 - 229 x 324 mm"), P(P::EnvelopeC4)},
      {30, QStringLiteral("C5型封筒 - 162 x 229 mm"), P(P::EnvelopeC5)},
      {31, QStringLiteral("C6型封筒 - 114 x 162 mm"), P(P::EnvelopeC6)},
      {32, QStringLiteral("65型封筒 - 114 x 229 mm"), P(P::EnvelopeC65)},
      {33, QStringLiteral("B4封筒 - 250 x 353 mm"), P(P::EnvelopeB4)},
      {34, QStringLiteral("B5型封筒 - 176 x 250 mm"), P(P::EnvelopeB5)},
      {35, QStringLiteral("B6型封筒 - 176 x 125 mm"), P(P::EnvelopeB6)},
      {44, QStringLiteral("9 x 11インチ"), P(P::Imperial9x11)},
      {45, QStringLiteral("10 x 11インチ"), P(P::Imperial10x11)},
      {46, QStringLiteral("15 x 11インチ"), P(P::Imperial15x11)},
  };
}

}  // namespace

const QList<PaperEntry>& paperTable() {
  static const QList<PaperEntry> table = build();
  return table;
}

std::optional<int> GetPaperCode(const QString& name) {
  for (const PaperEntry& e : paperTable())
    if (e.name == name) return e.code;
  return std::nullopt;
}

const PaperEntry* paperEntry(int code) {
  for (const PaperEntry& e : paperTable())
    if (e.code == code) return &e;
  return nullptr;
}

std::optional<int> GetOrientationCode(const QString& name) {
  if (name == kPortrait) return 0;
  if (name == kLandscape) return 1;
  return std::nullopt;
}
