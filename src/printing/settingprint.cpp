#include "printing/settingprint.h"

#include "printing/prninf.h"
#include "printing/settingsheet.h"
#include "printing/sheetpage.h"

SettingPrint::SettingPrint(QWidget* parent, std::function<SettingRecord()> setting)
    : SheetScreen(parent, QStringLiteral("Ashimemo　－　セッティング値の印字"), kSettingSheetKey),
      setting_(std::move(setting)) {}

bool SettingPrint::PrintData_Setting() {
  const SettingRecord record = setting_ ? setting_() : SettingRecord{};
  return SettingSheet::PrintData_Setting(surface(), record, marginLeftOf(PrnInf), marginTopOf(PrnInf), PageCount);
}

QString SettingPrint::pdfFileName() const {
  return pdfName(QStringLiteral("セッティング"), setting_ ? setting_().code : QString());
}
