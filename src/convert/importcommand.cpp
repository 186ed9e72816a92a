#include "convert/importcommand.h"

#include "convert/convert.h"

#include <cstdio>

namespace convert {

int runImportCommand(const QStringList& words) {
  Access access;
  QStringList args;
  bool misuse = false;
  for (int i = 0; i < words.size(); ++i) {
    if (words[i] == QLatin1String("--password") && i + 1 < words.size())
      access.password = words[++i], misuse = misuse || access.password.isEmpty();
    else if (words[i].startsWith(QLatin1String("--password=")))
      access.password = words[i].mid(11), misuse = misuse || access.password.isEmpty();
    else if (words[i] == QLatin1String("--access-closed"))
      access.accessClosed = true;
    else
      args << words[i];
  }
  if (misuse || args.size() != 2 || args[0].isEmpty() || args[1].isEmpty() || args[0].startsWith(u'-') || args[1].startsWith(u'-')) {
    std::fprintf(stderr, "使い方: ashimemo-mkdata --import [--password パスワード] [--access-closed] Jet形式のファイル 新しいファイル\n");
    return 2;
  }
  prepareEnvironment();
  const Result r = convertFile(args[0], args[1], {}, access);
  if (r.status != Result::Done) {
    QString hint;
    if (r.need == Result::Password || r.need == Result::RightPassword)
      hint = QStringLiteral("\nデータベースパスワードを --password で指定してください。");
    else if (r.need == Result::AccessClosed)
      hint = QStringLiteral("\nAccess を閉じたこと（ほかの PC でも開いていないこと）を確かめたうえで --access-closed を付けると変換します。");
    std::fprintf(stderr, "変換できませんでした: %s%s\n「%s」は作成していません。\n", r.error.toUtf8().constData(),
                 hint.toUtf8().constData(), args[1].toUtf8().constData());
    return 1;
  }
  std::printf("%s\n%s を作成しました。\n", r.report.text().toUtf8().constData(), args[1].toUtf8().constData());
  if (r.report.clean()) return 0;
  std::fprintf(stderr, "正しく読み取れなかった文字があります。上の一覧の記録を元のファイルと見比べてください。\n");
  return 3;
}

}  // namespace convert
