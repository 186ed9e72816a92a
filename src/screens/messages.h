#pragma once
// Every message box of the program goes through this seam: confirmations
// (Yes/No, no icon, acting only on Yes), refusals (critical icon, OK),
// notices (OK, no icon) and the one text question, a password. The title is the caption of the window showing it.
// Tests install a scripted seam that records and answers.
#include <QString>

class QWidget;
class DbError;

struct MessageRequest {
  // Password: a hidden text field with OK and キャンセル.
  enum class Buttons { Ok, YesNo, Password };
  enum class Icon { None, Critical };
  QWidget* parent = nullptr;
  QString title;
  QString text;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  QString* typed = nullptr;  // Password: receives what was typed on OK
  bool defaultNo = false;    // YesNo: いいえ takes Enter (a Yes that can lose records)
};

class MessageSeam {
 public:
  virtual ~MessageSeam() = default;
  // Shows the message and returns true for Yes (and for OK).
  virtual bool show(const MessageRequest& request) = 0;
};

namespace Msg {
// Yes/No, no icon; true on Yes.
bool confirm(QWidget* parent, const QString& title, const QString& text);
// The same with いいえ as the default button, for a second question whose
// Yes can lose records: a hurried Enter, or one pressed twice, says No.
bool confirmDefaultNo(QWidget* parent, const QString& title, const QString& text);
// OK with the critical icon.
void refuse(QWidget* parent, const QString& title, const QString& text);
// OK, no icon.
void notice(QWidget* parent, const QString& title, const QString& text);
// Yes/No, no icon, where the answer is not used.
void noticeYesNo(QWidget* parent, const QString& title, const QString& text);
// A hidden text field (a password) under `text`, OK and キャンセル; true on
// OK with what was typed in `*typed`.
bool askPassword(QWidget* parent, const QString& title, const QString& text, QString* typed);
// An engine error: critical icon, OK, the error's Japanese text.
void dbError(QWidget* parent, const QString& title, const DbError& error);

// Appends a line to the message log of a program run by a test (see
// messages.cpp); does nothing in normal use.
void logEvent(const QString& line);

// The seam in use; nullptr restores the real message boxes.
void setSeam(MessageSeam* seam);
MessageSeam* seam();
}  // namespace Msg
