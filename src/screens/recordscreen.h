#pragma once
// What the master screens share: the code field that selects the record, a
// chain of body fields walked with Enter and Esc, the five buttons, the list
// of all records with its double-click, F12 to close, and the save, delete,
// clear and copy routines with their confirmations. A screen gives its
// settings (RecordScreenConfig), builds its body fields into bodyLayout(),
// names its chain and implements what differs per record: clearFields,
// showRecord, writeFields and openCopyDialog.
//
// Every record routine catches engine errors: the screen shows them with the
// window caption as title and keeps what it showed.
#include "data/rules.h"
#include "screens/fieldevents.h"
#include "screens/listgrid.h"
#include "screens/rowguard.h"
#include "screens/screendialog.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>

class QBoxLayout;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class ListSearch;
class Recordset;

struct RecordScreenConfig {
  enum Button { Save, Delete, Init, Copy, Close };

  QString caption;                  // window caption, title of every message
  const CodeKind* codes = nullptr;  // table, code width and top code
  QString recordWord;               // "車高調", "ユーザー" in the delete messages
  QString selectSql;                // "SELECT * FROM ユーザー WHERE コード=" (the number follows)
  QString listSql;                  // the list's record source
  QList<ListColumn> columns;        // the list's columns
  QStringList searchFields;         // searched besides the columns ("ユーザー.フリガナ")
  // Leaving the code field: propose the next free code for a blank code,
  // and load the record when the code changed.
  bool proposeCodeOnLeave = false;
  bool loadCodeOnLeave = true;
  // The buttons along the bottom, left to right.
  QList<Button> buttonOrder{Save, Delete, Init, Copy, Close};
};

class RecordScreen : public ScreenDialog, public FieldHandler {
 public:
  RecordScreen(QWidget* parent, RecordScreenConfig config);

  const RecordScreenConfig& config() const { return config_; }
  QLineEdit* codeField() const { return code_; }
  QLabel* codeLabel() const { return codeLabel_; }
  ListGrid* list() const { return list_; }
  // The search field above the list; Enter in it loads the current row as a
  // double-click does.
  ListSearch* search() const { return search_; }
  QPushButton* button(RecordScreenConfig::Button which) const;

  // The record routines. Each returns 1 when it did its work, else 0.
  void clearScreen();   // the code field and every body field to their initial values
  int loadRecord();     // the record whose code is in the code field; 0 and no change when absent
  int saveRecord();     // asks "登録しますか？" / "上書きしますか？" and writes on Yes
  int deleteRecord();   // asks before deleting; says so when the code is not stored
  int copyRecord();     // opens the copy dialog unless the code field is blank
  void Set_ListDsp_SQL();  // (re)binds and refreshes the list

  // Writes every field but コード into a row being added or edited, as the
  // save converts them. The copy dialogs call it to copy what is shown.
  virtual void writeFields(Recordset& rs) const = 0;

  // F12 closes; F1 to F11 do nothing.
  void ChkFunctionKey(int keyCode) override;

  // The message shown when no free code is left.
  static QString noCodeLeftText();

 protected:
  // --- Building the screen (from the constructor of the screen) ---------
  // The top line: caption "コード" and the code field; a screen may add
  // further fields after them.
  QHBoxLayout* headerLayout() const { return header_; }
  // Where the screen puts its body, between the top line and the buttons.
  QVBoxLayout* bodyLayout() const { return body_; }
  // The Enter/Esc chain after the code field: Enter in the code field goes
  // to chain[0]; Esc in chain[0] goes back to the code field; Enter in the
  // last field stays. Every field of the chain is registered for the focus
  // colour and key handling, and the tab order follows the chain.
  void setChain(const QList<QWidget*>& chain);
  const QList<QWidget*>& chain() const { return chain_; }
  // Registers an input field outside the chain for colour and keys.
  void addField(QWidget* field);
  // Completes the screen: installs the key filter on every control, binds
  // the list and clears the screen (the opening steps). Call it last in the
  // screen's constructor.
  void finishSetUp();

  // --- Record parts of the screen -----------------------------------------
  // Puts the initial values into every body field (the code field is
  // already blank).
  virtual void clearFields() = 0;
  // Fills every body field from the found row (the code field is already
  // set). Every field of the table is known to be present.
  virtual void showRecord(const Recordset& rs) = 0;
  // Opens the screen's copy dialog modally.
  virtual void openCopyDialog() = 0;

  // --- Field-level handlers, overridable ---------------------------------
  // A field received the focus: the code field remembers its text and every
  // field turns light cyan.
  virtual void enterField(QWidget* field);
  // A field lost the focus to another control of this window: the code
  // field runs its leave rule; every field gets its resting colour back.
  virtual void leaveField(QWidget* field);
  // A key pressed in a field before the field sees it; return true to
  // consume it. Enter and Esc walk the chain (the code field runs its rule).
  virtual bool fieldKey(QWidget* field, int keyCode, QKeyEvent* event);
  virtual QWidget* nextField(QWidget* field) const;
  virtual QWidget* previousField(QWidget* field) const;
  // The colour a field returns to when it loses the focus.
  virtual QColor restingColour(QWidget* field) const;

  // The code field's rules.
  virtual void codeEntered();          // focus in: remember the text, highlight
  virtual void codeKey(int keyCode);   // Enter or Esc
  virtual void codeLeft();             // focus out to a control of this window
  // Formats the code, proposes the next free code for a blank one when
  // `propose` and loads the record when the code differs from the code at
  // entry and `load`. Returns false when no code is left (the refusal was
  // shown, the code field emptied) or the proposal failed.
  bool settleCode(bool propose, bool load);
  QString codeAtEntry() const { return codeAtEntry_; }

  // Moves the focus to a field of this window.
  void moveFocus(QWidget* field);
  // The trimmed text of a field, never null (stored as "" when blank).
  static QString storedText(const QLineEdit* field);


 private:
  // FieldHandler: filters the focus changes that come from another window
  // being activated (a message box, another program) before the handlers.
  void fieldFocusIn(QWidget* field) final;
  void fieldFocusOut(QWidget* field) final;
  bool fieldKeyDown(QWidget* field, int keyCode, QKeyEvent* event) final;

  QString selectFor(const QString& codeText) const;
  void saveClicked();
  void deleteClicked();
  void initClicked();
  void copyClicked();
  void listDoubleClicked(const QModelIndex& index);

  RecordScreenConfig config_;
  FieldEvents* events_;
  QLineEdit* code_;
  QLabel* codeLabel_;
  ListGrid* list_;
  ListSearch* search_;
  QHBoxLayout* header_;
  QVBoxLayout* body_;
  QHBoxLayout* buttons_;
  QList<QPushButton*> buttonList_;  // indexed by RecordScreenConfig::Button
  QList<QWidget*> chain_;
  QString codeAtEntry_;
  RowGuard shown_;  // the record on the screen, for the checks at its save
  // The field whose focus-in handler ran last and whose leave handler has
  // not run yet.
  QPointer<QWidget> entered_;
};
