#include "settings/settingcompare.h"

#include "data/schema.h"
#include "screens/fields.h"
#include "screens/keys.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char16_t* const kWheelNames[4] = {u"フロント左", u"フロント右", u"リア左", u"リア右"};

// Makes a value selectable by mouse once the mouse first comes over it: a
// selectable label lays its text out as a document, which made sizing and
// painting the window's ten values cost more than its four tables.
class SelectableOnHover : public QObject {
 public:
  using QObject::QObject;
  void watch(QLabel* label) { label->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Enter) {
      if (auto* label = qobject_cast<QLabel*>(watched)) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->removeEventFilter(this);
      }
    }
    return false;
  }
};

CompareTable* wheelTable(const comparison::SettingComparison& c, size_t w, QWidget* parent) {
  CompareTable::Cells cells;
  std::array<bool, CompareTable::kRows> marked{};
  const QStringList& items = schema::wheelItems();
  for (size_t i = 0; i < 12; ++i) {
    marked[i] = c.differing[w][i];
    QString diff = c.difference[w][i];
    if (marked[i] && diff.isEmpty()) diff = QStringLiteral("変更");
    cells[i] = {items[qsizetype(i)], c.older.wheel[w][i], c.newer.wheel[w][i], diff};
  }
  return new CompareTable(QString::fromUtf16(kWheelNames[w]), cells, marked, parent);
}

}  // namespace

SettingCompare::SettingCompare(QWidget* parent, comparison::SettingComparison comparison, ComparisonPrinter printer)
    : ScreenDialog(parent), comparison_(std::move(comparison)), printer_(std::move(printer)) {
  setObjectName(QStringLiteral("SettingCompare"));
  setWindowTitle(QStringLiteral("Ashimemo　セッティング比較"));
  const comparison::SettingComparison& c = comparison_;

  // The two headers, older on the left.
  auto* header = new QGridLayout;
  header->setHorizontalSpacing(16);
  const QString captions[5] = {QStringLiteral("セッティング番号"), QStringLiteral("セッティング名"),
                               QStringLiteral("セッティング日"), QStringLiteral("ユーザー"), QStringLiteral("車高調")};
  auto values = [](const SettingRecord& s) {
    return QStringList{s.code, s.name, comparison::dateText(s), s.user, s.coilOver};
  };
  const QStringList sides[2] = {values(c.older), values(c.newer)};
  const QString sideNames[2] = {QStringLiteral("古い方"), QStringLiteral("新しい方")};
  for (int side = 0; side < 2; ++side) {
    auto* title = new QLabel(sideNames[side] + QStringLiteral("のセッティング"), this);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    header->addWidget(title, 0, side + 1);
  }
  auto* selectable = new SelectableOnHover(this);
  for (int row = 0; row < 5; ++row) {
    header->addWidget(new QLabel(captions[row], this), row + 1, 0);
    for (int side = 0; side < 2; ++side) {
      auto* value = new QLabel(sides[side][row], this);
      nameControl(value, arrayName(sideNames[side], row));
      selectable->watch(value);
      header->addWidget(value, row + 1, side + 1);
    }
  }
  header->setColumnStretch(1, 1);
  header->setColumnStretch(2, 1);

  count_ = new QLabel(QStringLiteral("違い %1 項目").arg(c.count), this);
  nameControl(count_, QStringLiteral("違い件数"));
  QFont countFont = count_->font();
  countFont.setBold(true);
  count_->setFont(countFont);
  auto* note = new QLabel(QStringLiteral("違いのある行は太字・黄色で示します。差は新しい方から古い方を引いた値です。"), this);

  auto* wheels = new QGridLayout;
  wheels->setVerticalSpacing(12);
  for (size_t w = 0; w < 4; ++w) {
    tables_[w] = ::wheelTable(c, w, this);
    nameControl(tables_[w], tables_[w]->caption());
    wheels->addWidget(tables_[w], int(w / 2), int(w % 2));
  }

  auto* print = new QPushButton(QStringLiteral("印　刷"), this);
  nameControl(print, QStringLiteral("PrintSwitch"));
  auto* exit = new QPushButton(QStringLiteral("閉じる"), this);
  nameControl(exit, QStringLiteral("ExitSwitch"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(count_);
  buttons->addStretch(1);
  for (QPushButton* b : {print, exit}) {
    b->setAutoDefault(false);
    b->setMinimumSize(120, 36);
    buttons->addWidget(b);
  }
  connect(print, &QPushButton::clicked, this, &SettingCompare::PrintSwitch_Click);
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addWidget(note);
  layout->addLayout(wheels);
  layout->addLayout(buttons);
  for (size_t w = 0; w + 1 < 4; ++w) setTabOrder(tables_[w], tables_[w + 1]);
  setTabOrder(tables_[3], print);
  setTabOrder(print, exit);
  (new FieldEvents(this, this))->watchWindow();
  tables_[0]->setFocus();
  // Sized now, so that showing it is one layout and one paint.
  layout->activate();
  resize(sizeHint());
}

void SettingCompare::PrintSwitch_Click() {
  if (printer_) printer_(this, comparison_);
}

void SettingCompare::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F12) reject();
}

void SettingCompare::keyPressEvent(QKeyEvent* event) {
  if (keyCode(event) == Key::Esc) {
    reject();
    return;
  }
  ScreenDialog::keyPressEvent(event);
}
