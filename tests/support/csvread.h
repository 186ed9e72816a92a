#pragma once
// Reads a CSV file back with a real CSV parser (Python's csv module), so
// that the files are checked as a spreadsheet program reads them.
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QProcess>
#include <QStringList>

// Every record of the file, each as its list of fields; `encoding` is a
// Python codec name ("utf-8-sig", "cp932"). Empty when Python failed.
inline QList<QStringList> readCsv(const QString& path, const QString& encoding = QStringLiteral("utf-8-sig")) {
  QProcess python;
  python.start(QStringLiteral("python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import csv, json, sys\n"
                               "with open(sys.argv[1], encoding=sys.argv[2], newline='') as f:\n"
                               "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                path, encoding});
  QList<QStringList> rows;
  if (!python.waitForFinished(30000) || python.exitCode() != 0) return rows;
  for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
    QStringList fields;
    for (const QJsonValue& f : row.toArray()) fields << f.toString();
    rows << fields;
  }
  return rows;
}
