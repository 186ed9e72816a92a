#pragma once
// Every message box of the program goes through this seam: confirmations
// (Yes/No, no icon, acting only on Yes), refusals (critical icon, OK) and
// notices (OK, no icon). The title is the caption of the window showing it.
// Tests install a scripted seam that records and answers.
#include <QString>

class QWidget;
class DbError;

struct MessageRequest {
  // Password: a hidden-text field with OK and キャンセル; OK returns true
  // and puts the text in `input`.
  enum class Buttons { Ok, YesNo, Password };
  enum class Icon { None, Critical };
  QWidget* parent = nullptr;
  QString title;
  QString text;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  QString* input = nullptr;
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
// OK with the critical icon.
void refuse(QWidget* parent, const QString& title, const QString& text);
// OK, no icon.
void notice(QWidget* parent, const QString& title, const QString& text);
// Yes/No, no icon, where the answer is not used.
void noticeYesNo(QWidget* parent, const QString& title, const QString& text);
// Asks for a password (shown as dots, kept only in `password`); false when
// the user cancelled.
bool askPassword(QWidget* parent, const QString& title, const QString& text, QString* password);
// An engine error: critical icon, OK, the error's Japanese text.
void dbError(QWidget* parent, const QString& title, const DbError& error);

// Appends a line to the message log of a program run by a test (see
// messages.cpp); does nothing in normal use.
void logEvent(const QString& line);

// The seam in use; nullptr restores the real message boxes.
void setSeam(MessageSeam* seam);
MessageSeam* seam();
}  // namespace Msg
