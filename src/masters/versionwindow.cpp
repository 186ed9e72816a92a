#include "masters/versionwindow.h"

#include "data/database.h"
#include "screens/fields.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString VersionWindow::readVersionLine() {
  const QString damaged = QStringLiteral("データファイルに異常があります！！");
  try {
    Recordset rs(QStringLiteral("SELECT * FROM バージョン情報"));
    QString line = rs.noRow() ? damaged : QStringLiteral("Version ") + rs.text(QStringLiteral("バージョン")).trimmed();
    rs.close();
    return line;
  } catch (const DbError&) {
    // A missing table or field says the same as an empty table: this is
    // not a proper data file.
    return damaged;
  }
}

VersionWindow::VersionWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("バージョン情報"));

  auto* program = new QLabel(QStringLiteral("Ashimemo"), this);
  nameControl(program, QStringLiteral("Label1"));
  QFont big = program->font();
  big.setPointSizeF(big.pointSizeF() * 1.8);
  big.setBold(true);
  program->setFont(big);
  auto* purpose = new QLabel(QStringLiteral("車高調セッティング記録システム"), this);
  nameControl(purpose, QStringLiteral("Label2"));
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  nameControl(line, QStringLiteral("Line1"));
  version_ = new QLabel(readVersionLine(), this);
  nameControl(version_, QStringLiteral("バージョン"));
  version_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  ok_ = new QPushButton(QStringLiteral("&OK"), this);
  nameControl(ok_, QStringLiteral("Command1"));
  ok_->setDefault(true);
  ok_->setMinimumSize(96, 30);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  auto* root = new QVBoxLayout(this);
  root->setSizeConstraint(QLayout::SetFixedSize);
  root->setContentsMargins(24, 20, 24, 16);
  root->setSpacing(8);
  root->addWidget(program);
  root->addWidget(purpose);
  root->addSpacing(6);
  root->addWidget(line);
  root->addSpacing(2);
  root->addWidget(version_);
  root->addSpacing(10);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  root->addLayout(buttons);
  setMinimumWidth(360);
  ok_->setFocus();
}

QString VersionWindow::versionLine() const { return version_->text(); }
