#pragma once
// Helpers of the conversion tests: Jet files written by our writer, the
// rows of a converted file, mdbtools' own readers, and child processes.
#include "support/jetdata.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

namespace ct {

// Writes the tables as a Jet file; fails the test on error.
void writeJet(const QString& path, const QList<jetfile::Table>& tables, jetfile::Version v = jetfile::Version::Jet4);
QByteArray bytes(const QString& path);
// The row of `table` whose コード is `code` in a converted file, as column -> value.
QVariantMap row(const QString& file, const QString& table, int code);
QStringList codes(const QString& file, const QString& table);  // in code order
// Runs an mdbtools program with MDB_JET3_CHARSET=CP932; empty on failure.
QByteArray mdb(const QString& tool, const QStringList& args);
bool haveMdbTools();
QString binary(const QString& name);  // a program of our build
// Runs `command` in a private mount namespace after `setup` (shell); false
// when namespaces are not available here.
bool isolated(const QString& setup, const QStringList& command, QString* output, int* exitCode);
// Whether `path` is the Jet file `original` untouched, or a whole converted
// data file with `rows` settings; describes it otherwise.
QString wholeFile(const QString& path, const QByteArray& original, qint64 rows);

// The program run as a child in a working directory of its own, its
// messages logged to a file and its questions answered from `answers`.
struct ChildProgram {
  QTemporaryDir work, temp;
  QString log = work.filePath(QStringLiteral("messages.log"));
  QString file(const QString& name) const { return work.filePath(name); }
  QProcess* start(QObject* owner, const QString& answers, const QString& workDir = QString());
  QStringList lines() const;
  bool waitForLine(const QString& text, int ms = 20000) const;
};

}  // namespace ct
