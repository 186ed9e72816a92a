#pragma once
// A CSV file read back by a real parser (Python's csv module).
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QProcess>
#include <QStringList>

// Every record as its fields; `encoding` is a Python codec ("utf-8-sig", "cp932").
inline QList<QStringList> readCsv(const QString& path, const QString& encoding = QStringLiteral("utf-8-sig")) {
  QProcess python;
  python.start(QStringLiteral("python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import csv, json, sys\n"
                               "with open(sys.argv[1], encoding=sys.argv[2], newline='') as f:\n"
                               "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                path, encoding});
  QList<QStringList> rows;
  python.waitForFinished(30000);
  for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
    rows << row.toVariant().toStringList();
  return rows;
}
