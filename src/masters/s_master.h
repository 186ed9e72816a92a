#pragma once
// The coil-over master screen: the catalogue of coil-over products in the
// table 車高調マスタ, with the adjustments each offers at the front and rear
// axle, its damping step counts and its standard spring.
#include "screens/recordscreen.h"

#include <QList>

class QCheckBox;
class QLineEdit;

class S_master : public RecordScreen {
 public:
  explicit S_master(QWidget* parent = nullptr);

  void Init_Smaster() { clearScreen(); }
  int Load_Smaster() { return loadRecord(); }
  int Save_Smaster() { return saveRecord(); }
  int delete_Smaster() { return deleteRecord(); }
  int Copy_Smaster() { return copyRecord(); }

  // 名称, the fourteen flags and the ten numbers, in their stored order.
  void writeFields(Recordset& rs) const override;

 protected:
  void clearFields() override;
  void showRecord(const Recordset& rs) override;
  void openCopyDialog() override;
  bool fieldKey(QWidget* field, int keyCode, QKeyEvent* event) override;
  void leaveField(QWidget* field) override;

 private:
  // A click that ticks box `index`: unticks the box that excludes it and,
  // for 伸縮同時, copies the rebound steps into the compression steps.
  void checkClicked(int index, bool ticked);
  // The damping-step rule of 伸(axle) or 縮(axle): a value of 0 or less
  // becomes 1; with 伸縮同時 of the axle ticked and `copy`, the other step
  // field takes this one's text.
  void settleSteps(QLineEdit* field, bool copy);

  QLineEdit* name_;
  QList<QCheckBox*> checks_;   // Check1(0..13), even front, odd rear
  QList<QLineEdit*> numbers_;  // 伸(0), 伸(1), 縮(0), 縮(1), バネレート, ID, 自由長: the stored order
  QLineEdit* rebound(int axle) const { return numbers_[axle]; }
  QLineEdit* compression(int axle) const { return numbers_[2 + axle]; }
};
