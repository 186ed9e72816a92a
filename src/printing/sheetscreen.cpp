#include "printing/sheetscreen.h"

#include "printing/papers.h"
#include "printing/previewpane.h"
#include "printing/printer.h"
#include "printing/prninf.h"
#include "printing/prninfset.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/messages.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

SheetScreen::SheetScreen(QWidget* parent, const QString& caption, const QString& key)
    : ScreenDialog(parent), key_(key), pane_(new PreviewPane(this)), events_(new FieldEvents(this, this)) {
  setWindowTitle(caption);
  auto* buttons = new QHBoxLayout;
  auto button = [&](const QString& name, const QString& text, void (SheetScreen::*slot)()) {
    auto* b = new QPushButton(text, this);
    nameControl(b, name);
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumWidth(120);
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
    return b;
  };
  button(QStringLiteral("PrinterSetSwitch"), QStringLiteral("プリンター設定"), &SheetScreen::PrinterSetSwitch_Click);
  button(QStringLiteral("Preview_Switch"), QStringLiteral("プレビュー"), &SheetScreen::Preview_Switch_Click);
  button(QStringLiteral("Print_Switch"), QStringLiteral("印　刷"), &SheetScreen::Print_Switch_Click);
  buttons->addStretch(1);
  button(QStringLiteral("ExitSwitch"), QStringLiteral("閉じる"), &SheetScreen::ExitSwitch_Click);

  nameControl(pane_, QStringLiteral("vsPrinter1"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(pane_, 1);
  resize(1000, 740);

  surface_.setPreviewPane(pane_);
  surface_.setDialogParent(this);
  PrnInf.PrnInfKey = key_;
  PageCount = 0;
  events_->watchWindow();
}

void SheetScreen::PrinterSet() {
  ReadPrnInf(PrnInf.PrnInfKey);
  surface_.setDefaultDevice(false);
  surface_.setDevice(PrnInf.PrnName.trimmed());
  // A name that is not in the tables leaves the surface as it is.
  if (const auto paper = GetPaperCode(PrnInf.PaperName)) surface_.setPaperSize(*paper);
  if (const auto orientation = GetOrientationCode(PrnInf.OrientName)) surface_.setOrientation(*orientation);
  surface_.setFontName(QStringLiteral("ＭＳ 明朝"));
  surface_.setPaperBin(8);
  PageCount = 0;
  InitPrnPitch();
}

void SheetScreen::output(bool preview) {
  PrnInf.PrnInfKey = key_;
  if (ReadPrnInf(key_) == 0) {
    Msg::refuse(this, windowTitle(), QStringLiteral("先にプリンタの設定を行ってください。"));
    return;
  }
  surface_.setPreview(preview);
  PrinterSet();
  const QString file = pdfFileName();
  surface_.setPdfFileName(file);
  surface_.setDocName(QFileInfo(file).completeBaseName());
  if (!PrintData()) Msg::refuse(this, windowTitle(), surface_.lastError());
}

void SheetScreen::PrinterSetSwitch_Click() {
  PrnInf.PrnInfKey = key_;
  PrnInfSet settings(this);
  settings.exec();
}

void SheetScreen::Preview_Switch_Click() { output(true); }
void SheetScreen::Print_Switch_Click() { output(false); }
void SheetScreen::ExitSwitch_Click() { reject(); }

void SheetScreen::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F12) reject();
}


QString SheetScreen::pdfName(const QString& sheet, const QString& code) {
  QString c = code.trimmed();
  c.remove(u'/');
  c.remove(u'\\');
  return c.isEmpty() ? sheet + QStringLiteral(".pdf") : sheet + u'_' + c + QStringLiteral(".pdf");
}
