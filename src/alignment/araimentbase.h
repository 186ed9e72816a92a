#pragma once
// The alignment base masters: named sets of maker standard values (a value
// and, for most quantities, a range pair) that alignment records copy.
#include "alignment/valueentry.h"
#include "screens/recordscreen.h"

class AraimentBase : public RecordScreen {
 public:
  explicit AraimentBase(QWidget* parent = nullptr);

  void Init_Amaster() { clearScreen(); }
  int Load_Amaster() { return loadRecord(); }
  int Save_Amaster() { return saveRecord(); }
  int delete_Amaster() { return deleteRecord(); }
  int Copy_Amaster() { return copyRecord(); }

  // 登録名 and the 26 values, trimmed, as the save and the copy store them.
  void writeFields(Recordset& rs) const override;

 protected:
  void clearFields() override;
  void showRecord(const Recordset& rs) override;
  void openCopyDialog() override;

  void enterField(QWidget* field) override;
  void leaveField(QWidget* field) override;
  bool fieldKey(QWidget* field, int keyCode, QKeyEvent* event) override;
  QWidget* nextField(QWidget* field) const override;
  QWidget* previousField(QWidget* field) const override;
  QColor restingColour(QWidget* field) const override;

 private:
  QWidget* buildFrame(int axle);
  QWidget* stepTarget(QWidget* field, bool enter) const;

  alignment::ValueEntry entry_;
  QLineEdit* name_ = nullptr;
};
