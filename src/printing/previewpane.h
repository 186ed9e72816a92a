#pragma once
// The preview pane of a print surface: the pages of a recorded document,
// drawn with the same painting code as the printer, on a grey desk. The
// page fits the pane's width; double-click switches to the whole page and
// back, Ctrl+wheel zooms.
#include "printing/displaylist.h"

#include <QScrollArea>

class PreviewPane : public QScrollArea {
  Q_OBJECT


 public:
  explicit PreviewPane(QWidget* parent = nullptr);
  void setDocument(const PrintDocument& document);
  const PrintDocument& document() const { return document_; }
  int pageCount() const { return int(document_.pages.size()); }
  bool fitsWholePage() const { return mode_ == Mode::WholePage; }
  void setWholePage(bool on);
  // Pixels per twip of the shown page.
  double scale() const { return scale_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class PreviewPages;
  enum class Mode { Width, WholePage, Zoom };
  void relayout();
  PrintDocument document_;
  Mode mode_ = Mode::Width;
  double scale_ = 0.05;
  QWidget* pages_;
};
