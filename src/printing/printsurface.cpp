#include "printing/printsurface.h"

#include "printing/papers.h"
#include "printing/previewpane.h"
#include "printing/printers.h"
#include "printing/render.h"

#include <QDir>
#include <QFontMetricsF>
#include <cmath>

PrintSurface::PrintSurface() : fontName_(QStringLiteral("ＭＳ 明朝")) {
  refreshFont();
  chooseDefaultDevice();
}

void PrintSurface::chooseDefaultDevice() {
  PrinterCatalogue& printers = printerCatalogue();
  const QString name = printers.defaultName();
  device_ = name.isEmpty() ? kPdfDevice : name;
  paperSize_ = 9;  // A4, unless the printer says otherwise
  if (device_ != kPdfDevice) {
    const QPageSize size = printers.defaultSize(device_);
    for (const PaperEntry& e : paperTable())
      if (samePaper(e.size, size)) {
        paperSize_ = e.code;
        break;
      }
  }
}

void PrintSurface::setDefaultDevice(bool on) {
  defaultDevice_ = on;
  if (on) chooseDefaultDevice();
}

void PrintSurface::setFontName(const QString& name) {
  fontName_ = name;
  refreshFont();
}

void PrintSurface::setFontSize(double points) {
  fontSize_ = points;
  refreshFont();
}

void PrintSurface::setFontBold(bool on) {
  fontBold_ = on;
  refreshFont();
}

void PrintSurface::refreshFont() { font_ = printFont(fontName_, fontSize_, fontBold_); }

PrintPage& PrintSurface::page() {
  if (document_.pages.isEmpty()) document_.pages.append(PrintPage{});
  return document_.pages.last();
}

void PrintSurface::Text(const QString& text) {
  page().items.append(TextItem{currentX_, currentY_, text, fontName_, fontSize_, fontBold_});
  currentX_ += int(std::lround(TextWidth(text)));
}

double PrintSurface::TextWidth(const QString& text) const {
  return QFontMetricsF(font_).horizontalAdvance(text);
}

void PrintSurface::DrawLine(int x1, int y1, int x2, int y2) {
  page().items.append(LineItem{x1, y1, x2, y2, penWidth_, penColor_});
}

void PrintSurface::DrawRectangle(int x1, int y1, int x2, int y2) {
  page().items.append(RectItem{x1, y1, x2, y2, penWidth_, penColor_, brushColor_});
}

void PrintSurface::Picture(const QImage& image, const QString& source) {
  page().items.append(PictureItem{frame_[0], frame_[1], frame_[2], frame_[3], image, source});
}

void PrintSurface::StartDoc() {
  document_ = PrintDocument{};
  document_.docName = docName_;
  document_.paperCode = paperSize_;
  const PaperEntry* paper = paperEntry(paperSize_);
  document_.pageSize = paper ? paper->size : QPageSize(QPageSize::A4);
  document_.orientation = orientation_ == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
  document_.pages.append(PrintPage{});
  inDocument_ = true;
  lastError_.clear();
  cancelled_ = false;
  currentX_ = currentY_ = 0;
  if (fontBold_) setFontBold(false);
}

void PrintSurface::NewPage() {
  if (!inDocument_) StartDoc();
  document_.pages.append(PrintPage{});
  currentX_ = currentY_ = 0;
}

bool PrintSurface::EndDoc() {
  inDocument_ = false;
  lastError_.clear();
  cancelled_ = false;
  if (preview_) {
    if (pane_) pane_->setDocument(document_);
    return true;
  }
  if (device_ == kPdfDevice) {
    const QString path = choosePdfPath(dialogParent_, QDir::current().filePath(pdfFileName_));
    if (path.isEmpty()) {
      cancelled_ = true;
      return true;
    }
    if (!writePdf(document_, path, &lastError_)) return false;
    lastPdfPath_ = path;
    return true;
  }
  PrinterCatalogue& printers = printerCatalogue();
  if (device_.trimmed().isEmpty() || !printers.installed(device_)) {
    lastError_ = device_.trimmed().isEmpty()
                     ? QStringLiteral("プリンターが選ばれていません。\nプリンターの設定を行ってください。")
                     : QStringLiteral("プリンター「%1」が見つかりません。\nプリンターの設定を確認してください。").arg(device_);
    return false;
  }
  return printers.print(document_, device_, &lastError_);
}

const QStringList& PrintSurface::deviceList() const {
  if (!devicesKnown_) {
    devices_ = printerCatalogue().names();
    devices_.removeAll(kPdfDevice);
    devices_.append(kPdfDevice);
    devicesKnown_ = true;
  }
  return devices_;
}

int PrintSurface::NDevices() const { return int(deviceList().size()); }

QString PrintSurface::Devices(int index) const {
  const QStringList& list = deviceList();
  return index >= 0 && index < list.size() ? list[index] : QString();
}

bool PrintSurface::PaperSizeSupported(int code) const {
  const PaperEntry* paper = paperEntry(code);
  if (!paper) return false;
  if (device_ == kPdfDevice) return true;
  if (sizesOf_ != device_ || sizes_.isEmpty()) {
    sizes_ = printerCatalogue().supportedSizes(device_);
    sizesOf_ = device_;
  }
  for (const QPageSize& s : sizes_)
    if (samePaper(paper->size, s)) return true;
  return false;
}

void PrintSurface::setPreviewPane(PreviewPane* pane) { pane_ = pane; }
void PrintSurface::setDialogParent(QWidget* parent) { dialogParent_ = parent; }
