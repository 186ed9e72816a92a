// Ctrl+E in every list window: the rows the list shows, after any search,
// with every field of their records, read back by a real CSV parser; the key
// works with the focus in the search field and in a screen's other line
// edits; the save dialog proposes the list's name and today's date; an
// existing file is replaced only after asking.
#include "alignment/araimentbase.h"
#include "alignment/araimentlist.h"
#include "data/clock.h"
#include "masters/s_master.h"
#include "masters/u_master.h"
#include "screens/listexport.h"
#include "settings/settinglist.h"
#include "support/csvread.h"
#include "support/fixture.h"
#include "support/searchhelpers.h"
#include "support/testmain.h"

#include <QTest>

class ListExportTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DataDir> dir;
  QStringList asked;  // paths the save dialog proposed
  listexport::Choice answer;

  // Presses Ctrl+E in `focus` and returns the file written, read back.
  QList<QStringList> exportFrom(QWidget* focus, bool expectNotice = true) {
    QApplication::setActiveWindow(focus->window());
    focus->setFocus();
    if (expectNotice) dir->messages.answer(true);
    QTest::keyClick(focus, Qt::Key_E, Qt::ControlModifier);
    return readCsv(answer.path, answer.encoding == csv::Encoding::Utf8 ? QStringLiteral("utf-8-sig")
                                                                       : QStringLiteral("cp932"));
  }
  static QStringList codes(const QList<QStringList>& rows) {
    QStringList out;
    for (const QStringList& r : rows.mid(1)) out << r.value(0);
    return out;
  }

 private Q_SLOTS:
  void init() {
    Clock::setToday(QDate(2026, 12, 9));
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前, 備考) VALUES (1, '佐藤', 'a,b'), (2, 'ｽｽﾞｷ', '')"));
    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称) VALUES (1, 'ネジ式')"));
    dir->exec(QStringLiteral("INSERT INTO アライメントマスタ (コード, 登録名) VALUES (4, 'AE86 純正')"));
    dir->exec(QStringLiteral(
        "INSERT INTO セッティング (コード, セッティング名称, 登録日, ユーザー, 車高調, FL_備考) VALUES "
        "(1, 'シビック 街乗り', '20260512', 1, 1, '\"硬め\"\n要確認'), (2, 'インテグラ', '20250512', 2, 1, ''), "
        "(3, 'ｼﾋﾞｯｸ 雨', '20260601', 2, 1, ''), (4, 'ＣＩＶＩＣ', '20240101', 1, 1, '')"));
    answer = {dir.get()->file(QStringLiteral("書き出し.csv")), csv::Encoding::Utf8};
    asked.clear();
    listexport::setPathChooser([this](QWidget*, const QString& suggested) {
      asked << suggested;
      return answer;
    });
  }
  void cleanup() {
    listexport::setPathChooser({});
    Clock::setToday(QDate());
    QCOMPARE(dir->messages.unexpected, 0);
    dir.reset();
  }

  void searchNarrowedSettingListFromTheSearchField() {
    SettingList list;
    QVERIFY(showAndActivate(&list));
    searchFor(&list, QStringLiteral("シビック"));
    QCOMPARE(shownColumn(&list, 1), (QStringList{"0001", "0003"}));
    const QList<QStringList> rows = exportFrom(searchField(&list));
    QCOMPARE(asked, QStringList{dir->file(QStringLiteral("登録一覧表_20261209.csv"))});
    QCOMPARE(codes(rows), (QStringList{"0001", "0003"}));  // the list's order, just the rows shown
    QCOMPARE(rows[0].size(), 53);                            // every field of the records
    QCOMPARE(rows[1][rows[0].indexOf(QStringLiteral("FL_備考"))], QStringLiteral("\"硬め\"\n要確認"));
    const QList<ShownMessage> shown = dir->messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("2件を「%1」に書き出しました。").arg(answer.path));
    QCOMPARE(searchField(&list)->text(), QStringLiteral("シビック"));  // no "end of line" move ate the key

    // Unsearched, from the grid: every row, read whole. The file exists: asked first.
    searchFor(&list, QString());
    dir->messages.answer(false);
    exportFrom(list.grid(), false);
    QCOMPARE(dir->messages.take().size(), 1);
    QCOMPARE(codes(readCsv(answer.path)), (QStringList{"0001", "0003"}));  // No: unchanged
    dir->messages.answer(true);
    const QList<QStringList> all = exportFrom(list.grid());
    QCOMPARE(dir->messages.take()[0].text, QStringLiteral("「%1」はすでにあります。上書きしますか？").arg(answer.path));
    QCOMPARE(codes(all), (QStringList{"0004", "0002", "0001", "0003"}));
  }

  void everyListWindowExportsItsTable() {
    struct Window {
      std::function<QDialog*()> make;
      const char* focusName;
      const char* fileName;
      QStringList codes;
      const char* column;
    };
    const QList<Window> windows{
        {[] { return new U_Master; }, "コード", "ユーザー一覧_20261209.csv", {"0001", "0002"}, "メールアドレス"},
        {[] { return new S_master; }, "名称", "車高調マスタ一覧_20261209.csv", {"01"}, "自由長_R"},
        {[] { return new AraimentBase; }, "検索", "アライメントマスタ一覧_20261209.csv", {"0004"}, "スラスト角"},
        {[] { return new AraimentList; }, "検索", "アライメントマスタ登録一覧_20261209.csv", {"0004"}, "登録名"}};
    answer.encoding = csv::Encoding::ShiftJis;
    for (const Window& w : windows) {
      std::unique_ptr<QDialog> window(w.make());
      QVERIFY(showAndActivate(window.get()));
      asked.clear();
      QFile::remove(answer.path);
      // Also with the focus in one of the screen's own line edits.
      const QList<QStringList> rows = exportFrom(findControl(window.get(), QString::fromUtf8(w.focusName)));
      QCOMPARE(asked, QStringList{dir->file(QString::fromUtf8(w.fileName))});
      QCOMPARE(codes(rows), w.codes);
      QVERIFY2(rows[0].contains(QString::fromUtf8(w.column)), w.fileName);
      QCOMPARE(dir->messages.take().size(), 1);
    }
    // Shift_JIS keeps half-width kana and the remark's comma.
    U_Master users;
    QVERIFY(showAndActivate(&users));
    QFile::remove(answer.path);
    const QList<QStringList> rows = exportFrom(searchField(&users));
    QCOMPARE(rows[2][1], QStringLiteral("ｽｽﾞｷ"));
    QCOMPARE(rows[1].last(), QStringLiteral("a,b"));
    dir->messages.take();
    // A value Shift_JIS cannot hold: refused, nothing written.
    dir->exec(QStringLiteral("UPDATE ユーザー SET 名前 = '𠮷田' WHERE コード = 2"));
    QFile::remove(answer.path);
    dir->messages.answer(true);
    exportFrom(searchField(&users), false);
    const QList<ShownMessage> shown = dir->messages.take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].icon, MessageRequest::Icon::Critical);
    QVERIFY2(shown[0].text.contains(QStringLiteral("「ユーザー」のコード 0002 の項目「名前」")), qPrintable(shown[0].text));
    QVERIFY(!QFile::exists(answer.path));
  }
};

ASHIMEMO_TEST(ListExportTest)
#include "tst_listexport.moc"
