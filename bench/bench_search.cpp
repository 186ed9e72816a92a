// The list search over the largest data file (9,999 settings, 9,999 users):
// opening the setting list against a bare list window on the same rows,
// reading the rows to search, and a keystroke in the search field until the
// narrowed grid is painted, against a keystroke into a field that narrows
// nothing with the same grid repainted.
#include "benchmain.h"
#include "bigdata.h"
#include "masters/u_master.h"
#include "screens/listgrid.h"
#include "screens/listsearch.h"
#include "settings/settinglist.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <vector>

namespace {

// One keystroke into `field` until `grid` is painted again, in ms.
double keystroke(QLineEdit* field, QChar c, QTableView* grid) {
  return bench::timedMs([&] {
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    grid->viewport()->repaint();
  });
}

// Types `text` into `field` from empty, 15 times: the median of each
// keystroke's time, over all keystrokes, and the median of each run's slowest.
std::pair<double, double> typing(QLineEdit* field, const QString& text, QTableView* grid) {
  std::vector<double> each, slowest;
  for (int run = 0; run < 15; ++run) {
    field->clear();
    QApplication::processEvents();
    double worst = 0;
    for (QChar c : text) {
      const double t = keystroke(field, c, grid);
      each.push_back(t);
      worst = std::max(worst, t);
    }
    slowest.push_back(worst);
  }
  field->clear();
  return {bench::median(each), bench::median(slowest)};
}

void reportTyping(const QString& what, QLineEdit* field, QLineEdit* floorField, QTableView* grid,
                  const QString& text) {
  const auto [each, worst] = typing(field, text, grid);
  const auto [floorEach, floorWorst] = typing(floorField, text, grid);
  bench::report(QStringLiteral("%1, \"%2\": per keystroke").arg(what, text), each, QStringLiteral("ms"));
  bench::report(QStringLiteral("%1, \"%2\": slowest keystroke").arg(what, text), worst, QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor: the same keys, nothing narrowed"), floorEach, QStringLiteral("ms"));
  (void)floorWorst;
}

// A field beside the window that narrows nothing: the floor of delivering a
// key and repainting the grid.
struct FloorField {
  QLineEdit field;
  FloorField() { bench::showPainted(&field); }
};

}  // namespace

ASHIMEMO_BENCH(searchSettingList, "search: setting list on 9,999 settings") {
  BigDataFolder big;
  // Floor: a list window with the grid alone on the same rows (the setting
  // list before it had a search field).
  const double bare = bench::medianMs(21, bench::bareSettingGrid);
  // Until the first rows are painted; closing (which waits for the rows
  // still being read in the background) is not counted.
  const double open = bench::medianOpenedMs(21, bench::openSettingList);
  bench::report(QStringLiteral("open SettingList, first rows painted"), open, QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor: a window with the grid alone on the same rows"), bare, QStringLiteral("ms"));

  // The first keystroke right after the window is painted: it may have to
  // wait for the rows still being read in the background.
  const double first = bench::medianMs(11, [] {
    SettingList list;
    bench::showPainted(&list, list.grid()->viewport());
    keystroke(list.search()->field(), u'7', list.grid());
  });
  bench::report(QStringLiteral("open SettingList, painted, then one keystroke at once"), first, QStringLiteral("ms"));

  SettingList list;
  bench::showPainted(&list);
  const double read = bench::medianMs(11, [&] {
    list.grid()->data1()->refresh();
    list.grid()->data1()->readSearchRows();
  });
  const double page = bench::medianMs(11, [&] { list.grid()->data1()->refresh(); });
  bench::report(QStringLiteral("read the 9,999 rows to search (a worker thread does it after opening)"), read - page,
                QStringLiteral("ms"));
  list.grid()->data1()->readSearchRows();

  FloorField floor;
  QApplication::setActiveWindow(&list);
  QLineEdit* field = list.search()->field();
  reportTyping(QStringLiteral("setting list"), field, &floor.field, list.grid(), QStringLiteral("7"));
  reportTyping(QStringLiteral("setting list"), field, &floor.field, list.grid(), QStringLiteral("09/15"));
  reportTyping(QStringLiteral("setting list"), field, &floor.field, list.grid(), QStringLiteral("ｾｯﾃｨﾝ"));
  reportTyping(QStringLiteral("setting list"), field, &floor.field, list.grid(), QStringLiteral("2026/5/12"));
  reportTyping(QStringLiteral("setting list"), field, &floor.field, list.grid(), QStringLiteral("おきゃくさま1"));
}

ASHIMEMO_BENCH(searchUserMaster, "search: U_Master on 9,999 users") {
  BigDataFolder big;
  U_Master u;
  bench::showPainted(&u);
  u.list()->data1()->readSearchRows();
  FloorField floor;
  QLineEdit* field = u.search()->field();
  reportTyping(QStringLiteral("user master"), field, &floor.field, u.list(), QStringLiteral("8"));
  reportTyping(QStringLiteral("user master"), field, &floor.field, u.list(), QStringLiteral("鳥取南５丁"));
  reportTyping(QStringLiteral("user master"), field, &floor.field, u.list(), QStringLiteral("01541"));
  reportTyping(QStringLiteral("user master"), field, &floor.field, u.list(), QStringLiteral("0154-1234"));
}
