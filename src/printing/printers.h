#pragma once
// The printers of the system as the print surface sees them: their names,
// the default one, the paper sizes each supports, and printing a recorded
// document on one. The real catalogue asks CUPS (through QPrinterInfo and
// QPrinter); tests install one of their own.
#include "printing/displaylist.h"

#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

class PrinterCatalogue {
 public:
  virtual ~PrinterCatalogue() = default;
  virtual QStringList names() const = 0;
  virtual QString defaultName() const = 0;  // "" when the system has none
  virtual bool installed(const QString& name) const { return names().contains(name); }
  virtual QList<QPageSize> supportedSizes(const QString& name) const = 0;
  virtual QPageSize defaultSize(const QString& name) const = 0;
  // Prints the document on the printer; false with a Japanese reason.
  virtual bool print(const PrintDocument& document, const QString& name, QString* error) = 0;
};

// The catalogue in use; nullptr restores the system's.
PrinterCatalogue& printerCatalogue();
void setPrinterCatalogue(PrinterCatalogue* catalogue);

// The PDF device that the surface offers besides the system's printers.
inline const QString kPdfDevice = QStringLiteral("PDFファイル");

// Asking where a PDF file goes. The default shows a save dialog starting at
// `suggestedPath`; tests install a chooser that answers at once. An empty
// answer means the user cancelled.
using PdfPathChooser = std::function<QString(QWidget* parent, const QString& suggestedPath)>;
void setPdfPathChooser(PdfPathChooser chooser);  // empty restores the dialog
QString choosePdfPath(QWidget* parent, const QString& suggestedPath);

// Writes the document as a PDF file; false with a Japanese reason. The file
// appears only when it was written completely.
bool writePdf(const PrintDocument& document, const QString& path, QString* error);

// The same paper: the same standard size, or for a custom size the same
// dimensions within half a millimetre.
bool samePaper(const QPageSize& a, const QPageSize& b);
