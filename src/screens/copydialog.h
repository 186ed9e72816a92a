#pragma once
// The small dialog that stores what a record screen shows under a new, free
// code: a code field, "コピー開始" and "キャンセル". A code already in use is
// refused and the dialog stays open for another one; otherwise a new row is
// added with コード = the typed number and every other field written by the
// calling screen from the fields it shows, unsaved edits included. When
// another PC registers the code between the check and the write, the copy
// never writes over it: the next free code is offered (RowGuard).
#include "screens/fieldevents.h"
#include "screens/screendialog.h"

#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;
struct CodeKind;

struct CopyDialogConfig {
  QString caption;        // window caption, title of the refusal
  const CodeKind* codes = nullptr;  // the codes copied to: width of the field, next free code
  QString selectSql;      // "SELECT * FROM ユーザー WHERE コード=" (the number follows)
  QString refusal;        // shown when the code is in use
  QString whatIsCopied;   // Label2; "" for none
  // Writes every field but コード into the new row, from the calling screen.
  std::function<void(Recordset&)> writeFields;
};

class CopyDialog : public ScreenDialog, public FieldHandler {
 public:
  CopyDialog(QWidget* parent, CopyDialogConfig config);

  const CopyDialogConfig& config() const { return config_; }
  QLineEdit* codeField() const { return code_; }
  // The number the code field holds (blank or non-numeric gives 0).
  qint64 targetCode() const;

  // CopySwitch: 1 when the copy was stored (the dialog then closes).
  int copy();

  void ChkFunctionKey(int keyCode) override;

 protected:
  void fieldFocusIn(QWidget* field) override;
  void fieldFocusOut(QWidget* field) override;

 private:
  CopyDialogConfig config_;
  FieldEvents* events_;
  QLineEdit* code_;
  QPushButton* copySwitch_;
  QPushButton* exitSwitch_;
};
