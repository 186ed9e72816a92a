// Two PCs for real: the program started twice, in two working folders whose
// "Ashimemo.ini" name the same PostgreSQL database, each on an X server of
// its own (Xvfb) and typed into with real key events (xdotool). Questions
// are answered from ASHIMEMO_TEST_ANSWERS and written to each program's
// message log, so no box waits for a key; every step waits for its result
// in the log or in the stored row, never for a fixed time.
#include "childprocess.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QStandardPaths>

namespace {
const QString kOverwrite = QStringLiteral("Ashimemo\t上書きしますか？\tYesNo\tNone");
const QString kChanged = QStringLiteral("Ashimemo\tこのデータは他のパソコンで変更されています。上書きしますか？\tYesNo\tNone");

// One program on an X server of its own, stopped (with the server) when it
// goes out of scope, also when a test fails.
struct Pc {
  Place place;
  QObject owner;
  QProcess xvfb, xdotool;
  QProcess* program = nullptr;
  QString log, display;

  ~Pc() {
    for (QProcess* p : {program, &xvfb})
      if (p && p->state() != QProcess::NotRunning) {
        p->terminate();
        if (!p->waitForFinished(5000)) p->kill();
        p->waitForFinished(5000);
      }
  }
  // Starts Xvfb (it picks a free display and names it once it accepts
  // connections) and the program on it with `answers`; true once the main
  // window is idle and has the keyboard focus.
  bool start(const QString& url, const QString& answers) {
    QFile ini(place.file(QStringLiteral("Ashimemo.ini")));
    if (!ini.open(QIODevice::WriteOnly)) return false;
    ini.write("[server]\nurl=" + url.toUtf8() + "\n");
    ini.close();
    const QString displayFile = place.file(QStringLiteral("display"));
    xvfb.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1366x768x24 "
                                                                           "-nolisten tcp 3>'%1' 2>/dev/null").arg(displayFile)});
    for (int waited = 0; waited < 20000 && lines(displayFile).isEmpty(); waited += 50) QTest::qWait(50);
    if (lines(displayFile).isEmpty()) return false;
    display = u':' + lines(displayFile).first().trimmed();
    program = place.start(&owner, &log,
                          {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=") + display,
                           QStringLiteral("ASHIMEMO_TEST_ANSWERS=") + answers});
    if (!waitForLine(log, QStringLiteral("main window idle"), 20000)) return false;
    const QString windows = xdo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--pid"), QString::number(program->processId())});
    const QString window = windows.split(u'\n', Qt::SkipEmptyParts).value(0);
    return !window.isEmpty() && xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}) != QStringLiteral("failed");
  }
  // Runs xdotool on this PC's display; its output, or "failed".
  QString xdo(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), args);
    if (!xdotool.waitForFinished(20000) || xdotool.exitCode() != 0) return QStringLiteral("failed");
    return QString::fromUtf8(xdotool.readAllStandardOutput());
  }
  // Keys in turn; the program takes them in this order whenever it gets to
  // them. "Shift+Tab xN" moves back N times.
  bool keys(const QStringList& keys) {
    QStringList args{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")};
    for (const QString& k : keys) {
      if (k.startsWith(QLatin1String("shift+Tab x"))) {
        for (int i = k.mid(11).toInt(); i > 0; --i) args << QStringLiteral("shift+Tab");
      } else {
        args << k;
      }
    }
    return xdo(args) != QStringLiteral("failed");
  }
  // The questions asked so far, in order.
  QStringList questions() const {
    QStringList out;
    for (const QString& l : lines(log))
      if (l.contains(QLatin1String("\tYesNo"))) out << l;
    return out;
  }
};

// From the setting name field (where loading a code leaves the focus) back
// to the code field, then through the buttons to セッティング登録: after a
// save the focus is in the code field again.
const QString kNameToSave = QStringLiteral("shift+Tab x10");
const QString kCodeToSave = QStringLiteral("shift+Tab x9");
}  // namespace

class TwoProgramsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Both load setting 0005; A saves, then B saves: B is asked whether to
  // write over A's change. No keeps A's row (and B's screen), Yes writes B's.
  void bothLoadTheSameSettingAndSave() {
    REQUIRE_PGSERVER();
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
      QSKIP("Xvfb or xdotool not installed");
    PgServer& server = PgServer::instance();
    const QString database = newServerDatabaseWithTables();
    server.psql(database, QStringLiteral("INSERT INTO セッティング (コード, セッティング名称) VALUES (5, 'シビック')"));
    const auto stored = [&] {
      return server.psql(database, QStringLiteral("SELECT セッティング名称 FROM セッティング WHERE コード=5")).trimmed();
    };
    Pc a, b;
    // B: no (a first look, which tells that B has loaded 0005); yes, then No
    // to the question; no (which tells that the No is over); yes, then Yes.
    QVERIFY(b.start(server.url(database), QStringLiteral("no,yes,no,no,yes,yes")));
    QVERIFY(a.start(server.url(database), QStringLiteral("yes")));

    QVERIFY(b.keys({QStringLiteral("5"), QStringLiteral("Return"), QStringLiteral("b"), kNameToSave, QStringLiteral("space")}));
    QTRY_COMPARE_WITH_TIMEOUT(b.questions().size(), 1, 15000);
    QVERIFY(a.keys({QStringLiteral("5"), QStringLiteral("Return"), QStringLiteral("a"), kNameToSave, QStringLiteral("space")}));
    QTRY_COMPARE_WITH_TIMEOUT(stored(), QStringLiteral("シビックa"), 15000);
    QCOMPARE(a.questions(), QStringList{kOverwrite});

    // No: nothing saved.
    QVERIFY(b.keys({kCodeToSave, QStringLiteral("space"), kCodeToSave, QStringLiteral("space")}));
    QTRY_COMPARE_WITH_TIMEOUT(b.questions().size(), 4, 15000);
    QCOMPARE(b.questions(), (QStringList{kOverwrite, kOverwrite, kChanged, kOverwrite}));
    QCOMPARE(stored(), QStringLiteral("シビックa"));

    // Yes: B's screen, kept through the No, is written over A's change.
    QVERIFY(b.keys({kCodeToSave, QStringLiteral("space")}));
    QTRY_COMPARE_WITH_TIMEOUT(stored(), QStringLiteral("シビックb"), 15000);
    QCOMPARE(b.questions(), (QStringList{kOverwrite, kOverwrite, kChanged, kOverwrite, kOverwrite, kChanged}));
    QCOMPARE(server.psql(database, QStringLiteral("SELECT count(*) FROM セッティング")).trimmed(), QStringLiteral("1"));
  }
};

ASHIMEMO_TEST(TwoProgramsTest)
#include "tst_twoprograms.moc"
