// The per-wheel rules as plain data: which fields a product offers, the
// corrections of typed values and the Enter/Esc walk, for products with
// everything, with nothing and with front-only damping.
#include "settings/wheelrules.h"
#include "support/testmain.h"

#include <QTest>

namespace {

Capabilities everything() {
  Capabilities c;
  for (int a = 0; a < 2; ++a) {
    c.全長調節[size_t(a)] = c.キャンバー[size_t(a)] = c.ピロ車高[size_t(a)] = 1;
    c.伸縮[size_t(a)] = QStringLiteral("別");
  }
  c.減衰力調整幅_F = {QStringLiteral("10"), QStringLiteral("8")};
  c.減衰力調整幅_R = {QStringLiteral("6"), QStringLiteral("4")};
  return c;
}

Capabilities frontOnlyDamping() {
  Capabilities c;
  c.伸縮 = {QStringLiteral("同時"), QStringLiteral("なし")};
  c.車高調節 = {0, 1};
  c.減衰力調整幅_F = {QStringLiteral("15"), QStringLiteral("15")};
  c.減衰力調整幅_R = {QStringLiteral("0"), QStringLiteral("0")};
  return c;
}

QList<int> walk(const Capabilities& c, int wheel, bool enter, int from, int steps) {
  QList<int> items;
  int w = wheel, item = from;
  for (int i = 0; i < steps; ++i) {
    const WheelMove m = enter ? enterMove(c, w, item) : escMove(c, w, item);
    if (m.kind != WheelMove::Field) break;
    w = m.wheel;
    item = m.item;
    items << w * 100 + item;
  }
  return items;
}

}  // namespace

class WheelRulesTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void enterWalksOnlyWhatIsOffered() {
    // Everything offered: every field in order, then the next wheel.
    QCOMPARE(walk(everything(), 0, true, Fender, 12),
             (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 100}));
    // Reset state ("00:なし"): fender, preload, then the spring data.
    QCOMPARE(walk(Capabilities{}, 1, true, Fender, 6), (QList<int>{101, 108, 109, 110, 111, 200}));
    // Front-only damping with no rear seat adjustment.
    QCOMPARE(walk(frontOnlyDamping(), 0, true, Fender, 3), (QList<int>{1, 6, 7}));
    QCOMPARE(walk(frontOnlyDamping(), 2, true, Fender, 2), (QList<int>{208, 209}));
  }

  void escWalksBackAndAcrossWheels() {
    QCOMPARE(walk(everything(), 1, false, Remark, 12),
             (QList<int>{110, 109, 108, 107, 106, 105, 104, 103, 102, 101, 100, 11}));
    QCOMPARE(escMove(everything(), 0, Fender).kind, WheelMove::CoilOverList);
    QCOMPARE(enterMove(everything(), 3, Remark).kind, WheelMove::Stay);
    QCOMPARE(walk(Capabilities{}, 2, false, SpringRate, 2), (QList<int>{201, 200}));
    QCOMPARE(walk(frontOnlyDamping(), 3, false, SpringRate, 1), (QList<int>{300}));
  }

  void availability() {
    const Capabilities c = frontOnlyDamping();
    QVERIFY(isAvailable(c, Extension, 0));
    QVERIFY(!isAvailable(c, Compression, 1));
    QVERIFY(isAvailable(c, Preload, 0));
    QVERIFY(!isAvailable(c, Preload, 1));
    QVERIFY(!isAvailable(c, Length, 0));
    for (int item : {Fender, SpringRate, SpringId, FreeLength, Remark}) QVERIFY(isAvailable(Capabilities{}, item, 1));
  }

  void corrections_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("axle");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("fender rounds") << int(Fender) << 0 << "64.5" << "65";
    QTest::newRow("blank stays") << int(Length) << 0 << "  " << "  ";
    QTest::newRow("spring ceiling") << int(SpringRate) << 0 << "123" << "99.9";
    QTest::newRow("spring one decimal") << int(SpringRate) << 1 << "5" << "5.0";
    QTest::newRow("spring letters") << int(SpringRate) << 1 << "x" << "0.0";
    QTest::newRow("id") << int(SpringId) << 0 << "65.4" << "65";
    QTest::newRow("extension above front max") << int(Extension) << 0 << "15" << "10";
    QTest::newRow("extension zero") << int(Extension) << 0 << "0" << "1";
    QTest::newRow("extension negative") << int(Extension) << 1 << "-3" << "1";
    QTest::newRow("compression rear max") << int(Compression) << 1 << "9" << "4";
    QTest::newRow("remark untouched") << int(Remark) << 0 << " 12.5 " << " 12.5 ";
  }
  void corrections() {
    QFETCH(int, item);
    QFETCH(int, axle);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(correctWheelValue(everything(), item, axle, typed), shown);
  }

  void loweringToTheProductsRange() {
    QCOMPARE(lowerToMaximum(QStringLiteral("12"), QStringLiteral("10")), QStringLiteral("10"));
    QCOMPARE(lowerToMaximum(QStringLiteral("8"), QStringLiteral("10")), QStringLiteral("8"));
    QCOMPARE(lowerToMaximum(QString(), QStringLiteral("10")), QString());
  }
};

ASHIMEMO_TEST(WheelRulesTest)
#include "tst_wheelrules.moc"
