#include "masters/masterlook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

QLabel* captionLabel(const QString& text, QWidget* parent, int width) {
  auto* label = new QLabel(text, parent);
  styleCaption(label, width);
  return label;
}

void styleCaption(QLabel* label, int width) {
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Raised);
  label->setAlignment(Qt::AlignCenter);
  label->setAutoFillBackground(true);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, QColor(224, 232, 244));
  label->setPalette(p);
  label->setFixedWidth(width);
  label->setMinimumHeight(label->fontMetrics().height() + 10);
}

int fieldWidth(const QLineEdit* field, int halfWidthChars) {
  // Full-width characters are about twice as wide as the digits.
  return field->fontMetrics().horizontalAdvance(QString(halfWidthChars, u'0')) + 16;
}
