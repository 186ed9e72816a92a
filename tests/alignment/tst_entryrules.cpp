// Number normalisation of each field family, including cases that the
// fields' length limits keep the user from typing (643.6 in a diameter).
#include "alignment/entryrules.h"
#include "support/testmain.h"

#include <QTest>

using namespace alignment;

class EntryRulesTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void normalisation_data() {
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    const int value = int(Family::Measurement), diameter = int(Family::Diameter);
    QTest::newRow("plus") << value << "+1.5" << "1.50";
    QTest::newRow("minus point") << value << "-.3" << "-0.30";
    QTest::newRow("letters") << value << "x" << "0.00";
    QTest::newRow("empty stays empty") << value << "" << "";
    QTest::newRow("blanks stay empty") << value << "  " << "";
    QTest::newRow("rounds to two") << int(Family::Standard) << "3.555" << "3.56";
    QTest::newRow("range box") << int(Family::Range) << "-0" << "0.00";
    QTest::newRow("diameter") << diameter << "643.6" << "644";
    QTest::newRow("diameter letters") << diameter << "abc" << "0";
    QTest::newRow("tyre size untouched") << int(Family::TyreSize) << " 205/50R16" << " 205/50R16";
  }
  void normalisation() {
    QFETCH(int, family);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(normalise(typed, Family(family)), shown);
  }
};

ASHIMEMO_TEST(EntryRulesTest)
#include "tst_entryrules.moc"
