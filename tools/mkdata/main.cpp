// ashimemo-mkdata [--sample] FILE: creates a new, empty data file (or one
// with sample records). Never overwrites an existing file.
// ashimemo-mkdata --import JETFILE NEWFILE: converts a Jet-format file.
#include "convert/importcommand.h"
#include "data/newfile.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.value(0) == QStringLiteral("--import")) return convert::runImportCommand(args.mid(1));
  const bool sample = args.removeAll(QStringLiteral("--sample")) > 0;
  if (args.size() != 1 || args[0].startsWith(u'-')) {
    std::fprintf(stderr, "使い方: ashimemo-mkdata [--sample] ファイル名\n       ashimemo-mkdata --import Jet形式のファイル 新しいファイル\n");
    return 2;
  }
  QString error;
  if (!createDataFile(args[0], sample, &error)) {
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return 1;
  }
  std::printf("%s を作成しました。\n", args[0].toLocal8Bit().constData());
  return 0;
}
