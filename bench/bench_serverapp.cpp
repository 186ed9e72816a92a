// The program on a PostgreSQL server, on a private local server started as
// the tests start theirs, holding the largest data file's records: loading
// and saving a setting beside a bare QPSQL SELECT / UPDATE of the same row
// on the same connection; the setting list opened and searched; start-up to
// the idle main window beside the same start on the data file.
#include "app/mainwindow.h"
#include "benchmain.h"
#include "bigdata.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/rules.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/tablechanges.h"
#include "screens/listgrid.h"
#include "screens/listsearch.h"
#include "screens/messages.h"
#include "settings/settingform.h"
#include "settings/settinglist.h"
#include "support/pgserver.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct YesSeam : MessageSeam {
  bool show(const MessageRequest&) override { return true; }
};

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// The largest data file in a folder, and its records in a server database
// (through ashimemo-mkdata --to-server).
struct ServerRecords {
  QTemporaryDir fileDir, serverDir;
  QString url;
  bool ok = false;
  ServerRecords() {
    PgServer& server = PgServer::instance();
    if (!server.available()) {
      std::printf("server: skipped (%s)\n", qPrintable(server.why()));
      return;
    }
    const QString data = fileDir.filePath(kDataFileName);
    makeBigDataFile(data);
    url = server.url(server.newDatabase());
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ashimemo-mkdata"),
            {QStringLiteral("--to-server"), data, url});
    if (!p.waitForFinished(300000) || p.exitCode() != 0) qFatal("--to-server failed: %s", p.readAllStandardError().constData());
    QFile ini(serverDir.filePath(QStringLiteral("Ashimemo.ini")));
    if (!ini.open(QIODevice::WriteOnly)) qFatal("cannot write Ashimemo.ini");
    ini.write("[server]\nurl=" + url.toUtf8() + "\n");
    ok = true;
  }
  // Makes the server's working folder current with the records open, as
  // the program starts there; returns the folder that was current.
  QString enter() {
    const QString old = QDir::currentPath();
    QDir::setCurrent(serverDir.path());
    open();
    InitMonthDays();
    return old;
  }
  void open() {
    ServerUrl u;
    parseServerUrl(url, &u);
    QString detail;
    if (Database::openServer(u, {}, &detail) != ServerOpen::Opened) qFatal("server: %s", qPrintable(detail));
  }
};

}  // namespace

ASHIMEMO_BENCH(serverRecords, "server records") {
  ServerRecords records;
  if (!records.ok) return;
  const QString old = records.enter();
  YesSeam yes;
  Msg::setSeam(&yes);
  {
    QSqlDatabase db = Database::connection();
    const QStringList cols = schema::table(schema::kSettings).columnNames();
    // Load: the record routine's reading of one row against a bare QPSQL
    // SELECT of the same row read whole, in turns, on the same connection.
    std::vector<double> loads, bareLoads;
    QSqlQuery select(db);
    for (int i = 0; i < 301; ++i) {
      const QString sql = QStringLiteral("SELECT * FROM セッティング WHERE コード=%1").arg(3000 + i * 7);
      loads.push_back(bench::timedMs([&] {
        Recordset rs(sql);
        for (const QString& c : cols) (void)rs.field(c);
      }));
      bareLoads.push_back(bench::timedMs([&] {
        select.exec(sql);
        while (select.next())
          for (int c = 0; c < cols.size(); ++c) (void)select.value(c);
      }));
    }
    const double load = bench::median(loads), bareLoad = bench::median(bareLoads);
    bench::report(QStringLiteral("server: read a setting by code (Recordset), median of 301"), load, QStringLiteral("ms"));
    bench::report(QStringLiteral("  floor: bare QPSQL SELECT of the same row"), bareLoad, QStringLiteral("ms"));
    bench::report(QStringLiteral("  ratio (at most 2)"), load / bareLoad, QStringLiteral("x"));

    // The whole screen: Enter in the code field until the fields are filled.
    Setting window;
    window.startUp();
    bench::showPainted(&window);
    SettingForm* form = window.form();
    QLineEdit* code = form->codeField();
    int n = 0;
    bench::report(QStringLiteral("server: load a setting by code in the window (Enter, fields filled)"),
                  bench::medianMs(101,
                                  [&] {
                                    code->setFocus();
                                    code->setText(QString::number(5000 + (n++ % 50) * 7));
                                    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                                    QApplication::sendEvent(code, &enter);
                                  }),
                  QStringLiteral("ms"));
    code->setText(QStringLiteral("5000"));
    form->Load_Setting();

    // Save: the screen's save (its reading, then one transaction) against a
    // bare prepared UPDATE of the same row in a transaction of its own.
    QStringList sets;
    for (const QString& c : cols) sets << u'"' + c + QStringLiteral("\"=?");
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE \"セッティング\" SET %1 WHERE \"コード\"=?").arg(sets.join(u',')));
    const SettingRecord r = form->values();
    std::vector<double> saves, bares;
    for (int i = 0; i < 201; ++i) {
      saves.push_back(bench::timedMs([&] { form->Save_Setting(); }));
      bares.push_back(bench::timedMs([&] {
        db.transaction();
        int k = 0;
        update.bindValue(k++, 5000);
        update.bindValue(k++, r.name);
        update.bindValue(k++, r.year + r.month + r.day);
        update.bindValue(k++, 5000);
        update.bindValue(k++, 1);
        for (const auto& w : r.wheel)
          for (const QString& v : w) update.bindValue(k++, v);
        update.bindValue(k++, 5000);
        if (!update.exec()) qFatal("bare update failed");
        db.commit();
      }));
      // The bare UPDATE is a change the screen has not read: read the row
      // again (untimed), or the next save would ask whether to write over it.
      form->Load_Setting();
    }
    const double save = bench::median(saves), bare = bench::median(bares);
    bench::report(QStringLiteral("server: save a setting (overwrite), median of 201"), save, QStringLiteral("ms"));
    bench::report(QStringLiteral("  floor: bare QPSQL UPDATE of the same row in a transaction"), bare, QStringLiteral("ms"));
    bench::report(QStringLiteral("  ratio (at most 2)"), save / bare, QStringLiteral("x"));

    // The conflict check: the same row read and written by a record set, in
    // turns, once with the row-version check (UPDATE ... AND xmin = ?,
    // RETURNING the new version) and once without it.
    const QString one = QStringLiteral("SELECT * FROM セッティング WHERE コード=5001");
    std::vector<double> checked, unchecked;
    for (int i = 0; i < 301; ++i) {
      checked.push_back(bench::timedMs([&] {
        Recordset rs(one, Recordset::Updatable);
        rs.edit(rs.version());
        rs.setField(QStringLiteral("セッティング名称"), QStringLiteral("check %1").arg(i));
        if (rs.saveChecked() != Recordset::Outcome::Written) qFatal("checked save not written");
      }));
      unchecked.push_back(bench::timedMs([&] {
        Recordset rs(one, Recordset::Updatable);
        rs.edit();
        rs.setField(QStringLiteral("セッティング名称"), QStringLiteral("plain %1").arg(i));
        rs.update();
      }));
    }
    const double withCheck = bench::median(checked), without = bench::median(unchecked);
    bench::report(QStringLiteral("server: read and save a setting with the conflict check, median of 301"), withCheck,
                  QStringLiteral("ms"));
    bench::report(QStringLiteral("  floor: the same without the check"), without, QStringLiteral("ms"));
    bench::report(QStringLiteral("  ratio (at most 1.2)"), withCheck / without, QStringLiteral("x"));
  }

  // The setting list opened until its first rows are painted (closing it
  // is not counted), in turns with its floor (a window with the grid alone
  // on the same rows) and with the same list on the data file holding the
  // same records; three turns of 7, each after the records were opened
  // afresh and one list opened untimed (a new connection's first reading of
  // the tables). Then a keystroke in its search once the rows are read.
  std::vector<double> listOnServer, listFloor, listOnFile;
  for (int turn = 0; turn < 3; ++turn) {
    records.open();
    (void)bench::openSettingList();
    for (int i = 0; i < 7; ++i) {
      listOnServer.push_back(bench::openedMs(bench::openSettingList));
      listFloor.push_back(bench::timedMs(bench::bareSettingGrid));
    }
    if (Database::open(records.fileDir.filePath(kDataFileName)) != Database::Opened) qFatal("cannot open the data file");
    (void)bench::openSettingList();
    for (int i = 0; i < 7; ++i) listOnFile.push_back(bench::openedMs(bench::openSettingList));
  }
  records.open();
  bench::report(QStringLiteral("server: open SettingList on 9,999 settings, first rows painted (under 16)"),
                bench::median(listOnServer), QStringLiteral("ms"));
  bench::report(QStringLiteral("  floor: a window with the grid alone on the same rows"), bench::median(listFloor),
                QStringLiteral("ms"));
  bench::report(QStringLiteral("  the same list on the data file, in turns"), bench::median(listOnFile),
                QStringLiteral("ms"));
  {
    SettingList list;
    bench::showPainted(&list);
    const double read = bench::medianMs(11, [&] {
      list.grid()->data1()->refresh();
      list.grid()->data1()->readSearchRows();
    });
    bench::report(QStringLiteral("server: read the 9,999 rows to search (on a worker thread after opening)"), read,
                  QStringLiteral("ms"));
    QApplication::setActiveWindow(&list);
    QLineEdit* field = list.search()->field();
    std::vector<double> keys;
    for (int run = 0; run < 15; ++run) {
      field->clear();
      QApplication::processEvents();
      for (QChar c : QStringLiteral("2026/5/12")) keys.push_back(bench::timedMs([&] {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        list.grid()->viewport()->repaint();
      }));
    }
    bench::report(QStringLiteral("server: a search keystroke in the setting list, \"2026/5/12\" (under 16)"),
                  bench::median(keys), QStringLiteral("ms"));
    bench::report(QStringLiteral("  slowest keystroke"), *std::max_element(keys.begin(), keys.end()), QStringLiteral("ms"));
  }
  Msg::setSeam(nullptr);
  CloseDataFile();
  QDir::setCurrent(old);

  // Start-up to the idle main window, on the server and on the same records
  // in the data file, in turns.
  const QString ashimemo = QCoreApplication::applicationDirPath() + QStringLiteral("/ashimemo");
  auto readyIn = [](const QString& dir) {
    const QString log = QDir(dir).filePath(QStringLiteral("bench.log"));
    return [log](QProcess& p) {
      QFile f(log);
      return (f.open(QIODevice::ReadOnly) && f.readAll().contains("main window idle")) || p.state() == QProcess::NotRunning;
    };
  };
  std::vector<double> onFile, onServer;
  for (int i = 0; i < 11; ++i) {
    onFile.push_back(bench::timeToIdle(ashimemo, {}, records.fileDir.path(), readyIn(records.fileDir.path())));
    onServer.push_back(bench::timeToIdle(ashimemo, {}, records.serverDir.path(), readyIn(records.serverDir.path())));
  }
  const double f = bench::median(onFile), s = bench::median(onServer);
  bench::report(QStringLiteral("start-up to the idle main window on the data file, median of 11"), f, QStringLiteral("ms"));
  bench::report(QStringLiteral("start-up to the idle main window on the server, median of 11"), s, QStringLiteral("ms"));
  bench::report(QStringLiteral("  ratio server / file (at most 1.5)"), s / f, QStringLiteral("x"));
}

// The other PC: the records of the server named by argv[2]; every line of
// standard input is one step. "CODE NAME" saves setting CODE under NAME as
// a record screen saves it (read with its version, a checked UPDATE that
// announces the change in its transaction); "notify" sends a bare
// notification on the same channel. Each step answers "done".
int bench::otherPc(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ServerUrl u;
  QString detail;
  if (!parseServerUrl(QString::fromLocal8Bit(argv[2]), &u) || Database::openServer(u, {}, &detail) != ServerOpen::Opened)
    qFatal("other PC: %s", qPrintable(detail));
  for (std::string line; std::getline(std::cin, line);) {
    const QString step = QString::fromStdString(line);
    if (step == QLatin1String("notify")) {
      QSqlQuery(Database::connection()).exec(QStringLiteral("SELECT pg_notify('ashimemo', 'bench')"));
    } else {
      Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=") + step.section(u' ', 0, 0), Recordset::Updatable);
      rs.edit(rs.version());
      rs.setField(QStringLiteral("セッティング名称"), step.section(u' ', 1));
      if (rs.saveChecked() != Recordset::Outcome::Written) qFatal("other PC: the save was not written");
    }
    std::printf("done\n");
    std::fflush(stdout);
  }
  CloseDataFile();
  return 0;
}

namespace {
// Paints of a widget until `shows` holds: the time from start() to that
// paint, and the event loop that waits for it ended.
struct PaintWatch : QObject {
  std::function<bool()> shows;
  QElapsedTimer since;
  QEventLoop* waiting = nullptr;
  double ms = -1;
  void start(std::function<bool()> what) {
    shows = std::move(what);
    ms = -1;
    since.start();
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && ms < 0 && shows && shows()) {
      ms = double(since.nsecsElapsed()) / 1e6;
      if (waiting) waiting->quit();
    }
    return false;
  }
};

// Runs the event loop until something quits `loop`; false after `ms`.
bool runUntilQuit(QEventLoop& loop, const std::function<bool()>& done, int ms) {
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  timeout.start(ms);
  if (!done()) loop.exec();
  return done();
}
}  // namespace

ASHIMEMO_BENCH(listFollows, "server list follows") {
  ServerRecords records;
  if (!records.ok) return;
  const QString old = records.enter();
  {
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--other-pc"), records.url});
    if (!other.waitForStarted()) qFatal("the other PC did not start");
    const auto step = [&](const QString& line) { other.write(line.toUtf8() + '\n'); };
    const auto drain = [&] {
      while (other.canReadLine()) other.readLine();
    };

    // This PC: the setting list, open on its first rows.
    SettingList list;
    list.show();
    (void)QTest::qWaitForWindowExposed(&list);
    ListModel* rows = list.grid()->data1();
    const QString code = rows->cellText(0, 1);
    PaintWatch painted;
    list.grid()->viewport()->installEventFilter(&painted);

    // The floor: a bare notification from the other process until this one
    // receives it, on the connection the lists listen on.
    QEventLoop loop;
    painted.waiting = &loop;
    QElapsedTimer sent;
    double received = -1;
    QObject::connect(QSqlDatabase::database(QStringLiteral("ashimemo-listen"), false).driver(), &QSqlDriver::notification,
                     &painted, [&](const QString&, QSqlDriver::NotificationSource, const QVariant& payload) {
                       if (payload.toString() != QLatin1String("bench")) return;
                       received = double(sent.nsecsElapsed()) / 1e6;
                       loop.quit();
                     });
    std::vector<double> floor, follow;
    const int rounds = 101;
    for (int i = 0; i < rounds; ++i) {
      received = -1;
      sent.start();
      step(QStringLiteral("notify"));
      if (!runUntilQuit(loop, [&] { return received >= 0; }, 5000)) qFatal("the bare notification did not arrive");
      floor.push_back(received);
      // Past the grouping of the bare notification: a quiet list to start from.
      QTest::qWait(200);
      drain();
    }
    for (int i = 0; i < rounds; ++i) {
      const QString name = QStringLiteral("follow %1").arg(i);
      painted.start([&] { return rows->rowCount() > 0 && rows->cellText(0, 2) == name; });
      step(code + u' ' + name);
      if (!runUntilQuit(loop, [&] { return painted.ms >= 0; }, 5000)) qFatal("the list did not show the other PC's save");
      follow.push_back(painted.ms);
      drain();
    }
    other.closeWriteChannel();
    other.waitForFinished();
    std::printf("server: the other PC's save until this PC's open setting list shows it (9,999 settings)\n");
    bench::report(QStringLiteral("  median of %1").arg(rounds), bench::median(follow), QStringLiteral("ms"));
    bench::report(QStringLiteral("  95th percentile (under 1000)"), percentile(follow, 0.95), QStringLiteral("ms"));
    bench::report(QStringLiteral("  slowest"), *std::max_element(follow.begin(), follow.end()), QStringLiteral("ms"));
    bench::report(QStringLiteral("  floor: a bare notification between the processes, median"), bench::median(floor), QStringLiteral("ms"));
    bench::report(QStringLiteral("  floor: 95th percentile"), percentile(floor, 0.95), QStringLiteral("ms"));
    bench::report(QStringLiteral("  follow minus floor, median (the grouping waits 150)"), bench::median(follow) - bench::median(floor),
                  QStringLiteral("ms"));
  }
  CloseDataFile();
  QDir::setCurrent(old);
}
