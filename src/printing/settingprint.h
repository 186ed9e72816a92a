#pragma once
// SettingPrint: previews and prints the setting sheet of the setting shown
// on the calling screen. `setting` is asked for the values at the moment of
// drawing, so unsaved edits are printed too.
#include "data/records.h"
#include "printing/sheetscreen.h"

#include <functional>

class SettingPrint : public SheetScreen {
  Q_OBJECT


 public:
  SettingPrint(QWidget* parent, std::function<SettingRecord()> setting);
  bool PrintData_Setting();

 protected:
  bool PrintData() override { return PrintData_Setting(); }
  QString pdfFileName() const override;

 private:
  std::function<SettingRecord()> setting_;
};
