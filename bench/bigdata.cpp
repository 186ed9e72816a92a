#include "bigdata.h"

#include "data/datafile.h"
#include "data/newfile.h"
#include "data/schema.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

static void fill(QSqlDatabase& db, const QString& table, int rows, const std::function<QVariantList(int)>& row) {
  const QStringList cols = schema::table(table).columnNames();
  QStringList marks;
  for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
  QSqlQuery q(db);
  q.prepare(QStringLiteral("INSERT INTO \"%1\" VALUES (%2)").arg(table, marks.join(u',')));
  for (int r = 1; r <= rows; ++r) {
    QVariantList v = row(r);
    while (v.size() < cols.size()) v << QString();
    for (int i = 0; i < cols.size(); ++i) q.bindValue(i, v[i]);
    if (!q.exec()) qFatal("bench data: %s", qPrintable(q.lastError().text()));
  }
}

void makeBigDataFile(const QString& path, int alignments, int alignmentBases) {
  QString error;
  if (!createDataFile(path, false, &error)) qFatal("%s", qPrintable(error));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-fill"));
    db.setDatabaseName(path);
    db.open();
    db.transaction();
    fill(db, schema::kCoilOvers, 99, [](int r) {
      QVariantList v{r, QStringLiteral("車高調製品 %1 ネジ式 減衰同時").arg(r)};
      for (int f : {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0}) v << f;
      v << 32 << 32 << 32 << 32 << 8.0 << 6.0 << 65 << 65 << 200 << 180;
      return v;
    });
    fill(db, schema::kUsers, 9999, [](int r) {
      return QVariantList{r, QStringLiteral("お客様　%1").arg(r), QStringLiteral("ｵｷｬｸｻﾏ"), QStringLiteral("084-0905"),
                          QStringLiteral("北海道釧路市鳥取南%1丁目").arg(r % 10), QString(), QStringLiteral("0154-12-3456"),
                          QString(), QString(), QString(), QString()};
    });
    fill(db, schema::kSettings, 9999, [](int r) {
      QVariantList v{r, QStringLiteral("セッティング %1").arg(r), QStringLiteral("2026%1%2").arg(r % 12 + 1, 2, 10, QLatin1Char('0')).arg(r % 28 + 1, 2, 10, QLatin1Char('0')),
                     r, r % 99 + 1};
      for (int w = 0; w < 4; ++w)
        v << QStringLiteral("650") << QStringLiteral("5") << QStringLiteral("520") << QStringLiteral("12")
          << QStringLiteral("10") << QStringLiteral("8") << QStringLiteral("16") << QStringLiteral("16")
          << QStringLiteral("8.0") << QStringLiteral("65") << QStringLiteral("200") << QStringLiteral("街乗り");
      return v;
    });
    fill(db, schema::kAlignmentBases, alignmentBases, [](int r) {
      QVariantList v{r, QStringLiteral("基準値 %1").arg(r)};
      for (int i = 0; i < 26; ++i) v << QStringLiteral("0.25");
      return v;
    });
    const int step = 9999 / alignments;
    fill(db, schema::kAlignments, alignments, [step](int r) {
      QVariantList v{r * step, QStringLiteral("0001")};
      for (int i = 0; i < 70; ++i) v << QStringLiteral("-0.50");
      v << QStringLiteral("205/50R16") << QStringLiteral("205/50R16") << 620 << 620;
      return v;
    });
    db.commit();
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("bench-fill"));
}

BigDataFolder::BigDataFolder(bool open) : old(QDir::currentPath()) {
  QDir::setCurrent(dir.path());
  makeBigDataFile(file());
  if (open) OpenDataFile();
}

BigDataFolder::~BigDataFolder() {
  CloseDataFile();
  QDir::setCurrent(old);
}

QString BigDataFolder::file() const { return dir.filePath(kDataFileName); }
