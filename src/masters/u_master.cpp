#include "masters/u_master.h"

#include "data/database.h"
#include "data/schema.h"
#include "masters/mastercopy.h"
#include "masters/masterlook.h"
#include "screens/fields.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

struct FieldSpec {
  const char* name;   // control name; 住所 is an array
  int index;          // array index, -1 for a single control
  const char* label;
  int maxChars;       // a character maximum, 0 for none
  int focusBudget;    // byte budget on receiving focus, 0 for none
  int changeBudget;   // byte budget after each change
  bool inputMethod;   // Japanese input allowed
  int shown;          // width in single-byte characters
};

// In the order of the table's columns after コード.
constexpr FieldSpec kFields[] = {
    {"名前", -1, "名 前", 0, 24, 24, true, 24},
    {"フリガナ", -1, "ﾌﾘｶﾞﾅ", 0, 24, 24, true, 24},
    {"郵便番号", -1, "郵便番号", 8, 0, 0, false, 9},
    {"住所", 0, "住所１", 0, 60, 30, true, 60},
    {"住所", 1, "住所２", 0, 60, 30, true, 60},
    {"電話番号", -1, "電話番号", 14, 0, 0, false, 15},
    {"携帯番号", -1, "携帯番号", 14, 0, 0, true, 15},
    {"FAX番号", -1, "FAX番号", 14, 0, 0, false, 15},
    {"メールアドレス", -1, "ﾒｰﾙｱﾄﾞﾚｽ", 128, 0, 0, true, 60},
    {"備考", -1, "備　　考", 0, 60, 30, true, 60},
};

RecordScreenConfig settings() {
  RecordScreenConfig c;
  c.caption = QStringLiteral("ユーザーの登録");
  c.codes = &UserCodes;
  c.recordWord = QStringLiteral("ユーザー");
  c.selectSql = QStringLiteral("SELECT * FROM ユーザー WHERE コード=");
  c.listSql = QStringLiteral("SELECT ユーザー.コード, ユーザー.名前 From ユーザー ") +
              QStringLiteral("ORDER BY ユーザー.コード");
  c.columns = {{QStringLiteral("ｺｰﾄﾞ"), QStringLiteral("コード"), QStringLiteral("0000")},
               {QStringLiteral("名前"), QStringLiteral("名前"), QString()}};
  // The search finds a user by any of the data a customer gives on the phone.
  for (const char* f : {"フリガナ", "郵便番号", "住所1", "住所2", "電話番号", "携帯番号", "FAX番号", "メールアドレス"})
    c.searchFields << QStringLiteral("ユーザー.") + QString::fromUtf8(f);
  // Leaving the code field formats it and loads a changed code, but a blank
  // code stays "0000": no code is proposed.
  c.proposeCodeOnLeave = false;
  return c;
}

// The stored columns after コード, in the order of kFields.
QStringList textColumns() {
  QStringList cols = schema::table(schema::kUsers).columnNames();
  cols.removeFirst();
  return cols;
}

}  // namespace

U_Master::U_Master(QWidget* parent) : RecordScreen(parent, settings()) {
  const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("ﾒｰﾙｱﾄﾞﾚｽ")) + 24;
  styleCaption(codeLabel(), captionWidth);

  auto* form = new QGridLayout;
  form->setHorizontalSpacing(8);
  form->setVerticalSpacing(6);
  int row = 0;
  for (const FieldSpec& def : kFields) {
    auto* field = new QLineEdit(this);
    const QString name = QString::fromUtf8(def.name);
    nameControl(field, def.index < 0 ? name : arrayName(name, def.index));
    // A character limit that refuses typing only: a maximum length would
    // cut a longer stored value when it is shown, and the next save would
    // store it cut.
    if (def.maxChars > 0) attachByteBudget(field, def.maxChars, def.maxChars);
    if (def.focusBudget > 0) attachByteBudget(field, def.focusBudget, def.changeBudget);
    field->setAttribute(Qt::WA_InputMethodEnabled, def.inputMethod);
    field->setFixedWidth(fieldWidth(field, def.shown));
    auto* label = captionLabel(QString::fromUtf8(def.label), this, captionWidth);
    label->setBuddy(field);
    form->addWidget(label, row, 0);
    form->addWidget(field, row, 1, Qt::AlignLeft);
    ++row;
    fields_ << field;
  }
  form->setColumnStretch(2, 1);
  bodyLayout()->addSpacing(4);
  bodyLayout()->addLayout(form);

  setChain({fields_.begin(), fields_.end()});
  finishSetUp();
}

void U_Master::clearFields() {
  for (QLineEdit* f : fields_) f->clear();
}

void U_Master::showRecord(const Recordset& rs) {
  const QStringList cols = textColumns();
  for (int i = 0; i < fields_.size(); ++i) fields_[i]->setText(rs.text(cols[i]).trimmed());
}

void U_Master::writeFields(Recordset& rs) const {
  const QStringList cols = textColumns();
  for (int i = 0; i < fields_.size(); ++i) rs.setField(cols[i], storedText(fields_[i]));
}

void U_Master::openCopyDialog() {
  Umaster_Copy dialog(this, [this](Recordset& rs) { writeFields(rs); });
  dialog.exec();
}
