#pragma once
// The main window `Setting`: the setting entry and the hub that opens every
// other screen modally and carries on when it closes.
#include <QWidget>

class QPushButton;
class SettingForm;

class Setting : public QWidget {
 public:
  explicit Setting(QWidget* parent = nullptr);
  // Clears the screen as "画面初期化" does and puts the focus in コード.
  void startUp();
  SettingForm* form() const { return form_; }

  // Button actions.
  void SaveSetting_Click();
  void Init_Switch_Click();
  void Del_Switch_Click();
  void Copy_Switch_Click();
  void Araiment_Switch_Click();
  void AraimentBase_Switch_Click();
  void PrintSwitch_Click();
  void VerSwitch_Click();
  void Setting_Call_Click();
  void S_Master_Call_Click();
  void User_Master_Call_Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* button(const QString& name, const QString& caption);
  SettingForm* form_;
};
