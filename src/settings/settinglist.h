#pragma once
// The list of every stored setting with its customer and product names.
// The chosen row's code is handed back through SelectedCode(); closing by
// "キャンセル", F12 or the close box leaves it untouched. "比　較" (Alt+K)
// compares the chosen setting with the one the main window shows, or with
// the same user's previous one.
#include "screens/fieldevents.h"
#include "screens/screendialog.h"
#include "settings/settingcompare.h"


class ListGrid;
class ListSearch;
class QPushButton;

class SettingList : public ScreenDialog, public FieldHandler {
 public:
  explicit SettingList(QWidget* parent = nullptr);
  ListGrid* grid() const { return grid_; }
  ListSearch* search() const { return search_; }

  // The record source: every setting, oldest date first, then by code.
  static QString recordSource();
  // Copies the current row's code into SelectedCode().
  void SetCode();
  void ChkFunctionKey(int keyCode) override;

  // The code on the main window ("" when it shows none): what a chosen row
  // is compared with when it is another stored setting.
  void setShownCode(const QString& code) { shownCode_ = code; }
  // Opens the printed comparison from the comparison window.
  ComparisonPrinter comparisonPrinter;
  // Opens the comparison of the current row; says so when there is nothing
  // to compare it with.
  void CompareSwitch_Click();

 private:
  QString shownCode_;
  FieldEvents* events_;
  ListGrid* grid_;
  ListSearch* search_;
};
