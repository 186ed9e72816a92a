// Start-up as a user sees it, with the real program as a child process:
// a second instance is refused, a missing or unusable data file ends the
// program before its window shows, a stale lock does not block a start.
#include "childprocess.h"
#include "data/newfile.h"
#include "support/testmain.h"

class StartupTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void missingDataFileEndsWithoutWindow() {
    Place place;
    QString log;
    QProcess* p = place.start(this, &log);
    QVERIFY(p->waitForFinished(10000));
    QCOMPARE(p->exitCode(), 1);
    QCOMPARE(lines(log), QStringList{QStringLiteral("Ashimemo\tデータファイル「Setting.MDB」がありません\tOK\tNone")});

    // A folder of that name is not a missing file: it is named, and stays.
    QVERIFY(QDir(place.work.path()).mkdir(QStringLiteral("Setting.MDB")));
    log.clear();
    QVERIFY(place.start(this, &log)->waitForFinished(10000));
    QVERIFY2(lines(log).size() == 1 && lines(log)[0].contains(QStringLiteral("ファイルではなくフォルダーです")), qPrintable(log));
  }

  void unusableDataFileEndsAndIsLeftUntouched() {
    Place place;
    QFile f(place.work.filePath(QStringLiteral("Setting.MDB")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Standard Jet DB; not ours");
    f.close();
    QString log;
    QProcess* p = place.start(this, &log);
    QVERIFY(p->waitForFinished(10000));
    QCOMPARE(p->exitCode(), 1);
    const QStringList l = lines(log);
    QCOMPARE(l.size(), 1);
    QVERIFY2(l[0].startsWith(QStringLiteral("Ashimemo\tデータファイル「Setting.MDB」を開けません。")), qPrintable(l[0]));
    QVERIFY(l[0].endsWith(QStringLiteral("\tOK\tCritical")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("Standard Jet DB; not ours"));
  }

  void secondInstanceIsRefused() {
    Place place;
    QVERIFY(createDataFile(place.work.filePath(QStringLiteral("Setting.MDB")), false, nullptr));
    QString firstLog, secondLog;
    QProcess* first = place.start(this, &firstLog);
    QVERIFY(waitForLine(firstLog, QStringLiteral("main window shown")));
    QProcess* second = place.start(this, &secondLog);
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitCode(), 1);
    QCOMPARE(lines(secondLog),
             QStringList{QStringLiteral("Ashimemo\tこのアプリケーションは既に開かれています！\tOK\tNone")});
    QCOMPARE(first->state(), QProcess::Running);
    first->kill();
    first->waitForFinished();
  }

  void twoStartsAtOnceLeaveExactlyOne() {
    Place place;
    QVERIFY(createDataFile(place.work.filePath(QStringLiteral("Setting.MDB")), false, nullptr));
    QString logA, logB;
    QProcess* a = place.start(this, &logA);
    QProcess* b = place.start(this, &logB);
    // One of them ends with the refusal; the other shows its window.
    QProcess* refused = nullptr;
    for (int waited = 0; waited < 15000 && !refused; waited += 50) {
      if (a->state() == QProcess::NotRunning) refused = a;
      if (b->state() == QProcess::NotRunning) refused = b;
      QTest::qWait(50);
    }
    QVERIFY(refused);
    QProcess* running = refused == a ? b : a;
    QVERIFY(waitForLine(refused == a ? logB : logA, QStringLiteral("main window shown")));
    QCOMPARE(refused->exitCode(), 1);
    QVERIFY(lines(refused == a ? logA : logB).join(u'\n').contains(QStringLiteral("既に開かれています")));
    QCOMPARE(running->state(), QProcess::Running);
    running->kill();
    running->waitForFinished();
  }

  void staleLockOfACrashedRunDoesNotBlock() {
    Place place;
    QVERIFY(createDataFile(place.work.filePath(QStringLiteral("Setting.MDB")), false, nullptr));
    QString log;
    QProcess* crashed = place.start(this, &log);
    QVERIFY(waitForLine(log, QStringLiteral("main window shown")));
    crashed->kill();  // no clean-up: the lock file stays behind
    crashed->waitForFinished();
    QVERIFY(!QDir(place.temp.path()).entryList({QStringLiteral("ashimemo-*.lock")}).isEmpty());
    QString again;
    QProcess* p = place.start(this, &again);
    QVERIFY(waitForLine(again, QStringLiteral("main window shown")));
    QCOMPARE(p->state(), QProcess::Running);
    p->kill();
    p->waitForFinished();
  }
};

ASHIMEMO_TEST(StartupTest)
#include "tst_startup.moc"
