#pragma once
// The list of all alignment base masters, opened from the alignment record
// to pick the master whose standard values it takes. The picked code ("0003")
// is returned through SelectedCode(); cancelling leaves it as it was.
#include "screens/fieldevents.h"
#include "screens/screendialog.h"


class ListGrid;
class ListSearch;

class AraimentList : public ScreenDialog, public FieldHandler {
 public:
  explicit AraimentList(QWidget* parent = nullptr);

  void Set_ListDsp_SQL();
  // Copies the code of the current row into SelectedCode() (nothing when
  // the list is empty).
  void SetCode();
  void ChkFunctionKey(int keyCode) override;

  void OK_Switch_Click();
  void Exit_Switch_Click();

 protected:

 private:
  ListGrid* grid_ = nullptr;
  ListSearch* search_ = nullptr;
};
