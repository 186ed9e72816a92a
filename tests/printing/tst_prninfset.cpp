// The printer settings screen driven by keys and clicks: what it offers,
// storing and reopening, the margin rules, the paper list of the chosen
// printer, which keys it takes, and the locked lists.
#include "printtest.h"
#include "printing/prninf.h"
#include "printing/prninfset.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTest>

namespace {

QStringList itemsOf(QComboBox* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
  return out;
}

void setUpPrinters(FakePrinters& printers) {
  printers.sizes[QStringLiteral("Office")] = {QPageSize(QPageSize::A4), QPageSize(QPageSize::A3),
                                               QPageSize(QPageSize::JisB5)};
  printers.sizes[QStringLiteral("Label")] = {QPageSize(QPageSize::A5), QPageSize(QPageSize::Letter)};
  printers.defaultPrinter = QStringLiteral("Office");
}

const QStringList kInchSizes{QStringLiteral("9 x 11インチ"), QStringLiteral("10 x 11インチ"),
                             QStringLiteral("15 x 11インチ")};

}  // namespace

class PrnInfSetTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensWithThePrintersFacts() {
    DataDir dir(false);
    FakePrinters printers;
    setUpPrinters(printers);
    PrnInf.PrnInfKey = QStringLiteral("SETTING");
    PrnInfSet screen;
    QVERIFY(showAndActivate(&screen));
    QCOMPARE(screen.windowTitle(), QStringLiteral("使用するプリンターの設定"));
    QCOMPARE(QFontInfo(screen.font()).family(), QStringLiteral("IPAGothic"));
    auto* prn = control<QComboBox>(&screen, QStringLiteral("PrnList"));
    auto* paper = control<QComboBox>(&screen, QStringLiteral("PaperSize"));
    auto* orient = control<QComboBox>(&screen, QStringLiteral("Orientation"));
    QCOMPARE(itemsOf(prn), (QStringList{QStringLiteral("Label"), QStringLiteral("Office"), QStringLiteral("PDFファイル")}));
    QCOMPARE(prn->currentText(), QStringLiteral("Office"));
    QCOMPARE(QApplication::focusWidget(), prn);
    // Only what the printer supports, in code order, then the inch sizes.
    QCOMPARE(itemsOf(paper), QStringList({QStringLiteral("A3 - 297 x 420 mm"), QStringLiteral("A4 - 210 x 297 mm"),
                                          QStringLiteral("B5 - 182 x 257 mm")}) +
                                 kInchSizes);
    QCOMPARE(paper->currentText(), QStringLiteral("A4 - 210 x 297 mm"));
    QCOMPARE(paper->itemData(1).toInt(), 9);
    QVERIFY(!paper->itemData(3).isValid());
    QCOMPARE(itemsOf(orient), (QStringList{QStringLiteral("縦方向"), QStringLiteral("横方向")}));
    QCOMPARE(orient->currentText(), QStringLiteral("縦方向"));
    QCOMPARE(control<QLineEdit>(&screen, QStringLiteral("M_up"))->text(), QStringLiteral("20"));
    QCOMPARE(control<QLineEdit>(&screen, QStringLiteral("M_left"))->text(), QStringLiteral("20"));
    auto* bar = control<QScrollBar>(&screen, QStringLiteral("SC_M_up"));
    QCOMPARE((QList<int>{bar->minimum(), bar->maximum(), bar->singleStep(), bar->value()}), (QList<int>{0, 30, 1, 20}));
    QCOMPARE(control<QScrollBar>(&screen, QStringLiteral("SC_M_Left"))->value(), 20);
    QCOMPARE(control<QPushButton>(&screen, QStringLiteral("F1_Switch"))->text(), QStringLiteral("登録(F1)"));
    QCOMPARE(control<QPushButton>(&screen, QStringLiteral("F10_Switch"))->text(), QStringLiteral("終了(F10)"));
    QCOMPARE(control<QComboBox>(&screen, QStringLiteral("lstAllPaperSizes"))->count(), 35);
    QVERIFY(!control<QComboBox>(&screen, QStringLiteral("lstAllPaperSizes"))->isVisible());
  }

  void storesAndShowsAgain() {
    DataDir dir(false);
    FakePrinters printers;
    setUpPrinters(printers);
    PrnInf.PrnInfKey = QStringLiteral("ARAIMENT");
    {
      PrnInfSet screen;
      QVERIFY(showAndActivate(&screen));
      auto* paper = control<QComboBox>(&screen, QStringLiteral("PaperSize"));
      paper->setCurrentIndex(paper->findText(QStringLiteral("B5 - 182 x 257 mm")));
      auto* orient = control<QComboBox>(&screen, QStringLiteral("Orientation"));
      orient->setCurrentIndex(1);
      auto* up = control<QLineEdit>(&screen, QStringLiteral("M_up"));
      up->setFocus();
      up->selectAll();
      typeText(QStringLiteral("12"));
      control<QLineEdit>(&screen, QStringLiteral("M_left"))->setFocus();
      control<QScrollBar>(&screen, QStringLiteral("SC_M_Left"))->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      QCOMPARE(control<QLineEdit>(&screen, QStringLiteral("M_left"))->text(), QStringLiteral("21"));
      QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("F1_Switch")), Qt::LeftButton);
      QVERIFY(dir.messages.take().isEmpty());  // no message
      QVERIFY(screen.isVisible());             // stays open
    }
    QStringEncoder sjis("Shift_JIS");
    QCOMPARE(fileBytes(QStringLiteral("ARAIMENT.PRN")),
             QByteArray(sjis(QStringLiteral("Office\r\nB5 - 182 x 257 mm\r\n横方向\r\n12\r\n21\r\n"))));
    QVERIFY(!QFile::exists(QStringLiteral("SETTING.PRN")));

    PrnInf = PrnInfRecord{};
    PrnInf.PrnInfKey = QStringLiteral("ARAIMENT");
    PrnInfSet again;
    QVERIFY(showAndActivate(&again));
    QCOMPARE(control<QComboBox>(&again, QStringLiteral("PrnList"))->currentText(), QStringLiteral("Office"));
    QCOMPARE(control<QComboBox>(&again, QStringLiteral("PaperSize"))->currentText(), QStringLiteral("B5 - 182 x 257 mm"));
    QCOMPARE(control<QComboBox>(&again, QStringLiteral("Orientation"))->currentText(), QStringLiteral("横方向"));
    QCOMPARE(control<QLineEdit>(&again, QStringLiteral("M_up"))->text(), QStringLiteral("12"));
    QCOMPARE(control<QScrollBar>(&again, QStringLiteral("SC_M_up"))->value(), 12);
    QCOMPARE(control<QLineEdit>(&again, QStringLiteral("M_left"))->text(), QStringLiteral("21"));
    // F1 again writes the same five lines.
    control<QComboBox>(&again, QStringLiteral("PrnList"))->setFocus();
    press(Qt::Key_F1);
    QCOMPARE(fileBytes(QStringLiteral("ARAIMENT.PRN")),
             QByteArray(sjis(QStringLiteral("Office\r\nB5 - 182 x 257 mm\r\n横方向\r\n12\r\n21\r\n"))));
  }

  void marginRules_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("bar");
    QTest::newRow("above 30") << "45" << "20" << 20;
    QTest::newRow("30") << "30" << "30" << 30;
    QTest::newRow("rounded") << "7.6" << "8" << 8;
    QTest::newRow("negative") << "-3" << "0" << 0;
    QTest::newRow("blanks") << " 9 " << "9" << 9;
    QTest::newRow("no number") << "abc" << "0" << 0;
  }
  void marginRules() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, bar);
    DataDir dir(false);
    FakePrinters printers;
    PrnInf.PrnInfKey = QStringLiteral("SETTING");
    PrnInfSet screen;
    QVERIFY(showAndActivate(&screen));
    for (const auto& [box, barName] : {std::pair{"M_up", "SC_M_up"}, std::pair{"M_left", "SC_M_Left"}}) {
      auto* edit = control<QLineEdit>(&screen, QString::fromLatin1(box));
      edit->setFocus();
      edit->selectAll();
      typeText(typed);
      press(Qt::Key_Tab);  // leave the box
      QCOMPARE(edit->text(), shown);
      QCOMPARE(control<QScrollBar>(&screen, QString::fromLatin1(barName))->value(), bar);
    }
  }

  void paperListFollowsTheChosenPrinter() {
    DataDir dir(false);
    FakePrinters printers;
    setUpPrinters(printers);
    printers.sizes[QStringLiteral("Wide")] = {QPageSize(QPageSize::A4), QPageSize(QPageSize::JisB4)};
    PrnInf.PrnInfKey = QStringLiteral("SETTING");
    PrnInfSet screen;
    QVERIFY(showAndActivate(&screen));
    auto* prn = control<QComboBox>(&screen, QStringLiteral("PrnList"));
    auto* paper = control<QComboBox>(&screen, QStringLiteral("PaperSize"));
    prn->setCurrentIndex(prn->findText(QStringLiteral("Label")));
    QCOMPARE(itemsOf(paper), QStringList({QStringLiteral("レター - 8 1/2 x 11 in"), QStringLiteral("A5 - 148 x 210 mm")}) +
                                 kInchSizes);
    prn->setCurrentIndex(prn->findText(QStringLiteral("Wide")));
    paper->setCurrentIndex(paper->findText(QStringLiteral("B4 - 250 x 354 mm")));
    prn->setCurrentIndex(prn->findText(QStringLiteral("PDFファイル")));
    QCOMPARE(paper->count(), 38);
    QCOMPARE(paper->currentText(), QStringLiteral("B4 - 250 x 354 mm"));  // still offered: kept
  }

  void takesKeysOnlyInThePrinterList() {
    DataDir dir(false);
    FakePrinters printers;
    PrnInf.PrnInfKey = QStringLiteral("SETTING");
    PrnInfSet screen;
    QVERIFY(showAndActivate(&screen));
    control<QLineEdit>(&screen, QStringLiteral("M_up"))->setFocus();
    press(Qt::Key_F1);
    press(Qt::Key_F10);
    press(Qt::Key_Escape);
    press(Qt::Key_Return);
    QVERIFY(!QFile::exists(QStringLiteral("SETTING.PRN")));
    QVERIFY(screen.isVisible());
    control<QComboBox>(&screen, QStringLiteral("PrnList"))->setFocus();
    press(Qt::Key_Escape);
    QVERIFY(screen.isVisible());
    press(Qt::Key_F1);
    QVERIFY(QFile::exists(QStringLiteral("SETTING.PRN")));
    press(Qt::Key_F10);
    QVERIFY(!screen.isVisible());
    QVERIFY(dir.messages.take().isEmpty());
  }

  void listsAreLockedAgainstTyping() {
    DataDir dir(false);
    FakePrinters printers;
    setUpPrinters(printers);
    PrnInf.PrnInfKey = QStringLiteral("SETTING");
    PrnInfSet screen;
    QVERIFY(showAndActivate(&screen));
    auto* paper = static_cast<LockedList*>(control<QComboBox>(&screen, QStringLiteral("PaperSize")));
    paper->setFocus();
    const QString before = paper->currentText();
    for (int key : {int(Qt::Key_Down), int(Qt::Key_Up), int(Qt::Key_End), int(Qt::Key_B)}) press(key);
    QCOMPARE(paper->currentText(), before);
    QWheelEvent wheel(QPointF(5, 5), paper->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(paper, &wheel);
    QCOMPARE(paper->currentText(), before);
    // Opening the drop-down unlocks it: a value can be chosen there.
    paper->showPopup();
    QVERIFY(!paper->locked);
    paper->setCurrentIndex(0);
    paper->hidePopup();
    QVERIFY(paper->locked);
    QCOMPARE(paper->currentText(), QStringLiteral("A3 - 297 x 420 mm"));
  }

  void failedStoreIsReported() {
    DataDir dir(false);
    FakePrinters printers;
    PrnInf.PrnInfKey = QStringLiteral("SETTING");
    QVERIFY(QDir().mkdir(QStringLiteral("SETTING.PRN")));  // cannot be replaced
    PrnInfSet screen;
    QVERIFY(showAndActivate(&screen));
    QTest::mouseClick(control<QPushButton>(&screen, QStringLiteral("F1_Switch")), Qt::LeftButton);
    const QList<ShownMessage> shown = dir.messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("使用するプリンターの設定"));
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QVERIFY(shown[0].text.startsWith(QStringLiteral("プリンターの設定を保存できませんでした。")));
    QVERIFY(screen.isVisible());
  }
};

ASHIMEMO_TEST(PrnInfSetTest)
#include "tst_prninfset.moc"
