#include "screens/rowguard.h"

#include "data/datafile.h"
#include "data/numfmt.h"
#include "data/rules.h"
#include "screens/messages.h"

void RowGuard::loaded(qlonglong code, const Recordset& rs) {
  code_ = code;
  version_ = rs.version();
  fresh_ = false;
}

void RowGuard::fresh(qlonglong code) {
  code_ = code;
  version_ = QVariant();
  fresh_ = true;
}

void RowGuard::clear() {
  code_ = -1;
  version_ = QVariant();
  fresh_ = false;
}

QVariant RowGuard::expected(qlonglong code) const { return code == code_ && !fresh_ ? version_ : QVariant(); }

bool RowGuard::takenMeanwhile(qlonglong code, const Recordset& rs) const {
  return fresh_ && code == code_ && !rs.noRow() && !rs.version().isNull();
}

bool RowGuard::goneMeanwhile(qlonglong code, const Recordset& rs) const {
  return !fresh_ && code == code_ && !version_.isNull() && rs.noRow();
}

QString RowGuard::changedText() { return QStringLiteral("このデータは他のパソコンで変更されています。上書きしますか？"); }

QString RowGuard::deletedText() {
  return QStringLiteral("このデータは他のパソコンで削除されています。もう一度登録しますか？");
}

int RowGuard::save(QWidget* parent, const QString& caption, Recordset& rs, qlonglong code, const CodeKind& codes,
                   const std::function<void(const QString&)>& showCode) {
  const QString pattern = codePattern(codes);
  for (;;) {
    switch (rs.saveChecked()) {
      case Recordset::Outcome::Written:
        code_ = code;
        version_ = rs.writtenVersion();
        fresh_ = false;
        return 1;
      case Recordset::Outcome::Changed:
        if (!Msg::confirm(parent, caption, changedText())) return 0;
        rs.dropCheck();
        break;
      case Recordset::Outcome::Deleted:
        if (!Msg::confirm(parent, caption, deletedText())) return 0;
        rs.addAgain();
        break;
      case Recordset::Outcome::CodeTaken: {
        // The screen keeps everything typed; only the code moves on, and
        // only when the user says so.
        const QString next = NextCode(codes);
        const QString taken = numfmt::format(double(code), pattern);
        if (next == noCodeMarker(codes)) {
          Msg::refuse(parent, caption,
                      QStringLiteral("コード[%1]は他のパソコンで登録されたため、登録できませんでした。"
                                     "これ以上登録できません。空きコードを利用するか、データを削除してください！")
                          .arg(taken));
          return 0;
        }
        if (!Msg::confirm(parent, caption,
                          QStringLiteral("コード[%1]は他のパソコンで登録されました。空いているコード[%2]で登録しますか？")
                              .arg(taken, next)))
          return 0;
        code = numfmt::codeValue(next);
        rs.setField(QStringLiteral("コード"), code);
        if (showCode) showCode(next);
        break;
      }
    }
  }
}

int RowGuard::remove(QWidget* parent, const QString& caption, Recordset& rs, qlonglong code) {
  QVariant expectedVersion = expected(code);
  for (;;) {
    switch (rs.deleteChecked(expectedVersion)) {
      case Recordset::Outcome::Changed:
        if (!Msg::confirm(parent, caption, changedText())) return 0;
        expectedVersion = QVariant();
        break;
      case Recordset::Outcome::Written:
      case Recordset::Outcome::Deleted:
      case Recordset::Outcome::CodeTaken: clear(); return 1;
    }
  }
}
