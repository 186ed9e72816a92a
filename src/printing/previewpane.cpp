#include "printing/previewpane.h"

#include "printing/render.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {
constexpr int kGap = 16;  // desk around and between the pages, in pixels
}

// The widget inside the scroll area that paints the pages.
class PreviewPages : public QWidget {
 public:
  explicit PreviewPages(PreviewPane* pane) : QWidget(pane), pane_(pane) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter p(this);
    p.fillRect(event->rect(), QColor(128, 128, 128));
    const PrintDocument& doc = pane_->document_;
    if (doc.pages.isEmpty()) return;
    const double s = pane_->scale_;
    const QSizeF twips = doc.sizeTwips();
    const int w = int(twips.width() * s), h = int(twips.height() * s);
    int top = kGap;
    const int left = std::max(kGap, (width() - w) / 2);
    for (const PrintPage& page : doc.pages) {
      const QRect paper(left, top, w, h);
      if (paper.intersects(event->rect())) {
        p.fillRect(paper.translated(4, 4), QColor(64, 64, 64));
        p.fillRect(paper, Qt::white);
        p.save();
        p.setClipRect(paper);
        p.translate(left, top);
        p.scale(s, s);
        paintPage(p, page);
        p.restore();
      }
      top += h + kGap;
    }
  }

 private:
  PreviewPane* pane_;
};

PreviewPane::PreviewPane(QWidget* parent) : QScrollArea(parent), pages_(new PreviewPages(this)) {
  setWidget(pages_);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Dark);
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  pages_->installEventFilter(this);
  relayout();
}

void PreviewPane::setDocument(const PrintDocument& document) {
  document_ = document;
  relayout();
  pages_->update();
}

void PreviewPane::setWholePage(bool on) {
  mode_ = on ? Mode::WholePage : Mode::Width;
  relayout();
}

void PreviewPane::relayout() {
  const QSizeF twips = document_.sizeTwips();
  const QSize view = viewport()->size();
  const int bar = verticalScrollBar()->sizeHint().width();
  if (mode_ == Mode::Width)
    scale_ = std::max(1.0, double(view.width() - 2 * kGap - bar)) / twips.width();
  else if (mode_ == Mode::WholePage)
    scale_ = std::min(std::max(1.0, double(view.width() - 2 * kGap)) / twips.width(),
                      std::max(1.0, double(view.height() - 2 * kGap)) / twips.height());
  scale_ = std::clamp(scale_, 0.005, 1.0);
  const int n = std::max<int>(1, int(document_.pages.size()));
  const int w = int(twips.width() * scale_) + 2 * kGap;
  const int h = n * (int(twips.height() * scale_) + kGap) + kGap;
  pages_->resize(std::max(w, view.width()), std::max(h, view.height()));
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  relayout();
}

void PreviewPane::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const double step = event->angleDelta().y() > 0 ? 1.25 : 0.8;
    scale_ = std::clamp(scale_ * step, 0.005, 1.0);
    mode_ = Mode::Zoom;
    relayout();
    event->accept();
    return;
  }
  QScrollArea::wheelEvent(event);
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pages_ && event->type() == QEvent::MouseButtonDblClick) {
    setWholePage(mode_ != Mode::WholePage);
    return true;
  }
  return QScrollArea::eventFilter(watched, event);
}
