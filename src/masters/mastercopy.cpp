#include "masters/mastercopy.h"

#include "data/rules.h"

namespace {
CopyDialogConfig coilOverCopy(std::function<void(Recordset&)> write) {
  CopyDialogConfig c;
  c.caption = QStringLiteral("車高調節型ショックアブソーバ 基本データ複写");
  c.codes = &CoilOverCodes;
  c.selectSql = QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=");
  c.refusal = QStringLiteral("すでに登録されているコード番号の車高調データにＣＯＰＹはできません！");
  c.whatIsCopied = QStringLiteral("画面の車高調データを指定番号にコピーします");
  c.writeFields = std::move(write);
  return c;
}

CopyDialogConfig userCopy(std::function<void(Recordset&)> write) {
  CopyDialogConfig c;
  c.caption = QStringLiteral("ユーザー 基本データ複写");
  c.codes = &UserCodes;
  c.selectSql = QStringLiteral("SELECT * FROM ユーザー WHERE コード=");
  c.refusal = QStringLiteral("すでに登録されているコード番号のユーザーにＣＯＰＹはできません！");
  c.whatIsCopied = QStringLiteral("画面のユーザーを指定番号にコピーします");
  c.writeFields = std::move(write);
  return c;
}
}  // namespace

Smaster_Copy::Smaster_Copy(QWidget* parent, std::function<void(Recordset&)> writeFields)
    : CopyDialog(parent, coilOverCopy(std::move(writeFields))) {}

Umaster_Copy::Umaster_Copy(QWidget* parent, std::function<void(Recordset&)> writeFields)
    : CopyDialog(parent, userCopy(std::move(writeFields))) {}
