#include "app/mainwindow.h"

#include "screens/fields.h"
#include "screens/messages.h"
#include "alignment/araiment.h"
#include "alignment/araimentbase.h"
#include "masters/s_master.h"
#include "masters/u_master.h"
#include "masters/versionwindow.h"
#include "printing/araimentprint.h"
#include "printing/comparisonprint.h"
#include "printing/settingprint.h"
#include "screens/selectedcode.h"
#include "settings/setting_copy.h"
#include "settings/settinglist.h"
#include "settings/settingform.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

Setting::Setting(QWidget* parent) : QWidget(parent), form_(new SettingForm(this)) {
  setWindowTitle(QStringLiteral("Ashimemo"));
  setObjectName(QStringLiteral("Setting"));
  setAttribute(Qt::WA_DeleteOnClose, false);

  QPushButton* settingCall = button(QStringLiteral("Setting_Call"), QStringLiteral("セッティングコード"));
  QPushButton* verSwitch = button(QStringLiteral("VerSwitch"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  form_->placeHeaderButtons(settingCall, verSwitch);

  auto* column = new QVBoxLayout;
  column->setSpacing(8);
  struct B {
    const char* name;
    const char* caption;
    void (Setting::*action)();
  };
  const B buttons[] = {
      {"User_Master_Call", "ユーザー登録", &Setting::User_Master_Call_Click},
      {"S_Master_Call", "車高調データ登録", &Setting::S_Master_Call_Click},
      {"AraimentBase_Switch", "ｱﾗｲﾒﾝﾄ基準値登録", &Setting::AraimentBase_Switch_Click},
      {"SaveSetting", "セッティング登録", &Setting::SaveSetting_Click},
      {"Copy_Switch", "セッティング複写", &Setting::Copy_Switch_Click},
      {"PrintSwitch", "セッティング印刷", &Setting::PrintSwitch_Click},
      {"Araiment_Switch", "アライメント記録", &Setting::Araiment_Switch_Click},
      {"Del_Switch", "削　　除", &Setting::Del_Switch_Click},
      {"Init_Switch", "画面初期化", &Setting::Init_Switch_Click},
      {"ExitSwitch", "終了する", nullptr},
  };
  QList<QPushButton*> right;
  for (const B& b : buttons) {
    QPushButton* p = button(QString::fromUtf8(b.name), QString::fromUtf8(b.caption));
    p->setMinimumHeight(44);
    column->addWidget(p);
    if (b.action) connect(p, &QPushButton::clicked, this, b.action);
    right << p;
    if (QString::fromUtf8(b.name) == QStringLiteral("Init_Switch")) column->addSpacing(24);
  }
  connect(right.last(), &QPushButton::clicked, this, &QWidget::close);
  column->addStretch();
  connect(settingCall, &QPushButton::clicked, this, &Setting::Setting_Call_Click);
  connect(verSwitch, &QPushButton::clicked, this, &Setting::VerSwitch_Click);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(12);
  layout->addWidget(form_, 1);
  layout->addLayout(column);

  // After the wheel fields: the two master buttons, then the rest.
  QWidget* last = form_->wheelField(3, 11);
  QList<QWidget*> order{findChild<QPushButton*>(QStringLiteral("S_Master_Call")),
                        findChild<QPushButton*>(QStringLiteral("User_Master_Call"))};
  for (QPushButton* p : right)
    if (!order.contains(p)) order << p;
  order << settingCall << verSwitch;
  for (QWidget* w : order) {
    setTabOrder(last, w);
    last = w;
  }
  setFixedSize(sizeHint());
}

QPushButton* Setting::button(const QString& name, const QString& caption) {
  auto* p = new QPushButton(caption, this);
  nameControl(p, name);
  p->setAutoDefault(false);
  p->setMinimumWidth(150);
  return p;
}

void Setting::showEvent(QShowEvent* event) {
  Msg::logEvent(QStringLiteral("main window shown"));
  QTimer::singleShot(0, this, [] { Msg::logEvent(QStringLiteral("main window idle")); });
  QWidget::showEvent(event);
}

void Setting::startUp() {
  form_->Init_Setting();
  form_->focusCode();
}

void Setting::SaveSetting_Click() {
  form_->Save_Setting();
  form_->focusCode();
}

void Setting::Init_Switch_Click() {
  if (Msg::confirm(this, windowTitle(), QStringLiteral("画面を初期化しますか？"))) form_->Init_Setting();
  form_->focusCode();
}

void Setting::Del_Switch_Click() {
  form_->delete_Setting();
  form_->focusCode();
}

void Setting::Copy_Switch_Click() {
  if (form_->Copy_Setting()) {
    Setting_Copy dialog(this, [this] { return form_->values(); });
    dialog.exec();
  }
  form_->focusCode();
}

void Setting::Araiment_Switch_Click() {
  if (form_->Araiment_Setting()) {
    Araiment screen(this, form_->codeField()->text(), form_->nameField()->text());
    // The alignment sheet prints the alignment screen as it stands and the
    // setting header of this window.
    screen.printHandler = [this](Araiment* alignment) {
      AraimentPrint sheet(alignment, [this] { return form_->values(); }, [alignment] { return alignment->values(); });
      sheet.exec();
    };
    screen.exec();
  }
  form_->focusCode();
}

void Setting::AraimentBase_Switch_Click() {
  AraimentBase screen(this);
  screen.exec();
}
void Setting::PrintSwitch_Click() {
  SettingPrint screen(this, [this] { return form_->values(); });
  screen.exec();
}
void Setting::VerSwitch_Click() {
  VersionWindow window(this);
  window.exec();
}

void Setting::Setting_Call_Click() {
  SelectedCode().clear();
  {
    SettingList list(this);
    // A chosen row is compared with the setting shown here.
    list.setShownCode(form_->codeField()->text());
    list.comparisonPrinter = [](QWidget* parent, const comparison::SettingComparison& values) {
      ComparisonPrint sheet(parent, values);
      sheet.exec();
    };
    list.exec();
  }
  if (!SelectedCode().isEmpty()) form_->loadCode(SelectedCode());
  form_->focusCode();
}

// The lists of users and products are refilled when they next get the
// focus, so what is added on these screens is offered from then on.
void Setting::S_Master_Call_Click() {
  S_master screen(this);
  screen.exec();
}

void Setting::User_Master_Call_Click() {
  U_Master screen(this);
  screen.exec();
}
