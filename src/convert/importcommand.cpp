#include "convert/importcommand.h"

#include "convert/convert.h"

#include <cstdio>

namespace convert {

int runImportCommand(const QStringList& args) {
  if (args.size() != 2 || args[0].isEmpty() || args[1].isEmpty() || args[0].startsWith(u'-') || args[1].startsWith(u'-')) {
    std::fprintf(stderr, "使い方: ashimemo-mkdata --import Jet形式のファイル 新しいファイル\n");
    return 2;
  }
  prepareEnvironment();
  const Result r = convertFile(args[0], args[1]);
  if (r.status != Result::Done) {
    std::fprintf(stderr, "変換できませんでした: %s\n「%s」は作成していません。\n", r.error.toUtf8().constData(),
                 args[1].toUtf8().constData());
    return 1;
  }
  std::printf("%s\n%s を作成しました。\n", r.report.text().toUtf8().constData(), args[1].toUtf8().constData());
  return 0;
}

}  // namespace convert
