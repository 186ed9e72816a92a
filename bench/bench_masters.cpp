// The user master over a full table: opening the screen until the list
// shows its first rows, a double-click load from the list, and a save with
// the list refreshed afterwards.
#include "benchmain.h"
#include "masters/u_master.h"
#include "support/fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

double median(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

double msSince(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

void fillUsers(DataDir& dir, int count) {
  dir.exec(QStringLiteral("BEGIN"));
  for (int c = 1; c <= count; ++c)
    dir.exec(QStringLiteral("INSERT INTO ユーザー VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
             {c, QStringLiteral("利用者　%1").arg(c), QStringLiteral("ﾘﾖｳｼｬ"), QStringLiteral("084-0905"),
              QStringLiteral("北海道釧路市鳥取南５丁目１－１"), QStringLiteral("コーポ鳥取２０１"),
              QStringLiteral("0154-12-3456"), QStringLiteral("090-1234-5678"), QStringLiteral("0154-12-3457"),
              QStringLiteral("user%1@example.jp").arg(c), QStringLiteral("備考")});
  dir.exec(QStringLiteral("COMMIT"));
}

}  // namespace

ASHIMEMO_BENCH(userMasterFullTable, "masters: U_Master with 9,999 users") {
  DataDir dir;
  fillUsers(dir, 9999);

  // Opening: construction (list bound, screen cleared), showing, and the
  // first paint of the list.
  std::vector<double> open;
  for (int i = 0; i < 15; ++i) {
    QElapsedTimer timer;
    timer.start();
    auto u = std::make_unique<U_Master>();
    u->show();
    QApplication::processEvents();
    u->list()->viewport()->repaint();
    open.push_back(msSince(timer));
    if (u->list()->model()->rowCount() == 0) qFatal("the list shows no rows");
  }
  bench::report(QStringLiteral("open U_Master until the list shows its first rows"), median(open), QStringLiteral("ms"));

  U_Master u;
  showAndActivate(&u);
  ListGrid* grid = u.list();
  std::vector<double> pick;
  for (int i = 0; i < 15; ++i) {
    const int row = 5 + i * 7;
    const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    pick.push_back(msSince(timer));
    if (u.codeField()->text() != QStringLiteral("%1").arg(row + 1, 4, 10, QLatin1Char(u'0')))
      qFatal("wrong row loaded: %s for row %d", qPrintable(u.codeField()->text()), row);
  }
  bench::report(QStringLiteral("double-click load from the list"), median(pick), QStringLiteral("ms"));

  std::vector<double> save;
  auto* saveButton = u.findChild<QPushButton*>(QStringLiteral("Save_Switch"));
  for (int i = 0; i < 9; ++i) {
    dir.messages.answer(true);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(saveButton, Qt::LeftButton);
    save.push_back(msSince(timer));
  }
  dir.messages.take();
  bench::report(QStringLiteral("overwrite one user and refresh the list"), median(save), QStringLiteral("ms"));
}
