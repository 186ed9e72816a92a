#include "convert/servercommand.h"

#include "convert/convert.h"
#include "data/numfmt.h"
#include "data/safefile.h"
#include "data/schema.h"
#include "data/servercopy.h"

#include <QTemporaryDir>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace convert {

namespace {

void say(FILE* to, const QString& text) {
  std::fprintf(to, "%s\n", text.toUtf8().constData());
  std::fflush(to);
}

QString grouped(qint64 n) { return numfmt::format(double(n), u"#,##0"); }

QString countsText(const QMap<QString, qint64>& counts) {
  QStringList parts;
  for (const schema::Table& t : schema::tables())
    if (t.name != schema::kVersion) parts << QStringLiteral("%1 %2件").arg(t.name, grouped(counts.value(t.name)));
  return parts.join(QStringLiteral("、"));
}

// A line on the terminal that is rewritten as the rows go; nothing when
// the output is not a terminal.
servercopy::ProgressFn terminalProgress(const QString& what) {
  if (!::isatty(STDERR_FILENO)) return {};
  return [what](const servercopy::Progress& p) {
    const int percent = p.total > 0 ? int(p.done * 100 / p.total) : 100;
    std::fprintf(stderr, "\r%s: %s / %s 件（%d%%）  ", what.toUtf8().constData(), grouped(p.done).toUtf8().constData(),
                 grouped(p.total).toUtf8().constData(), percent);
    if (p.done >= p.total) std::fprintf(stderr, "\n");
    std::fflush(stderr);
  };
}

// Asks the password on the terminal without showing it; empty when there
// is no terminal to ask on.
QString askPassword(const ServerUrl& url) {
  if (!::isatty(STDIN_FILENO)) return {};
  std::fprintf(stderr, "%s", QStringLiteral("サーバー「%1」のパスワード: ").arg(url.display()).toUtf8().constData());
  std::fflush(stderr);
  termios old{};
  const bool quiet = ::tcgetattr(STDIN_FILENO, &old) == 0;
  if (quiet) {
    termios hidden = old;
    hidden.c_lflag &= ~tcflag_t(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
  }
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof line, stdin) != nullptr;
  if (quiet) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
  std::fprintf(stderr, "\n");
  if (!read) return {};
  QString pw = QString::fromUtf8(line);
  while (pw.endsWith(u'\n') || pw.endsWith(u'\r')) pw.chop(1);
  return pw;
}

// Runs `attempt` with the address's or libpq's password, and once more
// with one typed on the terminal when the server wants one.
servercopy::Result withPassword(const ServerUrl& url,
                                const std::function<servercopy::Result(const QString&)>& attempt) {
  servercopy::Result r = attempt(QString());
  if (r.needsPassword) {
    const QString typed = askPassword(url);
    if (!typed.isEmpty()) return attempt(typed);
    r.problem += QStringLiteral("\n環境変数 PGPASSWORD か ~/.pgpass でパスワードを指定してください。");
  }
  return r;
}

bool readUrl(const QString& text, ServerUrl* url) {
  QString error;
  if (parseServerUrl(text, url, &error)) return true;
  say(stderr, error);
  return false;
}

}  // namespace

int runToServerCommand(const QStringList& args) {
  if (args.size() != 2 || args[0].isEmpty() || args[0].startsWith(u'-')) {
    say(stderr, QStringLiteral("使い方: ashimemo-mkdata --to-server データファイル postgresql://ユーザー名@サーバー名:ポート番号/データベース名"));
    return 2;
  }
  ServerUrl url;
  if (!readUrl(args[1], &url)) return 1;
  QString file = args[0];
  // A Jet-format file is converted on the way into a data file of ours in
  // a temporary folder; the original is only read.
  QTemporaryDir converted;
  bool clean = true;
  if (safefile::isJetFile(file)) {
    prepareEnvironment();
    const QString made = converted.filePath(QStringLiteral("Setting.MDB"));
    const Result c = convertFile(file, made);
    if (c.status != Result::Done) {
      // A database password or an open Access: --import has the options.
      const QString hint = c.need != Result::Nothing
                               ? QStringLiteral("\nashimemo-mkdata --import で変換してから、できたファイルを --to-server で移してください。")
                               : QString();
      say(stderr, QStringLiteral("変換できませんでした: %1%2\nサーバーには何も書き込んでいません。").arg(c.error, hint));
      return 1;
    }
    say(stdout, c.report.text());
    clean = c.report.clean();
    file = made;
  }
  const servercopy::ProgressFn progress = terminalProgress(QStringLiteral("サーバーへ書き込み中"));
  const servercopy::Result r =
      withPassword(url, [&](const QString& pw) { return servercopy::toServer(file, url, pw, progress); });
  if (!r.ok) {
    say(stderr, r.problem);
    return 1;
  }
  say(stdout, QStringLiteral("サーバー「%1」に書き込みました（%2）。").arg(url.display(), countsText(r.rowCounts)));
  if (clean) return 0;
  say(stderr, QStringLiteral("正しく読み取れなかった文字があります。上の一覧の記録を元のファイルと見比べてください。"));
  return 3;
}

int runFromServerCommand(const QStringList& args) {
  if (args.size() != 2 || args[1].isEmpty() || args[1].startsWith(u'-')) {
    say(stderr, QStringLiteral("使い方: ashimemo-mkdata --from-server postgresql://ユーザー名@サーバー名:ポート番号/データベース名 新しいファイル"));
    return 2;
  }
  ServerUrl url;
  if (!readUrl(args[0], &url)) return 1;
  const servercopy::ProgressFn progress = terminalProgress(QStringLiteral("サーバーから読み込み中"));
  const servercopy::Result r =
      withPassword(url, [&](const QString& pw) { return servercopy::fromServer(url, pw, args[1], progress); });
  if (!r.ok) {
    say(stderr, QStringLiteral("%1\n「%2」は作成していません。").arg(r.problem, args[1]));
    return 1;
  }
  say(stdout, QStringLiteral("サーバー「%1」のレコードを「%2」に書き出しました（%3）。").arg(url.display(), args[1], countsText(r.rowCounts)));
  return 0;
}

}  // namespace convert
