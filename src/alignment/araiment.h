#pragma once
// The alignment record of one stored setting: the maker standard values
// (taken from a base master and editable), 22 values before and 22 after
// adjustment, and the front and rear tyre size and outer diameter.
#include "alignment/alignmentrows.h"
#include "alignment/valueentry.h"
#include "data/records.h"
#include "screens/fieldevents.h"
#include "screens/rowguard.h"
#include "screens/screendialog.h"

#include <QPointer>
#include <functional>

class QLabel;
class QLineEdit;
class QGroupBox;

class Araiment : public ScreenDialog, public FieldHandler {
 public:
  // The main window passes the texts of its コード and セッティング名 fields.
  Araiment(QWidget* parent, const QString& settingCode, const QString& settingName);
  ~Araiment() override;

  // What the screen shows now, unsaved edits included, for the printed sheet.
  AlignmentRecord values() const;
  // Called by 印　刷 when set (the main window connects the printed sheet).
  std::function<void(Araiment*)> printHandler;

  void Init_Araiment();
  int Load_Araiment();
  // Replaces the 26 standard boxes and 登録名 from base master `code`; an
  // unknown code blanks them. Returns 1 when the master was found.
  int Load_AraimentBase(int code);
  int Save_Araiment();
  int delete_Araiment();
  void ChkFunctionKey(int keyCode) override;

  void AraimentCall_Click();
  void Save_Switch_Click();
  void PrintSwitch_Click();
  void Delete_Switch_Click();
  void Init_Switch_Click();
  void Close_Switch_Click();

 protected:
  void fieldFocusIn(QWidget* field) override;
  void fieldFocusOut(QWidget* field) override;
  bool fieldKeyDown(QWidget* field, int keyCode, QKeyEvent* event) override;

 private:
  void build();
  QGroupBox* buildFrame(int axle);
  void showRecord(const AlignmentRecord& r);
  void setStandard(const alignment::StandardValues& values);
  // Formats the code field and loads its master when the code changed.
  void applyCode();
  QString caption() const { return windowTitle(); }

  alignment::ValueEntry entry_;
  FieldEvents* events_ = nullptr;
  QLabel* code_ = nullptr;
  QLabel* settingName_ = nullptr;
  QLabel* baseName_ = nullptr;
  QLineEdit* alignmentCode_ = nullptr;
  QString codeAtEntry_;
  RowGuard shown_;  // the alignment record on the screen, for the checks at its save
  // The field that lost the focus because another window became active (a
  // message box, the list); it gets the focus back without a new visit.
  QPointer<QWidget> suspended_;
};
