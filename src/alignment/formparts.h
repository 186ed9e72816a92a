#pragma once
// The printed-form look shared by the two alignment screens: navy row
// captions in white bold letters, maroon column headings in white letters,
// sunken value labels, and buttons that never act as a dialog's default.
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace alignment {

QLabel* rowCaption(const QString& text, QWidget* parent);
QLabel* columnHeading(const QString& text, QWidget* parent);
// A label that shows a value (a code or a name) in a sunken white box.
QLabel* valueLabel(QWidget* parent);
// A small caption such as a unit ("mm", "度").
QLabel* plainCaption(const QString& text, QWidget* parent);
QPushButton* screenButton(const QString& name, const QString& caption, QWidget* parent);

// Width of a value field in pixels, enough for "-0.00" and six characters.
int valueFieldWidth(const QWidget* w);

}  // namespace alignment
