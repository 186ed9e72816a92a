#include "screens/recordscreen.h"

#include "data/database.h"
#include "data/datafile.h"
#include "data/numfmt.h"
#include "data/schema.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/listsearch.h"
#include "screens/messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kCode = QStringLiteral("コード");

struct ButtonText {
  const char* name;
  const char* caption;
};
// Indexed by RecordScreenConfig::Button.
constexpr ButtonText kButtons[] = {{"Save_Switch", "登 録"},
                                   {"Delete_Switch", "削 除"},
                                   {"Init_Switch", "中 止"},
                                   {"Copy_Switch", "複 写"},
                                   {"Close_Switch", "閉じる"}};
}  // namespace

QString RecordScreen::noCodeLeftText() {
  return QStringLiteral("これ以上登録できません。空きコードを利用するか、データを削除してください！");
}

RecordScreen::RecordScreen(QWidget* parent, RecordScreenConfig config)
    : ScreenDialog(parent), config_(std::move(config)), events_(new FieldEvents(this, this)) {
  setWindowTitle(config_.caption);

  codeLabel_ = new QLabel(kCode, this);
  code_ = new QLineEdit(this);
  nameControl(code_, kCode);
  setNumericInput(code_);
  // A byte budget rather than a maximum length: it stops typing at the code
  // width but never cuts a text the program puts there (a negative code
  // formats to five characters).
  attachByteBudget(code_, config_.codes->width, config_.codes->width);
  code_->setFixedWidth(code_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
  codeLabel_->setBuddy(code_);
  events_->addField(code_);

  list_ = new ListGrid(config_.columns, this);
  list_->setFixedWidth(300);
  list_->setMinimumHeight(300);
  connect(list_, &QAbstractItemView::doubleClicked, this, &RecordScreen::listDoubleClicked);
  search_ = new ListSearch(list_, this, config_.searchFields);
  search_->setOnEnter([this] { listDoubleClicked(list_->currentIndex()); });
  search_->setExport(QString::fromUtf8(config_.codes->table),
                     QString::fromUtf8(config_.codes->table) + QStringLiteral("一覧"));

  for (int b = 0; b <= RecordScreenConfig::Close; ++b) {
    auto* button = new QPushButton(QString::fromUtf8(kButtons[b].caption), this);
    nameControl(button, QString::fromUtf8(kButtons[b].name));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setMinimumSize(96, 32);
    buttonList_ << button;
  }
  connect(button(RecordScreenConfig::Save), &QPushButton::clicked, this, &RecordScreen::saveClicked);
  connect(button(RecordScreenConfig::Delete), &QPushButton::clicked, this, &RecordScreen::deleteClicked);
  connect(button(RecordScreenConfig::Init), &QPushButton::clicked, this, &RecordScreen::initClicked);
  connect(button(RecordScreenConfig::Copy), &QPushButton::clicked, this, &RecordScreen::copyClicked);
  connect(button(RecordScreenConfig::Close), &QPushButton::clicked, this, &QWidget::close);

  auto* root = new QHBoxLayout(this);
  root->setSizeConstraint(QLayout::SetFixedSize);
  root->setContentsMargins(12, 12, 12, 12);
  root->setSpacing(12);
  auto* left = new QVBoxLayout;
  left->setSpacing(10);
  header_ = new QHBoxLayout;
  header_->setSpacing(8);
  header_->addWidget(codeLabel_);
  header_->addWidget(code_);
  body_ = new QVBoxLayout;
  body_->setSpacing(8);
  buttons_ = new QHBoxLayout;
  buttons_->setSpacing(8);
  for (RecordScreenConfig::Button b : config_.buttonOrder) buttons_->addWidget(button(b));
  buttons_->addStretch(1);
  left->addLayout(header_);
  left->addLayout(body_);
  left->addStretch(1);
  left->addLayout(buttons_);
  root->addLayout(left, 1);
  auto* right = new QVBoxLayout;
  right->setSpacing(6);
  right->addWidget(search_);
  right->addWidget(list_);
  root->addLayout(right);
}

QPushButton* RecordScreen::button(RecordScreenConfig::Button which) const { return buttonList_.value(int(which)); }

void RecordScreen::setChain(const QList<QWidget*>& chain) {
  chain_ = chain;
  for (QWidget* f : chain_) events_->addField(f);
}

void RecordScreen::addField(QWidget* field) { events_->addField(field); }

void RecordScreen::finishSetUp() {
  header_->addStretch(1);
  events_->watchWindow();
  QWidget* last = code_;
  auto follow = [&last](QWidget* w) {
    QWidget::setTabOrder(last, w);
    last = w;
  };
  for (QWidget* f : chain_) follow(f);
  for (RecordScreenConfig::Button b : config_.buttonOrder) follow(button(b));
  follow(search_->field());
  follow(list_);
  // Opening: bind the list, clear the screen, start in the code field.
  Set_ListDsp_SQL();
  clearScreen();
  code_->setFocus(Qt::OtherFocusReason);
}

// --- Record routines ------------------------------------------------------

QString RecordScreen::selectFor(const QString& codeText) const {
  return config_.selectSql + QString::number(numfmt::codeValue(codeText));
}

QString RecordScreen::storedText(const QLineEdit* field) {
  const QString t = field->text().trimmed();
  return t.isEmpty() ? QStringLiteral("") : t;
}

void RecordScreen::clearScreen() {
  shown_.clear();
  code_->clear();
  clearFields();
}

int RecordScreen::loadRecord() {
  try {
    const qlonglong code = numfmt::codeValue(code_->text());
    Recordset rs(selectFor(code_->text()));
    if (rs.noRow()) {
      shown_.fresh(code);
      return 0;
    }
    // Every field is read once before anything is shown, so that a field
    // missing from the file stops the load with the screen unchanged.
    for (const QString& name : schema::table(QString::fromUtf8(config_.codes->table)).columnNames())
      (void)rs.field(name);
    code_->setText(numfmt::format(rs.number(kCode), codePattern(*config_.codes)));
    showRecord(rs);
    shown_.loaded(code, rs);
    rs.close();
    return 1;
  } catch (const DbError& e) {
    Msg::dbError(this, config_.caption, e);
    return 0;
  }
}

int RecordScreen::saveRecord() {
  try {
    const qlonglong code = numfmt::codeValue(code_->text());
    Recordset rs(selectFor(code_->text()), Recordset::Updatable);
    // A code that another PC registered since this screen took it as new is
    // saved as a new record, which the save then finds taken.
    if (rs.noRow() || shown_.takenMeanwhile(code, rs)) {
      const QString question =
          shown_.goneMeanwhile(code, rs) ? RowGuard::deletedText() : QStringLiteral("登録しますか？");
      if (!Msg::confirm(this, config_.caption, question)) return 0;
      rs.addNew();
    } else {
      if (!Msg::confirm(this, config_.caption, QStringLiteral("上書きしますか？"))) return 0;
      rs.edit(shown_.expected(code));
    }
    rs.setField(kCode, code);
    writeFields(rs);
    const int saved = shown_.save(this, config_.caption, rs, code, *config_.codes, [this](const QString& next) {
      code_->setText(next);
      codeAtEntry_ = next;
    });
    rs.close();
    return saved;
  } catch (const DbError& e) {
    Msg::dbError(this, config_.caption, e);
    return 0;
  }
}

int RecordScreen::deleteRecord() {
  const QString head = QStringLiteral("コード[") + code_->text() + QStringLiteral("]の") + config_.recordWord;
  try {
    const qlonglong code = numfmt::codeValue(code_->text());
    Recordset rs(selectFor(code_->text()), Recordset::Updatable);
    if (rs.noRow()) {
      Msg::noticeYesNo(this, config_.caption, head + QStringLiteral("は登録されていません！"));
      return 0;
    }
    if (!Msg::confirm(this, config_.caption, head + QStringLiteral("を削除しますか？"))) return 0;
    const int deleted = shown_.remove(this, config_.caption, rs, code);
    rs.close();
    return deleted;
  } catch (const DbError& e) {
    Msg::dbError(this, config_.caption, e);
    return 0;
  }
}

int RecordScreen::copyRecord() {
  if (code_->text().trimmed().isEmpty()) return 0;
  openCopyDialog();
  return 1;
}

void RecordScreen::Set_ListDsp_SQL() {
  try {
    list_->setRecordSource(config_.listSql);
  } catch (const DbError& e) {
    Msg::dbError(this, config_.caption, e);
  }
  // The list keeps a current row, so Enter in the search field takes one:
  // the record on the screen where the list shows it, else the first row.
  if (!list_->selectRowShowing(0, code_->text())) list_->selectFirstRow();
}

// --- Buttons, list and keys -------------------------------------------------

void RecordScreen::saveClicked() {
  if (saveRecord() == 1) Set_ListDsp_SQL();
  moveFocus(code_);
}

void RecordScreen::deleteClicked() {
  if (deleteRecord() == 1) Set_ListDsp_SQL();
  moveFocus(code_);
}

void RecordScreen::initClicked() {
  if (Msg::confirm(this, config_.caption, QStringLiteral("画面を初期化しますか？"))) clearScreen();
  moveFocus(code_);
}

void RecordScreen::copyClicked() {
  if (copyRecord() == 1) Set_ListDsp_SQL();
  moveFocus(code_);
}

void RecordScreen::listDoubleClicked(const QModelIndex& index) {
  if (!index.isValid()) return;
  list_->setCurrentIndex(list_->model()->index(index.row(), 0));
  code_->setText(list_->currentCellText(0));
  loadRecord();
  codeAtEntry_ = code_->text();
  moveFocus(code_);
}

void RecordScreen::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F12) close();
}


// --- Field handlers ---------------------------------------------------------

void RecordScreen::fieldFocusIn(QWidget* field) {
  // Back in the field after another window was active, or a repeated
  // focus-in: the field was never left.
  if (field == entered_) return;
  // The focus moved on while another window was active: leave the old field
  // now.
  if (QWidget* was = entered_) {
    entered_ = nullptr;
    leaveField(was);
  }
  entered_ = field;
  enterField(field);
}

void RecordScreen::fieldFocusOut(QWidget* field) {
  // A field the focus only passed through was never entered; and when
  // another window (a message box, another program) becomes active the
  // field is not left, so its rules do not run under the message.
  if (field != entered_ || !isActiveWindow()) return;
  entered_ = nullptr;
  leaveField(field);
}

bool RecordScreen::fieldKeyDown(QWidget* field, int keyCode, QKeyEvent* event) {
  return fieldKey(field, keyCode, event);
}

void RecordScreen::enterField(QWidget* field) {
  if (field == code_)
    codeEntered();
  else
    HighlightField(field);
}

void RecordScreen::leaveField(QWidget* field) {
  if (field == code_)
    codeLeft();
  else
    setBackground(field, restingColour(field));
}

bool RecordScreen::fieldKey(QWidget* field, int keyCode, QKeyEvent*) {
  if (keyCode != Key::Enter && keyCode != Key::Esc) return false;
  if (field == code_) {
    codeKey(keyCode);
    return true;
  }
  QWidget* to = keyCode == Key::Enter ? nextField(field) : previousField(field);
  if (to && to != field) moveFocus(to);
  return true;
}

QWidget* RecordScreen::nextField(QWidget* field) const {
  if (field == code_) return chain_.value(0);
  const int i = int(chain_.indexOf(field));
  return i >= 0 && i + 1 < chain_.size() ? chain_[i + 1] : nullptr;
}

QWidget* RecordScreen::previousField(QWidget* field) const {
  const int i = int(chain_.indexOf(field));
  if (i < 0) return nullptr;
  return i == 0 ? static_cast<QWidget*>(code_) : chain_[i - 1];
}

QColor RecordScreen::restingColour(QWidget*) const { return Colours::normal(); }

void RecordScreen::moveFocus(QWidget* field) {
  if (field) field->setFocus(Qt::OtherFocusReason);
}

// --- Code field ---------------------------------------------------------------

void RecordScreen::codeEntered() {
  codeAtEntry_ = code_->text();
  HighlightField(code_);
}

void RecordScreen::codeKey(int keyCode) {
  if (!settleCode(true, true)) return;
  if (keyCode == Key::Enter) moveFocus(nextField(code_));
}

void RecordScreen::codeLeft() {
  const bool settled = settleCode(config_.proposeCodeOnLeave, config_.loadCodeOnLeave);
  setBackground(code_, restingColour(code_));
  if (!settled && code_->text().isEmpty()) {
    // No code left: back to the code field when the user went on to a body
    // field, so that nothing is typed under a blank code. A click on a
    // button or the list is left to act.
    QTimer::singleShot(0, this, [this] {
      QWidget* now = QApplication::focusWidget();
      if (now && now != code_ && events_->isField(now) && now->window() == this) moveFocus(code_);
    });
  }
}

bool RecordScreen::settleCode(bool propose, bool load) {
  code_->setText(formatCodeText(code_->text(), *config_.codes));
  if (propose && numfmt::codeValue(code_->text()) == 0) {
    QString next;
    try {
      next = NextCode(*config_.codes);
    } catch (const DbError& e) {
      Msg::dbError(this, config_.caption, e);
      return false;
    }
    if (next == noCodeMarker(*config_.codes)) {
      // The screen stays open with what it shows; a free code can be typed.
      Msg::refuse(this, config_.caption, noCodeLeftText());
      code_->clear();
      return false;
    }
    code_->setText(next);
  }
  if (load && code_->text().trimmed() != codeAtEntry_.trimmed()) {
    loadRecord();
    // The code now shown has been loaded; leaving the field next does not
    // read it again.
    codeAtEntry_ = code_->text();
  }
  return true;
}
