#pragma once
// The look shared by the two master screens: framed caption cells before
// the fields, and field widths from the room a field offers.
class QLabel;
class QLineEdit;
class QString;
class QWidget;

// A caption cell: framed, lightly shaded, text centred, `width` pixels wide.
QLabel* captionLabel(const QString& text, QWidget* parent, int width);
// Styles an existing label (the code field's caption) the same way.
void styleCaption(QLabel* label, int width);
// A width that shows `halfWidthChars` single-byte characters of the field's font.
int fieldWidth(const QLineEdit* field, int halfWidthChars);
