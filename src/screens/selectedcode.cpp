#include "screens/selectedcode.h"

QString& SelectedCode() {
  static QString code;
  return code;
}
