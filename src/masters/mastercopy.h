#pragma once
// The copy dialogs of the two master screens: they store what the screen
// shows under a new, free code.
#include "screens/copydialog.h"

class Smaster_Copy : public CopyDialog {
 public:
  // `writeFields` writes every field but コード from S_master's fields.
  Smaster_Copy(QWidget* parent, std::function<void(Recordset&)> writeFields);
};

class Umaster_Copy : public CopyDialog {
 public:
  // `writeFields` writes every field but コード from U_Master's fields.
  Umaster_Copy(QWidget* parent, std::function<void(Recordset&)> writeFields);
};
