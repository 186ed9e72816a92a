#include "screens/copydialog.h"

#include "data/database.h"
#include "data/numfmt.h"
#include "data/rules.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/messages.h"
#include "screens/rowguard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CopyDialog::CopyDialog(QWidget* parent, CopyDialogConfig config)
    : ScreenDialog(parent), config_(std::move(config)), events_(new FieldEvents(this, this)) {
  setWindowTitle(config_.caption);

  code_ = new QLineEdit(this);
  nameControl(code_, QStringLiteral("コード"));
  setNumericInput(code_);
  // The program never writes this field, so a maximum length is safe here.
  code_->setMaxLength(config_.codes->width);
  code_->setFixedWidth(code_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);

  auto* label3 = new QLabel(QStringLiteral("コピー先のコード番号"), this);
  nameControl(label3, QStringLiteral("Label3"));
  label3->setBuddy(code_);
  auto* label1 = new QLabel(
      QStringLiteral("※ 存在しているデータへの上書きはできません。空き番号にのみ複写できます。"), this);
  nameControl(label1, QStringLiteral("Label1"));
  label1->setWordWrap(true);

  copySwitch_ = new QPushButton(QStringLiteral("コピー開始"), this);
  nameControl(copySwitch_, QStringLiteral("CopySwitch"));
  exitSwitch_ = new QPushButton(QStringLiteral("キャンセル"), this);
  nameControl(exitSwitch_, QStringLiteral("ExitSwitch"));
  for (QPushButton* b : {copySwitch_, exitSwitch_}) {
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumSize(104, 32);
  }
  connect(copySwitch_, &QPushButton::clicked, this, [this] { copy(); });
  connect(exitSwitch_, &QPushButton::clicked, this, &QDialog::reject);

  auto* root = new QVBoxLayout(this);
  root->setSizeConstraint(QLayout::SetFixedSize);
  root->setContentsMargins(16, 14, 16, 14);
  root->setSpacing(10);
  if (!config_.whatIsCopied.isEmpty()) {
    auto* label2 = new QLabel(config_.whatIsCopied, this);
    nameControl(label2, QStringLiteral("Label2"));
    root->addWidget(label2);
  }
  auto* line = new QHBoxLayout;
  line->setSpacing(8);
  line->addWidget(label3);
  line->addWidget(code_);
  line->addStretch(1);
  root->addLayout(line);
  label1->setFixedWidth(label1->fontMetrics().horizontalAdvance(label1->text()) + 4);
  root->addWidget(label1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(copySwitch_);
  buttons->addWidget(exitSwitch_);
  root->addLayout(buttons);

  events_->addField(code_);
  events_->watchWindow();
  setTabOrder(code_, copySwitch_);
  setTabOrder(copySwitch_, exitSwitch_);
  code_->setFocus(Qt::OtherFocusReason);
}

qint64 CopyDialog::targetCode() const { return numfmt::codeValue(code_->text()); }

int CopyDialog::copy() {
  const auto keepOpen = [this] {
    code_->setFocus(Qt::OtherFocusReason);
    code_->selectAll();
    return 0;
  };
  try {
    const qint64 target = targetCode();
    Recordset rs(config_.selectSql + QString::number(target), Recordset::Updatable);
    if (!rs.noRow()) {
      rs.close();
      Msg::refuse(this, config_.caption, config_.refusal);
      return keepOpen();
    }
    rs.addNew();
    rs.setField(QStringLiteral("コード"), target);
    if (config_.writeFields) config_.writeFields(rs);
    // Free when checked; another PC may still register it before the write.
    RowGuard guard;
    guard.fresh(target);
    const int copied = guard.save(this, config_.caption, rs, target, *config_.codes,
                                  [this](const QString& next) { code_->setText(next); });
    rs.close();
    if (!copied) return keepOpen();
  } catch (const DbError& e) {
    Msg::dbError(this, config_.caption, e);
    return 0;
  }
  accept();
  return 1;
}

void CopyDialog::ChkFunctionKey(int) {}

void CopyDialog::fieldFocusIn(QWidget* field) { HighlightField(field); }
void CopyDialog::fieldFocusOut(QWidget* field) { UnhighlightField(field); }

