// Two PCs for real: the program started twice, in two folders whose
// "Ashimemo.ini" name one database, each on an Xvfb of its own and typed into
// by xdotool. Questions are answered from ASHIMEMO_TEST_ANSWERS and logged,
// so no box waits for a key; each step waits for its result, never a time.
#include "childprocess.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QStandardPaths>

namespace {
struct Pc {
  Place place;
  QObject owner;  // Xvfb, the program, xdotool
  QString log, display;
  ~Pc() {
    for (QProcess* p : owner.findChildren<QProcess*>()) {
      p->terminate();
      p->waitForFinished();
    }
  }
  bool start(const QString& url, const QString& answers) {
    QFile ini(place.file(QStringLiteral("Ashimemo.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[server]\nurl=" + url.toUtf8() + "\n") <= 0) return false;
    ini.close();
    // Xvfb picks a free display and names it once it takes connections.
    place.run(&owner, QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec Xvfb -displayfd 3 -nolisten tcp 3>display")});
    if (!QTest::qWaitFor([&] { return !lines(place.file(QStringLiteral("display"))).isEmpty(); }, 20000)) return false;
    display = QStringLiteral("DISPLAY=:") + lines(place.file(QStringLiteral("display"))).first();
    const QProcess* p = place.start(&owner, &log, {QStringLiteral("QT_QPA_PLATFORM=xcb"), display, QStringLiteral("ASHIMEMO_TEST_ANSWERS=") + answers});
    return waitForLine(log, QStringLiteral("main window idle"), 20000) &&
           xdo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(p->processId()), QStringLiteral("--name"), QString(),
                QStringLiteral("windowfocus"), QStringLiteral("--sync")});
  }
  bool xdo(const QStringList& args) {
    QProcess* x = place.run(&owner, QStringLiteral("xdotool"), args, {display});
    return x->waitForFinished(20000) && x->exitCode() == 0;
  }
  // Keys go to the program in this order, whenever it gets to them: load
  // setting 0005 and add `typed` to its name (unless empty), then back
  // (`back` times Shift+Tab) through the code field to セッティング登録.
  bool save(int back, const QString& typed = QString()) {
    const QStringList load = typed.isEmpty() ? QStringList() : QStringList{QStringLiteral("5"), QStringLiteral("Return"), typed};
    return xdo(QStringList{QStringLiteral("key")} + load + QStringList(back, QStringLiteral("shift+Tab")) << QStringLiteral("space"));
  }
  QStringList questions() const { return lines(log).filter(QStringLiteral("\tYesNo\t")); }
};
}  // namespace

class TwoProgramsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Both load setting 0005; A saves, then B: B is asked whether to write over
  // A's change. No keeps A's row (and B's screen), Yes writes B's.
  void bothLoadTheSameSettingAndSave() {
    REQUIRE_PGSERVER();
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
      QSKIP("Xvfb or xdotool not installed");
    PgServer& server = PgServer::instance();
    const QString db = newServerDatabaseWithTables();
    server.psql(db, QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (5, 'シビック')"));
    const auto stored = [&] { return server.psql(db, QStringLiteral("SELECT セッティング名称 FROM セッティング")).trimmed(); };
    const QString over = QStringLiteral("Ashimemo\t上書きしますか？\tYesNo\tNone");
    const QString changed = QStringLiteral("Ashimemo\tこのデータは他のパソコンで変更されています。上書きしますか？\tYesNo\tNone");
    // B's first No tells that B has loaded 0005, its second that the No to
    // the question is over.
    Pc a, b;
    QVERIFY(a.start(server.url(db), QStringLiteral("yes")));
    QVERIFY(b.start(server.url(db), QStringLiteral("no,yes,no,no,yes,yes")));
    QVERIFY(b.save(10, QStringLiteral("b")));
    QTRY_COMPARE_WITH_TIMEOUT(b.questions().size(), 1, 15000);
    QVERIFY(a.save(10, QStringLiteral("a")));
    QTRY_COMPARE_WITH_TIMEOUT(stored(), QStringLiteral("シビックa"), 15000);
    QVERIFY(b.save(9) && b.save(9));
    QTRY_COMPARE_WITH_TIMEOUT(b.questions(), (QStringList{over, over, changed, over}), 15000);
    QCOMPARE(stored(), QStringLiteral("シビックa"));
    QVERIFY(b.save(9));
    QTRY_COMPARE_WITH_TIMEOUT(stored(), QStringLiteral("シビックb"), 15000);
    QCOMPARE(b.questions(), (QStringList{over, over, changed, over, over, changed}));
  }
};

ASHIMEMO_TEST(TwoProgramsTest)
#include "tst_twoprograms.moc"
