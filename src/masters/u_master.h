#pragma once
// The user master screen: the workshop's customers in the table ユーザー, with
// name, reading, postal address, telephone numbers, mail address and remark.
#include "screens/recordscreen.h"

#include <QList>

class QLineEdit;

class U_Master : public RecordScreen {
 public:
  explicit U_Master(QWidget* parent = nullptr);

  void Init_Umaster() { clearScreen(); }
  int Load_Umaster() { return loadRecord(); }
  int Save_Umaster() { return saveRecord(); }
  int delete_Umaster() { return deleteRecord(); }
  int Copy_Umaster() { return copyRecord(); }

  // The ten text fields, trimmed and never null, in their stored order.
  void writeFields(Recordset& rs) const override;

 protected:
  void clearFields() override;
  void showRecord(const Recordset& rs) override;
  void openCopyDialog() override;

 private:
  // The text fields in the order of the table's columns after コード:
  // 名前, フリガナ, 郵便番号, 住所(0), 住所(1), 電話番号, 携帯番号, FAX番号,
  // メールアドレス, 備考.
  QList<QLineEdit*> fields_;
};
