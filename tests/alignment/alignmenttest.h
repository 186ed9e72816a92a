#pragma once
// Helpers shared by the alignment tests: the standard-value fields in the
// order the form lists them, stored masters, and small user actions.
#include "data/schema.h"
#include "support/fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>

namespace at {

// The 26 standard boxes in form order, written out independently of the
// program's own tables.
inline QStringList standardBoxes() {
  QStringList n;
  for (const char* q : {"トータルトウ", "個別トウ", "キャンバー", "キャスター"}) {
    const QString s = QString::fromUtf8(q);
    n << s + u'F' << s + QStringLiteral("範囲F(0)") << s + QStringLiteral("範囲F(1)");
  }
  n << QStringLiteral("SAI") << QStringLiteral("インクルード角F") << QStringLiteral("インクルード角範囲F(0)")
    << QStringLiteral("インクルード角範囲F(1)");
  for (const char* q : {"トータルトウ", "個別トウ", "キャンバー"}) {
    const QString s = QString::fromUtf8(q);
    n << s + u'R' << s + QStringLiteral("範囲R(0)") << s + QStringLiteral("範囲R(1)");
  }
  n << QStringLiteral("スラスト角");
  return n;
}

// The stored columns of those boxes, in the same order.
inline QStringList standardColumns() {
  QStringList c;
  for (const QString& box : standardBoxes()) {
    QString col = box;
    if (box.endsWith(QStringLiteral("(0)")) || box.endsWith(QStringLiteral("(1)"))) {
      const QChar axle = box.at(box.size() - 4);
      const QString q = box.left(box.indexOf(QStringLiteral("範囲")));
      col = q + (box.endsWith(QStringLiteral("(0)")) ? QStringLiteral("st_") : QStringLiteral("et_")) + axle;
    }
    c << col;
  }
  return c;
}

// Stores a master whose 26 values are `values` (form order).
inline void insertMaster(DataDir& d, int code, const QString& name, const QStringList& values) {
  QStringList cols{QStringLiteral("コード"), QStringLiteral("登録名")};
  cols << standardColumns();
  QStringList marks;
  for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
  QVariantList v{code, name};
  for (const QString& s : values) v << s;
  d.exec(QStringLiteral("INSERT INTO アライメントマスタ (%1) VALUES (%2)").arg(cols.join(u','), marks.join(u',')), v);
}

// 26 distinct values for a master, e.g. "7.01" ... "7.26".
inline QStringList masterValues(int code) {
  QStringList v;
  for (int i = 1; i <= 26; ++i) v << QStringLiteral("%1.%2").arg(code).arg(i, 2, 10, QLatin1Char('0'));
  return v;
}

inline QString focused() {
  QWidget* w = QApplication::focusWidget();
  return w ? w->objectName() : QStringLiteral("(none)");
}

inline QLineEdit* edit(QWidget* root, const QString& name) { return control<QLineEdit>(root, name); }

// Clicks into a field (or a button) as the user would.
inline void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(w->width() - 4, w->height() / 2)); }

// Types digits, '.' and '-' on the numeric keypad.
inline void typeKeypad(const QString& text) {
  for (QChar c : text) {
    if (c.isDigit()) press(Qt::Key_0 + (c.unicode() - '0'), Qt::KeypadModifier);
    else if (c == u'.') press(Qt::Key_Period, Qt::KeypadModifier);
    else if (c == u'-') press(Qt::Key_Minus, Qt::KeypadModifier);
  }
}

inline QString arr(const char* name, int i) { return QString::fromUtf8(name) + u'(' + QString::number(i) + u')'; }

}  // namespace at
