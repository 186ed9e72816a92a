#pragma once
// ComparisonPrint: previews and prints the comparison of two settings on
// the printer chosen for the setting sheet (its printer file "SETTING.PRN").
#include "data/comparison.h"
#include "printing/sheetscreen.h"

class ComparisonPrint : public SheetScreen {
  Q_OBJECT

 public:
  ComparisonPrint(QWidget* parent, comparison::SettingComparison comparison);

 protected:
  bool PrintData() override;
  QString pdfFileName() const override;

 private:
  comparison::SettingComparison comparison_;
};
