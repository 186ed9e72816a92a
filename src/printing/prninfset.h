#pragma once
// PrnInfSet, "使用するプリンターの設定": chooses the printer, paper size,
// orientation and top and left margins of the sheet named by
// PrnInf.PrnInfKey, and stores them in that sheet's printer file with F1.
// F1 and F10 are taken from the keys pressed in the printer list; the
// buttons call the same keys.
#include "printing/printsurface.h"
#include "screens/screendialog.h"

#include <QComboBox>

class QLineEdit;
class QPushButton;
class QScrollBar;

// A drop-down list whose value can be chosen in its drop-down but not
// typed: while it is locked, keys and the wheel do not change it. Opening
// the drop-down unlocks it and closing it locks it again.
class LockedList : public QComboBox {
  Q_OBJECT


 public:
  explicit LockedList(QWidget* parent = nullptr) : QComboBox(parent) {}
  bool locked = true;
  void showPopup() override;
  void hidePopup() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

class PrnInfSet : public ScreenDialog {
  Q_OBJECT


 public:
  explicit PrnInfSet(QWidget* parent = nullptr);

  void ChkFunctionKey(int keyCode);
  void SetPrnList();
  void SetPaperList(QComboBox* target);
  void SetOrientationList();
  void TblToForm_PrnInf();
  void FormToTbl_PrnInf();
  // The screen's own surface: the source of printers, papers and orientation.
  PrintSurface& surface() { return vsPrinter1; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void marginLeft(QLineEdit* box, QScrollBar* bar);
  void printerChosen();

  PrintSurface vsPrinter1;
  LockedList* PrnList;
  LockedList* PaperSize;
  LockedList* Orientation;
  QComboBox* lstAllPaperSizes;
  QLineEdit* M_up;
  QLineEdit* M_left;
  QScrollBar* SC_M_up;
  QScrollBar* SC_M_Left;
  QPushButton* F1_Switch;
  QPushButton* F10_Switch;
  bool filling_ = false;
};
