#pragma once
// AraimentPrint: previews and prints the alignment sheet of the measurement
// shown on the alignment screen, with the header of the setting it belongs
// to. Both callbacks are asked at the moment of drawing.
#include "data/records.h"
#include "printing/sheetscreen.h"

#include <functional>

class AraimentPrint : public SheetScreen {
  Q_OBJECT


 public:
  AraimentPrint(QWidget* parent, std::function<SettingRecord()> setting,
                std::function<AlignmentRecord()> alignment);
  bool PrintData_Araiment();

 protected:
  bool PrintData() override { return PrintData_Araiment(); }
  QString pdfFileName() const override;

 private:
  std::function<SettingRecord()> setting_;
  std::function<AlignmentRecord()> alignment_;
};
