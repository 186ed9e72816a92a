#pragma once
// Helpers for the list search: typing into a window's search field as a user
// does, and reading what its grid shows.
#include "screens/listgrid.h"
#include "support/fixture.h"

#include <QLineEdit>
#include <QStringList>
#include <QTest>

inline QLineEdit* searchField(QWidget* window) { return control<QLineEdit>(window, QStringLiteral("検索")); }

// Puts the focus into the search field and replaces its text by typing.
inline void searchFor(QWidget* window, const QString& text) {
  QLineEdit* field = searchField(window);
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  typeText(text);
}

// The texts the grid shows in one column, top to bottom.
inline QStringList shownColumn(QWidget* window, int column) {
  auto* grid = window->findChild<ListGrid*>();
  QStringList out;
  for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->data1()->cellText(r, column);
  return out;
}

inline int currentRow(QWidget* window) { return window->findChild<ListGrid*>()->currentIndex().row(); }
