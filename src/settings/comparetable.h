#pragma once
// One wheel of a comparison as a table drawn by itself: the wheel's name,
// a header row (項目, 古い方, 新しい方, 差) and the twelve items. Rows that
// differ are bold on light yellow. It is one plain widget rather than a
// QTableWidget inside a frame: the comparison window opens within a frame's
// time, and four item views with their models, headers and scroll areas
// cost most of that.
//
// Keyboard: it takes focus (Tab); the arrow keys, Home, End (with Ctrl: the
// first or last row), PageUp and PageDown move the current cell, whose row
// is framed. Assistive technology reads it as a
// table of cells with the column headers; every cell of a differing row has
// the accessible description "違いあり".
#include <QHash>
#include <QStaticText>
#include <QString>
#include <QWidget>
#include <array>

class CompareTable : public QWidget {
 public:
  static constexpr int kRows = 12, kColumns = 4;
  using Cells = std::array<std::array<QString, kColumns>, kRows>;

  CompareTable(const QString& caption, const Cells& cells, const std::array<bool, kRows>& marked,
               QWidget* parent = nullptr);

  const QString& caption() const { return caption_; }
  static const QString& headerText(int column);
  const QString& text(int row, int column) const { return cells_[size_t(row)][size_t(column)]; }
  bool marked(int row) const { return marked_[size_t(row)]; }
  // The accessible description of a marked row's cells.
  static const QString& markText();

  int currentRow() const { return row_; }
  int currentColumn() const { return column_; }
  void setCurrent(int row, int column);
  // A cell in widget coordinates; row -1 is the header row.
  QRect cellRect(int row, int column) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int rowHeight() const;
  int top() const;  // y of the header row, below the caption
  // The text laid out once for this table and reused on every paint: the
  // item names, values and headers repeat across the rows and wheels.
  const QStaticText& laidOut(const QString& text, bool bold);
  void drawCell(QPainter& p, const QRect& r, const QString& text, bool bold, Qt::Alignment align);

  QString caption_;
  Cells cells_;
  std::array<bool, kRows> marked_{};
  int row_ = 0, column_ = 0;
  QFont bold_;
  QHash<QString, QStaticText> plainTexts_, boldTexts_;
};
