#pragma once
// The setting entry of the main window: the header fields, the four wheel
// panels with their twelve fields each, the capability state of the chosen
// coil-over product, and the record routines of the setting.
#include "data/records.h"
#include "screens/fieldevents.h"
#include "screens/rowguard.h"
#include "settings/wheelrules.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SettingForm : public QWidget, public FieldHandler {
 public:
  explicit SettingForm(QWidget* parent = nullptr);

  // The header row keeps room at its left for the window's two buttons
  // (the setting list button in front of the code field, the version
  // button below it).
  void placeHeaderButtons(QPushButton* settingCall, QPushButton* verSwitch);

  // --- Record routines (1 done, 0 not done) ---
  void Init_Setting();
  int Load_Setting();
  int Save_Setting();
  int delete_Setting();
  // True when the setting whose code is on the screen is stored; otherwise
  // shows why the alignment screen cannot be opened.
  bool Araiment_Setting();
  // True when the code field is not blank (the copy dialog may open).
  bool Copy_Setting() const;

  // --- Capabilities ---
  void Read_SMasterPara(const QString& coilOverText);
  void Init_SMasterPara();
  const Capabilities& capabilities() const { return caps_; }

  // What the screen shows, as plain values (for copy and printing).
  SettingRecord values() const;
  // Writes a code into the code field and loads it (a pick from the list).
  void loadCode(const QString& code);
  void focusCode();

  QLineEdit* codeField() const { return code_; }
  QLineEdit* nameField() const { return name_; }
  QLineEdit* wheelField(int wheel, int item) const { return wheel_[size_t(wheel)][size_t(item)]; }
  QString caption() const;

  // FieldHandler
  void ChkFunctionKey(int keyCode) override;
  void fieldFocusIn(QWidget* field) override;
  void fieldFocusOut(QWidget* field) override;
  bool fieldKeyDown(QWidget* field, int keyCode, QKeyEvent* event) override;

 private:
  QGroupBox* buildWheelPanel(int wheel);
  void codeEnterOrEsc(int keyCode);
  bool formatAndProposeCode();
  void formatMonth();
  void formatDay();
  void matchList(QComboBox* list, int width);
  void applyProduct();
  void correctWheel(int wheel, int item);
  void moveWheel(const WheelMove& move);
  bool locateWheel(QWidget* field, int* wheel, int* item) const;
  void setAllTexts(const SettingRecord& r);
  QString sqlCode() const;

  FieldEvents* events_;
  QLineEdit* code_;
  QLineEdit* name_;
  QLineEdit* year_;
  QLineEdit* month_;
  QLineEdit* day_;
  QComboBox* user_;
  QComboBox* coilOver_;
  QWidget* headerButtons_;
  std::array<std::array<QLineEdit*, 12>, 4> wheel_{};
  std::array<QLabel*, 4> preloadUnit_{};
  std::array<QGroupBox*, 4> frames_{};

  Capabilities caps_;
  QString codeAtEntry_;
  RowGuard shown_;  // the setting on the screen, for the checks at its save
  bool firstKey_ = false;
  bool limitReached_ = false;
  bool noCodeRefused_ = false;  // "no code left" was shown and the field emptied
};
