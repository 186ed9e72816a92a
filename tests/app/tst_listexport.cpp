// Ctrl+E in every list window, also from its line edits: the rows shown
// after a search, every field; the proposed name; asking before overwriting.
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
  static QStringList codes(QList<QStringList> rows) {
    QStringList out;
    for (const QStringList& r : rows.mid(1)) out << r.value(0);
    return out;
  }

 private Q_SLOTS:
  void init() {
    Clock::setToday(QDate(2026, 12, 9));
    dir = std::make_unique<DataDir>();
    dir->exec(QStringLiteral("INSERT INTO ユーザー (コード, 名前) VALUES (1, '佐藤'), (2, 'ｽｽﾞｷ')"));
    dir->exec(QStringLiteral("INSERT INTO 車高調マスタ (コード, 名称, バネレート_F) VALUES (1, 'ネジ式', 12.25)"));
    dir->exec(QStringLiteral("INSERT INTO アライメントマスタ (コード, 登録名) VALUES (4, 'AE86 純正')"));
    dir->exec(QStringLiteral("INSERT INTO セッティング (コード, セッティング名称, 登録日) VALUES (1, 'シビック 街乗り', "
                             "'20260512'), (2, 'インテグラ', '20250512'), (3, 'ｼﾋﾞｯｸ 雨', '20260601'), (4, 'ＣＩＶＩＣ', '20240101')"));
    answer = {dir.get()->file(QStringLiteral("書き出し.csv")), csv::Encoding::Utf8};
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

  void exportsTheRowsShownFromEveryListWindow() {
    SettingList list;
    QVERIFY(showAndActivate(&list));
    searchFor(&list, QStringLiteral("シビック"));
    const QList<QStringList> rows = exportFrom(searchField(&list));
    QCOMPARE(asked, QStringList{dir->file(QStringLiteral("登録一覧表_20261209.csv"))});
    QCOMPARE(codes(rows), (QStringList{"0001", "0003"}));  // the list's order, just the rows shown
    QCOMPARE(rows[0].size(), 53);                            // every field of the records
    QCOMPARE(dir->messages.take()[0].text, QStringLiteral("2件を「%1」に書き出しました。").arg(answer.path));

    // Unsearched, from the grid: every row. The file exists: asked first; No keeps it.
    searchFor(&list, QString());
    dir->messages.answer(false);
    exportFrom(list.grid(), false);
    QCOMPARE(codes(readCsv(answer.path)), (QStringList{"0001", "0003"}));
    dir->messages.answer(true);
    QCOMPARE(codes(exportFrom(list.grid())), (QStringList{"0004", "0002", "0001", "0003"}));
    QCOMPARE(dir->messages.take()[1].text, QStringLiteral("「%1」はすでにあります。上書きしますか？").arg(answer.path));

    // The other lists, also with the focus in a screen's own line edit, in
    // either encoding; a column's value of the first row (a real as typed).
    struct Window {
      std::function<QDialog*()> make;
      const char *focus, *file, *column, *value;
      QStringList codes;
      csv::Encoding encoding;
    };
    for (const Window& w : QList<Window>{
             {[] { return new U_Master; }, "コード", "ユーザー一覧", "名前", "佐藤", {"0001", "0002"}, csv::Encoding::Utf8},
             {[] { return new S_master; }, "名称", "車高調マスタ一覧", "バネレート_F", "12.25", {"01"}, csv::Encoding::Utf8},
             {[] { return new AraimentBase; }, "検索", "アライメントマスタ一覧", "スラスト角", "", {"0004"},
              csv::Encoding::ShiftJis},
             {[] { return new AraimentList; }, "検索", "アライメントマスタ登録一覧", "登録名", "AE86 純正", {"0004"},
              csv::Encoding::ShiftJis}}) {
      answer.encoding = w.encoding;
      std::unique_ptr<QDialog> window(w.make());
      QVERIFY(showAndActivate(window.get()));
      asked.clear();
      QFile::remove(answer.path);
      const QList<QStringList> rows = exportFrom(findControl(window.get(), QString::fromUtf8(w.focus)));
      QCOMPARE(asked, QStringList{dir->file(QString::fromUtf8(w.file) + QStringLiteral("_20261209.csv"))});
      QCOMPARE(codes(rows), w.codes);
      QCOMPARE(rows[1].value(rows[0].indexOf(QString::fromUtf8(w.column)), QStringLiteral("-")), QString::fromUtf8(w.value));
      QCOMPARE(dir->messages.take().size(), 1);
    }
  }
};

ASHIMEMO_TEST(ListExportTest)
#include "tst_listexport.moc"
