#pragma once
// Small helpers shared by the master screen tests.
#include "screens/listgrid.h"
#include "screens/recordscreen.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

inline QWidget* focused() { return QApplication::focusWidget(); }

inline QLineEdit* edit(QWidget* root, const QString& name) { return control<QLineEdit>(root, name); }

inline void click(QWidget* root, const QString& name) {
  QTest::mouseClick(control<QPushButton>(root, name), Qt::LeftButton);
}

// What the window manager does when a dialog over a window closes (the
// offscreen platform does not).
inline void reactivate(QWidget* window) {
  QApplication::setActiveWindow(window);
  QCoreApplication::processEvents();
}

inline QString listCell(RecordScreen& s, int row, int column) { return s.list()->data1()->cellText(row, column); }

// Selects the field's text and types `text` over it, as a user would.
inline void retype(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  if (text.isEmpty())
    QTest::keyClick(field, Qt::Key_Delete);
  else
    typeText(text);
}

inline QString stored(DataDir& dir, const QString& sql, const QString& field) {
  return dir.row(sql).value(field).toString();
}
