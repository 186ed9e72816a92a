#pragma once
// What the two sheet screens share: the buttons "プリンター設定",
// "プレビュー", "印　刷" and "閉じる", the preview pane `vsPrinter1` with
// its print surface, F12 to close, and the flow of a preview or a print:
// refuse without a printer file, apply the stored printer settings
// (PrinterSet), draw the sheet, report a print that failed.
#include "printing/printsurface.h"
#include "screens/fieldevents.h"
#include "screens/screendialog.h"


class PreviewPane;
class QPushButton;

class SheetScreen : public ScreenDialog, public FieldHandler {
  Q_OBJECT


 public:
  PrintSurface& surface() { return surface_; }
  PreviewPane* previewPane() const { return pane_; }
  QString sheetKey() const { return key_; }

  // Pages started in the current document.
  int PageCount = 0;

  // Reads the sheet's printer file again and applies it to the surface.
  void PrinterSet();
  void ChkFunctionKey(int keyCode) override;

  // The buttons' actions.
  void PrinterSetSwitch_Click();
  void Preview_Switch_Click();
  void Print_Switch_Click();
  void ExitSwitch_Click();

 protected:
  SheetScreen(QWidget* parent, const QString& caption, const QString& key);
  // Draws the whole sheet on the surface and ends the document; returns
  // the result of EndDoc.
  virtual bool PrintData() = 0;
  // File name proposed when printing to "PDFファイル".
  virtual QString pdfFileName() const = 0;

  // "<sheet>_<code>.pdf", or "<sheet>.pdf" without a code.
  static QString pdfName(const QString& sheet, const QString& code);

 private:
  void output(bool preview);
  QString key_;
  PrintSurface surface_;
  PreviewPane* pane_;
  FieldEvents* events_;
};
