// Start-up on a Jet-format Setting.MDB, through the real program: the
// question, Yes (convert, report, start on the new file), No (end as
// before), cancel in the progress dialog, refusals, and a kill at any moment
// leaving one whole file; the converted records read back on the screens.
#include "alignment/araiment.h"
#include "app/jetstart.h"
#include "app/mainwindow.h"
#include "data/datafile.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "screens/fields.h"
#include "support/fixture.h"
#include "support/jettools.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTest>

namespace {

const QString kQuestion = QStringLiteral(
    "Ashimemo\t「Setting.MDB」は Microsoft Access（Jet 形式）のデータファイルです。\\n"
    "このプログラムで使える形式に変換しますか？\\n\\n元のファイルはそのまま「バックアップ」フォルダーに残します。\tYesNo\tNone");

// The originals a conversion kept (the program may also have made its
// daily copy by the time it is ended).
QStringList backups(const QString& folder) {
  return QDir(folder + QStringLiteral("/バックアップ")).entryList({QStringLiteral("Setting-変換前-*.MDB")}, QDir::Files);
}

// Runs the program with `answers` until it ends (with status 1, as a
// refused start does); gives Setting.MDB's bytes then.
QByteArray endsAt(ct::ChildProgram& run, const QString& answers) {
  QProcess* p = run.start(nullptr, answers);
  const bool ended = p->waitForFinished(20000) && p->exitCode() == 1;
  delete p;
  return ended ? ct::bytes(run.file(kDataFileName)) : QByteArray("did not end with status 1");
}

// Runs it again with a fresh log: it converts and shows the main window.
bool startsConverted(ct::ChildProgram& run, const QString& answers) {
  QFile::remove(run.log);
  QProcess* p = run.start(nullptr, answers);
  const bool shown = run.waitForLine(QStringLiteral("main window shown"));
  p->kill();
  p->waitForFinished();
  delete p;
  return shown && safefile::checkDataFile(run.file(kDataFileName)).ok && backups(run.work.path()).size() == 1;
}

}  // namespace

class JetStartTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void yesConvertsReportsAndStartsOnTheNewFile() {
    ct::ChildProgram run;
    ct::writeJet(run.file(kDataFileName), jetdata::filled(3, 2, 2, 1, 1), jetfile::Version::Jet3);
    const QByteArray original = ct::bytes(run.file(kDataFileName));
    QProcess* p = run.start(this, QStringLiteral("yes"));
    QVERIFY(run.waitForLine(QStringLiteral("main window shown")));
    const QStringList l = run.lines();
    QCOMPARE(l.first(), kQuestion);
    QString report;
    for (const QString& line : l)
      if (line.startsWith(QStringLiteral("Ashimemo\tデータファイルを変換しました。"))) report = line;
    QVERIFY2(report.contains(QStringLiteral("・セッティング: 3 件\\n・車高調マスタ: 2 件")), qPrintable(l.join(u'\n')));
    QVERIFY(report.endsWith(QStringLiteral("\tOK\tNone")));
    p->kill();
    p->waitForFinished();
    QVERIFY(safefile::checkDataFile(run.file(kDataFileName)).ok);
    const QStringList kept = backups(run.work.path());
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept[0].startsWith(QStringLiteral("Setting-変換前-")));
    QCOMPARE(ct::bytes(run.file(QStringLiteral("バックアップ/") + kept[0])), original);
  }

  void noEndsAsBeforeAndChangesNothing() {
    ct::ChildProgram run;
    ct::writeJet(run.file(kDataFileName), jetdata::filled(3, 2, 2, 1, 1));
    const QByteArray original = ct::bytes(run.file(kDataFileName));
    QProcess* p = run.start(this, QStringLiteral("no"));
    QVERIFY(p->waitForFinished(20000));
    QCOMPARE(p->exitCode(), 1);
    const QStringList l = run.lines();
    QCOMPARE(l.size(), 2);
    QCOMPARE(l[0], kQuestion);
    QVERIFY2(l[1].startsWith(QStringLiteral("Ashimemo\tデータファイル「Setting.MDB」を開けません。")), qPrintable(l[1]));
    QCOMPARE(ct::bytes(run.file(kDataFileName)), original);
    QCOMPARE(QDir(run.work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name | QDir::IgnoreCase),
             (QStringList{QStringLiteral("messages.log"), QStringLiteral("Setting.MDB")}));
  }

  // A wrong password or Cancel changes nothing; the right one converts.
  void databasePasswordIsAskedForAtStartUp() {
    ct::ChildProgram run;
    jetfile::Options o;
    o.password = QStringLiteral("ひみつ");
    QVERIFY(jetfile::write(run.file(kDataFileName), jetdata::filled(3, 2, 2, 1, 1), o));
    const QByteArray original = ct::bytes(run.file(kDataFileName));
    QCOMPARE(endsAt(run, QStringLiteral("yes,password:ひみつ7,cancel")), original);
    const QString ask = QStringLiteral("Ashimemo\t「Setting.MDB」にはデータベースパスワードが設定されています。\\n"
                                       "Microsoft Access で設定したパスワードを入力してください。\tPassword\tNone");
    QCOMPARE(run.lines(), (QStringList{kQuestion, ask, QStringLiteral("Ashimemo\tパスワードが違います。もう一度入力してください。\tOK\tCritical"), ask,
                                       QStringLiteral("Ashimemo\t変換を中止しました。「Setting.MDB」は元のままです。\\nプログラムを終了します。\tOK\tNone")}));
    QVERIFY(!QFileInfo::exists(run.file(QStringLiteral("バックアップ"))));
    QVERIFY(startsConverted(run, QStringLiteral("yes,password:ひみつ")));
  }

  // Access's lock file: the users it lists are named, No changes nothing,
  // and only a second Yes (after closing Access) converts.
  void accessLockFileAsksToCloseAccessFirst() {
    ct::ChildProgram run;
    ct::writeJet(run.file(kDataFileName), jetdata::filled(3, 2, 2, 1, 1));
    QVERIFY(jetfile::writeLockFile(run.file(QStringLiteral("Setting.ldb")), {{QStringLiteral("WORKSHOP-PC"), QStringLiteral("Admin")},
                                                                        {QStringLiteral("事務所"), QStringLiteral("佐藤")}}));
    const QByteArray original = ct::bytes(run.file(kDataFileName));
    QCOMPARE(endsAt(run, QStringLiteral("yes,no")), original);
    const QStringList l = run.lines();
    QCOMPARE(l.size(), 3);
    for (const QString& part : {QStringLiteral("（ロックファイル「Setting.ldb」: WORKSHOP-PC の Admin、事務所 の 佐藤）"),
                                QStringLiteral("Access を閉じてから「はい」を押してください。"),
                                QStringLiteral("残ったロックファイルなら、削除してかまいません。\tYesNo(No)\tNone")})
      QVERIFY2(l[1].contains(part), qPrintable(l[1]));
    QVERIFY(l[2].contains(QStringLiteral("変換しませんでした。「Setting.MDB」は元のままです。")));
    QVERIFY(startsConverted(run, QStringLiteral("yes,yes")));
  }

  void readOnlyFolderIsRefusedAtStartUp() {
    ct::ChildProgram run;
    const QString folder = run.file(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    ct::writeJet(folder + QStringLiteral("/Setting.MDB"), jetdata::filled(3, 2, 2, 1, 1));
    const QByteArray original = ct::bytes(folder + QStringLiteral("/Setting.MDB"));
    QString output;
    int code = 0;
    QStringList command{QStringLiteral("env"), QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("TMPDIR=") + run.temp.path(),
                        QStringLiteral("ASHIMEMO_TEST_MESSAGES=") + run.log, QStringLiteral("ASHIMEMO_TEST_ANSWERS=yes"),
                        ct::binary(QStringLiteral("ashimemo"))};
    if (!ct::isolated(QStringLiteral("mount --bind '%1' '%1' && mount -o remount,bind,ro '%1' && cd '%1'").arg(folder), command, &output, &code))
      QSKIP("private mount namespaces are not available here");
    QCOMPARE(code, 1);
    const QStringList l = run.lines();
    QCOMPARE(l.size(), 2);
    QVERIFY2(l[1].contains(QStringLiteral("書き込めません")) && l[1].endsWith(QStringLiteral("\tOK\tCritical")), qPrintable(l[1]));
    QVERIFY(l[1].contains(QStringLiteral("「Setting.MDB」は元のままです。")));
    QCOMPARE(ct::bytes(folder + QStringLiteral("/Setting.MDB")), original);
  }

  // SIGKILL after each step the program logs and at timed moments: the file
  // at Setting.MDB is always the untouched Jet file or the finished new one,
  // and once the new one is in place the original is kept.
  void killAtAnyMomentLeavesOneWholeFile_data() {
    QTest::addColumn<bool>("linked");
    QTest::newRow("file") << false;
    QTest::newRow("symbolic link") << true;
  }
  void killAtAnyMomentLeavesOneWholeFile() {
    QFETCH(bool, linked);
    QTemporaryDir source;
    const QString jet = source.filePath(QStringLiteral("big.MDB"));
    ct::writeJet(jet, jetdata::filled(9999, 2000, 99, 3000, 99));
    const QByteArray original = ct::bytes(jet);
    const QStringList steps{QStringLiteral("「セッティング」を変換"), QStringLiteral("「アライメント」を変換"),
                            QStringLiteral("確認しています"), QStringLiteral("元のファイルを保存"),
                            QStringLiteral("データファイルを変換しました")};
    int replaced = 0, kept = 0;
    for (int i = 0; i < steps.size() + 6; ++i) {
      ct::ChildProgram run;
      const QString data = linked ? source.filePath(QStringLiteral("linked.MDB")) : run.file(kDataFileName);
      QFile::remove(data);
      QVERIFY(QFile::copy(jet, data));
      if (linked) QVERIFY(QFile::link(data, run.file(kDataFileName)));
      QProcess* p = run.start(this, QStringLiteral("yes"));
      if (i < steps.size())
        QVERIFY(run.waitForLine(steps[i]));
      else
        QTest::qWait(100 + 90 * (i - steps.size()));
      p->kill();
      p->waitForFinished();
      if (linked) QCOMPARE(QFileInfo(run.file(kDataFileName)).symLinkTarget(), data);
      const QString problem = ct::wholeFile(data, original, 9999);
      QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("kill %1: %2").arg(i).arg(problem)));
      if (ct::bytes(data) == original) {
        ++kept;
        continue;
      }
      ++replaced;
      const QStringList copies = backups(run.work.path());
      QCOMPARE(copies.size(), 1);
      QCOMPARE(ct::bytes(run.file(QStringLiteral("バックアップ/") + copies[0])), original);
    }
    QVERIFY(kept > 0 && replaced > 0);
  }

  void cancelInTheProgressDialogLeavesEverythingAsItWas() {
    QTemporaryDir dir;
    const QString data = dir.filePath(kDataFileName);
    ct::writeJet(data, jetdata::filled(9999, 9999, 99, 9999, 999));
    const QByteArray original = ct::bytes(data);
    ScriptedMessages messages;
    messages.answer(true);
    QString label;
    onNextModal([&](QDialog* d) {
      auto* progress = qobject_cast<QProgressDialog*>(d);
      QVERIFY(progress);
      QCOMPARE(progress->windowTitle(), QStringLiteral("Ashimemo"));
      QTest::keyClick(progress, Qt::Key_Escape);
    });
    QCOMPARE(offerJetConversion(data), JetStart::Ended);
    const QList<ShownMessage> shown = messages.take();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(shown[1].text, QStringLiteral("変換を中止しました。「Setting.MDB」は元のままです。\nプログラムを終了します。"));
    QCOMPARE(ct::bytes(data), original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{kDataFileName});
  }

  void convertedRecordsShowOnTheScreensAsStored() {
    DataDir dir(false);
    QList<jetfile::Table> tables = jetdata::filled(12, 12, 12, 0, 1);
    jetfile::Table& a = *jetdata::find(tables, schema::kAlignments);
    QVariantList alignment = jetdata::row(schema::kAlignments, 5);
    for (int i = 28; i < 72; ++i) alignment[i] = QStringLiteral("%1").arg(i * 0.05 - 2, 0, 'f', 2);
    a.rows << alignment;
    QFile::remove(dir.file(kDataFileName));
    ct::writeJet(dir.file(kDataFileName), tables, jetfile::Version::Jet3);
    dir.messages.answer(true);
    QCOMPARE(offerJetConversion(kDataFileName), JetStart::Converted);
    QCOMPARE(dir.messages.take().size(), 2);
    QCOMPARE(OpenDataFile(), 0);

    Setting window;
    window.startUp();
    QVERIFY(showAndActivate(&window));
    auto* code = control<QLineEdit>(&window, QStringLiteral("コード"));
    code->setFocus();
    code->selectAll();
    typeText(QStringLiteral("5"));
    press(Qt::Key_Return);
    const QVariantList s = jetdata::row(schema::kSettings, 5);
    QCOMPARE(control<QLineEdit>(&window, QStringLiteral("セッティング名"))->text(), s[1].toString());
    QCOMPARE(control<QLineEdit>(&window, QStringLiteral("年"))->text() + control<QLineEdit>(&window, QStringLiteral("月"))->text() +
                 control<QLineEdit>(&window, QStringLiteral("日"))->text(),
             s[2].toString());
    QCOMPARE(control<QComboBox>(&window, QStringLiteral("ユーザー"))->currentText(), QStringLiteral("0006:佐藤　一郎6"));
    for (int w = 0; w < 4; ++w) {
      QCOMPARE(control<QLineEdit>(&window, arrayName(QStringLiteral("フェンダー高"), w))->text(), QStringLiteral("650"));
      QCOMPARE(control<QLineEdit>(&window, arrayName(QStringLiteral("備考"), w))->text(), QStringLiteral("街乗り"));
    }

    Araiment screen(nullptr, QStringLiteral("0005"), s[1].toString());
    QVERIFY(showAndActivate(&screen));
    for (int i = 0; i < 22; ++i) {
      QCOMPARE(control<QLineEdit>(&screen, arrayName(QStringLiteral("調整前"), i))->text(), alignment[28 + i].toString());
      QCOMPARE(control<QLineEdit>(&screen, arrayName(QStringLiteral("調整後"), i))->text(), alignment[50 + i].toString());
    }
    QCOMPARE(control<QLineEdit>(&screen, arrayName(QStringLiteral("タイヤ外径"), 1))->text(), QStringLiteral("580"));
    QCOMPARE(userListItems().mid(1, 3), (QStringList{QStringLiteral("0001:佐藤　一郎1"), QStringLiteral("0002:佐藤　一郎2"),
                                                   QStringLiteral("0003:佐藤　一郎3")}));
  }
};

ASHIMEMO_TEST(JetStartTest)
#include "tst_jetstart.moc"
