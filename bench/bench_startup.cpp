// Start-up to the main window shown and idle, beside a bare Qt window; the
// code proposal and list filling on full tables; loading and saving a
// setting beside a bare prepared UPDATE with the same durability.
#include "app/mainwindow.h"
#include "benchmain.h"
#include "bigdata.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/rules.h"
#include "data/schema.h"
#include "screens/lists.h"
#include "screens/messages.h"
#include "settings/settingform.h"
#include "settings/settinglist.h"
#include "screens/listgrid.h"
#include <QScrollBar>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <vector>

namespace {

struct YesSeam : MessageSeam {
  bool show(const MessageRequest&) override { return true; }
};

void settle(QWidget* w) {
  w->show();
  (void)QTest::qWaitForWindowExposed(w);
  QApplication::processEvents();
}

struct BigDir {
  QTemporaryDir dir;
  QString old = QDir::currentPath();
  BigDir() {
    QDir::setCurrent(dir.path());
    makeBigDataFile(dir.filePath(kDataFileName));
  }
  ~BigDir() {
    CloseDataFile();
    QDir::setCurrent(old);
  }
};

}  // namespace

ASHIMEMO_BENCH(startup, "startup") {
  BigDir big;
  const QString self = QCoreApplication::applicationFilePath();
  const QString ashimemo = QCoreApplication::applicationDirPath() + QStringLiteral("/ashimemo");
  const QString log = QDir(big.dir.path()).filePath(QStringLiteral("bench.log"));
  auto bareReady = [](QProcess& p) {
    p.waitForReadyRead(1);
    return p.readAllStandardOutput().contains("idle") || p.state() == QProcess::NotRunning;
  };
  auto ourReady = [&log](QProcess& p) {
    QFile f(log);
    return (f.open(QIODevice::ReadOnly) && f.readAll().contains("main window idle")) || p.state() == QProcess::NotRunning;
  };
  std::vector<double> bare, ours;
  for (int i = 0; i < 15; ++i) {
    bare.push_back(bench::timeToIdle(self, {QStringLiteral("--bare-window")}, big.dir.path(), bareReady));
    ours.push_back(bench::timeToIdle(ashimemo, {}, big.dir.path(), ourReady));
  }
  std::sort(bare.begin(), bare.end());
  std::sort(ours.begin(), ours.end());
  const double b = bare[bare.size() / 2], o = ours[ours.size() / 2];
  bench::report(QStringLiteral("bare Qt program: start to one empty window idle"), b, QStringLiteral("ms"));
  bench::report(QStringLiteral("ashimemo: start to main window idle (9,999 settings/users)"), o, QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio ashimemo / bare"), o / b, QStringLiteral("x"));

  // Building the window in a running program, without process start.
  OpenDataFile();
  InitMonthDays();
  bench::report(QStringLiteral("main window built, cleared and shown (in process)"), bench::medianMs(9, [] {
                  Setting window;
                  window.startUp();
                  settle(&window);
                }),
                QStringLiteral("ms"));
  CloseDataFile();

  OpenDataFile();
  bench::report(QStringLiteral("NextSettingCode on 9,999 settings"), bench::medianMs(50, [] { NextSettingCode(); }),
                QStringLiteral("ms"));
  bench::report(QStringLiteral("NextUserCode on 9,999 users"), bench::medianMs(50, [] { NextUserCode(); }),
                QStringLiteral("ms"));
  bench::report(QStringLiteral("NextCoilOverCode on 99 products"), bench::medianMs(50, [] { NextCoilOverCode(); }),
                QStringLiteral("ms"));
  QComboBox list;
  list.setEditable(true);
  bench::report(QStringLiteral("FillUserList with 9,999 users"), bench::medianMs(15, [&] { FillUserList(&list); }),
                QStringLiteral("ms"));
  bench::report(QStringLiteral("FillCoilOverList with 99 products"),
                bench::medianMs(15, [&] { FillCoilOverList(&list); }), QStringLiteral("ms"));
}

ASHIMEMO_BENCH(settingLoadSave, "setting load and save") {
  BigDir big;
  OpenDataFile();
  InitMonthDays();
  YesSeam yes;
  Msg::setSeam(&yes);
  Setting window;
  window.startUp();
  settle(&window);
  SettingForm* form = window.form();
  QLineEdit* code = form->codeField();
  int n = 0;
  const double load = bench::medianMs(101, [&] {
    // Enter in the code field with another code each time, so that it loads.
    code->setFocus();
    code->setText(QString::number(5000 + (n++ % 50) * 7));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(code, &enter);
  });
  bench::report(QStringLiteral("load a setting by code (Enter, fields filled, capabilities applied)"), load,
                QStringLiteral("ms"));
  code->setText(QStringLiteral("5000"));
  form->Load_Setting();

  // The same row written by a bare prepared UPDATE with the same durability,
  // on a connection of its own. The two are timed in turns, so that both
  // meet the same disk.
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-bare"));
  db.setDatabaseName(Database::path());
  db.open();
  QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
  QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
  const QStringList cols = schema::table(schema::kSettings).columnNames();
  QStringList sets;
  for (const QString& c : cols) sets << u'"' + c + QStringLiteral("\"=?");
  std::vector<double> saves, bares;
  {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE セッティング SET %1 WHERE コード=?").arg(sets.join(u',')));
    const SettingRecord r = form->values();
    auto bare = [&] {
      db.transaction();
      int i = 0;
      q.bindValue(i++, 5000);
      q.bindValue(i++, r.name);
      q.bindValue(i++, r.year + r.month + r.day);
      q.bindValue(i++, 5000);
      q.bindValue(i++, 1);
      for (const auto& w : r.wheel)
        for (const QString& v : w) q.bindValue(i++, v);
      q.bindValue(i++, 5000);
      q.exec();
      db.commit();
    };
    for (int i = 0; i < 201; ++i) {
      saves.push_back(bench::medianMs(1, [&] { form->Save_Setting(); }));
      bares.push_back(bench::medianMs(1, bare));
    }
  }
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("bench-bare"));
  Msg::setSeam(nullptr);
  std::sort(saves.begin(), saves.end());
  std::sort(bares.begin(), bares.end());
  const double save = saves[saves.size() / 2], bare = bares[bares.size() / 2];
  bench::report(QStringLiteral("save a setting (overwrite, durable commit), median of 201"), save, QStringLiteral("ms"));
  bench::report(QStringLiteral("bare prepared UPDATE of the same row, durable, median of 201"), bare,
                QStringLiteral("ms"));
  bench::report(QStringLiteral("ratio save / bare update"), save / bare, QStringLiteral("x"));
}

ASHIMEMO_BENCH(settingList, "setting list") {
  BigDir big;
  OpenDataFile();
  const double open = bench::medianMs(21, [] {
    SettingList list;
    list.show();
    (void)QTest::qWaitForWindowExposed(&list);
    list.grid()->viewport()->repaint();
  });
  bench::report(QStringLiteral("open SettingList on 9,999 settings, first rows painted"), open, QStringLiteral("ms"));
  SettingList list;
  list.show();
  (void)QTest::qWaitForWindowExposed(&list);
  const double scroll = bench::medianMs(21, [&] {
    list.grid()->verticalScrollBar()->setValue(list.grid()->verticalScrollBar()->value() + 400);
    list.grid()->viewport()->repaint();
  });
  bench::report(QStringLiteral("scroll the setting list by 400 rows and repaint"), scroll, QStringLiteral("ms"));
}
