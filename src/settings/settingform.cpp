#include "settings/settingform.h"

#include "data/clock.h"
#include "data/database.h"
#include "data/datafile.h"
#include "data/numfmt.h"
#include "data/schema.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/lists.h"
#include "screens/messages.h"
#include "settings/strutpicture.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kNotStored = QStringLiteral("]のセッティングは登録されていません！");

QLineEdit* lineOf(QWidget* w) {
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(w);
}

QLabel* label(const QString& text, QWidget* parent) { return new QLabel(text, parent); }

// A caption label, the buddy of the field it names.
QLabel* captionLabel(const QString& text, QWidget* parent, QWidget* field) {
  auto* l = new QLabel(text, parent);
  l->setBuddy(field);
  return l;
}

}  // namespace

SettingForm::SettingForm(QWidget* parent) : QWidget(parent), events_(new FieldEvents(this, this)) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(6);

  // Header: code, name, date, user and product.
  auto* header = new QGridLayout;
  header->setHorizontalSpacing(6);
  header->setVerticalSpacing(6);
  headerButtons_ = new QWidget(this);
  code_ = new QLineEdit(this);
  nameControl(code_, QStringLiteral("コード"));
  setNumericInput(code_);
  code_->setFixedWidth(56);
  name_ = new QLineEdit(this);
  nameControl(name_, QStringLiteral("セッティング名"));
  name_->setMinimumWidth(360);
  name_->setAttribute(Qt::WA_InputMethodEnabled, true);
  year_ = new QLineEdit(this);
  nameControl(year_, QStringLiteral("年"));
  month_ = new QLineEdit(this);
  nameControl(month_, QStringLiteral("月"));
  day_ = new QLineEdit(this);
  nameControl(day_, QStringLiteral("日"));
  for (QLineEdit* e : {year_, month_, day_}) {
    setNumericInput(e);
    e->setFixedWidth(e == year_ ? 52 : 34);
  }
  user_ = new QComboBox(this);
  coilOver_ = new QComboBox(this);
  setUpCodeList(user_);
  setUpCodeList(coilOver_);
  nameControl(user_, QStringLiteral("ユーザー"));
  nameControl(coilOver_, QStringLiteral("車高調"));
  user_->setMinimumWidth(280);
  coilOver_->setMinimumWidth(340);

  auto* date = new QHBoxLayout;
  date->setSpacing(3);
  date->addWidget(year_);
  date->addWidget(label(QStringLiteral("年"), this));
  date->addWidget(month_);
  date->addWidget(captionLabel(QStringLiteral("月"), this, month_));
  date->addWidget(day_);
  date->addWidget(captionLabel(QStringLiteral("日"), this, day_));
  date->addStretch();

  header->addWidget(headerButtons_, 0, 0, 2, 1);
  header->addWidget(code_, 0, 1);
  header->addWidget(captionLabel(QStringLiteral("セッティング名"), this, name_), 0, 2, Qt::AlignRight);
  header->addWidget(name_, 0, 3);
  header->addWidget(captionLabel(QStringLiteral("登 録 日"), this, year_), 0, 4, Qt::AlignRight);
  header->addLayout(date, 0, 5);
  header->addWidget(captionLabel(QStringLiteral("ユーザー"), this, user_), 1, 2, Qt::AlignRight);
  header->addWidget(user_, 1, 3, Qt::AlignLeft);
  header->addWidget(captionLabel(QStringLiteral("車 高 調"), this, coilOver_), 1, 4, Qt::AlignRight);
  header->addWidget(coilOver_, 1, 5);
  header->setColumnStretch(5, 1);
  outer->addLayout(header);

  auto* panels = new QGridLayout;
  panels->setSpacing(8);
  for (int w = 0; w < 4; ++w) panels->addWidget(buildWheelPanel(w), w / 2, w % 2);
  outer->addLayout(panels);
  outer->addStretch();

  // Tab order: header, then every wheel field wheel by wheel.
  QList<QWidget*> order{code_, name_, year_, month_, day_, user_, coilOver_};
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < WheelItemCount; ++i) order << wheel_[size_t(w)][size_t(i)];
  for (int i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
  for (QWidget* f : order) events_->addField(f);
  events_->watchWindow();

  attachByteBudget(name_, 80, 80);
  attachByteBudget(code_, 4, 4);
  attachByteBudget(year_, 4, 4);
  attachByteBudget(month_, 2, 2);
  attachByteBudget(day_, 2, 2);
  for (int w = 0; w < 4; ++w) attachByteBudget(wheel_[size_t(w)][Remark], 20, 20);

  connect(code_, &QLineEdit::textEdited, this, [this] { noCodeRefused_ = false; });
  // Choosing a product from the open list applies it at once.
  connect(coilOver_, &QComboBox::activated, this, [this](int) { applyProduct(); });
}

QGroupBox* SettingForm::buildWheelPanel(int w) {
  static const char* titles[4] = {"　フロント　左　", "　フロント　右　", "　リア　左　", "　リア　右　"};
  static const char* numbers[6] = {"①", "②", "③", "④", "⑤", "⑥"};
  static const char* captions[6] = {"実車高(フェンダー高)", "プリロード", "全　　長", "ピロアッパーout側",
                                    "ピロアッパーin側", "ピロアッパー車高"};
  auto* frame = new QGroupBox(QString::fromUtf8(titles[w]), this);
  nameControl(frame, arrayName(QStringLiteral("Frame1"), w));
  frames_[size_t(w)] = frame;
  auto* g = new QGridLayout(frame);
  g->setHorizontalSpacing(5);
  g->setVerticalSpacing(4);
  g->setContentsMargins(8, 6, 8, 6);

  auto* picture = new StrutPicture(w % 2 == 1, frame);
  nameControl(picture, arrayName(QStringLiteral("ストラット図"), w));
  picture->setFixedSize(118, 176);
  g->addWidget(picture, 0, 0, 6, 1);

  const QStringList& items = schema::wheelItems();
  for (int i = 0; i < WheelItemCount; ++i) {
    auto* e = new QLineEdit(frame);
    nameControl(e, arrayName(items[i], w));
    wheel_[size_t(w)][size_t(i)] = e;
    if (i == Remark) {
      e->setAttribute(Qt::WA_InputMethodEnabled, true);
      e->setMinimumWidth(180);
    } else {
      setNumericInput(e);
      e->setFixedWidth(52);
    }
  }
  // Character limits refuse typing only: a maximum length would also cut
  // what the program writes there (a stored value, a product's spring rate
  // of 12.25). The fields take digits, one byte each.
  static const int maxChars[WheelItemCount] = {3, 3, 0, 3, 3, 2, 2, 2, 4, 2, 0, 0};
  for (int i = 0; i < WheelItemCount; ++i)
    if (maxChars[i] > 0) attachByteBudget(wheel_[size_t(w)][size_t(i)], maxChars[i], maxChars[i]);

  QFont numberFont = font();
  numberFont.setPointSizeF(numberFont.pointSizeF() + 1);
  for (int i = 0; i < 6; ++i) {
    auto* n = label(QString::fromUtf8(numbers[i]), frame);
    n->setFont(numberFont);
    n->setStyleSheet(QStringLiteral("color: rgb(0, 70, 160);"));
    g->addWidget(n, i, 1);
    g->addWidget(captionLabel(QString::fromUtf8(captions[i]), frame, wheel_[size_t(w)][size_t(i)]), i, 2);
    g->addWidget(wheel_[size_t(w)][size_t(i)], i, 3);
    QLabel* unit = label(QStringLiteral("mm"), frame);
    if (i == Preload) {
      unit->setObjectName(arrayName(QStringLiteral("プリロード単位"), w));
      preloadUnit_[size_t(w)] = unit;
    }
    g->addWidget(unit, i, 4);
  }
  g->setColumnMinimumWidth(5, 14);

  auto* damping = label(QStringLiteral("減衰力"), frame);
  QFont bold = damping->font();
  bold.setBold(true);
  damping->setFont(bold);
  g->addWidget(damping, 0, 6);
  struct Right {
    const char* caption;
    int item;
    const char* unit;
  };
  const Right right[5] = {{"伸", Extension, "段"},
                          {"縮", Compression, "段"},
                          {"ﾊﾞﾈﾚｰﾄ", SpringRate, "k"},
                          {"ID", SpringId, "mm"},
                          {"自由長", FreeLength, "mm"}};
  for (int r = 0; r < 5; ++r) {
    QWidget* field = wheel_[size_t(w)][size_t(right[r].item)];
    g->addWidget(captionLabel(QString::fromUtf8(right[r].caption), frame, field), r + 1, 6, Qt::AlignRight);
    g->addWidget(field, r + 1, 7);
    g->addWidget(label(QString::fromUtf8(right[r].unit), frame), r + 1, 8);
  }
  g->addWidget(captionLabel(QStringLiteral("備考"), frame, wheel_[size_t(w)][Remark]), 6, 0, Qt::AlignRight);
  g->addWidget(wheel_[size_t(w)][Remark], 6, 1, 1, 8);
  g->setColumnStretch(9, 1);
  return frame;
}

void SettingForm::placeHeaderButtons(QPushButton* settingCall, QPushButton* verSwitch) {
  auto* v = new QVBoxLayout(headerButtons_);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(6);
  v->addWidget(settingCall);
  v->addWidget(verSwitch);
  settingCall->installEventFilter(events_);
  verSwitch->installEventFilter(events_);
}

QString SettingForm::caption() const { return window()->windowTitle(); }

QString SettingForm::sqlCode() const { return QString::number(numfmt::codeValue(code_->text())); }

// --- Record routines ---------------------------------------------------------

void SettingForm::Init_Setting() {
  shown_.clear();
  code_->clear();
  name_->clear();
  const QString today = TodayDigits();
  year_->setText(today.mid(0, 4));
  month_->setText(today.mid(4, 2));
  day_->setText(today.mid(6, 2));
  try {
    FillUserList(user_);
    FillCoilOverList(coilOver_);
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
  }
  user_->setCurrentIndex(0);
  coilOver_->setCurrentIndex(0);
  for (auto& w : wheel_)
    for (QLineEdit* e : w) e->clear();
  Init_SMasterPara();
}

int SettingForm::Load_Setting() {
  SettingRecord r;
  qint64 userCode = 0, coilCode = 0;
  try {
    const qlonglong code = numfmt::codeValue(code_->text());
    Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=") + sqlCode());
    if (rs.noRow()) {
      shown_.fresh(code);
      return 0;
    }
    shown_.loaded(code, rs);
    r.code = numfmt::format(rs.number(QStringLiteral("コード")), u"0000");
    r.name = rs.text(QStringLiteral("セッティング名称"));
    const QString date = rs.text(QStringLiteral("登録日"));
    r.year = date.mid(0, 4);
    r.month = date.mid(4, 2);
    r.day = date.mid(6, 2);
    userCode = qint64(rs.number(QStringLiteral("ユーザー")));
    coilCode = qint64(rs.number(QStringLiteral("車高調")));
    const QStringList& prefixes = schema::wheelPrefixes();
    const QStringList& items = schema::wheelItems();
    for (int w = 0; w < 4; ++w)
      for (int i = 0; i < WheelItemCount; ++i)
        r.wheel[size_t(w)][size_t(i)] = rs.text(prefixes[w] + items[i]).trimmed();
    rs.close();
    // A user or product added since its list was last filled is not in it:
    // the list is refilled then, rather than showing (and later saving) none.
    r.user = matchListItem(user_, QString::number(userCode), 4);
    if (userCode != 0 && numfmt::codeValue(r.user.left(4)) != userCode) {
      FillUserList(user_);
      r.user = matchListItem(user_, QString::number(userCode), 4);
    }
    r.coilOver = matchListItem(coilOver_, QString::number(coilCode), 2);
    if (coilCode != 0 && numfmt::codeValue(r.coilOver.left(2)) != coilCode) {
      FillCoilOverList(coilOver_);
      r.coilOver = matchListItem(coilOver_, QString::number(coilCode), 2);
    }
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
  setAllTexts(r);
  Read_SMasterPara(coilOver_->currentText());
  return 1;
}

void SettingForm::setAllTexts(const SettingRecord& r) {
  code_->setText(r.code);
  name_->setText(r.name);
  year_->setText(r.year);
  month_->setText(r.month);
  day_->setText(r.day);
  const int u = user_->findText(r.user);
  if (u >= 0) user_->setCurrentIndex(u);
  user_->setEditText(r.user);
  const int c = coilOver_->findText(r.coilOver);
  if (c >= 0) coilOver_->setCurrentIndex(c);
  coilOver_->setEditText(r.coilOver);
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < WheelItemCount; ++i) wheel_[size_t(w)][size_t(i)]->setText(r.wheel[size_t(w)][size_t(i)]);
}

SettingRecord SettingForm::values() const {
  SettingRecord r;
  r.code = code_->text();
  r.name = name_->text();
  r.year = year_->text();
  r.month = month_->text();
  r.day = day_->text();
  r.user = user_->currentText();
  r.coilOver = coilOver_->currentText();
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < WheelItemCount; ++i) r.wheel[size_t(w)][size_t(i)] = wheel_[size_t(w)][size_t(i)]->text();
  return r;
}

int SettingForm::Save_Setting() {
  try {
    const qlonglong code = numfmt::codeValue(code_->text());
    Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=") + sqlCode(), Recordset::Updatable);
    // A code that another PC registered since this screen took it as new is
    // saved as a new setting, which the save then finds taken.
    const bool found = !rs.noRow() && !shown_.takenMeanwhile(code, rs);
    const QString question = found                        ? QStringLiteral("上書きしますか？")
                             : shown_.goneMeanwhile(code, rs) ? RowGuard::deletedText()
                                                             : QStringLiteral("登録しますか？");
    if (!Msg::confirm(this, caption(), question)) return 0;
    if (found)
      rs.edit(shown_.expected(code));
    else
      rs.addNew();
    writeSetting(rs, values(), code);
    const int saved = shown_.save(this, caption(), rs, code, SettingCodes, [this](const QString& next) {
      code_->setText(next);
      codeAtEntry_ = next;
    });
    rs.close();
    return saved;
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
}

int SettingForm::delete_Setting() {
  try {
    const qlonglong code = numfmt::codeValue(code_->text());
    Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=") + sqlCode(), Recordset::Updatable);
    if (rs.noRow()) {
      Msg::noticeYesNo(this, caption(), QStringLiteral("コード[") + code_->text() + kNotStored);
      return 0;
    }
    if (!Msg::confirm(this, caption(),
                      QStringLiteral("コード[") + code_->text() +
                          QStringLiteral("]のセッティングを削除しますか？(アライメントの登録がある場合は同時に削除されます)")))
      return 0;
    QVariant expected = shown_.expected(code);
    for (;;) {
      // The setting and its alignment record go together or not at all; the
      // transaction is over before a question is asked.
      Recordset::Outcome outcome;
      {
        Transaction tx;
        outcome = rs.deleteChecked(expected);
        if (outcome == Recordset::Outcome::Written || outcome == Recordset::Outcome::Deleted) {
          Recordset al(QStringLiteral("SELECT * FROM アライメント WHERE コード=") + sqlCode(), Recordset::Updatable);
          if (!al.noRow()) al.deleteRow();
          al.close();
          tx.commit();
        }
      }
      if (outcome != Recordset::Outcome::Changed) break;
      if (!Msg::confirm(this, caption(), RowGuard::changedText())) return 0;
      expected = QVariant();
    }
    rs.close();
    shown_.clear();
    return 1;
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return 0;
  }
}

bool SettingForm::Araiment_Setting() {
  try {
    Recordset rs(QStringLiteral("SELECT * FROM セッティング WHERE コード=") + sqlCode());
    if (rs.noRow()) {
      Msg::refuse(this, caption(),
                  QStringLiteral("コード[") + code_->text() + kNotStored +
                      QStringLiteral("登録済みデータにのみ入力できます。"));
      return false;
    }
    return true;
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return false;
  }
}

bool SettingForm::Copy_Setting() const { return !code_->text().trimmed().isEmpty(); }

void SettingForm::loadCode(const QString& code) {
  code_->setText(code);
  Load_Setting();
}

void SettingForm::focusCode() { code_->setFocus(Qt::OtherFocusReason); }

// --- Capabilities --------------------------------------------------------------

void SettingForm::Init_SMasterPara() {
  for (auto& w : wheel_)
    for (int i : {Preload, Length, UpperOut, UpperIn, UpperHeight, Extension, Compression})
      setBackground(w[size_t(i)], Colours::normal());
  caps_ = Capabilities{};
}

void SettingForm::Read_SMasterPara(const QString& coilOverText) {
  try {
    Recordset rs(QStringLiteral("SELECT * FROM 車高調マスタ WHERE コード=") +
                 QString::number(numfmt::codeValue(coilOverText)));
    if (rs.noRow()) {
      Init_SMasterPara();
      return;
    }
    auto flag = [&rs](const char* name) { return rs.number(QString::fromUtf8(name)) == 1 ? 1 : 0; };
    caps_.減衰力調整幅_F[0] = rs.text(QStringLiteral("減衰力_伸段_F")).trimmed();
    caps_.減衰力調整幅_F[1] = rs.text(QStringLiteral("減衰力_縮段_F")).trimmed();
    caps_.減衰力調整幅_R[0] = rs.text(QStringLiteral("減衰力_伸段_R")).trimmed();
    caps_.減衰力調整幅_R[1] = rs.text(QStringLiteral("減衰力_縮段_R")).trimmed();
    for (int w = 0; w < 4; ++w) {
      const auto& max = axleOf(w) == 0 ? caps_.減衰力調整幅_F : caps_.減衰力調整幅_R;
      for (int k = 0; k < 2; ++k) {
        QLineEdit* e = wheel_[size_t(w)][size_t(Extension + k)];
        const QString lowered = lowerToMaximum(e->text(), max[size_t(k)]);
        if (lowered != e->text()) e->setText(lowered);
      }
    }
    const char* together[2] = {"減衰力調整式_伸縮同時_F", "減衰力調整式_伸縮同時_R"};
    const char* separate[2] = {"減衰力調整式_伸縮別_F", "減衰力調整式_伸縮別_R"};
    const char* thread[2] = {"ネジ式車高調整_F", "ネジ式車高調整_R"};
    const char* cring[2] = {"Cリング式車高調整_F", "Cリング式車高調整_R"};
    const char* length[2] = {"全長調整式_F", "全長調整式_R"};
    const char* camber[2] = {"ピロアッパーキャンバー調節_F", "ピロアッパーキャンバー調節_R"};
    const char* height[2] = {"ピロアッパー車高調節_F", "ピロアッパー車高調節_R"};
    const char* rate[2] = {"バネレート_F", "バネレート_R"};
    const char* id[2] = {"ID_F", "ID_R"};
    const char* freeLength[2] = {"自由長_F", "自由長_R"};
    auto grey = [this](int axle, int item) {
      for (int w = axle * 2; w < axle * 2 + 2; ++w) setBackground(wheel_[size_t(w)][size_t(item)], Colours::grey());
    };
    for (int a = 0; a < 2; ++a) {
      const size_t ax = size_t(a);
      caps_.伸縮[ax] = QStringLiteral("なし");
      if (flag(together[a]) == 1)
        caps_.伸縮[ax] = QStringLiteral("同時");
      else if (flag(separate[a]) == 1)
        caps_.伸縮[ax] = QStringLiteral("別");
      if (caps_.伸縮[ax] == QStringLiteral("なし") || caps_.伸縮[ax].isEmpty()) {
        grey(a, Extension);
        grey(a, Compression);
      }
      caps_.車高調節[ax] = (flag(thread[a]) == 0 && flag(cring[a]) == 0) ? 1 : 0;
      for (int w = a * 2; w < a * 2 + 2; ++w)
        preloadUnit_[size_t(w)]->setText(flag(cring[a]) == 1 ? QStringLiteral("段") : QStringLiteral("mm"));
      if (caps_.車高調節[ax] == 1) grey(a, Preload);
      caps_.全長調節[ax] = flag(length[a]);
      if (caps_.全長調節[ax] == 0) grey(a, Length);
      caps_.キャンバー[ax] = flag(camber[a]);
      if (caps_.キャンバー[ax] == 0) {
        grey(a, UpperOut);
        grey(a, UpperIn);
      }
      caps_.ピロ車高[ax] = flag(height[a]);
      if (caps_.ピロ車高[ax] == 0) grey(a, UpperHeight);
      for (int w = a * 2; w < a * 2 + 2; ++w) {
        wheel_[size_t(w)][SpringRate]->setText(rs.text(QString::fromUtf8(rate[a])).trimmed());
        wheel_[size_t(w)][SpringId]->setText(rs.text(QString::fromUtf8(id[a])).trimmed());
        wheel_[size_t(w)][FreeLength]->setText(rs.text(QString::fromUtf8(freeLength[a])).trimmed());
      }
    }
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
  }
}

// --- Field handling ------------------------------------------------------------

bool SettingForm::locateWheel(QWidget* field, int* wheel, int* item) const {
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < WheelItemCount; ++i)
      if (wheel_[size_t(w)][size_t(i)] == field) {
        *wheel = w;
        *item = i;
        return true;
      }
  return false;
}

void SettingForm::ChkFunctionKey(int keyCode) {
  // The main window binds no function key.
  (void)keyCode;
}

bool SettingForm::formatAndProposeCode() {
  code_->setText(formatCodeText(code_->text(), SettingCodes));
  if (numfmt::codeValue(code_->text()) != 0) return true;
  QString next;
  try {
    next = NextSettingCode();
  } catch (const DbError& e) {
    Msg::dbError(this, caption(), e);
    return false;
  }
  if (next == noCodeMarker(SettingCodes)) {
    // Nothing typed on the screen is lost: the code field is emptied so that
    // a free code can be typed by hand.
    code_->clear();
    noCodeRefused_ = true;
    Msg::refuse(this, caption(),
                QStringLiteral("これ以上登録できません。空きコードを利用するか、データを削除してください！"));
    return false;
  }
  code_->setText(next);
  noCodeRefused_ = false;
  return true;
}

void SettingForm::codeEnterOrEsc(int keyCode) {
  if (!formatAndProposeCode()) {
    code_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (code_->text().trimmed() != codeAtEntry_.trimmed()) Load_Setting();
  if (keyCode == Key::Enter) name_->setFocus(Qt::OtherFocusReason);
}

void SettingForm::formatMonth() {
  const QString t = month_->text();
  if (t.trimmed().isEmpty()) return;
  const double m = numfmt::val(t);
  month_->setText(m > 12 ? QStringLiteral("12") : numfmt::format(m, u"00"));
}

void SettingForm::formatDay() {
  if (day_->text().trimmed().isEmpty() || month_->text().trimmed().isEmpty()) return;
  int month = int(numfmt::codeValue(month_->text()));
  if (month < 0 || month > 12) month = month < 0 ? 0 : 12;
  const double d = numfmt::val(day_->text());
  day_->setText(numfmt::format(d > MonthDays[month] ? MonthDays[month] : d, u"00"));
}

// The list's text becomes the item its leading digits name (the first item
// when none does).
void SettingForm::matchList(QComboBox* list, int width) {
  const QString t = matchListItem(list, list->currentText(), width);
  const int i = list->findText(t);
  if (i >= 0) list->setCurrentIndex(i);
  list->setEditText(t);
}

void SettingForm::applyProduct() {
  matchList(coilOver_, 2);
  if (!coilOver_->currentText().trimmed().isEmpty()) Read_SMasterPara(coilOver_->currentText());
}

void SettingForm::correctWheel(int w, int item) {
  QLineEdit* e = wheel_[size_t(w)][size_t(item)];
  const QString corrected = correctWheelValue(caps_, item, axleOf(w), e->text());
  if (corrected != e->text()) e->setText(corrected);
  if ((item == Extension || item == Compression) && !e->text().trimmed().isEmpty() &&
      caps_.伸縮[size_t(axleOf(w))] == QStringLiteral("同時"))
    wheel_[size_t(w)][size_t(item == Extension ? Compression : Extension)]->setText(e->text());
}

void SettingForm::moveWheel(const WheelMove& m) {
  switch (m.kind) {
    case WheelMove::Stay: return;
    case WheelMove::CoilOverList: coilOver_->setFocus(Qt::OtherFocusReason); return;
    case WheelMove::Field: wheel_[size_t(m.wheel)][size_t(m.item)]->setFocus(Qt::OtherFocusReason); return;
  }
}

bool SettingForm::fieldKeyDown(QWidget* field, int key, QKeyEvent*) {
  const bool enter = key == Key::Enter, esc = key == Key::Esc;
  auto go = [](QWidget* target) { target->setFocus(Qt::OtherFocusReason); };
  auto firstKey = [&](QWidget* f) {
    if (QLineEdit* e = lineOf(f)) firstKey_ = FirstKeyClear(e, key - 49, firstKey_);
  };
  if (field == code_) {
    if (enter || esc) codeEnterOrEsc(key);
    return enter || esc;
  }
  if (field == name_) {
    if (enter) go(year_);
    if (esc) go(code_);
    return enter || esc;
  }
  if (field == year_) {
    if (enter) go(month_);
    if (esc) go(name_);
    firstKey(field);
    return enter || esc;
  }
  if (field == month_) {
    if (enter || esc || key == Key::F1) formatMonth();
    if (enter) go(day_);
    if (esc) go(year_);
    firstKey(field);
    return enter || esc;
  }
  if (field == day_) {
    if (enter || esc || key == Key::F1) formatDay();
    if (enter) go(user_);
    if (esc) go(month_);
    firstKey(field);
    return enter || esc;
  }
  if (field == user_) {
    if (enter) {
      matchList(user_, 4);
      go(coilOver_);
    }
    if (esc) go(day_);
    firstKey(field);
    return enter || esc;
  }
  if (field == coilOver_) {
    if (enter) {
      applyProduct();
      go(wheel_[0][Fender]);
    }
    if (esc) go(user_);
    firstKey(field);
    return enter || esc;
  }
  int w = 0, item = 0;
  if (!locateWheel(field, &w, &item)) return false;
  if (enter || esc) {
    correctWheel(w, item);
    moveWheel(enter ? enterMove(caps_, w, item) : escMove(caps_, w, item));
  }
  if (item != Remark) firstKey(field);
  return enter || esc;
}

void SettingForm::fieldFocusIn(QWidget* field) {
  if (field == code_) {
    codeAtEntry_ = code_->text();
  } else if (field == name_) {
    LimitTextBytes(name_, limitReached_, 80);
  } else if (field == user_ || field == coilOver_) {
    try {
      if (field == user_)
        FillUserList(user_);
      else
        FillCoilOverList(coilOver_);
    } catch (const DbError& e) {
      Msg::dbError(this, caption(), e);
    }
    // A list's text is selected on entry, so that typing replaces it.
    static_cast<QComboBox*>(field)->lineEdit()->selectAll();
  }
  int w = 0, item = 0;
  if (locateWheel(field, &w, &item)) {
    if (!isAvailable(caps_, item, axleOf(w))) {
      // A field the product does not offer hands the focus to the first
      // field of its wheel, whether it was clicked or tabbed into.
      QLineEdit* target = wheel_[size_t(w)][Fender];
      QTimer::singleShot(0, target, [target] { target->setFocus(Qt::OtherFocusReason); });
    }
    if (item == Remark) LimitTextBytes(wheel_[size_t(w)][Remark], limitReached_, 20);
  }
  firstKey_ = false;
  HighlightField(field);
}

void SettingForm::fieldFocusOut(QWidget* field) {
  int w = 0, item = 0;
  if (field == code_) {
    // Leaving formats the code and proposes one for 0, but loads nothing.
    // After "no code left" an empty field may be left empty: the message is
    // not repeated each time the focus passes.
    if (!(noCodeRefused_ && code_->text().trimmed().isEmpty()) && !formatAndProposeCode() && noCodeRefused_)
      QTimer::singleShot(0, code_, [this] { code_->setFocus(Qt::OtherFocusReason); });
  } else if (field == year_) {
    year_->setText(numfmt::format(numfmt::val(year_->text()), u"0000"));
  } else if (field == month_) {
    formatMonth();
  } else if (field == day_) {
    formatDay();
  } else if (field == user_) {
    matchList(user_, 4);
  } else if (field == coilOver_) {
    applyProduct();
  } else if (locateWheel(field, &w, &item)) {
    // A field the product does not offer only passes the focus on; leaving
    // it must not rewrite its stored value (a damping step would become 1).
    if (isAvailable(caps_, item, axleOf(w))) correctWheel(w, item);
  }
  UnhighlightField(field);
}
