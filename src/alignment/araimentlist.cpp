#include "alignment/araimentlist.h"

#include "alignment/alignmentrows.h"
#include "data/database.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/listgrid.h"
#include "screens/listsearch.h"
#include "screens/messages.h"
#include "screens/selectedcode.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AraimentList::AraimentList(QWidget* parent) : ScreenDialog(parent) {
  setObjectName(QStringLiteral("AraimentList"));
  setWindowTitle(QStringLiteral("アライメントマスタ登録一覧"));
  grid_ = new ListGrid({{QStringLiteral("コード"), QStringLiteral("コード"), QStringLiteral("0000")},
                        {QStringLiteral("登録名"), QStringLiteral("登録名"), QString()}},
                       this);
  grid_->setMinimumSize(420, 360);
  connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (!index.isValid()) return;
    SetCode();
    accept();
  });
  auto* ok = new QPushButton(QStringLiteral("決　定"), this);
  nameControl(ok, QStringLiteral("OK_Switch"));
  auto* exit = new QPushButton(QStringLiteral("キャンセル"), this);
  nameControl(exit, QStringLiteral("Exit_Switch"));
  for (QPushButton* b : {ok, exit}) {
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumSize(104, 36);
  }
  // Enter in the search field takes the current row as a double-click does.
  search_ = new ListSearch(grid_, this);
  search_->setExport(QStringLiteral("アライメントマスタ"), QStringLiteral("アライメントマスタ登録一覧"));
  search_->setOnEnter([this] {
    SetCode();
    accept();
  });
  connect(ok, &QPushButton::clicked, this, [this] { OK_Switch_Click(); });
  connect(exit, &QPushButton::clicked, this, [this] { Exit_Switch_Click(); });

  auto* root = new QVBoxLayout(this);
  root->setSizeConstraint(QLayout::SetFixedSize);
  root->setContentsMargins(12, 12, 12, 12);
  root->setSpacing(10);
  root->addWidget(search_);
  root->addWidget(grid_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(exit);
  root->addLayout(buttons);

  auto* events = new FieldEvents(this, this);
  events->watchWindow();
  setTabOrder(search_->field(), grid_);
  setTabOrder(grid_, ok);
  setTabOrder(ok, exit);

  Set_ListDsp_SQL();
  search_->field()->setFocus(Qt::OtherFocusReason);
}

void AraimentList::Set_ListDsp_SQL() {
  try {
    grid_->setRecordSource(alignment::kBaseListSql);
  } catch (const DbError& e) {
    Msg::dbError(this, windowTitle(), e);
  }
  // The first master is the current row, as a bound grid shows it.
  if (grid_->model()->rowCount() > 0 && !grid_->currentIndex().isValid())
    grid_->setCurrentIndex(grid_->model()->index(0, 0));
}

void AraimentList::SetCode() {
  const QString code = grid_->currentCellText(0);
  if (!code.isEmpty()) SelectedCode() = code;
}

void AraimentList::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F12) Exit_Switch_Click();
}

void AraimentList::OK_Switch_Click() {
  SetCode();
  accept();
}

void AraimentList::Exit_Switch_Click() { reject(); }

