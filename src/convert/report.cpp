// The conversion report as the user reads it.
#include "convert/convert.h"
#include "data/numfmt.h"
#include "data/schema.h"

#include <QDir>

namespace convert {

namespace {

QString count(qint64 n) { return numfmt::format(double(n), u"#,##0"); }

// "a、b、c ほか N 件" with at most `limit` items named (0: all).
QString listed(const QStringList& items, int limit) {
  if (limit <= 0 || items.size() <= limit) return items.join(u'、');
  return items.mid(0, limit).join(u'、') + QStringLiteral(" ほか %1 件").arg(count(items.size() - limit));
}

QString tableLines(const TableReport& t, int limit, bool newVersionRow) {
  QString s;
  if (t.name == schema::kVersion && (!t.present || newVersionRow))
    s += QStringLiteral("・%1: 元のファイルに%2（新しいデータファイルのバージョン %3 を入れました）\n")
             .arg(t.name, t.present ? QStringLiteral("行がありません") : QStringLiteral("ありません"), schema::kVersionText);
  else if (!t.present)
    s += QStringLiteral("・%1: 元のファイルにありません（0 件）\n").arg(t.name);
  else
    s += QStringLiteral("・%1: %2 件\n").arg(t.name, count(t.rows));
  if (!t.leftOut.isEmpty())
    s += QStringLiteral("　　移さなかった列: %1\n").arg(listed(t.leftOut, limit));
  if (!t.filled.isEmpty())
    s += QStringLiteral("　　元のファイルにない列（新しい記録と同じ値）: %1\n").arg(listed(t.filled, limit));
  QStringList texts;
  for (auto it = t.textInNumber.cbegin(); it != t.textInNumber.cend(); ++it)
    texts << QStringLiteral("%1 %2 件").arg(it.key(), count(it.value()));
  if (!texts.isEmpty())
    s += QStringLiteral("　　数値の列にあった文字（先頭の数値を取り出しました）: %1\n").arg(listed(texts, limit));
  if (!t.rejected.isEmpty()) {
    QStringList rows;
    for (const Rejected& r : t.rejected) rows << QStringLiteral("コード %1（%2）").arg(r.code, r.reason);
    s += QStringLiteral("　　移さなかった行 %1 件: %2\n").arg(count(t.rejected.size()), listed(rows, limit));
  }
  return s;
}

// The Jet file's own tables, and the texts that could not be read exactly.
QString problemLines(const Report& r, int limit) {
  QString s;
  if (!r.leftBehind.isEmpty()) {
    QStringList tables;
    for (const auto& [name, rows] : r.leftBehind)
      tables << (rows < 0 ? QStringLiteral("%1（読めません）").arg(name) : QStringLiteral("%1（%2 件）").arg(name, count(rows)));
    s += QStringLiteral("\n移さなかった表（このプログラムにない表）: %1\n").arg(listed(tables, limit));
  }
  if (!r.inexact.isEmpty()) {
    QStringList where;
    for (const InexactText& x : r.inexact)
      where << (x.code.isEmpty() ? QStringLiteral("%1 の %2").arg(x.table, x.field)
                                 : QStringLiteral("%1 コード %2 の %3").arg(x.table, x.code, x.field));
    s += QStringLiteral("\n正しく読み取れなかった文字があります（「\uFFFD」にしました。元のファイルと見比べて直してください）: %1\n")
             .arg(listed(where, limit));
  }
  return s;
}

}  // namespace

qint64 Report::rejectedCount() const {
  qint64 n = 0;
  for (const TableReport& t : tables) n += t.rejected.size();
  return n;
}

QString Report::text() const {
  QString s = QStringLiteral("変換元: %1（%2）\n").arg(QDir::toNativeSeparators(source), jetVersion);
  if (!backup.isEmpty()) s += QStringLiteral("元のファイルの保存先: %1\n").arg(QDir::toNativeSeparators(backup));
  s += u'\n';
  for (const TableReport& t : tables) s += tableLines(t, 0, newVersionRow);
  return s + problemLines(*this, 0);
}

QString Report::summary() const {
  QString s = clean() ? QStringLiteral("データファイルを変換しました。\n\n")
                      : QStringLiteral("データファイルを変換しましたが、正しく読み取れなかった文字があります。\n\n");
  for (const TableReport& t : tables) s += tableLines(t, 5, newVersionRow);
  s += problemLines(*this, 5);
  if (!backup.isEmpty())
    s += QStringLiteral("\n元のファイルの保存先:\n　%1").arg(QDir::toNativeSeparators(QDir::current().relativeFilePath(backup)));
  if (!reportFile.isEmpty())
    s += QStringLiteral("\n変換の記録（全文）:\n　%1").arg(QDir::toNativeSeparators(QDir::current().relativeFilePath(reportFile)));
  return s;
}

}  // namespace convert
