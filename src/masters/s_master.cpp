#include "masters/s_master.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "data/schema.h"
#include "masters/mastercopy.h"
#include "masters/masterlook.h"
#include "screens/fields.h"
#include "screens/keys.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Captions of Check1(2k) and Check1(2k + 1), front and rear.
const char* const kCheckCaptions[7] = {"ピロアッパーキャンバー調節", "ピロアッパー車高調節", "全長調整式",
                                       "ネジ式車高調整",             "Ｃリング式車高調整", "減衰力調整式（伸縮同時）",
                                       "減衰力調整式（伸縮別）"};

// Ticking box i unticks box kExcludes[i]: ネジ式 and Cリング式, 伸縮同時 and
// 伸縮別 of one axle exclude each other.
constexpr int kExcludes[14] = {-1, -1, -1, -1, -1, -1, 8, 9, 6, 7, 12, 13, 10, 11};
constexpr int kTogether = 10;  // Check1(10 + axle): 伸縮同時

// Ticked after clearing: 0, 1, 6, 7, 10, 11.
constexpr bool kInitialTicks[14] = {true, true, false, false, false, false, true,
                                    true, false, false, true, true, false, false};

RecordScreenConfig settings() {
  RecordScreenConfig c;
  c.caption = QStringLiteral("車高調節型ショックアブソーバ基本データ登録");
  c.codes = &CoilOverCodes;
  c.recordWord = QStringLiteral("車高調");
  c.selectSql = QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=");
  c.listSql = QStringLiteral("SELECT 車高調マスタ.コード, 車高調マスタ.名称 From 車高調マスタ ") +
              QStringLiteral("ORDER BY 車高調マスタ.コード");
  c.columns = {{QStringLiteral("ｺｰﾄﾞ"), QStringLiteral("コード"), QStringLiteral("00")},
               {QStringLiteral("名称"), QStringLiteral("名称"), QString()}};
  // Leaving the code field proposes a code for a blank one and loads.
  c.proposeCodeOnLeave = true;
  return c;
}

// The table's columns: コード, 名称, the fourteen flags, the ten numbers.
const QStringList& columns() {
  static const QStringList cols = schema::table(schema::kCoilOvers).columnNames();
  return cols;
}
QString flagColumn(int i) { return columns()[2 + i]; }
QString numberColumn(int i) { return columns()[16 + i]; }

QLabel* unitLabel(const QString& text, QWidget* parent, Qt::Alignment align) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(align | Qt::AlignVCenter);
  return l;
}

}  // namespace

S_master::S_master(QWidget* parent) : RecordScreen(parent, settings()) {
  const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("コード")) + 24;
  styleCaption(codeLabel(), captionWidth);
  name_ = new QLineEdit(this);
  nameControl(name_, QStringLiteral("名称"));
  attachByteBudget(name_, 50, 50);
  name_->setFixedWidth(fieldWidth(name_, 50));
  auto* nameLabel = captionLabel(QStringLiteral("名 称"), this, captionWidth);
  nameLabel->setBuddy(name_);
  headerLayout()->addSpacing(12);
  headerLayout()->addWidget(nameLabel);
  headerLayout()->addWidget(name_);

  auto* frame = new QGroupBox(QStringLiteral(" 製品内容 "), this);
  nameControl(frame, QStringLiteral("Frame1"));
  auto* grid = new QGridLayout(frame);
  grid->setHorizontalSpacing(24);
  grid->setVerticalSpacing(6);
  for (int axle = 0; axle < 2; ++axle) {
    auto* heading = new QLabel(axle == 0 ? QStringLiteral("フロント") : QStringLiteral("リ　ア"), frame);
    nameControl(heading, arrayName(QStringLiteral("Label2"), axle));
    styleCaption(heading, 220);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, axle, Qt::AlignLeft);
    grid->setColumnStretch(axle, 1);
  }
  for (int i = 0; i < 14; ++i) {
    auto* box = new QCheckBox(QString::fromUtf8(kCheckCaptions[i / 2]), frame);
    nameControl(box, arrayName(QStringLiteral("Check1"), i));
    connect(box, &QCheckBox::clicked, this, [this, i](bool ticked) { checkClicked(i, ticked); });
    grid->addWidget(box, 1 + i / 2, i % 2);
    checks_ << box;
  }

  // The numbers in their stored order: 伸(0), 伸(1), 縮(0), 縮(1), バネレート(0),
  // バネレート(1), ID(0), ID(1), 自由長(0), 自由長(1).
  struct NumberSpec {
    const char* name;
    const char* before;
    const char* after;
    int shown;
  };
  const NumberSpec numberFields[5] = {{"伸", "伸", "段", 4},
                               {"縮", "縮", "段", 4},
                               {"バネレート", "ﾊﾞﾈﾚｰﾄ", "K", 7},
                               {"ID", "ID", "mm", 7},
                               {"自由長", "自由長", "mm", 7}};
  for (const NumberSpec& def : numberFields)
    for (int axle = 0; axle < 2; ++axle) {
      auto* field = new QLineEdit(frame);
      nameControl(field, arrayName(QString::fromUtf8(def.name), axle));
      setNumericInput(field);
      field->setFixedWidth(fieldWidth(field, def.shown));
      numbers_ << field;
    }
  // 伸 takes at most two characters. A byte budget stops the typing there
  // without cutting a longer text that the program puts in (縮's text copied
  // over, or a stored 12.5).
  for (int axle = 0; axle < 2; ++axle) attachByteBudget(rebound(axle), 2, 2);

  auto* damping = new QGroupBox(QStringLiteral("減衰力調整幅"), frame);
  nameControl(damping, QStringLiteral("減衰力調整幅"));
  auto* dampingGrid = new QGridLayout(damping);
  dampingGrid->setHorizontalSpacing(24);
  auto* spring = new QGroupBox(QStringLiteral("スプリングの設定"), frame);
  nameControl(spring, QStringLiteral("スプリングの設定"));
  auto* springGrid = new QGridLayout(spring);
  springGrid->setHorizontalSpacing(24);
  springGrid->setVerticalSpacing(6);
  const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("ﾊﾞﾈﾚｰﾄ")) + 8;
  const int unitWidth = fontMetrics().horizontalAdvance(QStringLiteral("mm")) + 6;
  for (int axle = 0; axle < 2; ++axle) {
    auto* steps = new QHBoxLayout;
    steps->setSpacing(4);
    for (int k = 0; k < 2; ++k) {
      if (k == 1) steps->addSpacing(16);
      QLabel* before = unitLabel(QString::fromUtf8(numberFields[k].before), damping, Qt::AlignRight);
      before->setBuddy(numbers_[2 * k + axle]);
      steps->addWidget(before);
      steps->addWidget(numbers_[2 * k + axle]);
      steps->addWidget(unitLabel(QString::fromUtf8(numberFields[k].after), damping, Qt::AlignLeft));
    }
    steps->addStretch(1);
    dampingGrid->addLayout(steps, 0, axle);
    dampingGrid->setColumnStretch(axle, 1);
    for (int k = 2; k < 5; ++k) {
      auto* line = new QHBoxLayout;
      line->setSpacing(4);
      QLabel* before = unitLabel(QString::fromUtf8(numberFields[k].before), spring, Qt::AlignRight);
      before->setFixedWidth(labelWidth);
      before->setBuddy(numbers_[2 * k + axle]);
      QLabel* after = unitLabel(QString::fromUtf8(numberFields[k].after), spring, Qt::AlignLeft);
      after->setFixedWidth(unitWidth);
      line->addWidget(before);
      line->addWidget(numbers_[2 * k + axle]);
      line->addWidget(after);
      line->addStretch(1);
      springGrid->addLayout(line, k - 2, axle);
    }
    springGrid->setColumnStretch(axle, 1);
  }
  grid->addWidget(damping, 8, 0, 1, 2);
  grid->addWidget(spring, 9, 0, 1, 2);
  bodyLayout()->addWidget(frame);

  QList<QWidget*> chain{name_};
  for (int axle = 0; axle < 2; ++axle)
    for (int k = 0; k < 5; ++k) chain << numbers_[2 * k + axle];
  setChain(chain);
  finishSetUp();
  // Tab visits the check boxes between the name and the front numbers.
  QWidget* last = name_;
  for (QCheckBox* box : checks_) {
    setTabOrder(last, box);
    last = box;
  }
  setTabOrder(last, rebound(0));
}

void S_master::clearFields() {
  name_->clear();
  for (int i = 0; i < 14; ++i) checks_[i]->setChecked(kInitialTicks[i]);
  for (int axle = 0; axle < 2; ++axle) {
    rebound(axle)->setText(QStringLiteral("5"));
    compression(axle)->setText(QStringLiteral("5"));
    numbers_[4 + axle]->clear();                       // バネレート
    numbers_[6 + axle]->setText(QStringLiteral("65"));  // ID
    numbers_[8 + axle]->clear();                       // 自由長
  }
}

void S_master::showRecord(const Recordset& rs) {
  name_->setText(rs.text(QStringLiteral("名称")).trimmed());
  // A stored flag is offered when it is exactly 1.
  for (int i = 0; i < 14; ++i) checks_[i]->setChecked(rs.number(flagColumn(i)) == 1);
  for (int i = 0; i < numbers_.size(); ++i) numbers_[i]->setText(numfmt::shortestOf(rs.field(numberColumn(i))).trimmed());
}

void S_master::writeFields(Recordset& rs) const {
  rs.setField(QStringLiteral("名称"), storedText(name_));
  for (int i = 0; i < 14; ++i) rs.setField(flagColumn(i), checks_[i]->isChecked() ? 1 : 0);
  for (int i = 0; i < numbers_.size(); ++i) rs.setField(numberColumn(i), numfmt::val(numbers_[i]->text()));
}

void S_master::openCopyDialog() {
  Smaster_Copy dialog(this, [this](Recordset& rs) { writeFields(rs); });
  dialog.exec();
}

void S_master::checkClicked(int index, bool ticked) {
  if (!ticked) return;
  if (kExcludes[index] >= 0) checks_[kExcludes[index]]->setChecked(false);
  if (index == kTogether || index == kTogether + 1) {
    const int axle = index - kTogether;
    compression(axle)->setText(rebound(axle)->text());
  }
}

void S_master::settleSteps(QLineEdit* field, bool copy) {
  const int at = int(numbers_.indexOf(field));
  const int axle = at % 2;
  const QString t = field->text().trimmed();
  if (!t.isEmpty() && numfmt::val(t) <= 0) field->setText(QStringLiteral("1"));
  if (copy && checks_[kTogether + axle]->isChecked())
    (field == rebound(axle) ? compression(axle) : rebound(axle))->setText(field->text());
}

bool S_master::fieldKey(QWidget* field, int keyCode, QKeyEvent* event) {
  const int at = int(numbers_.indexOf(qobject_cast<QLineEdit*>(field)));
  if ((keyCode == Key::Enter || keyCode == Key::Esc) && at >= 0 && at < 4)
    settleSteps(numbers_[at], true);
  return RecordScreen::fieldKey(field, keyCode, event);
}

void S_master::leaveField(QWidget* field) {
  const int at = int(numbers_.indexOf(qobject_cast<QLineEdit*>(field)));
  // Leaving 伸 copies into 縮; leaving 縮 does not copy back.
  if (at >= 0 && at < 4) settleSteps(numbers_[at], at < 2);
  RecordScreen::leaveField(field);
}
