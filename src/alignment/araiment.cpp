#include "alignment/araiment.h"

#include "alignment/araimentlist.h"
#include "alignment/formparts.h"
#include "data/database.h"
#include "data/numfmt.h"
#include "data/rules.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/messages.h"
#include "screens/selectedcode.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace alignment;

namespace {
const QString kCaption = QStringLiteral("Ashimemo　－　アライメントの登録");
// The client area of the paper-form layout: 15270 x 10785 twips.
constexpr int kWidth = 1018;
constexpr int kHeight = 719;

QString memberName(const QString& control, int i) { return arrayName(control, i); }
}  // namespace

Araiment::Araiment(QWidget* parent, const QString& settingCode, const QString& settingName)
    : ScreenDialog(parent), entry_(araimentFields(), araimentNavigation()) {
  setObjectName(QStringLiteral("Araiment"));
  setWindowTitle(kCaption);
  build();
  events_ = new FieldEvents(this, this);
  for (const FieldInfo& f : entry_.fields()) events_->addField(entry_.field(f.name));
  events_->watchWindow();

  Init_Araiment();
  code_->setText(settingCode);
  settingName_->setText(settingName);
  Load_Araiment();
  alignmentCode_->setFocus(Qt::OtherFocusReason);
}

Araiment::~Araiment() {
  // The fields lose the focus while the window is taken apart; their
  // handlers must not run then.
  delete events_;
  events_ = nullptr;
}

// ---------------------------------------------------------------- layout

void Araiment::build() {
  auto* top = new QGridLayout;
  top->setHorizontalSpacing(6);
  top->setVerticalSpacing(4);
  auto* codeCaption = rowCaption(QStringLiteral("セッティングコード"), this);
  nameControl(codeCaption, memberName(QStringLiteral("Label2"), 0));
  code_ = valueLabel(this);
  nameControl(code_, QStringLiteral("コード"));
  code_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* nameCaption = rowCaption(QStringLiteral("セッティング名"), this);
  nameControl(nameCaption, memberName(QStringLiteral("Label2"), 1));
  settingName_ = valueLabel(this);
  nameControl(settingName_, QStringLiteral("セッティング名"));
  auto* call = screenButton(QStringLiteral("AraimentCall"), QStringLiteral("アライメント基準値"), this);
  connect(call, &QPushButton::clicked, this, [this] { AraimentCall_Click(); });
  alignmentCode_ = entry_.create(QStringLiteral("アライメントコード"), this);
  baseName_ = valueLabel(this);
  nameControl(baseName_, QStringLiteral("登録名"));

  const int captionWidth = 150;
  codeCaption->setFixedWidth(captionWidth);
  call->setFixedWidth(captionWidth);
  const int codeWidth = valueFieldWidth(this);
  code_->setFixedWidth(codeWidth);
  alignmentCode_->setFixedWidth(codeWidth);
  nameCaption->setFixedWidth(120);
  settingName_->setMinimumWidth(420);
  top->addWidget(codeCaption, 0, 0);
  top->addWidget(code_, 0, 1);
  top->addWidget(nameCaption, 0, 2);
  top->addWidget(settingName_, 0, 3);
  top->addWidget(call, 1, 0);
  top->addWidget(alignmentCode_, 1, 1);
  top->addWidget(baseName_, 1, 2, 1, 2);
  top->setColumnStretch(4, 1);
  const int lineHeight = alignmentCode_->sizeHint().height();
  for (QWidget* w : {static_cast<QWidget*>(codeCaption), static_cast<QWidget*>(code_),
                     static_cast<QWidget*>(nameCaption), static_cast<QWidget*>(settingName_),
                     static_cast<QWidget*>(call), static_cast<QWidget*>(baseName_)})
    w->setFixedHeight(lineHeight);

  auto* left = new QVBoxLayout;
  left->setSpacing(6);
  left->addLayout(top);
  left->addWidget(buildFrame(0));
  left->addWidget(buildFrame(1));
  left->addStretch(1);

  auto* buttons = new QVBoxLayout;
  buttons->setSpacing(10);
  buttons->addSpacing(lineHeight * 2 + 4);
  struct B {
    const char* name;
    const char* caption;
    void (Araiment::*slot)();
  };
  const B list[] = {{"Save_Switch", "登　録", &Araiment::Save_Switch_Click},
                    {"PrintSwitch", "印　刷", &Araiment::PrintSwitch_Click},
                    {"Delete_Switch", "削　除", &Araiment::Delete_Switch_Click},
                    {"Init_Switch", "中　止", &Araiment::Init_Switch_Click},
                    {"Close_Switch", "閉じる", &Araiment::Close_Switch_Click}};
  QList<QPushButton*> buttonList;
  for (const B& b : list) {
    auto* button = screenButton(QString::fromUtf8(b.name), QString::fromUtf8(b.caption), this);
    button->setFixedSize(110, 44);
    auto slot = b.slot;
    connect(button, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
    buttons->addWidget(button);
    buttonList << button;
  }
  buttons->addStretch(1);

  auto* root = new QHBoxLayout(this);
  root->setContentsMargins(10, 8, 10, 8);
  root->setSpacing(14);
  root->addLayout(left, 1);
  root->addLayout(buttons);
  setFixedSize(kWidth, kHeight);

  // Tab order: the Enter chain, then the buttons.
  QWidget* prev = nullptr;
  for (const FieldInfo& f : entry_.fields()) {
    QWidget* w = entry_.field(f.name);
    if (prev) setTabOrder(prev, w);
    prev = w;
  }
  for (QPushButton* b : buttonList) {
    setTabOrder(prev, b);
    prev = b;
  }
  setTabOrder(prev, call);
}

QGroupBox* Araiment::buildFrame(int axle) {
  auto* box = new QGroupBox(axle == 0 ? QStringLiteral("フロントアクスル") : QStringLiteral("リアアクスル"), this);
  nameControl(box, axle == 0 ? QStringLiteral("Frame1") : QStringLiteral("Frame2"));
  auto* g = new QGridLayout(box);
  g->setContentsMargins(8, 6, 8, 6);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(3);
  const int w = valueFieldWidth(this);
  // Columns: 0 row caption; 1-2 standard value over its range boxes; 3 unit;
  // 5-6 before LH/RH; 8-9 after LH/RH; 11-13 the tyre block.
  for (int c : {1, 2, 5, 6, 8, 9}) g->setColumnMinimumWidth(c, w);
  g->setColumnMinimumWidth(0, 120);
  g->setColumnMinimumWidth(3, 24);
  g->setColumnMinimumWidth(4, 30);
  g->setColumnMinimumWidth(7, 30);
  g->setColumnMinimumWidth(10, 50);
  g->setColumnStretch(14, 1);

  g->addWidget(columnHeading(QStringLiteral("メーカー基準値"), box), 0, 1, 1, 3);
  g->addWidget(columnHeading(QStringLiteral("調 整 前"), box), 0, 5, 1, 2);
  g->addWidget(columnHeading(QStringLiteral("調 整 後"), box), 0, 8, 1, 2);
  for (int c : {5, 8}) {
    g->addWidget(columnHeading(QStringLiteral("LHﾎｲｰﾙ"), box), 1, c);
    g->addWidget(columnHeading(QStringLiteral("RHﾎｲｰﾙ"), box), 1, c + 1);
  }

  auto value = [&](const QString& name) {
    QLineEdit* e = entry_.create(name, box);
    e->setFixedWidth(w);
    return e;
  };
  auto measurement = [&](int index, int row, int col, int span) {
    g->addWidget(value(memberName(QStringLiteral("調整前"), index)), row, col, 1, span, Qt::AlignHCenter);
    g->addWidget(value(memberName(QStringLiteral("調整後"), index)), row, col + 3, 1, span, Qt::AlignHCenter);
  };

  int row = 2;
  for (const Quantity& q : quantities()) {
    if (q.axle != axle) continue;
    const int lines = (!q.range.isEmpty() || q.second >= 0) ? 2 : 1;
    // The row caption names the row's first field, the standard value.
    QLabel* caption = rowCaption(q.caption, box);
    QLineEdit* standard = value(q.standard);
    caption->setBuddy(standard);
    g->addWidget(caption, row, 0, lines, 1);
    g->addWidget(standard, row, 1, 1, 2, Qt::AlignHCenter);
    g->addWidget(plainCaption(q.unit, box), row, 3);
    if (!q.range.isEmpty()) {
      g->addWidget(value(memberName(q.range, 0)), row + 1, 1);
      g->addWidget(value(memberName(q.range, 1)), row + 1, 2);
    }
    if (q.centre >= 0) measurement(q.centre, row, 5, 2);
    if (q.lh >= 0) measurement(q.lh, row, 5, 1);
    if (q.rh >= 0) measurement(q.rh, row, 6, 1);
    if (q.second >= 0) measurement(q.second, row + 1, 5, 2);
    row += lines;
  }

  QLineEdit* size = entry_.create(memberName(QStringLiteral("タイヤサイズ"), axle), box);
  size->setFixedWidth(QFontMetrics(size->font()).horizontalAdvance(QStringLiteral("205/50R16WW")) + 14);
  size->setToolTip(axle == 0 ? QStringLiteral("フロントのタイヤサイズを入力します(例：205/50R16）")
                             : QStringLiteral("リアのタイヤサイズを入力します(例：205/50R16）"));
  QLineEdit* diameter = entry_.create(memberName(QStringLiteral("タイヤ外径"), axle), box);
  diameter->setFixedWidth(QFontMetrics(diameter->font()).horizontalAdvance(QStringLiteral("0000")) + 14);
  diameter->setToolTip(QStringLiteral("タイヤの外径を入力します"));
  QLabel* sizeCaption = rowCaption(QStringLiteral("ﾀｲﾔｻｲｽﾞ"), box);
  sizeCaption->setBuddy(size);
  QLabel* diameterCaption = rowCaption(QStringLiteral("外径"), box);
  diameterCaption->setBuddy(diameter);
  g->addWidget(sizeCaption, 2, 11);
  g->addWidget(size, 2, 12, 1, 2);
  g->addWidget(diameterCaption, 3, 11);
  g->addWidget(diameter, 3, 12);
  g->addWidget(plainCaption(QStringLiteral("ｍｍ"), box), 3, 13);
  return box;
}

// ---------------------------------------------------------------- values

AlignmentRecord Araiment::values() const {
  AlignmentRecord r;
  r.alignmentCode = alignmentCode_->text();
  r.baseName = baseName_->text();
  const QList<FieldInfo>& std = standardFields();
  for (int i = 0; i < 26; ++i) r.standard[size_t(i)] = entry_.field(std[i].name)->text();
  for (int i = 0; i < 22; ++i) {
    r.before[size_t(i)] = entry_.field(memberName(QStringLiteral("調整前"), i))->text();
    r.after[size_t(i)] = entry_.field(memberName(QStringLiteral("調整後"), i))->text();
  }
  for (int i = 0; i < 2; ++i) {
    r.tyreSize[size_t(i)] = entry_.field(memberName(QStringLiteral("タイヤサイズ"), i))->text();
    r.tyreDiameter[size_t(i)] = entry_.field(memberName(QStringLiteral("タイヤ外径"), i))->text();
  }
  return r;
}

void Araiment::setStandard(const StandardValues& values) {
  const QList<FieldInfo>& std = standardFields();
  for (int i = 0; i < 26; ++i) entry_.field(std[i].name)->setText(values[size_t(i)]);
}

void Araiment::showRecord(const AlignmentRecord& r) {
  alignmentCode_->setText(r.alignmentCode);
  baseName_->setText(r.baseName);
  setStandard(r.standard);
  for (int i = 0; i < 22; ++i) {
    entry_.field(memberName(QStringLiteral("調整前"), i))->setText(r.before[size_t(i)]);
    entry_.field(memberName(QStringLiteral("調整後"), i))->setText(r.after[size_t(i)]);
  }
  for (int i = 0; i < 2; ++i) {
    entry_.field(memberName(QStringLiteral("タイヤサイズ"), i))->setText(r.tyreSize[size_t(i)]);
    entry_.field(memberName(QStringLiteral("タイヤ外径"), i))->setText(r.tyreDiameter[size_t(i)]);
  }
}

// ---------------------------------------------------------------- record routines

void Araiment::Init_Araiment() {
  shown_.clear();
  showRecord(AlignmentRecord());
}

int Araiment::Load_Araiment() {
  // Everything is read before the screen changes, so that an engine error
  // leaves the screen as it was.
  AlignmentRecord r;
  try {
    const qint64 code = numfmt::codeValue(code_->text());
    Recordset rs(kSelectAlignment + QString::number(code));
    if (rs.noRow()) {
      shown_.fresh(code);
      rs.close();
      return 0;
    }
    shown_.loaded(code, rs);
    r = readAlignment(rs);
    rs.close();
    Recordset base(kSelectBase + QString::number(numfmt::codeValue(r.alignmentCode)));
    r.baseName = base.noRow() ? baseName_->text() : base.text(QStringLiteral("登録名")).trimmed();
    base.close();
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
  showRecord(r);
  return 1;
}

int Araiment::Load_AraimentBase(int code) {
  StandardValues values;
  QString name;
  int found = 0;
  try {
    Recordset rs(kSelectBase + QString::number(code));
    if (!rs.noRow()) {
      name = rs.text(QStringLiteral("登録名")).trimmed();
      values = readStandard(rs);
      found = 1;
    }
    rs.close();
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
  baseName_->setText(name);
  setStandard(values);
  return found;
}

int Araiment::Save_Araiment() {
  const qint64 code = numfmt::codeValue(code_->text());
  try {
    Recordset rs(kSelectAlignment + QString::number(code), Recordset::Updatable);
    // The alignment record's code is its setting's: one registered by
    // another PC meanwhile is a change to ask about, not a code to move on from.
    const bool found = !rs.noRow();
    const QString question = !found ? (shown_.goneMeanwhile(code, rs) ? RowGuard::deletedText()
                                                                       : QStringLiteral("登録しますか？"))
                             : shown_.takenMeanwhile(code, rs) ? RowGuard::changedText()
                                                               : QStringLiteral("上書きしますか？");
    if (!Msg::confirm(this, caption(), question)) return 0;
    if (found)
      rs.edit(shown_.expected(code));
    else
      rs.addNew();
    writeAlignment(rs, values(), code);
    const int saved = shown_.save(this, caption(), rs, code, SettingCodes, nullptr);
    rs.close();
    return saved;
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
}

int Araiment::delete_Araiment() {
  const QString shown = code_->text();
  try {
    Recordset rs(kSelectAlignment + QString::number(numfmt::codeValue(shown)), Recordset::Updatable);
    int done = 0;
    if (rs.noRow()) {
      Msg::refuse(this, caption(), QStringLiteral("コード[") + shown + QStringLiteral("]のアライメントは登録されていません！"));
    } else if (Msg::confirm(this, caption(), QStringLiteral("コード[") + shown + QStringLiteral("]のアライメントを削除しますか？"))) {
      done = shown_.remove(this, caption(), rs, numfmt::codeValue(shown));
    }
    rs.close();
    return done;
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
}

// ---------------------------------------------------------------- the code field

void Araiment::applyCode() {
  const QString text = formatCodeText(alignmentCode_->text(), AlignmentBaseCodes);
  if (text != alignmentCode_->text()) alignmentCode_->setText(text);
  if (text.trimmed() != codeAtEntry_.trimmed()) {
    // The master on screen now belongs to this code: leaving the field
    // after Enter or Esc (or losing the focus to a message box) does not
    // read it a second time.
    codeAtEntry_ = text;
    Load_AraimentBase(int(numfmt::codeValue(text)));
  }
}

void Araiment::fieldFocusIn(QWidget* field) {
  if (field == suspended_) {
    suspended_ = nullptr;
    return;
  }
  suspended_ = nullptr;
  if (field == alignmentCode_) {
    codeAtEntry_ = alignmentCode_->text();
    HighlightField(field);
    return;
  }
  entry_.focusIn(field);
}

void Araiment::fieldFocusOut(QWidget* field) {
  if (!isActiveWindow()) {
    suspended_ = field;
    return;
  }
  if (field == alignmentCode_) {
    applyCode();
    UnhighlightField(field);
    return;
  }
  entry_.focusOut(field);
}

bool Araiment::fieldKeyDown(QWidget* field, int keyCode, QKeyEvent*) {
  if (field == alignmentCode_) {
    if (keyCode == Key::Enter || keyCode == Key::Esc) {
      applyCode();
      if (keyCode == Key::Enter) entry_.step(alignmentCode_->objectName(), keyCode);
    }
    return false;
  }
  entry_.keyDown(field, keyCode);
  return false;
}

void Araiment::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F12) Close_Switch_Click();
}


// ---------------------------------------------------------------- buttons

void Araiment::AraimentCall_Click() {
  SelectedCode() = QString();
  {
    AraimentList list(this);
    list.exec();
  }
  if (!SelectedCode().isEmpty()) {
    const QString text = numfmt::format(numfmt::val(SelectedCode()), u"0000");
    alignmentCode_->setText(text);
    if (text.trimmed() != codeAtEntry_.trimmed()) {
      codeAtEntry_ = text;
      Load_AraimentBase(int(numfmt::codeValue(text)));
    }
  }
  alignmentCode_->setFocus(Qt::OtherFocusReason);
}

void Araiment::Save_Switch_Click() {
  Save_Araiment();
  alignmentCode_->setFocus(Qt::OtherFocusReason);
}

void Araiment::PrintSwitch_Click() {
  if (printHandler) printHandler(this);
}

void Araiment::Delete_Switch_Click() {
  delete_Araiment();
  alignmentCode_->setFocus(Qt::OtherFocusReason);
}

void Araiment::Init_Switch_Click() {
  if (Msg::confirm(this, caption(), QStringLiteral("画面を初期化しますか？"))) Init_Araiment();
  alignmentCode_->setFocus(Qt::OtherFocusReason);
}

void Araiment::Close_Switch_Click() { reject(); }
