#include "settings/strutpicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

StrutPicture::StrutPicture(bool mirrored, QWidget* parent) : QWidget(parent), mirrored_(mirrored) {
  setMinimumSize(120, 180);
}

void StrutPicture::paintEvent(QPaintEvent*) {
  // Drawn once per size and side, then reused by every panel.
  static QPixmap cache[2];
  QPixmap& pix = cache[mirrored_ ? 1 : 0];
  const qreal dpr = devicePixelRatioF();
  if (pix.size() != size() * dpr) {
    pix = QPixmap(size() * dpr);
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    draw(p);
  }
  QPainter(this).drawPixmap(0, 0, pix);
}

void StrutPicture::draw(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  // Drawn on a 130 x 200 grid, scaled to the widget.
  const double sx = width() / 130.0, sy = height() / 200.0;
  p.scale(sx, sy);
  if (mirrored_) {
    p.translate(130, 0);
    p.scale(-1, 1);
  }
  const QColor steel(90, 96, 110), body(200, 205, 215), spring(190, 40, 40), dim(0, 70, 160);
  const double cx = 62;

  // Fender arc and wheel hub, for ① (fender height: hub centre to fender).
  p.setPen(QPen(QColor(120, 120, 120), 2));
  p.drawArc(QRectF(cx - 50, 2, 100, 40), 20 * 16, 140 * 16);
  p.setPen(QPen(steel, 1.5));
  p.setBrush(QColor(230, 230, 230));
  p.drawEllipse(QPointF(cx, 185), 9, 9);

  // Upper mount (pillow ball) with its plate.
  p.setBrush(body);
  p.drawRect(QRectF(cx - 24, 16, 48, 7));
  p.setBrush(QColor(170, 175, 185));
  p.drawEllipse(QPointF(cx, 26), 8, 6);
  // Piston rod and damper body.
  p.setBrush(QColor(225, 228, 235));
  p.drawRect(QRectF(cx - 3, 28, 6, 50));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(cx - 11, 76, 22, 82), 3, 3);
  // Threaded body and the spring seat (preload collar).
  p.setPen(QPen(steel, 0.8));
  for (double y = 112; y < 132; y += 2.5) p.drawLine(QPointF(cx - 11, y), QPointF(cx + 11, y));
  p.setPen(QPen(steel, 1.5));
  p.setBrush(QColor(160, 165, 175));
  p.drawRect(QRectF(cx - 20, 122, 40, 6));
  p.drawRect(QRectF(cx - 22, 32, 44, 5));  // upper spring seat
  // Coil spring between the seats.
  QPainterPath coil;
  const int turns = 6;
  const double top = 37, bottom = 122, r = 18;
  coil.moveTo(cx - r, top);
  for (int i = 0; i < turns * 2; ++i) {
    const double y = top + (bottom - top) * (i + 1) / (turns * 2);
    coil.lineTo(i % 2 == 0 ? cx + r : cx - r, y);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(spring, 3));
  p.drawPath(coil);
  // Lower bracket to the hub.
  p.setPen(QPen(steel, 1.5));
  p.setBrush(body);
  p.drawRect(QRectF(cx - 13, 158, 26, 12));
  p.drawLine(QPointF(cx, 170), QPointF(cx, 176));

  // Dimension lines with the circled numbers.
  p.setPen(QPen(dim, 1, Qt::DashLine));
  auto vline = [&](double x, double y1, double y2) {
    p.drawLine(QPointF(x, y1), QPointF(x, y2));
    p.drawLine(QPointF(x - 3, y1), QPointF(x + 3, y1));
    p.drawLine(QPointF(x - 3, y2), QPointF(x + 3, y2));
  };
  vline(cx + 46, 8, 185);   // ① fender to hub centre
  vline(cx - 32, 122, 158); // ② seat to body end
  vline(cx + 30, 26, 170);  // ③ overall length
  vline(cx - 44, 16, 26);   // ⑥ mount height
  p.drawLine(QPointF(cx - 24, 13), QPointF(cx - 8, 13));  // ④ out side
  p.drawLine(QPointF(cx + 8, 13), QPointF(cx + 24, 13));  // ⑤ in side

  QFont f = font();
  f.setPointSizeF(9);
  f.setBold(true);
  p.setFont(f);
  p.setPen(dim);
  auto number = [&](const QString& n, double x, double y) {
    p.save();
    p.translate(x, y);
    if (mirrored_) p.scale(-1, 1);  // keep the digits readable
    p.drawText(QRectF(-8, -8, 16, 16), Qt::AlignCenter, n);
    p.restore();
  };
  number(QStringLiteral("①"), cx + 56, 96);
  number(QStringLiteral("②"), cx - 42, 140);
  number(QStringLiteral("③"), cx + 39, 140);
  number(QStringLiteral("④"), cx - 16, 5);
  number(QStringLiteral("⑤"), cx + 16, 5);
  number(QStringLiteral("⑥"), cx - 54, 21);
}
