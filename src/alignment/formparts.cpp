#include "alignment/formparts.h"

#include "screens/fields.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace alignment {

static QLabel* colouredLabel(const QString& text, QWidget* parent, const QColor& back, bool bold) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(Qt::AlignCenter);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, back);
  p.setColor(QPalette::WindowText, Qt::white);
  l->setPalette(p);
  if (bold) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
  }
  l->setMargin(2);
  return l;
}

QLabel* rowCaption(const QString& text, QWidget* parent) {
  return colouredLabel(text, parent, QColor(0, 0, 128), true);
}

QLabel* columnHeading(const QString& text, QWidget* parent) {
  return colouredLabel(text, parent, QColor(128, 0, 0), false);
}

QLabel* valueLabel(QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, Colours::normal());
  l->setPalette(p);
  l->setMargin(2);
  return l;
}

QLabel* plainCaption(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return l;
}

QPushButton* screenButton(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setAutoDefault(false);
  b->setDefault(false);
  nameControl(b, name);
  return b;
}

int valueFieldWidth(const QWidget* w) {
  return QFontMetrics(w->font()).horizontalAdvance(QStringLiteral("-000.00")) + 16;
}

}  // namespace alignment
