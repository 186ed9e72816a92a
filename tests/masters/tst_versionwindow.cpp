// The version window: the version line read from the data file, the
// notice for an empty or broken version table, and the OK button.
#include "masterhelpers.h"
#include "masters/versionwindow.h"
#include "support/testmain.h"

#include <QLabel>
#include <memory>

namespace {
const QString kDamaged = QStringLiteral("データファイルに異常があります！！");

QString lineShown(QWidget& w) { return control<QLabel>(&w, QStringLiteral("バージョン"))->text(); }
}  // namespace

class VersionWindowTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void showsTheTrimmedVersionAndCloses() {
    DataDir dir;
    dir.exec(QStringLiteral("UPDATE バージョン情報 SET バージョン=?"), {QStringLiteral(" 1.02 ")});
    VersionWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(lineShown(w), QStringLiteral("Version 1.02"));
    QCOMPARE(control<QLabel>(&w, QStringLiteral("Label1"))->text(), QStringLiteral("Ashimemo"));
    QCOMPARE(control<QLabel>(&w, QStringLiteral("Label2"))->text(), QStringLiteral("車高調セッティング記録システム"));
    QCOMPARE(control<QPushButton>(&w, QStringLiteral("Command1"))->text(), QStringLiteral("&OK"));
    onNextModal([](QDialog* d) { click(d, QStringLiteral("Command1")); });
    QCOMPARE(w.exec(), int(QDialog::Accepted));
    // Enter presses OK as well.
    VersionWindow again;
    onNextModal([](QDialog*) { press(Qt::Key_Return); });
    QCOMPARE(again.exec(), int(QDialog::Accepted));
    QVERIFY(dir.messages.take().isEmpty());
  }

  void anEmptyOrBrokenTableIsReportedInTheLine() {
    DataDir dir;
    dir.exec(QStringLiteral("DELETE FROM バージョン情報"));
    QCOMPARE(lineShown(*std::make_unique<VersionWindow>()), kDamaged);
    // A missing field or table is an engine error; the window says the same
    // instead of failing.
    dir.exec(QStringLiteral("INSERT INTO バージョン情報 VALUES ('1.00')"));
    dir.exec(QStringLiteral("ALTER TABLE バージョン情報 RENAME COLUMN バージョン TO 版"));
    QCOMPARE(lineShown(*std::make_unique<VersionWindow>()), kDamaged);
    dir.exec(QStringLiteral("DROP TABLE バージョン情報"));
    VersionWindow w;
    QCOMPARE(lineShown(w), kDamaged);
    onNextModal([](QDialog* d) { click(d, QStringLiteral("Command1")); });
    QCOMPARE(w.exec(), int(QDialog::Accepted));
    QVERIFY(dir.messages.take().isEmpty());
  }
};

ASHIMEMO_TEST(VersionWindowTest)
#include "tst_versionwindow.moc"
