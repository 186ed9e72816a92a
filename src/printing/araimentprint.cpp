#include "printing/araimentprint.h"

#include "printing/alignmentsheet.h"
#include "printing/prninf.h"
#include "printing/sheetpage.h"

AraimentPrint::AraimentPrint(QWidget* parent, std::function<SettingRecord()> setting,
                             std::function<AlignmentRecord()> alignment)
    : SheetScreen(parent, QStringLiteral("Ashimemo　－　アライメント計測値印刷"), kAlignmentSheetKey),
      setting_(std::move(setting)),
      alignment_(std::move(alignment)) {}

bool AraimentPrint::PrintData_Araiment() {
  const SettingRecord setting = setting_ ? setting_() : SettingRecord{};
  const AlignmentRecord alignment = alignment_ ? alignment_() : AlignmentRecord{};
  return AlignmentSheet::PrintData_Araiment(surface(), setting, alignment, marginLeftOf(PrnInf), marginTopOf(PrnInf),
                                            PageCount);
}

QString AraimentPrint::pdfFileName() const {
  return pdfName(QStringLiteral("アライメント"), setting_ ? setting_().code : QString());
}
