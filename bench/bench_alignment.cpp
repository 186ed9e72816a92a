// Opening the alignment record screen for a setting with a stored record and
// a base master (the wait between "アライメント記録" and a usable screen),
// and saving the full record.
#include "alignment/araiment.h"
#include "benchmain.h"
#include "data/schema.h"
#include "support/fixture.h"

#include <QApplication>
#include <QPushButton>

namespace {
void storeRecord(DataDir& d) {
  QStringList cols{QStringLiteral("コード"), QStringLiteral("登録名")};
  QVariantList values{3, QStringLiteral("ＢＮＲ３２")};
  for (const QString& c : schema::alignmentStandardColumns()) {
    cols << c;
    values << QStringLiteral("1.25");
  }
  QStringList marks;
  for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
  d.exec(QStringLiteral("INSERT INTO アライメントマスタ (%1) VALUES (%2)").arg(cols.join(u','), marks.join(u',')), values);

  cols = QStringList{QStringLiteral("コード"), QStringLiteral("アライメントコード")};
  values = QVariantList{12, QStringLiteral("0003")};
  const schema::Table& t = schema::table(schema::kAlignments);
  for (const schema::Column& c : t.columns.mid(2)) {
    cols << c.name;
    values << (c.type == schema::Type::Text ? QVariant(QStringLiteral("-0.25")) : QVariant(644));
  }
  marks.clear();
  for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
  d.exec(QStringLiteral("INSERT INTO アライメント (%1) VALUES (%2)").arg(cols.join(u','), marks.join(u',')), values);
}
}  // namespace

ASHIMEMO_BENCH(openAlignment, "alignment record screen") {
  DataDir d;
  storeRecord(d);
  const double open = bench::medianMs(21, [] {
    Araiment a(nullptr, QStringLiteral("0012"), QStringLiteral("サーキット用"));
    a.show();
    QApplication::processEvents();
  });
  bench::report(QStringLiteral("open Araiment with a stored record, shown"), open, QStringLiteral("ms"));

  Araiment a(nullptr, QStringLiteral("0012"), QStringLiteral("サーキット用"));
  const double save = bench::medianMs(21, [&] {
    d.messages.answer(true);
    a.Save_Araiment();
  });
  bench::report(QStringLiteral("save the full record (76 columns)"), save, QStringLiteral("ms"));
}
