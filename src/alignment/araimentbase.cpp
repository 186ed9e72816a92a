#include "alignment/araimentbase.h"

#include "alignment/alignmentrows.h"
#include "alignment/amaster_copy.h"
#include "alignment/formparts.h"
#include "data/database.h"
#include "screens/fields.h"
#include "screens/keys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace alignment;

namespace {
RecordScreenConfig baseConfig() {
  RecordScreenConfig c;
  c.caption = QStringLiteral("アライメント基準値の登録");
  c.codes = &AlignmentBaseCodes;
  c.recordWord = QStringLiteral("アライメントマスタ");
  c.selectSql = kSelectBase;
  c.listSql = kBaseListSql;
  c.columns = {{QStringLiteral("コード"), QStringLiteral("コード"), QStringLiteral("0000")},
               {QStringLiteral("登録名"), QStringLiteral("登録名"), QString()}};
  // Leaving the code field formats it and loads a changed code, but never
  // proposes a new one.
  c.proposeCodeOnLeave = false;
  c.loadCodeOnLeave = true;
  c.buttonOrder = {RecordScreenConfig::Save, RecordScreenConfig::Copy, RecordScreenConfig::Delete,
                   RecordScreenConfig::Init, RecordScreenConfig::Close};
  return c;
}
}  // namespace

AraimentBase::AraimentBase(QWidget* parent)
    : RecordScreen(parent, baseConfig()), entry_(araimentBaseFields(), araimentBaseNavigation()) {
  setObjectName(QStringLiteral("AraimentBase"));
  entry_.adopt(codeField());

  auto* nameCaption = new QLabel(QStringLiteral("登録名"), this);
  nameControl(nameCaption, QStringLiteral("Label1"));
  name_ = new QLineEdit(this);
  nameControl(name_, QStringLiteral("登録名"));
  name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QString(20, QChar(0x3042))) + 16);
  // 40 bytes: 20 full-width or 40 half-width characters.
  attachByteBudget(name_, 40, 40);
  entry_.adopt(name_);
  nameCaption->setBuddy(name_);
  headerLayout()->addSpacing(16);
  headerLayout()->addWidget(nameCaption);
  headerLayout()->addWidget(name_);

  auto* frames = new QHBoxLayout;
  frames->setSpacing(10);
  frames->addWidget(buildFrame(0), 0, Qt::AlignTop);
  frames->addWidget(buildFrame(1), 0, Qt::AlignTop);
  frames->addStretch(1);
  bodyLayout()->addLayout(frames);

  QList<QWidget*> chain{name_};
  for (const FieldInfo& f : standardFields()) chain << entry_.field(f.name);
  setChain(chain);
  finishSetUp();
}

QWidget* AraimentBase::buildFrame(int axle) {
  auto* box = new QGroupBox(axle == 0 ? QStringLiteral("フロントアクスル") : QStringLiteral("リアアクスル"), this);
  nameControl(box, axle == 0 ? QStringLiteral("Frame1") : QStringLiteral("Frame2"));
  auto* g = new QGridLayout(box);
  g->setContentsMargins(8, 6, 8, 6);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(3);
  const int w = valueFieldWidth(this);
  // Columns: 0 row caption; 1-2 the standard value centred over range boxes
  // 0 and 1; 3 the unit.
  g->setColumnMinimumWidth(0, 110);
  g->setColumnMinimumWidth(1, w);
  g->setColumnMinimumWidth(2, w);
  g->setColumnMinimumWidth(3, 24);
  g->addWidget(columnHeading(QStringLiteral("LHﾎｲｰﾙ"), box), 0, 1);
  g->addWidget(columnHeading(QStringLiteral("RHﾎｲｰﾙ"), box), 0, 2);
  auto value = [&](const QString& name) {
    QLineEdit* e = entry_.create(name, box);
    e->setFixedWidth(w);
    return e;
  };
  int row = 1;
  for (const Quantity& q : quantities()) {
    if (q.axle != axle) continue;
    const int lines = q.range.isEmpty() ? 1 : 2;
    // The row caption names the row's first field, the standard value.
    QLabel* caption = rowCaption(q.caption, box);
    QLineEdit* standard = value(q.standard);
    caption->setBuddy(standard);
    g->addWidget(caption, row, 0, lines, 1);
    g->addWidget(standard, row, 1, 1, 2, Qt::AlignHCenter);
    g->addWidget(plainCaption(q.unit, box), row, 3);
    if (!q.range.isEmpty()) {
      g->addWidget(value(q.range + QStringLiteral("(0)")), row + 1, 1);
      g->addWidget(value(q.range + QStringLiteral("(1)")), row + 1, 2);
    }
    row += lines;
  }
  g->setRowStretch(row, 1);
  return box;
}

// ---------------------------------------------------------------- record parts

void AraimentBase::clearFields() {
  name_->clear();
  for (const FieldInfo& f : standardFields()) entry_.field(f.name)->clear();
}

void AraimentBase::showRecord(const Recordset& rs) {
  name_->setText(rs.text(QStringLiteral("登録名")).trimmed());
  const StandardValues values = readStandard(rs);
  const QList<FieldInfo>& std = standardFields();
  for (int i = 0; i < 26; ++i) entry_.field(std[i].name)->setText(values[size_t(i)]);
}

void AraimentBase::writeFields(Recordset& rs) const {
  rs.setField(QStringLiteral("登録名"), storedText(name_));
  StandardValues values;
  const QList<FieldInfo>& std = standardFields();
  for (int i = 0; i < 26; ++i) values[size_t(i)] = storedText(entry_.field(std[i].name));
  writeStandard(rs, values);
}

void AraimentBase::openCopyDialog() {
  Amaster_Copy dialog(this);
  dialog.exec();
}

// ---------------------------------------------------------------- fields

void AraimentBase::enterField(QWidget* field) {
  if (!entry_.focusIn(field)) RecordScreen::enterField(field);
}

void AraimentBase::leaveField(QWidget* field) {
  if (!entry_.focusOut(field)) RecordScreen::leaveField(field);
}

bool AraimentBase::fieldKey(QWidget* field, int keyCode, QKeyEvent* event) {
  // The value fields normalise, step by the table and apply the first-key
  // rule; the code and name fields follow the shared record-screen rules.
  if (entry_.keyDown(field, keyCode)) return keyCode == Key::Enter || keyCode == Key::Esc;
  return RecordScreen::fieldKey(field, keyCode, event);
}

QWidget* AraimentBase::stepTarget(QWidget* field, bool enter) const {
  if (!field) return nullptr;
  const Step s = araimentBaseNavigation().value(field->objectName());
  return entry_.field(enter ? s.enter : s.esc);
}

QWidget* AraimentBase::nextField(QWidget* field) const { return stepTarget(field, true); }
QWidget* AraimentBase::previousField(QWidget* field) const { return stepTarget(field, false); }

QColor AraimentBase::restingColour(QWidget* field) const {
  const FieldInfo* s = entry_.infoOf(field);
  return s ? ValueEntry::restingColour(*s) : Colours::normal();
}
