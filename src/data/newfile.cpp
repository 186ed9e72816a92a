#include "data/newfile.h"

#include "data/database.h"
#include "data/schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariantList>

namespace {

bool insert(QSqlDatabase& db, const QString& table, const QVariantList& values, QString* error) {
  const QStringList cols = schema::table(table).columnNames();
  QStringList marks;
  for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
  QSqlQuery q(db);
  QStringList quotedCols;
  for (const QString& c : cols) quotedCols << u'"' + c + u'"';
  q.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(table, quotedCols.join(u','), marks.join(u',')));
  QVariantList v = values;
  while (v.size() < cols.size()) v << QString();
  for (const QVariant& x : v) q.addBindValue(x);
  if (q.exec()) return true;
  if (error) *error = engineText(q.lastError());
  return false;
}

// One product: flags in the order camber F/R, height F/R, length F/R,
// thread F/R, C-ring F/R, damping together F/R, damping separate F/R.
QVariantList product(int code, const QString& name, std::initializer_list<int> flags, int extF, int extR,
                     int compF, int compR, double rateF, double rateR, int idF, int idR, int freeF, int freeR) {
  QVariantList v{code, name};
  for (int f : flags) v << f;
  v << extF << extR << compF << compR << rateF << rateR << idF << idR << freeF << freeR;
  return v;
}

QVariantList wheel(const QString& fender, const QString& preload, const QString& length, const QString& out,
                   const QString& in, const QString& mount, const QString& ext, const QString& comp,
                   const QString& rate, const QString& id, const QString& free, const QString& note) {
  return {fender, preload, length, out, in, mount, ext, comp, rate, id, free, note};
}

bool fillSample(QSqlDatabase& db, QString* e) {
  const QList<QVariantList> products{
      product(1, QStringLiteral("ストリートスペック ネジ式 減衰同時32段"), {1, 1, 0, 0, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0},
              32, 32, 32, 32, 8, 6, 65, 65, 200, 200),
      product(2, QStringLiteral("サーキットスペック 伸縮別調整"), {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1}, 40, 40, 20,
              20, 12, 10, 65, 65, 178, 203),
      product(3, QStringLiteral("Ｃリング式 減衰固定"), {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0}, 0, 0, 0, 0, 4.5,
              3.5, 62, 62, 180, 220),
      product(4, QStringLiteral("フロントのみ減衰調整 ネジ式"), {1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0}, 15, 0, 15, 0,
              7, 5.5, 65, 70, 200, 250),
      product(5, QStringLiteral("車高調整なし 減衰10段"), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0}, 10, 10, 10, 10, 6,
              5, 65, 65, 190, 190),
  };
  for (const QVariantList& p : products)
    if (!insert(db, schema::kCoilOvers, p, e)) return false;

  const QList<QVariantList> users{
      {1, QStringLiteral("佐藤　一郎"), QStringLiteral("ｻﾄｳ ｲﾁﾛｳ"), QStringLiteral("084-0905"),
       QStringLiteral("北海道釧路市鳥取南５丁目１－１"), QStringLiteral("コーポ鳥取２０１"), QStringLiteral("0154-12-3456"),
       QStringLiteral("090-1234-5678"), QStringLiteral("0154-12-3457"), QStringLiteral("sato@example.jp"),
       QStringLiteral("ＡＥ８６　サーキット走行")},
      {2, QStringLiteral("鈴木　花子"), QStringLiteral("ｽｽﾞｷ ﾊﾅｺ"), QStringLiteral("060-0001"),
       QStringLiteral("北海道札幌市中央区北一条西２丁目"), QString(), QStringLiteral("011-222-3333"),
       QStringLiteral("080-9876-5432"), QString(), QStringLiteral("hanako@example.jp"), QStringLiteral("街乗り重視")},
      {3, QStringLiteral("有限会社　高橋モータース"), QStringLiteral("ﾀｶﾊｼﾓｰﾀｰｽ"), QStringLiteral("085-0015"),
       QStringLiteral("北海道釧路市北大通１０丁目"), QString(), QStringLiteral("0154-23-4567"), QString(),
       QStringLiteral("0154-23-4568"), QString(), QString()},
  };
  for (const QVariantList& u : users)
    if (!insert(db, schema::kUsers, u, e)) return false;

  QVariantList base{1, QStringLiteral("トヨタ　カローラレビン　ＡＥ８６")};
  // As the screens store them: normalised to two decimals, no plus sign.
  for (const char* v : {"0.00", "0.20", "-0.20", "0.00", "0.10", "-0.10", "-0.50", "0.30", "-0.30", "3.55",
                        "0.30", "-0.30", "12.50", "13.05", "0.50", "-0.50", "2.00", "0.50", "-0.50", "1.00",
                        "0.25", "-0.25", "-1.00", "0.30", "-0.30", "0.00"})
    base << QString::fromLatin1(v);
  if (!insert(db, schema::kAlignmentBases, base, e)) return false;

  auto setting = [&](int code, const QString& name, const QString& date, int user, int coil,
                     const QList<QVariantList>& wheels) {
    QVariantList v{code, name, date, user, coil};
    for (const QVariantList& w : wheels) v << w;
    return insert(db, schema::kSettings, v, e);
  };
  const QVariantList front = wheel(QStringLiteral("650"), QStringLiteral("5"), QString(), QStringLiteral("12"),
                                   QStringLiteral("10"), QString(), QStringLiteral("16"), QStringLiteral("16"),
                                   QStringLiteral("8"), QStringLiteral("65"), QStringLiteral("200"), QStringLiteral("街乗り"));
  const QVariantList rear = wheel(QStringLiteral("660"), QStringLiteral("8"), QString(), QStringLiteral("8"),
                                  QStringLiteral("8"), QString(), QStringLiteral("12"), QStringLiteral("12"),
                                  QStringLiteral("6"), QStringLiteral("65"), QStringLiteral("200"), QString());
  if (!setting(1, QStringLiteral("ＡＥ８６　街乗りセッティング"), QStringLiteral("20261120"), 1, 1,
               {front, front, rear, rear}))
    return false;
  const QVariantList c2 = wheel(QStringLiteral("615"), QStringLiteral("12"), QStringLiteral("520"), QStringLiteral("15"),
                                QStringLiteral("12"), QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("8"),
                                QStringLiteral("12.0"), QStringLiteral("65"), QStringLiteral("178"), QStringLiteral("サーキット用"));
  const QVariantList r2 = wheel(QStringLiteral("630"), QStringLiteral("15"), QStringLiteral("540"), QStringLiteral("10"),
                                QStringLiteral("8"), QStringLiteral("5"), QStringLiteral("18"), QStringLiteral("6"),
                                QStringLiteral("10.0"), QStringLiteral("65"), QStringLiteral("203"), QString());
  if (!setting(2, QStringLiteral("シビック　サーキット走行会"), QStringLiteral("20261201"), 2, 2, {c2, c2, r2, r2}))
    return false;

  QVariantList al{2, QStringLiteral("0001")};
  for (int i = 2; i < 28; ++i) al << base[i];
  for (const char* v : {"1.20", "0.50", "0.70", "-0.80", "-0.60", "-0.70", "3.20", "3.40", "3.30", "12.80", "12.60",
                        "12.70", "12.40", "12.20", "12.30", "2.40", "1.10", "1.30", "-1.40", "-1.20", "-1.30", "0.10"})
    al << QString::fromLatin1(v);
  for (const char* v : {"0.00", "0.00", "0.00", "-0.50", "-0.50", "-0.50", "3.55", "3.55", "3.55", "12.50", "12.50",
                        "12.50", "13.05", "13.05", "13.05", "2.00", "1.00", "1.00", "-1.00", "-1.00", "-1.00", "0.00"})
    al << QString::fromLatin1(v);
  al << QStringLiteral("205/50R15") << QStringLiteral("205/50R15") << 580 << 580;
  return insert(db, schema::kAlignments, al, e);
}

}  // namespace

bool createDataFile(const QString& path, bool withSample, QString* error) {
  if (QFileInfo::exists(path)) {
    if (error) *error = QStringLiteral("「%1」はすでにあります。上書きはしません。").arg(path);
    return false;
  }
  // Built under a temporary name and renamed at the end, so that a failure
  // never leaves a half-made data file behind.
  const QString temp = path + QStringLiteral(".new");
  QFile::remove(temp);
  const QString name = QStringLiteral("mkdata-") + QUuid::createUuid().toString();
  bool ok = false;
  QString why;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(temp);
    if (!db.open()) {
      why = engineText(db.lastError());
    } else {
      QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
      QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
      ok = schema::create(db, &why);
      if (ok && withSample) {
        db.transaction();
        ok = fillSample(db, &why);
        ok = ok ? db.commit() : (db.rollback(), false);
      }
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name);
  if (ok && !QFile::rename(temp, path)) {
    ok = false;
    why = QStringLiteral("名前を変更できません");
  }
  if (!ok) {
    QFile::remove(temp);
    if (error) *error = withEngineDetail(QStringLiteral("データファイルを作成できませんでした。"), why);
  }
  return ok;
}
