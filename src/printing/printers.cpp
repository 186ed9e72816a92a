#include "printing/printers.h"

#include "printing/render.h"

#include <QDir>
#include <QFileDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <cmath>

namespace {

class SystemPrinters : public PrinterCatalogue {
 public:
  QStringList names() const override { return QPrinterInfo::availablePrinterNames(); }
  QString defaultName() const override { return QPrinterInfo::defaultPrinterName(); }
  bool installed(const QString& name) const override {
    return !name.isEmpty() && !QPrinterInfo::printerInfo(name).isNull();
  }
  QList<QPageSize> supportedSizes(const QString& name) const override {
    return QPrinterInfo::printerInfo(name).supportedPageSizes();
  }
  QPageSize defaultSize(const QString& name) const override {
    return QPrinterInfo::printerInfo(name).defaultPageSize();
  }
  bool print(const PrintDocument& doc, const QString& name, QString* error) override {
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
      *error = QStringLiteral("プリンター「%1」が見つかりません。\nプリンターの設定を確認してください。").arg(name);
      return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(doc.docName);
    printer.setCreator(QStringLiteral("Ashimemo"));
    printer.setFullPage(true);
    printer.setPageSize(doc.layout().pageSize());
    printer.setPageOrientation(doc.orientation);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer)) {
      *error = QStringLiteral("プリンター「%1」で印刷を始められませんでした。").arg(name);
      return false;
    }
    paintDocument(painter, printer, doc);
    painter.end();
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
      *error = QStringLiteral("プリンター「%1」への印刷に失敗しました。").arg(name);
      return false;
    }
    return true;
  }
};

SystemPrinters systemPrinters;
PrinterCatalogue* current = &systemPrinters;

PdfPathChooser& chooser() {
  static PdfPathChooser c;
  return c;
}

}  // namespace

PrinterCatalogue& printerCatalogue() { return *current; }
void setPrinterCatalogue(PrinterCatalogue* catalogue) { current = catalogue ? catalogue : &systemPrinters; }

void setPdfPathChooser(PdfPathChooser c) { chooser() = std::move(c); }

QString choosePdfPath(QWidget* parent, const QString& suggestedPath) {
  if (chooser()) return chooser()(parent, suggestedPath);
  QFileDialog dialog(parent, QStringLiteral("PDFファイルの保存先"), suggestedPath,
                     QStringLiteral("PDFファイル (*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.selectFile(suggestedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

bool writePdf(const PrintDocument& doc, const QString& path, QString* error) {
  const QString shown = QDir::toNativeSeparators(path);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    *error = QStringLiteral("PDFファイル「%1」に書き込めません。\n保存先を確認してください。").arg(shown);
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setResolution(1440);
    writer.setCreator(QStringLiteral("Ashimemo"));
    writer.setTitle(doc.docName);
    writer.setPageLayout(doc.layout());
    QPainter painter;
    if (!painter.begin(&writer)) {
      file.cancelWriting();
      *error = QStringLiteral("PDFファイル「%1」を作れませんでした。").arg(shown);
      return false;
    }
    paintDocument(painter, writer, doc);
    painter.end();
  }
  if (!file.commit()) {
    *error = QStringLiteral("PDFファイル「%1」に書き込めません。\n保存先を確認してください。").arg(shown);
    return false;
  }
  return true;
}

bool samePaper(const QPageSize& a, const QPageSize& b) {
  if (!a.isValid() || !b.isValid()) return false;
  // Standard sizes are the same only by name (A4 Small is not A4, though
  // of the same dimensions); a custom size matches by its dimensions.
  if (a.id() != QPageSize::Custom && b.id() != QPageSize::Custom) return a.id() == b.id();
  const QSizeF sa = a.size(QPageSize::Millimeter), sb = b.size(QPageSize::Millimeter);
  return std::abs(sa.width() - sb.width()) <= 0.5 && std::abs(sa.height() - sb.height()) <= 0.5;
}
