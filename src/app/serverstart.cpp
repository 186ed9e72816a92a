#include "app/serverstart.h"

#include "data/database.h"
#include "data/server.h"
#include "screens/messages.h"

namespace {
const QString kTitle = QStringLiteral("Ashimemo");
const QString kEnding = QStringLiteral("\nプログラムを終了します。");

bool fail(const QString& message, const QString& detail) {
  // libpq breaks its texts over tab-indented lines: one line reads better.
  Msg::refuse(nullptr, kTitle, withEngineDetail(message + kEnding, detail.simplified()));
  return false;
}
}  // namespace

bool openServerAtStartUp(const QString& text) {
  ServerUrl url;
  QString why;
  if (!parseServerUrl(text, &url, &why))
    return fail(QStringLiteral("「Ashimemo.ini」のサーバーの指定を読めません。"), why);
  const QString server = url.display();
  QString password, detail, missing;
  bool asked = false;
  for (;;) {
    switch (Database::openServer(url, password, &detail, &missing)) {
      case ServerOpen::Opened: return true;
      case ServerOpen::NeedsPassword:
        // Asked again after a wrong password; the password lives only here
        // and in the open connection.
        if (!Msg::askPassword(nullptr, kTitle,
                              QStringLiteral("サーバー「%1」のパスワードを入力してください。").arg(server), &password))
          return false;
        asked = true;
        if (password.isEmpty()) password = QStringLiteral(" ");  // an empty answer is a wrong one, not none
        continue;
      case ServerOpen::Refused:
        if (!missing.isEmpty())
          return fail(QStringLiteral("サーバー「%1」のデータベースにこのプログラムのテーブルがありません。\n"
                                     "ashimemo-mkdata --to-server でデータファイルを移してください。")
                          .arg(server),
                      QStringLiteral("「%1」がありません").arg(missing));
        return fail(asked ? QStringLiteral("サーバー「%1」に接続できません。パスワードが違うか、接続が許可されていません。").arg(server)
                          : QStringLiteral("サーバー「%1」に接続できません。ユーザー名・データベース名と接続の許可を確かめてください。").arg(server),
                    detail);
      case ServerOpen::Unreachable:
        return fail(QStringLiteral("サーバー「%1」から応答がありません。サーバーのパソコンとネットワークを確かめてください。").arg(server),
                    detail);
    }
  }
}
