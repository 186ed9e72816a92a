#include "alignment/amaster_copy.h"

#include "alignment/alignmentrows.h"
#include "alignment/araimentbase.h"
#include "data/rules.h"

namespace {
CopyDialogConfig copyConfig(AraimentBase* source) {
  CopyDialogConfig c;
  c.caption = QStringLiteral("アライメント 基本データ複写");
  c.codes = &AlignmentBaseCodes;
  c.selectSql = alignment::kSelectBase;
  c.refusal = QStringLiteral("すでに登録されているコード番号のアライメントマスタにＣＯＰＹはできません！");
  c.writeFields = [source](Recordset& rs) { source->writeFields(rs); };
  return c;
}
}  // namespace

Amaster_Copy::Amaster_Copy(AraimentBase* source) : CopyDialog(source, copyConfig(source)) {
  setObjectName(QStringLiteral("Amaster_Copy"));
}
