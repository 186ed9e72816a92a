// wheelart OUT_LEFT.png OUT_RIGHT.png
// Draws the side view of a coil-over strut beside its wheel, with the six
// measuring points of the setting sheet: ① fender height, ② spring
// preload, ③ overall length, ④ pillow upper out side, ⑤ pillow upper in
// side, ⑥ upper-mount height. The right-hand picture mirrors the drawing
// (texts stay readable). The size matches the sheet's picture frame,
// 85.5 x 33 mm, at 12 pixels per millimetre.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <tuple>

namespace {

constexpr int W = 1026, H = 396;
const QColor kInk(20, 20, 20), kRed(200, 0, 0), kSpring(32, 80, 160), kBody(200, 200, 200),
    kDark(90, 90, 90), kTyre(48, 48, 48), kRim(170, 170, 170), kCar(110, 130, 150);

class Art {
 public:
  Art(QImage& image, bool mirror) : p_(&image), mirror_(mirror) {
    p_.setRenderHint(QPainter::Antialiasing);
    p_.setRenderHint(QPainter::TextAntialiasing);
    if (mirror_) {
      p_.translate(W, 0);
      p_.scale(-1, 1);
    }
  }
  QPainter& p() { return p_; }
  bool mirrored() const { return mirror_; }

  // Text at a point of the unmirrored drawing, never mirrored itself.
  // `align` is Qt::AlignLeft, AlignRight or AlignHCenter for the left picture.
  void text(double x, double y, const QString& s, int px, Qt::Alignment align, const QColor& colour,
            bool bold = false) {
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(px);
    f.setBold(bold);
    p_.save();
    p_.resetTransform();
    p_.setFont(f);
    p_.setPen(colour);
    const double w = p_.fontMetrics().horizontalAdvance(s);
    double left = x;
    Qt::Alignment a = align;
    if (mirror_) {
      left = W - x;
      if (a & Qt::AlignLeft)
        a = Qt::AlignRight;
      else if (a & Qt::AlignRight)
        a = Qt::AlignLeft;
    }
    if (a & Qt::AlignRight) left -= w;
    if (a & Qt::AlignHCenter) left -= w / 2;
    p_.drawText(QPointF(left, y + p_.fontMetrics().ascent() / 2.6), s);
    p_.restore();
  }

  // Text whose left edge is at x in either picture.
  void plainText(double x, double y, const QString& s, int px, const QColor& colour) {
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(px);
    p_.save();
    p_.resetTransform();
    p_.setFont(f);
    p_.setPen(colour);
    p_.drawText(QPointF(x, y + p_.fontMetrics().ascent() / 2.6), s);
    p_.restore();
  }

  void arrowHead(QPointF tip, QPointF from, const QColor& c) {
    const double a = std::atan2(tip.y() - from.y(), tip.x() - from.x());
    const double len = 14, spread = 0.42;
    QPolygonF head;
    head << tip << QPointF(tip.x() - len * std::cos(a - spread), tip.y() - len * std::sin(a - spread))
         << QPointF(tip.x() - len * std::cos(a + spread), tip.y() - len * std::sin(a + spread));
    p_.setPen(Qt::NoPen);
    p_.setBrush(c);
    p_.drawPolygon(head);
  }

  // A dimension: a line with arrow heads at both ends.
  void dimension(QPointF a, QPointF b, const QColor& c = kRed) {
    p_.setPen(QPen(c, 3));
    p_.drawLine(a, b);
    arrowHead(a, b, c);
    arrowHead(b, a, c);
  }

  void dashed(QPointF a, QPointF b, const QColor& c = kRed) {
    QPen pen(c, 2, Qt::DashLine);
    p_.setPen(pen);
    p_.drawLine(a, b);
  }

 private:
  QPainter p_;
  bool mirror_;
};

void drawWheel(Art& art) {
  QPainter& p = art.p();
  const QPointF hub(190, 330);
  // Body and fender arch.
  QPainterPath body;
  body.moveTo(0, 196);
  body.lineTo(22, 196);
  body.arcTo(QRectF(hub.x() - 185, hub.y() - 185, 370, 370), 172, -164);
  body.lineTo(380, 196);
  p.setPen(QPen(kCar, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(body);
  // Tyre, rim and hub.
  p.setPen(QPen(kInk, 3));
  p.setBrush(kTyre);
  p.drawEllipse(hub, 150, 150);
  p.setBrush(kRim);
  p.drawEllipse(hub, 98, 98);
  p.setBrush(Qt::white);
  p.drawEllipse(hub, 70, 70);
  p.setBrush(kRim);
  p.drawEllipse(hub, 30, 30);
  for (int i = 0; i < 5; ++i) {
    const double a = i * 2 * M_PI / 5 - M_PI / 2;
    p.setPen(QPen(kDark, 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hub + QPointF(34 * std::cos(a), 34 * std::sin(a)), hub + QPointF(92 * std::cos(a), 92 * std::sin(a)));
  }
  p.setPen(QPen(kInk, 2));
  p.setBrush(kInk);
  p.drawEllipse(hub, 6, 6);
  // ① hub centre to the fender lip.
  art.dashed(QPointF(hub.x() - 40, 145), QPointF(hub.x() + 40, 145));
  art.dimension(hub, QPointF(hub.x(), 147));
  art.text(hub.x() + 16, 170, QStringLiteral("①"), 40, Qt::AlignLeft, kRed, true);
}

void drawStrut(Art& art) {
  QPainter& p = art.p();
  const double cx = 520;
  // Lower bracket with its two bolt holes.
  p.setPen(QPen(kInk, 3));
  p.setBrush(kDark);
  QPainterPath bracket;
  bracket.moveTo(cx - 34, 346);
  bracket.lineTo(cx + 34, 346);
  bracket.lineTo(cx + 40, 388);
  bracket.lineTo(cx - 40, 388);
  bracket.closeSubpath();
  p.drawPath(bracket);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(cx - 14, 370), 8, 8);
  p.drawEllipse(QPointF(cx + 14, 370), 8, 8);
  // Damper shell with its thread.
  p.setBrush(kBody);
  p.drawRect(QRectF(cx - 24, 150, 48, 198));
  p.setPen(QPen(kDark, 2));
  for (double y = 196; y <= 300; y += 8) p.drawLine(QPointF(cx - 27, y), QPointF(cx + 27, y + 3));
  // Piston rod.
  p.setPen(QPen(kInk, 2));
  p.setBrush(QColor(230, 230, 230));
  p.drawRect(QRectF(cx - 7, 22, 14, 130));
  // Pillow upper mount: plate, pillow ball and top nut.
  p.setBrush(kDark);
  p.setPen(QPen(kInk, 3));
  p.drawRect(QRectF(cx - 56, 44, 112, 12));
  p.setBrush(QColor(150, 150, 150));
  p.drawEllipse(QPointF(cx, 50), 16, 13);
  p.setBrush(kDark);
  p.drawRect(QRectF(cx - 14, 10, 28, 14));
  for (double dx : {-40.0, 40.0}) {
    p.setPen(QPen(kInk, 5));
    p.drawLine(QPointF(cx + dx, 28), QPointF(cx + dx, 44));
  }
  // Upper spring seat.
  p.setPen(QPen(kInk, 3));
  p.setBrush(kDark);
  p.drawRect(QRectF(cx - 40, 70, 80, 10));
  // Spring: seven turns between the seats.
  const double top = 80, bottom = 232, r = 38;
  const int turns = 7;
  QPainterPath back, front;
  for (int i = 0; i < turns; ++i) {
    const double y0 = top + (bottom - top) * i / turns, y1 = top + (bottom - top) * (i + 0.5) / turns,
                 y2 = top + (bottom - top) * (i + 1) / turns;
    back.moveTo(cx - r, y0);
    back.lineTo(cx + r, y1);
    front.moveTo(cx + r, y1);
    front.lineTo(cx - r, y2);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kSpring.lighter(150), 9, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(back);
  p.setPen(QPen(kSpring, 11, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(front);
  // Lower spring seat (threaded ring) and lock ring.
  p.setPen(QPen(kInk, 3));
  p.setBrush(kDark);
  p.drawRect(QRectF(cx - 46, 232, 92, 14));
  p.setBrush(kRim);
  p.drawRect(QRectF(cx - 36, 246, 72, 9));

  // ③ overall length: top of the rod to the bracket's lower edge.
  art.dashed(QPointF(cx - 20, 10), QPointF(cx - 96, 10));
  art.dashed(QPointF(cx - 40, 388), QPointF(cx - 96, 388));
  art.dimension(QPointF(cx - 86, 12), QPointF(cx - 86, 386));
  art.text(cx - 96, 300, QStringLiteral("③"), 40, Qt::AlignRight, kRed, true);
  // ② preload: how far the lower seat has been screwed up from the free
  // length of the spring.
  art.dashed(QPointF(cx + 46, 270), QPointF(cx + 92, 270));
  art.dashed(QPointF(cx + 46, 239), QPointF(cx + 92, 239));
  art.dimension(QPointF(cx + 80, 241), QPointF(cx + 80, 268));
  art.text(cx + 96, 256, QStringLiteral("②"), 40, Qt::AlignLeft, kRed, true);
  // ⑥ upper-mount height: top nut above the mount plate.
  art.dashed(QPointF(cx + 16, 10), QPointF(cx + 92, 10));
  art.dashed(QPointF(cx + 56, 50), QPointF(cx + 92, 50));
  art.dimension(QPointF(cx + 80, 12), QPointF(cx + 80, 48));
  art.text(cx + 96, 30, QStringLiteral("⑥"), 40, Qt::AlignLeft, kRed, true);
}

void drawMountTopView(Art& art) {
  QPainter& p = art.p();
  // The camber plate seen from above: the pillow ball slides in a slot
  // towards the out side (④) or the in side (⑤) of the car.
  const QRectF plate(700, 64, 300, 96);
  p.setPen(QPen(kInk, 3));
  p.setBrush(QColor(210, 210, 210));
  p.drawRoundedRect(plate, 22, 22);
  for (double x : {724.0, 976.0})
    for (double y : {88.0, 136.0}) {
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(x, y), 7, 7);
    }
  const QRectF slot(770, 96, 160, 32);
  p.setBrush(kDark);
  p.drawRoundedRect(slot, 16, 16);
  p.setBrush(QColor(150, 150, 150));
  p.drawEllipse(QPointF(850, 112), 20, 20);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(850, 112), 6, 6);
  art.dimension(QPointF(828, 112), QPointF(774, 112));
  art.dimension(QPointF(872, 112), QPointF(926, 112));
  art.text(770, 190, QStringLiteral("④ out側"), 26, Qt::AlignHCenter, kRed, true);
  art.text(930, 190, QStringLiteral("⑤ in側"), 26, Qt::AlignHCenter, kRed, true);
  art.text(850, 28, QStringLiteral("ピロアッパー（上から見た図）"), 24, Qt::AlignHCenter, kInk);
  // Which way is out; the arrows point the right way in either picture.
  const bool m = art.mirrored();
  art.text(700, 230, m ? QStringLiteral("車体の外側 →") : QStringLiteral("← 車体の外側"), 22, Qt::AlignLeft, kInk);
  art.text(1000, 230, m ? QStringLiteral("← 車体の内側") : QStringLiteral("車体の内側 →"), 22, Qt::AlignRight, kInk);
  // Legend of the side view: the block moves to the other side in the
  // mirrored picture but reads the same.
  const double legend = m ? W - 1010 : 690;
  for (const auto& [dx, y, t] : {std::tuple{0, 300, u"① フェンダー高"}, std::tuple{0, 340, u"③ 全長"},
                                 std::tuple{168, 300, u"② プリロード"}, std::tuple{168, 340, u"⑥ アッパー車高"}})
    art.plainText(legend + dx, y, QString::fromUtf16(t), 20, kInk);
}

QImage draw(bool mirror) {
  QImage image(W, H, QImage::Format_RGB32);
  image.fill(Qt::white);
  Art art(image, mirror);
  drawWheel(art);
  drawStrut(art);
  drawMountTopView(art);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) return 2;
  return draw(false).save(QString::fromLocal8Bit(argv[1])) && draw(true).save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
