// Copies of the data file and the way back, with the real programs as child
// processes on real files: the daily copy and the closing copy, the
// generations by date, failures told once, restore after damage, deletion
// and replacement, and kills in the middle of a copy or a restore; the
// second place (a folder on another drive) beside "バックアップ".
#include "app/autobackup.h"
#include "childprocess.h"
#include "data/backup.h"
#include "data/newfile.h"
#include "data/schema.h"
#include "screens/progresswindow.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QFileInfo>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral("Setting.MDB");

QString nowEnv(const QString& when) { return QStringLiteral("ASHIMEMO_TEST_NOW=") + when; }

QStringList copyNames(const Place& place, QDir::Filters extra = {}) {
  return QDir(place.file(safefile::kBackupFolderName)).entryList(QDir::Files | extra, QDir::Name);
}

qint64 rows(const QString& path, const QString& table) {
  const safefile::Check c = safefile::checkDataFile(path);
  return c.ok ? c.rowCounts.value(table) : -1;
}

void sql(const QString& path, const char* text) {
  sqlite3* db = nullptr;
  sqlite3_open(QFile::encodeName(path).constData(), &db);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, text, nullptr, nullptr, &error);
  const QString e = QString::fromUtf8(error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
  QVERIFY2(rc == SQLITE_OK, qPrintable(e));
}

QString copyPath(const Place& place, const QString& name) {
  return place.file(safefile::kBackupFolderName + u'/' + name);
}

// The data file as it is now, as a copy named `name`.
void putCopy(const Place& place, const QString& name) {
  QDir().mkpath(place.file(safefile::kBackupFolderName));
  QVERIFY(QFile::copy(place.file(kData), copyPath(place, name)));
}

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Bytes overwritten in the middle of the file, as a disk fault would.
void overwriteMiddle(const QString& path) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::ReadWrite));
  f.seek(f.size() / 2 / 4096 * 4096);
  f.write(QByteArray(4096, '\xA5'));
}

// One byte of a table page's header wrong: the file still reads, but the
// engine's integrity check finds it.
void spoilPageHeader(const QString& path) {
  QByteArray b = contents(path);
  const int pageSize = (uchar(b[16]) << 8) | uchar(b[17]);
  for (int page = 1; (page + 1) * pageSize <= b.size(); ++page)
    if (b[page * pageSize] == 0x0D) {
      b[page * pageSize + 7] = 17;  // fragmented bytes the page does not have
      break;
    }
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(b);
}

// "Ashimemo.ini" naming `second` as the second place.
void nameSecondPlace(const Place& place, const QString& second) {
  QFile ini(place.file(QStringLiteral("Ashimemo.ini")));
  QVERIFY(ini.open(QIODevice::WriteOnly));
  ini.write(QStringLiteral("[backup]\nsecond=%1\n").arg(second).toUtf8());
}

// A small file system of its own (tmpfs), for a drive that is full or
// read-only even to root; unmounted at the end.
struct Drive {
  QTemporaryDir dir;
  bool mounted = false;
  explicit Drive(const char* options)
      : mounted(::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, options) == 0) {}
  bool remount(const char* options) { return ::mount("tmpfs", path().constData(), "tmpfs", MS_REMOUNT, options) == 0; }
  QByteArray path() const { return QFile::encodeName(dir.path()); }
  ~Drive() {
    if (mounted) ::umount2(path().constData(), MNT_DETACH);
  }
};

QStringList names(const QString& folder, QDir::Filters extra = {}) {
  return QDir(folder).entryList(QDir::Files | extra, QDir::Name);
}

}  // namespace

class BackupTest : public QObject {
  Q_OBJECT

  // A session of the program on the day `when`: started, the morning copy
  // decided, `during` run, then ended as the system ends it (SIGTERM).
  QStringList session(Place& place, const QString& when, const std::function<void()>& during = {},
                      const QStringList& extra = {}) {
    QString log;
    QProcess* p = place.start(this, &log, extra + QStringList{nowEnv(when)});
    for (int waited = 0; waited < 10000; waited += 50) {
      const QString all = lines(log).join(u'\n');
      if (all.contains(QStringLiteral("backup made")) || all.contains(QStringLiteral("backup not due")) ||
          all.contains(QStringLiteral("backup failed")))
        break;
      QTest::qWait(50);
    }
    if (during) during();
    p->terminate();
    if (!p->waitForFinished(10000)) qWarning("program did not end");
    if (p->exitCode() != 0) qWarning("exit code %d", p->exitCode());
    return lines(log);
  }

  QProcess* mkdata(Place& place, const QStringList& args, const QStringList& extra = {}) {
    QProcess* p = place.run(this, program(QStringLiteral("ashimemo-mkdata")), args, extra);
    return p;
  }

  // Waits until the process says on standard error that it stopped where a
  // test asked, then kills it (SIGKILL).
  static bool killWhenStopped(QProcess* p, const char* stage) {
    QByteArray err;
    for (int waited = 0; waited < 10000 && !err.contains(stage); waited += 20) {
      p->waitForReadyRead(20);
      err += p->readAllStandardError();
    }
    p->kill();
    p->waitForFinished();
    return err.contains(stage);
  }

 private Q_SLOTS:
  void firstStartOfADayCopiesAndClosingCopiesAChangedFile() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    QStringList log = session(place, QStringLiteral("2026-12-08T09:30"));
    QVERIFY(log.contains(QStringLiteral("backup made Setting-20261208-0930.MDB")));
    QVERIFY(log.contains(QStringLiteral("backup not needed at closing")));
    QCOMPARE(copyNames(place), QStringList{QStringLiteral("Setting-20261208-0930.MDB")});

    // Second start of the day: no morning copy; a row written meanwhile
    // (here by another program) makes the closing copy.
    const qint64 users = rows(place.file(kData), schema::kUsers);
    log = session(place, QStringLiteral("2026-12-08T17:45"),
                  [&] { sql(place.file(kData), "INSERT INTO ユーザー(コード, 名前) VALUES (77, '追加')"); });
    QVERIFY(log.contains(QStringLiteral("backup not due")));
    QVERIFY(log.contains(QStringLiteral("backup made Setting-20261208-1745.MDB")));
    QCOMPARE(copyNames(place).size(), 2);
    QCOMPARE(rows(place.file(QStringLiteral("バックアップ/Setting-20261208-1745.MDB")), schema::kUsers), users + 1);
    QCOMPARE(rows(place.file(QStringLiteral("バックアップ/Setting-20261208-0930.MDB")), schema::kUsers), users);
    QCOMPARE(copyNames(place, QDir::Hidden).size(), 2);  // nothing half-made left behind
  }

  void generationsKeepFourteenDaysAndTwelveMonths() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    QDir().mkpath(place.file(safefile::kBackupFolderName));
    auto put = [&](const QString& name) {
      QVERIFY(QFile::copy(place.file(kData), place.file(QStringLiteral("バックアップ/") + name)));
    };
    QStringList kept;
    for (QDate d(2026, 11, 1); d <= QDate(2026, 12, 7); d = d.addDays(1)) {
      const QString name = QStringLiteral("Setting-%1-0900.MDB").arg(d.toString(QStringLiteral("yyyyMMdd")));
      put(name);
      if (d >= QDate(2026, 11, 25) && d < QDate(2026, 12, 7)) kept << name;
    }
    for (const char* n : {"Setting-20261207-1800.MDB", "Setting-20260120-0900.MDB", "Setting-20260615-0900.MDB",
                          "Setting-使用不可-20250101-0900.MDB", "Setting-復元前-20240101-0900.MDB"}) {
      put(QString::fromUtf8(n));
      kept << QString::fromUtf8(n);
    }
    for (const char* n : {"Setting-20260110-0900.MDB", "Setting-20251231-0900.MDB", "Setting-20251115-0900.MDB"})
      put(QString::fromUtf8(n));
    QFile jet(place.file(QStringLiteral("バックアップ/Setting-変換前-20250101-0900.MDB")));
    QVERIFY(jet.open(QIODevice::WriteOnly));
    jet.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20));
    jet.close();
    kept << QFileInfo(jet).fileName() << QStringLiteral("Setting-20261208-1000.MDB");

    const QStringList log = session(place, QStringLiteral("2026-12-08T10:00"));
    QVERIFY(log.contains(QStringLiteral("backup made Setting-20261208-1000.MDB")));
    kept.sort();
    QCOMPARE(copyNames(place), kept);
  }

  void failuresAreToldOnceAndLeaveTheGoodCopies() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    // The copies folder cannot be made (a file has its name): the morning
    // copy and the closing copy both fail, the user hears of it once.
    QFile blocker(place.file(safefile::kBackupFolderName));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QStringList log = session(place, QStringLiteral("2026-12-07T09:00"),
                              [&] { sql(place.file(kData), "UPDATE ユーザー SET 名前='変更'"); });
    QCOMPARE(log.filter(QStringLiteral("backup failed")).size(), 2);
    QStringList told = log.filter(QStringLiteral("\t"));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].startsWith(QStringLiteral("Ashimemo\tデータファイルのバックアップを作成できませんでした。")),
             qPrintable(told[0]));
    QVERIFY(told[0].contains(QStringLiteral("フォルダー")));
    QVERIFY(told[0].endsWith(QStringLiteral("\tOK\tCritical")));

    // A copy that does not check out (the file got damaged during the
    // session) is not kept, and the copies before it stay.
    QVERIFY(QFile::remove(blocker.fileName()));
    session(place, QStringLiteral("2026-12-07T09:00"));
    log = session(place, QStringLiteral("2026-12-08T09:00"), [&] { spoilPageHeader(place.file(kData)); });
    QVERIFY(log.contains(QStringLiteral("backup made Setting-20261208-0900.MDB")));
    told = log.filter(QStringLiteral("\t"));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].contains(QStringLiteral("検査に合格しませんでした")), qPrintable(told[0]));
    QCOMPARE(copyNames(place, QDir::Hidden),
             (QStringList{QStringLiteral("Setting-20261207-0900.MDB"), QStringLiteral("Setting-20261208-0900.MDB")}));
  }

  void startUpRestoresTheNewestCopyOnYes() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    // Enough customers that the middle of the file holds their rows, which
    // opening the file reads only through its quick check.
    sql(place.file(kData), "WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) "
                           "INSERT INTO ユーザー(コード, 名前, 住所1) SELECT i, 'お客様' || i, '北海道釧路市' || i FROM n");
    session(place, QStringLiteral("2026-12-08T09:30"));
    const qint64 settings = rows(place.file(kData), schema::kSettings);
    const QString question =
        QStringLiteral("Ashimemo\tバックアップから「Setting.MDB」を復元しますか？\\n\\n"
                       "最新のバックアップ：2026年12月8日 9:30 作成（セッティング %1件）")
            .arg(settings);

    struct Case {
      const char* what;
      std::function<void()> spoil;
      QString firstMessage;
    };
    const QString cannotOpen = QStringLiteral("Ashimemo\tデータファイル「Setting.MDB」を開けません。");
    const QList<Case> cases{
        {"damaged", [&] { overwriteMiddle(place.file(kData)); }, cannotOpen},
        {"deleted", [&] { QFile::remove(place.file(kData)); },
         QStringLiteral("Ashimemo\tデータファイル「Setting.MDB」がありません\tOK\tNone")},
        {"another program's file",
         [&] {
           QFile::remove(place.file(kData));
           sql(place.file(kData), "CREATE TABLE notes(text); INSERT INTO notes VALUES ('x')");
         },
         cannotOpen},
    };
    for (const Case& c : cases) {
      c.spoil();
      const QByteArray spoilt = contents(place.file(kData));
      // On No the program ends as before and the file stays as it is.
      QString log;
      QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T12:00"))});
      QVERIFY(p->waitForFinished(10000));
      QCOMPARE(p->exitCode(), 1);
      QCOMPARE(contents(place.file(kData)), spoilt);

      p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T12:00")), QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes")});
      QVERIFY2(waitForLine(log, QStringLiteral("main window shown")), c.what);
      p->kill();
      p->waitForFinished();
      const QStringList l = lines(log);
      QVERIFY2(l[0].startsWith(c.firstMessage), qPrintable(l[0]));
      QVERIFY2(!l[0].contains(QStringLiteral("終了します")), qPrintable(l[0]));
      QVERIFY2(l[1].startsWith(question) && l[1].endsWith(QStringLiteral("\tYesNo\tNone")), qPrintable(l[1]));
      QCOMPARE(l[2], QStringLiteral("restored Setting-20261208-0930.MDB"));
      QCOMPARE(rows(place.file(kData), schema::kSettings), settings);
      const QString aside = place.file(QStringLiteral("バックアップ/Setting-使用不可-20261208-1200.MDB"));
      QCOMPARE(contents(aside), spoilt);  // empty for the deleted file: none was kept
      QFile::remove(aside);
    }

    // A file that another program holds is whole: it is not offered for replacement.
    sqlite3* other = nullptr;
    sqlite3_open(QFile::encodeName(place.file(kData)).constData(), &other);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    QString log;
    QProcess* p = place.start(this, &log, {QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes")});
    QVERIFY(p->waitForFinished(15000));
    sqlite3_close(other);
    QCOMPARE(p->exitCode(), 1);
    QCOMPARE(lines(log).size(), 1);
    QVERIFY2(lines(log)[0].contains(QStringLiteral("使用中")), qPrintable(lines(log)[0]));
  }

  void killsInTheMiddleLeaveAWholeFileAndNoHalfCopy() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    QString log;
    QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T09:30")),
                                           QStringLiteral("ASHIMEMO_TEST_STOP_AT=backup-copying")});
    QVERIFY(killWhenStopped(p, "backup-copying"));
    QVERIFY(rows(place.file(kData), schema::kSettings) > 0);
    QVERIFY(backup::copies(place.file(kData)).isEmpty());
    QVERIFY(!copyNames(place, QDir::Hidden).isEmpty());  // the half copy, under its temporary name
    session(place, QStringLiteral("2026-12-08T09:30"));  // the next copy clears it away
    QCOMPARE(copyNames(place, QDir::Hidden), QStringList{QStringLiteral("Setting-20261208-0930.MDB")});

    // The data file now differs from the copy; a restore killed before its
    // final rename leaves the data file as it was.
    sql(place.file(kData), "DELETE FROM セッティング");
    for (const char* stage : {"restore-copying", "restore-replacing"}) {
      p = mkdata(place, {QStringLiteral("--restore"), QStringLiteral("Setting-20261208-0930.MDB"), place.work.path()},
                 {QStringLiteral("ASHIMEMO_TEST_STOP_AT=") + QString::fromLatin1(stage)});
      QVERIFY(killWhenStopped(p, stage));
      QCOMPARE(rows(place.file(kData), schema::kSettings), 0);
    }
    // Refused while the program runs on the folder; done once it has ended.
    p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T10:00"))});
    QVERIFY(waitForLine(log, QStringLiteral("main window idle")));
    QProcess* refused = mkdata(place, {QStringLiteral("--restore"), QStringLiteral("Setting-20261208-0930.MDB"), place.work.path()});
    QVERIFY(refused->waitForFinished(10000));
    QCOMPARE(refused->exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(refused->readAllStandardError()).contains(QStringLiteral("使用中")));
    p->kill();
    p->waitForFinished();
    QProcess* done = mkdata(place, {QStringLiteral("--restore"), QStringLiteral("Setting-20261208-0930.MDB"), place.work.path()},
                            {nowEnv(QStringLiteral("2026-12-08T10:05"))});
    QVERIFY(done->waitForFinished(10000));
    QCOMPARE(done->exitCode(), 0);
    QVERIFY(rows(place.file(kData), schema::kSettings) > 0);
    QCOMPARE(rows(place.file(QStringLiteral("バックアップ/Setting-復元前-20261208-1005.MDB")), schema::kSettings), 0);
    QVERIFY(QDir(place.work.path()).entryList({QStringLiteral(".Setting-*")}, QDir::Files | QDir::Hidden).isEmpty());

    // The Access-format original a conversion kept is listed as such, and
    // not put in place of the data file.
    QFile jet(place.file(QStringLiteral("バックアップ/Setting-変換前-20261201-0900.MDB")));
    QVERIFY(jet.open(QIODevice::WriteOnly));
    jet.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20).leftJustified(8192, '\0'));
    jet.close();
    const QByteArray current = contents(place.file(kData));
    QProcess* jetRestore = mkdata(place, {QStringLiteral("--restore"), QFileInfo(jet).fileName(), place.work.path()});
    QVERIFY(jetRestore->waitForFinished(10000));
    QCOMPARE(jetRestore->exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(jetRestore->readAllStandardError()).contains(QStringLiteral("--import で新しいファイルに変換")));
    QCOMPARE(contents(place.file(kData)), current);

    QProcess* list = mkdata(place, {QStringLiteral("--backups"), place.work.path()});
    QVERIFY(list->waitForFinished(10000));
    const QString out = QString::fromLocal8Bit(list->readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("2026/12/08 09:30  毎日")) && out.contains(QStringLiteral("検査OK")) &&
                 out.contains(QStringLiteral("復元前")) && out.contains(QStringLiteral("セッティング 0件")) &&
                 out.contains(QStringLiteral("変換前  8 KB  セッティング -  Access 形式の元のファイル")) && !out.contains(QStringLiteral("検査NG")),
             qPrintable(out));
    // A mistyped folder is named as missing, not listed as one without copies.
    QProcess* wrong = mkdata(place, {QStringLiteral("--backups"), place.file(QStringLiteral("ない"))});
    QVERIFY(wrong->waitForFinished(10000));
    QCOMPARE(wrong->exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(wrong->readAllStandardError()).contains(QStringLiteral("」がありません。")));
  }

  void everyCheckedCopyAlsoGoesToTheSecondPlaceAndIsOfferedFromThere() {
    Place place;
    QTemporaryDir drive;
    const QString second = drive.path();
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    nameSecondPlace(place, second);
    // Older copies on the drive: the same generations are kept there.
    QStringList kept{QStringLiteral("Setting-20261208-1745.MDB"), QStringLiteral("Setting-20261208-0930.MDB")};
    for (QDate d(2026, 11, 10); d <= QDate(2026, 12, 7); d = d.addDays(1)) {
      const QString name = QStringLiteral("Setting-%1-0900.MDB").arg(d.toString(QStringLiteral("yyyyMMdd")));
      QVERIFY(QFile::copy(place.file(kData), QDir(second).filePath(name)));
      if (d >= QDate(2026, 11, 25)) kept << name;  // the 13 days before the 8th
    }
    // Killed in the middle of the morning's second copy: nothing counts there.
    QString log;
    QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T09:30")),
                                           QStringLiteral("ASHIMEMO_TEST_STOP_AT=second-copying")});
    QVERIFY(killWhenStopped(p, "second-copying"));
    QCOMPARE(copyNames(place), QStringList{QStringLiteral("Setting-20261208-0930.MDB")});
    QCOMPARE(backup::copiesIn(second).size(), 28);
    QCOMPARE(names(second, QDir::Hidden).filter(QStringLiteral(".tmp")).size(), 1);

    // The next start sends the morning copy there after all, the closing copy
    // of a changed file follows; the half copy is cleared away.
    const qint64 users = rows(place.file(kData), schema::kUsers);
    const QStringList l = session(place, QStringLiteral("2026-12-08T17:45"),
                                  [&] { sql(place.file(kData), "INSERT INTO ユーザー(コード, 名前) VALUES (77, '追加')"); });
    QVERIFY2(l.contains(QStringLiteral("second copy made Setting-20261208-0930.MDB")) &&
                 l.contains(QStringLiteral("second copy made Setting-20261208-1745.MDB")) && l.filter(QStringLiteral("\t")).isEmpty(),
             qPrintable(l.join(u'\n')));
    QCOMPARE(contents(QDir(second).filePath(kept[0])), contents(place.file(QStringLiteral("バックアップ/") + kept[0])));
    kept.sort();
    QCOMPARE(names(second, QDir::Hidden), kept);

    // Both places are listed, each copy with its place.
    QProcess* list = mkdata(place, {QStringLiteral("--backups"), place.work.path()});
    QVERIFY(list->waitForFinished(10000));
    const QStringList out = QString::fromLocal8Bit(list->readAllStandardOutput()).split(u'\n');
    QVERIFY2(out.filter(QStringLiteral("1745.MDB  場所: ")).size() == 2 &&
                 out.filter(QStringLiteral("0930.MDB  場所: ") + place.file(safefile::kBackupFolderName)).size() == 1,
             qPrintable(out.join(u'\n')));

    // The PC's own copy of 17:45 is gone, and on the drive a newer file named
    // like a copy is damaged: the drive's 17:45 copy is offered, by its place.
    QVERIFY(QFile::remove(place.file(QStringLiteral("バックアップ/Setting-20261208-1745.MDB"))));
    const QString damaged = QDir(second).filePath(QStringLiteral("Setting-20261209-0900.MDB"));
    QVERIFY(QFile::copy(place.file(kData), damaged));
    spoilPageHeader(damaged);
    const qint64 settings = rows(place.file(kData), schema::kSettings);
    QVERIFY(QFile::remove(place.file(kData)));
    p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-09T10:00")), QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes")});
    QVERIFY(waitForLine(log, QStringLiteral("main window shown")));
    p->kill();
    p->waitForFinished();
    const QStringList asked = lines(log);
    QVERIFY2(asked[1].contains(QStringLiteral("最新のバックアップ：2026年12月8日 17:45 作成（セッティング %1件）\\n保存場所：%2\\n")
                                   .arg(settings)
                                   .arg(second)),
             qPrintable(asked[1]));
    QCOMPARE(asked[2], QStringLiteral("restored Setting-20261208-1745.MDB"));
    QCOMPARE(rows(place.file(kData), schema::kUsers), users + 1);

    // A copy that is only on the drive is put back by its name.
    sql(place.file(kData), "DELETE FROM ユーザー");
    QProcess* done = mkdata(place, {QStringLiteral("--restore"), QStringLiteral("Setting-20261208-1745.MDB"), place.work.path()});
    QVERIFY(done->waitForFinished(10000));
    QCOMPARE(rows(place.file(kData), schema::kUsers), users + 1);
    spoilPageHeader(place.file(QStringLiteral("バックアップ/Setting-20261208-0930.MDB")));  // in both places, damaged here
    done = mkdata(place, {QStringLiteral("--restore"), QStringLiteral("Setting-20261208-0930.MDB"), place.work.path()});
    QVERIFY(done->waitForFinished(10000));
    QCOMPARE(rows(place.file(kData), schema::kUsers), users);  // the drive's good copy
  }

  void aSecondPlaceMissingReadOnlyOrFullIsToldOnceADay() {
    struct Case { const char* what; QString folder, reason; std::function<bool()> bringBack; };
    // An unplugged drive leaves its mount point behind: an empty folder on
    // the PC's own disk, where no copy must go.
    QTemporaryDir nowhere;
    QVERIFY(QDir().mkpath(nowhere.filePath(QStringLiteral("USB"))));
    Drive readOnly("ro,size=1m"), full("size=64k");
    QList<Case> cases{{"missing", nowhere.filePath(QStringLiteral("USB/Ashimemo")), QStringLiteral("見つかりません"),
                       [&] { return QDir().mkpath(nowhere.filePath(QStringLiteral("USB/Ashimemo"))); }},
                      // A file where the folder is named is said to be a file.
                      {"file", nowhere.filePath(QStringLiteral("file")), QStringLiteral("フォルダーではなくファイルです"), [&] {
                         return QFile::remove(nowhere.filePath(QStringLiteral("file"))) && QDir().mkpath(nowhere.filePath(QStringLiteral("file")));
                       }}};
    write(nowhere.filePath(QStringLiteral("file")), "not a folder");
    // Permission bits do not stop root; a file system mounted read-only does.
    if (readOnly.mounted)
      cases.append({"read-only", readOnly.dir.path(), QStringLiteral("読み取り専用"), [&] { return readOnly.remount("rw,size=1m"); }});
    if (full.mounted)
      cases.append({"full", full.dir.filePath(QStringLiteral("Ashimemo")), QStringLiteral("空き容量が足りません"),
                    [&] { return full.remount("size=1m"); }});

    for (const Case& c : cases) {
      Place place;
      QVERIFY(createDataFile(place.file(kData), true, nullptr));
      nameSecondPlace(place, c.folder);
      auto change = [&] { sql(place.file(kData), "UPDATE ユーザー SET 名前 = 名前 || '.'"); };
      // The morning copy and the closing copy are made here; the drive's
      // trouble is told once, naming the place and the reason.
      QStringList log = session(place, QStringLiteral("2026-12-08T09:00"), change);
      QCOMPARE(log.filter(QStringLiteral("backup made")).size(), 2);
      QCOMPARE(log.filter(QStringLiteral("second copy failed")).size(), 2);
      const QStringList told = log.filter(QStringLiteral("\t"));
      QVERIFY2(told.size() == 1 && told[0].startsWith(QStringLiteral("Ashimemo\tバックアップを「%1」に保存できませんでした。").arg(c.folder)) &&
                   told[0].contains(c.reason) && told[0].contains(QStringLiteral("正しく作成されています")) &&
                   told[0].endsWith(QStringLiteral("\tOK\tNone")),
               qPrintable(told[0]));
      // Not again that day, even in another run; again the next day.
      log = session(place, QStringLiteral("2026-12-08T13:00"), change);
      QVERIFY2(log.contains(QStringLiteral("second copy failed")) && log.filter(QStringLiteral("\t")).isEmpty(), c.what);
      log = session(place, QStringLiteral("2026-12-09T09:00"));
      QVERIFY2(log.filter(QStringLiteral("\t")).size() == 1, c.what);
      QCOMPARE(copyNames(place), (QStringList{QStringLiteral("Setting-20261208-1300.MDB"), QStringLiteral("Setting-20261209-0900.MDB")}));
      QVERIFY2(backup::copiesIn(c.folder).isEmpty(), c.what);

      // Back again: the next start sends the day's copy, then the next copy goes there, with no question asked.
      QVERIFY2(c.bringBack(), c.what);
      log = session(place, QStringLiteral("2026-12-09T17:00"), change);
      QVERIFY2(log.contains(QStringLiteral("second copy made Setting-20261209-1700.MDB")) && log.filter(QStringLiteral("\t")).isEmpty(),
               qPrintable(log.join(u'\n')));
      QCOMPARE(names(c.folder, QDir::Hidden),
               (QStringList{QStringLiteral("Setting-20261209-0900.MDB"), QStringLiteral("Setting-20261209-1700.MDB")}));
    }
    if (cases.size() < 3) QSKIP("not root, or tmpfs cannot be mounted here: the read-only and full drives were not tried");
  }

  // An "Ashimemo.ini" the program cannot read is named, never taken as naming no second place.
  void anUnreadableSettingsFileIsNamed() {
    for (const QByteArray& bytes : {QByteArray("\xFF\xFE[\0b\0", 6),                                    // Notepad's "Unicode"
                                    QByteArray("[backup]\nsecond=/media/usb/\x8D\x48\x8F\xEA\n")}) {  // 工場 in Shift_JIS
      Place place;
      QVERIFY(createDataFile(place.file(kData), true, nullptr));
      write(place.file(QStringLiteral("Ashimemo.ini")), bytes);
      QString log;
      QVERIFY(place.start(this, &log)->waitForFinished(10000));
      QVERIFY2(lines(log).value(0).contains(QStringLiteral("Ashimemo.ini」の文字コードが")), qPrintable(lines(log).join(u'\n')));
      QProcess* list = mkdata(place, {QStringLiteral("--backups"), place.work.path()});
      QVERIFY(list->waitForFinished(10000) && QString::fromLocal8Bit(list->readAllStandardError()).contains(QStringLiteral("文字コードが")));
    }
  }

  // A failed closing copy is told with no progress window left over the message.
  void aFailedCopyIsToldWithItsProgressWindowGone() {
    DataDir dir;
    write(dir.file(safefile::kBackupFolderName), "");  // the copies folder cannot be made
    struct Seam : MessageSeam {
      int told = 0, covered = 0;
      bool show(const MessageRequest&) override {
        QTest::qWait(600);  // while the user reads it
        for (QWidget* w : QApplication::topLevelWidgets()) covered += dynamic_cast<ProgressWindow*>(w) && w->isVisible();
        ++told;
        return true;
      }
    } seam;
    Msg::setSeam(&seam);
    QWidget window;
    AutoBackup(&window).atClose();
    Msg::setSeam(&dir.messages);
    QVERIFY(seam.told == 1 && seam.covered == 0);
  }

  void thinningCountsOnlyCopiesThatCheckOut() {
    // Yesterday's good 09:00 copy and a cut-off file named like its 18:00 copy.
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    putCopy(place, QStringLiteral("Setting-20261207-0900.MDB"));
    const QByteArray cut = contents(place.file(kData)).chopped(contents(place.file(kData)).size() / 2);
    write(copyPath(place, QStringLiteral("Setting-20261207-1800.MDB")), cut);
    // Killed as it thins: the new copy is whole, the others untouched.
    QString log;
    QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T10:00")),
                                           QStringLiteral("ASHIMEMO_TEST_STOP_AT=backup-thinning")});
    QVERIFY(killWhenStopped(p, "backup-thinning"));
    QCOMPARE(copyNames(place), (QStringList{QStringLiteral("Setting-20261207-0900.MDB"), QStringLiteral("Setting-20261207-1800.MDB"),
                                            QStringLiteral("Setting-20261208-1000.MDB")}));
    QVERIFY(rows(copyPath(place, QStringLiteral("Setting-20261208-1000.MDB")), schema::kSettings) > 0);
    // The next day's thinning keeps the good copy as the 7th's and sets the broken one aside.
    session(place, QStringLiteral("2026-12-09T10:00"));
    QCOMPARE(copyNames(place), (QStringList{QStringLiteral("Setting-20261207-0900.MDB"), QStringLiteral("Setting-20261208-1000.MDB"),
                                            QStringLiteral("Setting-20261209-1000.MDB"), QStringLiteral("Setting-使用不可-20261207-1800.MDB")}));
    QCOMPARE(contents(copyPath(place, QStringLiteral("Setting-使用不可-20261207-1800.MDB"))), cut);
  }

  void aCopyDatedInTheFutureNeverCountsAsNewerThanTodaysWork() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    putCopy(place, QStringLiteral("Setting-20261208-0900.MDB"));
    sql(place.file(kData), "DELETE FROM セッティング WHERE コード <> (SELECT min(コード) FROM セッティング)");
    // Made while the clock was a year ahead: named and stamped so.
    putCopy(place, QStringLiteral("Setting-20271208-0900.MDB"));
    QFile future(copyPath(place, QStringLiteral("Setting-20271208-0900.MDB")));
    QVERIFY(future.open(QIODevice::ReadWrite));
    QVERIFY(future.setFileTime(QDateTime::currentDateTime().addYears(1), QFileDevice::FileModificationTime));
    future.close();

    // The closing copy is still made after the day's work.
    const QStringList log = session(place, QStringLiteral("2026-12-08T09:30"),
                                    [&] { sql(place.file(kData), "UPDATE ユーザー SET 名前='変更'"); });
    QVERIFY2(log.contains(QStringLiteral("backup not due")) && log.contains(QStringLiteral("backup made Setting-20261208-0930.MDB")),
             qPrintable(log.join(u'\n')));

    // Listed after the copies made up to now, marked.
    QProcess* list = mkdata(place, {QStringLiteral("--backups"), place.work.path()}, {nowEnv(QStringLiteral("2026-12-08T12:00"))});
    QVERIFY(list->waitForFinished(10000));
    const QStringList listed = QString::fromLocal8Bit(list->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(listed.size() == 4 && listed[3].contains(QStringLiteral("20271208-0900.MDB  ※日時が現在より後")), qPrintable(listed.join(u'\n')));

    // With the data file unusable, this morning's copy is offered before
    // the future one, which is offered, with its date as it is, only alone.
    write(place.file(kData), "not a data file");
    auto offered = [&] {
      QString messages;
      QProcess* p = place.start(this, &messages, {nowEnv(QStringLiteral("2026-12-08T12:00"))});
      p->waitForFinished(10000);
      return lines(messages).value(1);
    };
    QString question = offered();
    QVERIFY2(question.contains(QStringLiteral("2026年12月8日 9:30 作成（セッティング 1件）")), qPrintable(question));
    for (const char* name : {"Setting-20261208-0930.MDB", "Setting-20261208-0900.MDB"})
      QFile::remove(copyPath(place, QString::fromLatin1(name)));
    question = offered();
    QVERIFY2(question.contains(QStringLiteral("2027年12月8日 9:00 作成（セッティング 1件）")) &&
                 question.contains(QStringLiteral("現在より後")),
             qPrintable(question));
  }

  void aCopyTheProgramCannotOpenIsNeitherOfferedNorCounted() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    putCopy(place, QStringLiteral("Setting-20261207-0900.MDB"));
    putCopy(place, QStringLiteral("Setting-20261208-0900.MDB"));
    // Sound to the engine, but a field the program uses is missing.
    sql(copyPath(place, QStringLiteral("Setting-20261208-0900.MDB")), "ALTER TABLE セッティング DROP COLUMN FL_備考");
    write(place.file(kData), "not a data file");
    QString log;
    QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T12:00")), QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes")});
    QVERIFY(waitForLine(log, QStringLiteral("backup made")));
    p->terminate();
    p->waitForFinished();
    const QStringList l = lines(log);
    QVERIFY2(l.value(1).contains(QStringLiteral("2026年12月7日 9:00 作成")), qPrintable(l.value(1)));
    QVERIFY(l.contains(QStringLiteral("restored Setting-20261207-0900.MDB")));
    // Not today's copy either: the morning copy is made and the other set aside.
    QVERIFY(l.contains(QStringLiteral("backup made Setting-20261208-1200.MDB")));
    QVERIFY(copyNames(place).contains(QStringLiteral("Setting-使用不可-20261208-0900.MDB")));
  }

  void aLinkIsFollowedAndKept() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    const qint64 settings = rows(place.file(kData), schema::kSettings);
    putCopy(place, QStringLiteral("Setting-20261208-0900.MDB"));
    QFile::remove(place.file(kData));
    const QString target = place.file(QStringLiteral("share/Setting.MDB"));
    QVERIFY(QFile::link(target, place.file(kData)));
    // The share is not mounted: its name is told, nothing offered, nothing written.
    QString log;
    QProcess* p = place.start(this, &log, {QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes")});
    QVERIFY(p->waitForFinished(10000));
    QCOMPARE(p->exitCode(), 1);
    QCOMPARE(lines(log).size(), 1);
    QVERIFY2(lines(log)[0].contains(target) && lines(log)[0].contains(QStringLiteral("接続できません")), qPrintable(lines(log)[0]));
    QVERIFY(QFileInfo(place.file(kData)).isSymLink() && !QFileInfo::exists(target));

    // Mounted, with a damaged file: the restore writes where the link
    // points and keeps the link, also when it is killed on the way.
    QDir().mkpath(place.file(QStringLiteral("share")));
    write(target, "not a data file");
    const QStringList yes{nowEnv(QStringLiteral("2026-12-08T12:00")), QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes")};
    for (const char* stage : {"restore-copying", "restore-replacing"}) {
      p = place.start(this, &log, yes + QStringList{QStringLiteral("ASHIMEMO_TEST_STOP_AT=") + QString::fromLatin1(stage)});
      QVERIFY(killWhenStopped(p, stage));
      QVERIFY(QFileInfo(place.file(kData)).isSymLink());
      QCOMPARE(contents(target), QByteArray("not a data file"));
    }
    p = place.start(this, &log, yes);
    QVERIFY(waitForLine(log, QStringLiteral("main window shown")));
    p->kill();
    p->waitForFinished();
    QVERIFY(QFileInfo(place.file(kData)).isSymLink());
    QCOMPARE(rows(target, schema::kSettings), settings);
    QCOMPARE(contents(copyPath(place, QStringLiteral("Setting-使用不可-20261208-1200-2.MDB"))), QByteArray("not a data file"));
  }

  void aDataFileDeletedOrMovedWhileOpenIsCopiedFromTheOpenFile() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    session(place, QStringLiteral("2026-12-08T09:30"));  // no copy is due at the next starts
    const QString morning = copyPath(place, QStringLiteral("Setting-20261208-0930.MDB"));
    // Moved away, and the program killed while it copies the open file: no half copy counts.
    QString log;
    QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T10:00")),
                                           QStringLiteral("ASHIMEMO_TEST_STOP_AT=backup-copying")});
    QVERIFY(waitForLine(log, QStringLiteral("backup not due")));
    QVERIFY(QFile::rename(place.file(kData), place.file(QStringLiteral("moved.MDB"))));
    QVERIFY(killWhenStopped(p, "backup-copying"));
    QCOMPARE(copyNames(place), QStringList{QFileInfo(morning).fileName()});
    QVERIFY(QFile::rename(place.file(QStringLiteral("moved.MDB")), place.file(kData)));

    // Deleted after a save: copied at once and at closing, and said so.
    p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T10:00"))});
    QVERIFY(waitForLine(log, QStringLiteral("backup not due")));
    sql(place.file(kData), "INSERT INTO セッティング(コード, セッティング名称) VALUES (77, '保存済み')");
    QVERIFY(QFile::remove(place.file(kData)));
    QVERIFY(waitForLine(log, QStringLiteral("backup made Setting-20261208-1000.MDB")));
    p->terminate();
    QVERIFY(p->waitForFinished(10000));
    const QStringList told = lines(log).filter(QStringLiteral("削除されたか"));
    QCOMPARE(told.size(), 2);
    QVERIFY2(told[0].contains(QStringLiteral("「Setting-20261208-1000.MDB」にコピーしました")), qPrintable(told[0]));
    QVERIFY2(told[1].contains(QStringLiteral("「Setting-20261208-1000-2.MDB」にコピーしました")), qPrintable(told[1]));
    for (const char* name : {"Setting-20261208-1000.MDB", "Setting-20261208-1000-2.MDB"})
      QCOMPARE(rows(copyPath(place, QString::fromLatin1(name)), schema::kSettings), rows(morning, schema::kSettings) + 1);
  }

  void aNewDayBeginningWhileTheProgramRunsGetsItsCopy() {
    Place place;
    QVERIFY(createDataFile(place.file(kData), true, nullptr));
    putCopy(place, QStringLiteral("Setting-20261208-2300.MDB"));
    QString log;
    QProcess* p = place.start(this, &log, {nowEnv(QStringLiteral("2026-12-08T23:59:57")), QStringLiteral("ASHIMEMO_TEST_CLOCK=running")});
    QVERIFY(waitForLine(log, QStringLiteral("backup not due")));
    QVERIFY(waitForLine(log, QStringLiteral("backup made Setting-20261209-0000.MDB"), 15000));
    p->kill();
    p->waitForFinished();
  }
};

ASHIMEMO_TEST(BackupTest)
#include "tst_backup.moc"
