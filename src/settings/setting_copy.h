#pragma once
// Stores what the main window shows (header and all four wheels, unsaved
// edits included) as a new setting under a free code. The alignment record
// of the source setting is not copied.
#include "data/records.h"
#include "screens/copydialog.h"

#include <functional>

class Setting_Copy : public CopyDialog {
 public:
  Setting_Copy(QWidget* parent, std::function<SettingRecord()> shown);
};
