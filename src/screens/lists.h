#pragma once
// Filling the user and coil-over drop-down lists, and matching their text.
#include <QString>

class QComboBox;

// Sets up a drop-down list of codes with an editable text (users, products).
// What the user types stays as typed: no inline completion (a typed "1"
// would become "10:..." in a list holding 01 and 10) and no new items; the
// screen's own matching rule decides on Enter and on leaving. The arrow
// keys, the popup and a click on an item still pick an item.
void setUpCodeList(QComboBox* list);

// Clears the list and fills it: "0000:なし" then one item per user.
void FillUserList(QComboBox* list);
// Clears the list and fills it: "00:なし" then one item per product.
void FillCoilOverList(QComboBox* list);

// The text of the first item whose first `width` characters, read as a
// number, equal the number at the start of `text`; the first item when none
// does or the text is blank.
QString matchListItem(const QComboBox* list, const QString& text, int width);
