#pragma once
// The list of every stored setting with its customer and product names.
// The chosen row's code is handed back through SelectedCode(); closing by
// "キャンセル", F12 or the close box leaves it untouched.
#include "screens/fieldevents.h"
#include "screens/screendialog.h"


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

 protected:

 private:
  FieldEvents* events_;
  ListGrid* grid_;
  ListSearch* search_;
};
