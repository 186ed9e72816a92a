// The first start from the desktop menu: which folder, what is created in
// it, and that nothing already there is ever replaced.
#include "data/datafile.h"
#include "data/schema.h"
#include "firststart.h"
#include "printing/settingsheet.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList kPictures{SettingSheet::kLeftPicture, SettingSheet::kRightPicture};

QString assets() { return qEnvironmentVariable("ASHIMEMO_SOURCE_DIR", ASHIMEMO_SOURCE_DIR_DEFAULT) + "/assets"; }

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

QString versionRow(const QString& file) {
  QString v;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("firststart"));
    db.setDatabaseName(file);
    if (db.open()) {
      QSqlQuery q(QStringLiteral("SELECT バージョン FROM バージョン情報"), db);
      if (q.next()) v = q.value(0).toString();
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("firststart"));
  return v;
}

}  // namespace

class FirstStartTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void folderIsAshimemoInDocumentsOrHome_data() {
    QTest::addColumn<QString>("documents");
    QTest::addColumn<QString>("expected");
    QTest::newRow("documents") << "/home/u/文書" << "/home/u/文書/Ashimemo";
    QTest::newRow("none") << "" << "/home/u/Ashimemo";
    QTest::newRow("not absolute") << "文書" << "/home/u/Ashimemo";
  }
  void folderIsAshimemoInDocumentsOrHome() {
    QFETCH(QString, documents);
    QFETCH(QString, expected);
    QCOMPARE(FirstStart::dataFolder(documents, QStringLiteral("/home/u")), expected);
  }

  void firstStartCreatesFolderDataFileAndPictures() {
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("文書/Ashimemo"));
    const FirstStart::Outcome out = FirstStart::prepare(folder, assets());
    QVERIFY2(out.error.isEmpty(), qPrintable(out.error));
    QVERIFY(out.createdDataFile);
    QVERIFY(out.uncopiedPictures.isEmpty());
    QCOMPARE(versionRow(QDir(folder).filePath(kDataFileName)), schema::kVersionText);
    for (const QString& p : kPictures) QCOMPARE(contents(QDir(folder).filePath(p)), contents(assets() + u'/' + p));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);  // no temporary file left
  }

  // A later start, or a folder the user made: the data file and the pictures
  // stay as they are; only a missing picture comes back.
  void laterStartReplacesNothing() {
    QTemporaryDir tmp;
    const QDir folder(tmp.filePath(QStringLiteral("Ashimemo")));
    QVERIFY(FirstStart::prepare(folder.path(), assets()).createdDataFile);
    write(folder.filePath(kDataFileName), "the user's data");
    write(folder.filePath(kPictures[0]), "the user's own picture");
    QVERIFY(QFile::remove(folder.filePath(kPictures[1])));
    const FirstStart::Outcome again = FirstStart::prepare(folder.path(), assets());
    QVERIFY(again.error.isEmpty());
    QVERIFY(!again.createdDataFile);
    QCOMPARE(contents(folder.filePath(kDataFileName)), QByteArray("the user's data"));
    QCOMPARE(contents(folder.filePath(kPictures[0])), QByteArray("the user's own picture"));
    QCOMPARE(contents(folder.filePath(kPictures[1])), contents(assets() + u'/' + kPictures[1]));
  }

  // A data file that is a link to a missing place (an unmounted drive) is
  // not replaced by a new, empty one: the program then says it is missing.
  void danglingLinkIsNotReplaced() {
    QTemporaryDir tmp;
    const QDir folder(tmp.path());
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("gone/Setting.MDB")), folder.filePath(kDataFileName)));
    const FirstStart::Outcome out = FirstStart::prepare(folder.path(), assets());
    QVERIFY(out.error.isEmpty());
    QVERIFY(!out.createdDataFile);
    QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("gone"))));
  }

  // A data file deleted by mistake: its copies are there, so no new, empty
  // file takes its place and the program offers the newest copy.
  void lostDataFileWithCopiesIsNotReplaced() {
    QTemporaryDir tmp;
    const QDir folder(tmp.path());
    QVERIFY(FirstStart::prepare(folder.path(), assets()).createdDataFile);
    QVERIFY(folder.mkdir(QStringLiteral("バックアップ")));
    QVERIFY(QFile::rename(folder.filePath(kDataFileName), folder.filePath(QStringLiteral("バックアップ/Setting-20261208-0930.MDB"))));
    const FirstStart::Outcome out = FirstStart::prepare(folder.path(), assets());
    QVERIFY(out.error.isEmpty());
    QVERIFY(!out.createdDataFile);
    QVERIFY(!QFileInfo::exists(folder.filePath(kDataFileName)));
    // A new PC: the copies are only in the second place "Ashimemo.ini" names.
    QVERIFY(QDir(folder).rename(QStringLiteral("バックアップ"), QStringLiteral("USB")));
    write(folder.filePath(QStringLiteral("Ashimemo.ini")), "[backup]\nsecond=USB\n");
    QVERIFY(!FirstStart::prepare(folder.path(), assets()).createdDataFile);
  }

  // A folder whose "Ashimemo.ini" names a server keeps its records there:
  // no data file is made beside it (a second copy place alone changes nothing).
  void serverFolderGetsNoDataFile() {
    QTemporaryDir tmp;
    const QDir folder(tmp.path());
    write(folder.filePath(QStringLiteral("Ashimemo.ini")), "[backup]\nsecond=/media/usb\n");
    QVERIFY(FirstStart::prepare(folder.path(), assets()).createdDataFile);
    QVERIFY(QFile::remove(folder.filePath(kDataFileName)));
    write(folder.filePath(QStringLiteral("Ashimemo.ini")), "[server]\nurl=postgresql://kojo@pit-pc/ashimemo\n");
    const FirstStart::Outcome out = FirstStart::prepare(folder.path(), assets());
    QVERIFY(out.error.isEmpty());
    QVERIFY(!out.createdDataFile);
    QVERIFY(!QFileInfo::exists(folder.filePath(kDataFileName)));
    QVERIFY(out.uncopiedPictures.isEmpty());
  }

  void failuresAreReported() {
    QTemporaryDir tmp;
    write(tmp.filePath(QStringLiteral("file")), "x");
    // A folder below a plain file cannot be made (also not by root).
    const QString blocked = tmp.filePath(QStringLiteral("file/Ashimemo"));
    FirstStart::Outcome out = FirstStart::prepare(blocked, assets());
    QVERIFY(!out.createdDataFile);
    QVERIFY2(out.error.contains(blocked), qPrintable(out.error));
    // Pictures that cannot be found are named; the data file is still made.
    out = FirstStart::prepare(tmp.filePath(QStringLiteral("Ashimemo")), tmp.filePath(QStringLiteral("nothing")));
    QVERIFY(out.error.isEmpty());
    QVERIFY(out.createdDataFile);
    QCOMPARE(out.uncopiedPictures, kPictures);
  }
};

ASHIMEMO_TEST(FirstStartTest)
#include "tst_firststart.moc"
