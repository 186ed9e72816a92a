#pragma once
// SettingCompare: two stored settings side by side, the older on the left.
// The headers (code, name, date, user, product) above, then per wheel a
// table (CompareTable) of the twelve values of each with their difference;
// rows that differ are bold on light yellow and carry the accessible
// description "違いあり", and a line counts them ("違い 7 項目"). Esc and F12 close;
// "印　刷" hands the comparison to the printing screen of the caller.
#include "data/comparison.h"
#include "settings/comparetable.h"
#include "screens/fieldevents.h"
#include "screens/screendialog.h"

#include <functional>

class QLabel;

// Opens the printed comparison; set by the main window (printing lies above
// the settings).
using ComparisonPrinter = std::function<void(QWidget* parent, const comparison::SettingComparison&)>;

class SettingCompare : public ScreenDialog, public FieldHandler {
 public:
  SettingCompare(QWidget* parent, comparison::SettingComparison comparison, ComparisonPrinter printer = {});

  const comparison::SettingComparison& values() const { return comparison_; }
  // The table of wheel w (0 FL, 1 FR, 2 RL, 3 RR): item, older, newer, difference.
  CompareTable* wheelTable(int wheel) const { return tables_[size_t(wheel)]; }
  QLabel* countLine() const { return count_; }

  void PrintSwitch_Click();
  void ChkFunctionKey(int keyCode) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  comparison::SettingComparison comparison_;
  ComparisonPrinter printer_;
  std::array<CompareTable*, 4> tables_{};
  QLabel* count_;
};
