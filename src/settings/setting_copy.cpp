#include "settings/setting_copy.h"

#include "data/rules.h"

Setting_Copy::Setting_Copy(QWidget* parent, std::function<SettingRecord()> shown)
    : CopyDialog(parent, {QStringLiteral("セッティング 基本データ複写"), &SettingCodes,
                          QStringLiteral("SELECT * FROM セッティング WHERE コード="),
                          QStringLiteral("すでに登録されているコード番号のセッティングにＣＯＰＹはできません！"), QString(),
                          [shown](Recordset& rs) { writeSettingFields(rs, shown()); }}) {
  setObjectName(QStringLiteral("Setting_Copy"));
}
