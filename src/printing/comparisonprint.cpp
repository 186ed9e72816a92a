#include "printing/comparisonprint.h"

#include "printing/comparisonsheet.h"
#include "printing/prninf.h"
#include "printing/sheetpage.h"

ComparisonPrint::ComparisonPrint(QWidget* parent, comparison::SettingComparison comparison)
    : SheetScreen(parent, QStringLiteral("Ashimemo　－　セッティング比較の印字"), kSettingSheetKey),
      comparison_(std::move(comparison)) {
  setObjectName(QStringLiteral("ComparisonPrint"));
}

bool ComparisonPrint::PrintData() {
  return ComparisonSheet::PrintData_Comparison(surface(), comparison_, marginLeftOf(PrnInf), marginTopOf(PrnInf),
                                               PageCount);
}

QString ComparisonPrint::pdfFileName() const {
  return pdfName(QStringLiteral("セッティング比較"), comparison_.older.code + u'_' + comparison_.newer.code);
}
