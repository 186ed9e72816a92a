#pragma once
// Helpers for the printing tests: a printer catalogue with made-up printers
// that records what is printed on them, a PDF path chooser that answers at
// once, printer files written as bytes, lookups in a recorded page, sample
// records, and running the poppler tools.
#include "data/records.h"
#include "printing/displaylist.h"
#include "printing/printers.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class FakePrinters : public PrinterCatalogue {
 public:
  // Installs itself; the destructor restores the system's catalogue.
  FakePrinters();
  ~FakePrinters() override;
  QMap<QString, QList<QPageSize>> sizes;  // printer -> supported sizes
  QString defaultPrinter;
  QMap<QString, QPageSize> defaults;
  QList<QPair<QString, PrintDocument>> printed;  // printer, document

  QStringList names() const override { return sizes.keys(); }
  QString defaultName() const override { return defaultPrinter; }
  QList<QPageSize> supportedSizes(const QString& name) const override { return sizes.value(name); }
  QPageSize defaultSize(const QString& name) const override { return defaults.value(name, QPageSize(QPageSize::A4)); }
  bool print(const PrintDocument& document, const QString& name, QString* error) override;
};

// Answers the PDF file question with `answer` (a path or "" to cancel) and
// remembers what it was asked; restores the dialog when destroyed.
class ScriptedPdfPath {
 public:
  explicit ScriptedPdfPath(QString answer);
  ~ScriptedPdfPath();
  QString answer;
  QStringList asked;  // suggested paths
};

// Writes a printer file with the given content (encoded to Shift-JIS).
void writePrnFile(const QString& key, const QString& content);
// A printer file for the PDF device, A4 portrait, margins top/left.
void writePdfPrnFile(const QString& key, int top = 0, int left = 0);
QByteArray fileBytes(const QString& path);

QList<TextItem> textsOf(const PrintPage& page);
QList<LineItem> linesOf(const PrintPage& page);
QList<RectItem> rectsOf(const PrintPage& page);
QList<PictureItem> picturesOf(const PrintPage& page);
// The text items with exactly this text.
QList<TextItem> textsNamed(const PrintPage& page, const QString& text);
// True when the page has a line with these end points (either direction).
bool hasLine(const PrintPage& page, int x1, int y1, int x2, int y2, int penWidth);
bool hasShade(const PrintPage& page, int x1, int y1, int x2, int y2);

SettingRecord sampleSetting();
AlignmentRecord sampleAlignment();

// Runs a poppler tool and returns its standard output ("" on failure).
QString runTool(const QString& program, const QStringList& args);
// The wheel pictures shipped in assets/, copied into the working directory.
bool copyWheelPictures();
