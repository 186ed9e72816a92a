// The value-entry rules as data: number normalisation of each family and the
// places where the base master's Enter/Esc steps differ from the record's.
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

  void baseMasterStepsDifferInTwoPlaces() {
    const Navigation& record = araimentNavigation();
    const Navigation& base = araimentBaseNavigation();
    int differences = 0;
    for (const FieldSpec& f : standardFields()) {
      const Step r = record.value(f.name), b = base.value(f.name);
      if (r.enter != b.enter || r.esc != b.esc) ++differences;
    }
    QCOMPARE(differences, 2);
    QCOMPARE(record.value(QStringLiteral("トータルトウF")).esc, QStringLiteral("アライメントコード"));
    QCOMPARE(base.value(QStringLiteral("トータルトウF")).esc, QStringLiteral("登録名"));
    QCOMPARE(record.value(QStringLiteral("スラスト角")).enter, QStringLiteral("調整前(0)"));
    QCOMPARE(base.value(QStringLiteral("スラスト角")).enter, QString());
    QCOMPARE(base.value(QStringLiteral("コード")).enter, QStringLiteral("登録名"));
    QCOMPARE(base.value(QStringLiteral("登録名")).esc, QStringLiteral("コード"));
  }
};

ASHIMEMO_TEST(EntryRulesTest)
#include "tst_entryrules.moc"
