#pragma once
// What a print surface records: each page as a list of drawing items in
// exact twips (1440 per inch, origin at the paper's top-left corner), with
// the font, pen and brush each item was drawn with. The list is replayed
// onto the preview, a printer or a PDF file.
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <variant>

struct TextItem {
  int x = 0, y = 0;  // top-left of the text
  QString text;
  QString fontName;
  double fontSize = 0;  // points
  bool bold = false;
};

struct LineItem {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int penWidth = 0;  // twips; 0 is the thinnest line the device draws
  qint32 penColor = 0;  // blue-green-red colour value
};

struct RectItem {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int penWidth = 0;
  qint32 penColor = 0;
  qint32 brushColor = 0;
};

struct PictureItem {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the frame the picture is scaled into
  QImage image;
  QString source;  // file it was read from
};

using PrintItem = std::variant<TextItem, LineItem, RectItem, PictureItem>;

struct PrintPage {
  QList<PrintItem> items;
};

struct PrintDocument {
  QString docName;
  int paperCode = 0;
  QPageSize pageSize;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  QList<PrintPage> pages;

  // The paper in twips, turned for landscape.
  QSizeF sizeTwips() const;
  QPageLayout layout() const;  // no margins: drawing starts at the paper's corner
};
