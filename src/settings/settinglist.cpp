#include "settings/settinglist.h"

#include "data/comparison.h"
#include "data/database.h"
#include "data/numfmt.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/listgrid.h"
#include "screens/listsearch.h"
#include "screens/messages.h"
#include "screens/selectedcode.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

QString SettingList::recordSource() {
  return QStringLiteral("SELECT セッティング.登録日, セッティング.コード, セッティング.セッティング名称, ") +
         QStringLiteral("セッティング.ユーザー, ユーザー.名前, セッティング.車高調, 車高調マスタ.名称 ") +
         QStringLiteral("FROM (セッティング LEFT JOIN ユーザー ON セッティング.ユーザー = ユーザー.コード) ") +
         QStringLiteral("LEFT JOIN 車高調マスタ ON セッティング.車高調 = 車高調マスタ.コード ") +
         QStringLiteral("ORDER BY セッティング.登録日, セッティング.コード");
}

SettingList::SettingList(QWidget* parent) : ScreenDialog(parent), events_(new FieldEvents(this, this)) {
  setWindowTitle(QStringLiteral("Ashimemo　登録一覧表"));
  setObjectName(QStringLiteral("SettingList"));
  // The server reads the first rows while the window is built.
  ListModel::readFirstPageAhead(recordSource());
  grid_ = new ListGrid({{QStringLiteral("登録日"), QStringLiteral("登録日"), QStringLiteral("0000/00/00")},
                        {QStringLiteral("コード"), QStringLiteral("コード"), QStringLiteral("0000")},
                        {QStringLiteral("セッティング名称"), QStringLiteral("セッティング名称"), QString()},
                        {QStringLiteral("ユーザー名"), QStringLiteral("名前"), QString()},
                        {QStringLiteral("車高調名称"), QStringLiteral("名称"), QString()}},
                       this);
  auto* decide = new QPushButton(QStringLiteral("決　定"), this);
  nameControl(decide, QStringLiteral("ExitSwitch"));
  auto* compare = new QPushButton(QStringLiteral("比　較"), this);
  nameControl(compare, QStringLiteral("CompareSwitch"));
  compare->setToolTip(QStringLiteral("選んだセッティングを比較します (Alt+K)"));
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  nameControl(cancel, QStringLiteral("CanselSwitch"));
  for (QPushButton* b : {decide, compare, cancel}) {
    b->setAutoDefault(false);
    b->setMinimumSize(120, 36);
  }

  // The search field opens with the focus; Enter in it takes the current
  // row as "決　定" does. A customer is also found by the reading of the name.
  search_ = new ListSearch(grid_, this, {QStringLiteral("ユーザー.フリガナ")});
  search_->setOnEnter([this] {
    SetCode();
    accept();
  });
  search_->setExport(QStringLiteral("セッティング"), QStringLiteral("登録一覧表"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(decide);
  buttons->addWidget(compare);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(search_);
  layout->addWidget(grid_);
  layout->addWidget(search_->countLine());
  layout->addLayout(buttons);
  QHeaderView* h = grid_->horizontalHeader();
  h->resizeSection(0, 100);
  h->resizeSection(1, 60);
  h->resizeSection(2, 300);
  h->resizeSection(3, 200);
  h->setStretchLastSection(true);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  resize(1000, 600);

  connect(decide, &QPushButton::clicked, this, [this] {
    SetCode();
    accept();
  });
  connect(compare, &QPushButton::clicked, this, &SettingList::CompareSwitch_Click);
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_K), this), &QShortcut::activated, this,
          &SettingList::CompareSwitch_Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(grid_, &QAbstractItemView::doubleClicked, this, [this] {
    SetCode();
    accept();
  });
  events_->watchWindow();
  setTabOrder(search_->field(), grid_);
  setTabOrder(grid_, decide);
  setTabOrder(decide, compare);
  setTabOrder(compare, cancel);
  try {
    grid_->setRecordSource(recordSource());
  } catch (const DbError& e) {
    Msg::dbError(this, windowTitle(), e);
  }
  // The first setting is the current row, as a bound grid shows it.
  grid_->selectFirstRow();
  search_->field()->setFocus();
}

void SettingList::SetCode() {
  const QString code = grid_->currentCellText(1);
  if (!code.isEmpty()) SelectedCode() = code;
}

void SettingList::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F12) reject();
}


void SettingList::CompareSwitch_Click() {
  const QString code = grid_->currentCellText(1);
  if (code.isEmpty()) return;
  try {
    const qint64 chosen = numfmt::codeValue(code);
    const qint64 partner = comparison::partnerOf(chosen, numfmt::codeValue(shownCode_.trimmed()));
    const auto a = comparison::readSetting(chosen);
    const auto b = partner ? comparison::readSetting(partner) : std::nullopt;
    if (!a || !b) {
      Msg::notice(this, windowTitle(),
                  QStringLiteral("コード[%1]のセッティングと比較するセッティングがありません。\n"
                                 "同じユーザーの以前のセッティングがないときは、比較したいセッティングを"
                                 "メイン画面に表示してから「比　較」を押してください。")
                      .arg(code));
      return;
    }
    SettingCompare window(this, comparison::compare(*a, *b), comparisonPrinter);
    window.exec();
  } catch (const DbError& e) {
    Msg::dbError(this, windowTitle(), e);
  }
}
