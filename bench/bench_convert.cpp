// Converting a Jet 4 file of the workshop's largest size (9,999 settings,
// 9,999 users, 99 products, 9,999 alignment records, 999 base masters)
// beside the floor: mdbtools' own mdb-export reading the same tables to text,
// timed in turns in the same run.
#include "benchmain.h"
#include "convert/convert.h"
#include "data/schema.h"
#include "support/jetdata.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

ASHIMEMO_BENCH(convertJet, "convert: Jet 4 file, 9,999 settings / users / alignments") {
  if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty()) {
    std::printf("mdb-export not installed: skipped\n");
    return;
  }
  QTemporaryDir dir;
  const QString jet = dir.filePath(QStringLiteral("Jet.MDB"));
  jetfile::Options o;
  if (!jetfile::write(jet, jetdata::filled(9999, 9999, 99, 9999, 999), o)) return;
  bench::report(QStringLiteral("Jet file size"), double(QFileInfo(jet).size()) / 1e6, QStringLiteral("MB"));

  auto floor = [&] {
    for (const schema::Table& t : schema::tables()) {
      QProcess p;
      p.setStandardOutputFile(QProcess::nullDevice());
      p.start(QStringLiteral("mdb-export"), {jet, t.name});
      p.waitForFinished(-1);
    }
  };
  const QString out = dir.filePath(QStringLiteral("new.MDB"));
  auto convertOnce = [&] {
    QFile::remove(out);
    const convert::Result r = convert::convertFile(jet, out);
    if (r.status != convert::Result::Done) std::printf("conversion failed: %s\n", qPrintable(r.error));
  };
  const QString data = dir.filePath(QStringLiteral("Setting.MDB"));
  auto inPlaceOnce = [&] {
    QFile::remove(data);
    QFile::copy(jet, data);
    QDir(dir.filePath(QStringLiteral("バックアップ"))).removeRecursively();
    QElapsedTimer t;
    t.start();
    convert::convertInPlace(data, QDateTime::currentDateTime());
    return double(t.nsecsElapsed()) / 1e6;
  };
  std::vector<double> f, c, ip;
  for (int turn = 0; turn < 5; ++turn) {
    f.push_back(bench::medianMs(1, floor));
    c.push_back(bench::medianMs(1, convertOnce));
    ip.push_back(inPlaceOnce());
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  bench::report(QStringLiteral("floor: mdb-export of the six tables"), median(f), QStringLiteral("ms"));
  bench::report(QStringLiteral("convertFile (read, write, check, sync)"), median(c), QStringLiteral("ms"));
  bench::report(QStringLiteral("convertInPlace (also copies the original)"), median(ip), QStringLiteral("ms"));
  bench::report(QStringLiteral("convertFile / floor"), median(c) / median(f), QStringLiteral("x"));
}
