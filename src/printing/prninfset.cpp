#include "printing/prninfset.h"

#include "data/numfmt.h"
#include "printing/papers.h"
#include "printing/prninf.h"
#include "screens/fields.h"
#include "screens/keys.h"
#include "screens/messages.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

void LockedList::showPopup() {
  locked = false;
  QComboBox::showPopup();
}

void LockedList::hidePopup() {
  QComboBox::hidePopup();
  locked = true;
}

void LockedList::keyPressEvent(QKeyEvent* event) {
  if (locked) {
    const int key = event->key();
    const bool opens = key == Qt::Key_F4 || key == Qt::Key_Space ||
                       ((key == Qt::Key_Down || key == Qt::Key_Up) && (event->modifiers() & Qt::AltModifier));
    const bool moves = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                       key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End ||
                       key == Qt::Key_Left || key == Qt::Key_Right;
    if (!opens && (moves || !event->text().isEmpty())) {
      event->accept();
      return;
    }
  }
  QComboBox::keyPressEvent(event);
}

void LockedList::wheelEvent(QWheelEvent* event) {
  if (locked) {
    event->accept();
    return;
  }
  QComboBox::wheelEvent(event);
}

void LockedList::mousePressEvent(QMouseEvent* event) {
  locked = true;
  QComboBox::mousePressEvent(event);
}

namespace {
const QString kCaption = QStringLiteral("使用するプリンターの設定");
}

PrnInfSet::PrnInfSet(QWidget* parent) : ScreenDialog(parent) {
  setWindowTitle(kCaption);
  setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));

  PrnList = new LockedList(this);
  PaperSize = new LockedList(this);
  Orientation = new LockedList(this);
  lstAllPaperSizes = new QComboBox(this);
  lstAllPaperSizes->hide();
  nameControl(PrnList, QStringLiteral("PrnList"));
  nameControl(PaperSize, QStringLiteral("PaperSize"));
  nameControl(Orientation, QStringLiteral("Orientation"));
  nameControl(lstAllPaperSizes, QStringLiteral("lstAllPaperSizes"));
  for (QComboBox* list : {static_cast<QComboBox*>(PrnList), static_cast<QComboBox*>(PaperSize)})
    list->setMinimumWidth(340);
  Orientation->setMinimumWidth(140);

  auto margin = [this](const QString& name, const QString& barName, QLineEdit*& box, QScrollBar*& bar) {
    box = new QLineEdit(this);
    nameControl(box, name);
    setNumericInput(box);
    box->setFixedWidth(60);
    bar = new QScrollBar(Qt::Vertical, this);
    nameControl(bar, barName);
    bar->setRange(0, 30);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(20);
    bar->setFixedHeight(box->sizeHint().height());
    box->installEventFilter(this);
    connect(bar, &QScrollBar::valueChanged, box, [box](int v) { box->setText(numfmt::format(v, u"#0")); });
  };
  margin(QStringLiteral("M_up"), QStringLiteral("SC_M_up"), M_up, SC_M_up);
  margin(QStringLiteral("M_left"), QStringLiteral("SC_M_Left"), M_left, SC_M_Left);

  F1_Switch = new QPushButton(QStringLiteral("登録(F1)"), this);
  F10_Switch = new QPushButton(QStringLiteral("終了(F10)"), this);
  nameControl(F1_Switch, QStringLiteral("F1_Switch"));
  nameControl(F10_Switch, QStringLiteral("F10_Switch"));
  for (QPushButton* b : {F1_Switch, F10_Switch}) {
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumWidth(110);
  }
  connect(F1_Switch, &QPushButton::clicked, this, [this] { ChkFunctionKey(Key::F1); });
  connect(F10_Switch, &QPushButton::clicked, this, [this] { ChkFunctionKey(Key::F10); });

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  auto caption = [this](const QString& text, QWidget* field) {
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    return label;
  };
  grid->addWidget(caption(QStringLiteral("選択可能なプリンタ"), PrnList), 0, 0);
  grid->addWidget(PrnList, 0, 1, 1, 4);
  grid->addWidget(caption(QStringLiteral("使用する用紙サイズ"), PaperSize), 1, 0);
  grid->addWidget(PaperSize, 1, 1, 1, 4);
  grid->addWidget(caption(QStringLiteral("用紙の方向"), Orientation), 2, 0);
  grid->addWidget(Orientation, 2, 1, 1, 2, Qt::AlignLeft);
  auto marginRow = [&](int row, const QString& text, QLineEdit* box, QScrollBar* bar) {
    grid->addWidget(caption(text, box), row, 0);
    auto* h = new QHBoxLayout;
    h->setSpacing(2);
    h->addWidget(box);
    h->addWidget(bar);
    h->addSpacing(6);
    h->addWidget(new QLabel(QStringLiteral("mm"), this));
    h->addStretch(1);
    grid->addLayout(h, row, 1, 1, 4);
  };
  marginRow(3, QStringLiteral("上マージン"), M_up, SC_M_up);
  marginRow(4, QStringLiteral("左マージン"), M_left, SC_M_Left);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(F1_Switch);
  buttons->addWidget(F10_Switch);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  setTabOrder(PrnList, PaperSize);
  setTabOrder(PaperSize, Orientation);
  setTabOrder(Orientation, M_up);
  setTabOrder(M_up, M_left);
  setTabOrder(M_left, F1_Switch);
  setTabOrder(F1_Switch, F10_Switch);

  PrnList->installEventFilter(this);
  connect(PrnList, &QComboBox::currentIndexChanged, this, [this] {
    if (!filling_) printerChosen();
  });

  // Load.
  SetPrnList();
  SetPaperList(PaperSize);
  SetOrientationList();
  if (ReadPrnInf(PrnInf.PrnInfKey) != 0) TblToForm_PrnInf();
  PrnList->locked = PaperSize->locked = Orientation->locked = true;
  M_up->setText(numfmt::format(SC_M_up->value(), u"#0"));
  M_left->setText(numfmt::format(SC_M_Left->value(), u"#0"));
  PrnList->setFocus();
}

void PrnInfSet::SetPrnList() {
  filling_ = true;
  PrnList->clear();
  for (int i = 0; i < vsPrinter1.NDevices(); ++i) {
    PrnList->addItem(vsPrinter1.Devices(i));
    if (vsPrinter1.Devices(i) == vsPrinter1.Device()) PrnList->setCurrentIndex(i);
  }
  filling_ = false;
}

void PrnInfSet::SetPaperList(QComboBox* target) {
  lstAllPaperSizes->clear();
  target->clear();
  for (const PaperEntry& e : paperTable())
    if (e.code <= 35) lstAllPaperSizes->addItem(e.name, e.code);
  int selected = -1;
  for (int i = 0; i < lstAllPaperSizes->count(); ++i) {
    const int code = lstAllPaperSizes->itemData(i).toInt();
    if (vsPrinter1.PaperSizeSupported(code)) target->addItem(lstAllPaperSizes->itemText(i), code);
    if (code == vsPrinter1.PaperSize()) selected = target->count() - 1;
  }
  for (int code : {44, 45, 46}) target->addItem(paperEntry(code)->name);
  if (selected >= 0) target->setCurrentIndex(selected);
}

void PrnInfSet::SetOrientationList() {
  Orientation->clear();
  Orientation->addItem(kPortrait, 0);
  Orientation->addItem(kLandscape, 1);
  for (int i = 0; i < Orientation->count(); ++i)
    if (Orientation->itemData(i).toInt() == vsPrinter1.Orientation()) Orientation->setCurrentIndex(i);
}

void PrnInfSet::printerChosen() {
  // The paper list offers what the chosen printer supports; the paper
  // chosen so far stays when that printer has it too.
  const QString paper = PaperSize->currentText();
  vsPrinter1.setDevice(PrnList->currentText());
  SetPaperList(PaperSize);
  const int keep = PaperSize->findText(paper);
  if (keep >= 0) PaperSize->setCurrentIndex(keep);
}

void PrnInfSet::TblToForm_PrnInf() {
  auto show = [](QComboBox* list, const QString& text) {
    const int i = list->findText(text.trimmed());
    if (i >= 0) list->setCurrentIndex(i);
  };
  show(PrnList, PrnInf.PrnName);
  show(PaperSize, PrnInf.PaperName);
  show(Orientation, PrnInf.OrientName);
  M_up->setText(PrnInf.MarginTop.trimmed());
  M_left->setText(PrnInf.MarginLeft.trimmed());
  SC_M_up->setValue(int(std::lround(numfmt::val(PrnInf.MarginTop.trimmed()))));
  SC_M_Left->setValue(int(std::lround(numfmt::val(PrnInf.MarginLeft.trimmed()))));
}

void PrnInfSet::FormToTbl_PrnInf() {
  PrnInf.PrnName = PrnList->currentText();
  PrnInf.PaperName = PaperSize->currentText();
  PrnInf.OrientName = Orientation->currentText();
  PrnInf.MarginTop = M_up->text();
  PrnInf.MarginLeft = M_left->text();
}

void PrnInfSet::ChkFunctionKey(int keyCode) {
  if (keyCode == Key::F1) {
    FormToTbl_PrnInf();
    if (!WritePrnInf(PrnInf.PrnInfKey))
      Msg::refuse(this, kCaption,
                  QStringLiteral("プリンターの設定を保存できませんでした。\n「%1」に書き込めません。")
                      .arg(prnInfFileName(PrnInf.PrnInfKey)));
  } else if (keyCode == Key::F10) {
    reject();
  }
}

void PrnInfSet::marginLeft(QLineEdit* box, QScrollBar* bar) {
  const double v = numfmt::val(box->text().trimmed());
  if (v > 30) {
    box->setText(QStringLiteral("20"));
    bar->setValue(20);
    return;
  }
  // A negative margin is outside the scroll bar's range: it becomes 0.
  const QString text = numfmt::format(std::max(0.0, v), u"#0");
  box->setText(text);
  bar->setValue(text.toInt());
}

bool PrnInfSet::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PrnList && event->type() == QEvent::KeyPress) {
    const int code = keyCode(static_cast<QKeyEvent*>(event));
    if (Key::isFunctionKey(code)) {
      ChkFunctionKey(code);
      return true;
    }
  }
  if ((watched == M_up || watched == M_left) && event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    if (watched == M_up)
      marginLeft(M_up, SC_M_up);
    else
      marginLeft(M_left, SC_M_Left);
  }
  return QDialog::eventFilter(watched, event);
}

