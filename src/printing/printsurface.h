#pragma once
// The print surface every sheet draws on, in twips (1440 per inch). It
// records each document as a display list, measuring text with the real
// metrics of the fonts it prints with, and at the end of the document shows
// the list in its preview pane or sends it to the chosen device: a system
// printer or "PDFファイル". No widgets are needed to draw on it.
#include "printing/displaylist.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>

class PreviewPane;
class QWidget;

class PrintSurface {
 public:
  PrintSurface();

  // --- Position, font, pen and brush -----------------------------------
  int CurrentX() const { return currentX_; }
  int CurrentY() const { return currentY_; }
  void setCurrentX(int twips) { currentX_ = twips; }
  void setCurrentY(int twips) { currentY_ = twips; }
  QString FontName() const { return fontName_; }
  void setFontName(const QString& name);
  double FontSize() const { return fontSize_; }
  void setFontSize(double points);
  // Bold text (the differing values of a comparison); off at StartDoc.
  bool FontBold() const { return fontBold_; }
  void setFontBold(bool on);
  int PenWidth() const { return penWidth_; }
  void setPenWidth(int width) { penWidth_ = width; }
  qint32 PenColor() const { return penColor_; }
  void setPenColor(qint32 bgr) { penColor_ = bgr; }
  qint32 BrushColor() const { return brushColor_; }
  void setBrushColor(qint32 bgr) { brushColor_ = bgr; }
  int Align() const { return align_; }
  void setAlign(int align) { align_ = align; }

  // --- Drawing ------------------------------------------------------------
  // Prints the text with its top-left at the current position, in the
  // current font; the position moves to the end of the text.
  void Text(const QString& text);
  // Width of the text in the current font, in twips.
  double TextWidth(const QString& text) const;
  void DrawLine(int x1, int y1, int x2, int y2);
  // A rectangle filled with the brush colour, outlined with the pen.
  void DrawRectangle(int x1, int y1, int x2, int y2);
  // The frame of the next picture.
  void setX1(int v) { frame_[0] = v; }
  void setY1(int v) { frame_[1] = v; }
  void setX2(int v) { frame_[2] = v; }
  void setY2(int v) { frame_[3] = v; }
  // Draws the picture scaled into the frame.
  void Picture(const QImage& image, const QString& source = QString());

  // --- Document -----------------------------------------------------------
  void StartDoc();
  void NewPage();
  // Ends the document: shows it in the preview pane when the preview switch
  // is on, otherwise prints it on the device. Returns false when printing
  // failed; lastError() then says why in Japanese. Cancelling the PDF file
  // question prints nothing and is no failure (cancelled() is then true).
  bool EndDoc();
  QString lastError() const { return lastError_; }
  bool cancelled() const { return cancelled_; }
  // The document being drawn, or the last one ended.
  const PrintDocument& document() const { return document_; }
  // Path of the last PDF file written, empty when none.
  QString lastPdfPath() const { return lastPdfPath_; }

  // --- Device and paper ---------------------------------------------------
  int NDevices() const;
  QString Devices(int index) const;
  QString Device() const { return device_; }
  void setDevice(const QString& name) { device_ = name; }
  bool DefaultDevice() const { return defaultDevice_; }
  void setDefaultDevice(bool on);
  // Paper of the next document, by its Windows paper number.
  int PaperSize() const { return paperSize_; }
  void setPaperSize(int code) { paperSize_ = code; }
  // True when the current device supports that paper.
  bool PaperSizeSupported(int code) const;
  int Orientation() const { return orientation_; }  // 0 portrait, 1 landscape
  void setOrientation(int o) { orientation_ = o; }
  int PaperBin() const { return paperBin_; }
  void setPaperBin(int bin) { paperBin_ = bin; }
  bool Preview() const { return preview_; }
  void setPreview(bool on) { preview_ = on; }

  // --- Where the document goes -----------------------------------------
  void setPreviewPane(PreviewPane* pane);
  // Parent of the PDF file question.
  void setDialogParent(QWidget* parent);
  void setDocName(const QString& name) { docName_ = name; }
  // File name proposed for the PDF device, in the working directory.
  void setPdfFileName(const QString& name) { pdfFileName_ = name; }

 private:
  void chooseDefaultDevice();
  void refreshFont();
  PrintPage& page();
  const QStringList& deviceList() const;

  int currentX_ = 0, currentY_ = 0;
  QString fontName_;
  double fontSize_ = 10.5;
  bool fontBold_ = false;
  QFont font_;
  int penWidth_ = 10;
  qint32 penColor_ = 0, brushColor_ = 0;
  int align_ = 0;
  int frame_[4] = {0, 0, 0, 0};

  PrintDocument document_;
  bool inDocument_ = false;
  QString lastError_, lastPdfPath_;
  bool cancelled_ = false;

  mutable QStringList devices_;
  mutable bool devicesKnown_ = false;
  mutable QString sizesOf_;  // device whose supported sizes are in sizes_
  mutable QList<QPageSize> sizes_;
  QString device_;
  bool defaultDevice_ = true;
  int paperSize_ = 9;
  int orientation_ = 0;
  int paperBin_ = 0;
  bool preview_ = true;

  QPointer<PreviewPane> pane_;
  QPointer<QWidget> dialogParent_;
  QString docName_, pdfFileName_;
};
