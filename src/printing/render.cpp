#include "printing/render.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

QSizeF PrintDocument::sizeTwips() const {
  const QPageSize size = pageSize.isValid() ? pageSize : QPageSize(QPageSize::A4);
  // From the size as the paper is defined, so that no unit rounds it.
  double perUnit = 20.0;  // points
  switch (size.definitionUnits()) {
    case QPageSize::Millimeter: perUnit = 1440.0 / 25.4; break;
    case QPageSize::Inch: perUnit = 1440.0; break;
    case QPageSize::Point: perUnit = 20.0; break;
    default: perUnit = size.sizePoints().width() * 20.0 / size.definitionSize().width(); break;
  }
  const QSizeF twips = size.definitionSize() * perUnit;
  return orientation == QPageLayout::Landscape ? twips.transposed() : twips;
}

QPageLayout PrintDocument::layout() const {
  const QPageSize size = pageSize.isValid() ? pageSize : QPageSize(QPageSize::A4);
  return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QFont printFont(const QString& name, double points, bool bold) {
  QFont f(name);
  f.setBold(bold);
  f.setPixelSize(std::max(1, int(std::lround(points * 20.0))));
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setKerning(false);
  return f;
}

QColor colourOf(qint32 bgr) {
  const quint32 v = quint32(bgr);
  return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

namespace {

QPen penOf(int width, qint32 colour) {
  QPen pen(colourOf(colour));
  pen.setWidthF(width <= 0 ? 0.0 : double(width));  // 0: a cosmetic hairline
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

QRectF rectOf(int x1, int y1, int x2, int y2) { return QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(); }

struct ItemPainter {
  QPainter& p;
  void operator()(const TextItem& t) const {
    const QFont font = printFont(t.fontName, t.fontSize, t.bold);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(t.x, t.y + QFontMetricsF(font).ascent()), t.text);
  }
  void operator()(const LineItem& l) const {
    p.setPen(penOf(l.penWidth, l.penColor));
    p.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
  }
  void operator()(const RectItem& r) const {
    p.setPen(penOf(r.penWidth, r.penColor));
    p.setBrush(colourOf(r.brushColor));
    p.drawRect(rectOf(r.x1, r.y1, r.x2, r.y2));
    p.setBrush(Qt::NoBrush);
  }
  void operator()(const PictureItem& pic) const {
    if (pic.image.isNull()) return;
    p.drawImage(rectOf(pic.x1, pic.y1, pic.x2, pic.y2), pic.image);
  }
};

}  // namespace

void paintPage(QPainter& painter, const PrintPage& page) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const ItemPainter draw{painter};
  for (const PrintItem& item : page.items) std::visit(draw, item);
  painter.restore();
}

void paintDocument(QPainter& painter, QPagedPaintDevice& device, const PrintDocument& document) {
  const double sx = device.logicalDpiX() / 1440.0;
  const double sy = device.logicalDpiY() / 1440.0;
  for (qsizetype i = 0; i < document.pages.size(); ++i) {
    if (i > 0) device.newPage();
    painter.save();
    painter.scale(sx, sy);
    paintPage(painter, document.pages[i]);
    painter.restore();
  }
}
