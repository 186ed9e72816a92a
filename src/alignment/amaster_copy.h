#pragma once
// Stores what the base master screen shows, unsaved edits included, under a
// free code.
#include "screens/copydialog.h"

class AraimentBase;

class Amaster_Copy : public CopyDialog {
 public:
  explicit Amaster_Copy(AraimentBase* source);
};
