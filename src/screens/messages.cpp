#include "screens/messages.h"

#include "data/database.h"

#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

class BoxSeam : public MessageSeam {
 public:
  bool show(const MessageRequest& r) override {
    if (r.buttons == MessageRequest::Buttons::Password) {
      QInputDialog dialog(r.parent);
      dialog.setWindowTitle(r.title);
      dialog.setLabelText(r.text);
      dialog.setInputMode(QInputDialog::TextInput);
      dialog.setTextEchoMode(QLineEdit::Password);
      dialog.setOkButtonText(QStringLiteral("OK"));
      dialog.setCancelButtonText(QStringLiteral("キャンセル"));
      if (dialog.exec() != QDialog::Accepted) return false;
      if (r.typed) *r.typed = dialog.textValue();
      return true;
    }
    QMessageBox box(r.parent);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    box.setIcon(r.icon == MessageRequest::Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    if (r.buttons == MessageRequest::Buttons::YesNo) {
      QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
      QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
      box.setDefaultButton(r.defaultNo ? no : yes);
      box.exec();
      return box.clickedButton() == yes;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return true;
  }
};

// For tests that run the program as a child process: with the environment
// variable ASHIMEMO_TEST_MESSAGES naming a file, messages are written there
// (one line each: title, text, buttons, icon) instead of being shown, and
// answered OK / No. Questions take their answers from ASHIMEMO_TEST_ANSWERS
// when it is set ("yes,no,...", one per question in turn); a password
// question takes "password:TEXT" (OK with TEXT) and anything else, or no
// answer left, as キャンセル.
class FileSeam : public MessageSeam {
 public:
  explicit FileSeam(QString path) : path_(std::move(path)) {
    answers_ = qEnvironmentVariable("ASHIMEMO_TEST_ANSWERS").split(u',', Qt::SkipEmptyParts);
  }
  bool show(const MessageRequest& r) override {
    if (r.buttons == MessageRequest::Buttons::Password) {
      log(r);
      const QString answer = answers_.isEmpty() ? QString() : answers_.takeFirst().trimmed();
      if (!answer.startsWith(QLatin1String("password:"))) return false;
      if (r.typed) *r.typed = answer.mid(9);
      return true;
    }
    if (r.buttons == MessageRequest::Buttons::YesNo && !answers_.isEmpty()) {
      log(r);
      return answers_.takeFirst().trimmed() == QLatin1String("yes");
    }
    log(r);
    return r.buttons == MessageRequest::Buttons::Ok;
  }
  void log(const MessageRequest& r) {
    Msg::logEvent(r.title + u'\t' + QString(r.text).replace(u'\n', QStringLiteral("\\n")) + u'\t' +
                  (r.buttons == MessageRequest::Buttons::YesNo      ? (r.defaultNo ? QStringLiteral("YesNo(No)") : QStringLiteral("YesNo"))
                   : r.buttons == MessageRequest::Buttons::Password ? QStringLiteral("Password")
                                                                    : QStringLiteral("OK")) +
                  u'\t' + (r.icon == MessageRequest::Icon::Critical ? QStringLiteral("Critical") : QStringLiteral("None")));
  }
  QString path_;
  QStringList answers_;
};

BoxSeam boxSeam;

MessageSeam* initialSeam() {
  static FileSeam fileSeam(qEnvironmentVariable("ASHIMEMO_TEST_MESSAGES"));
  return fileSeam.path_.isEmpty() ? static_cast<MessageSeam*>(&boxSeam) : &fileSeam;
}

MessageSeam* current = initialSeam();

bool ask(QWidget* parent, const QString& title, const QString& text, MessageRequest::Buttons b,
         MessageRequest::Icon i, bool defaultNo = false, QString* typed = nullptr) {
  MessageRequest r;
  r.parent = parent;
  r.title = title;
  r.text = text;
  r.buttons = b;
  r.icon = i;
  r.defaultNo = defaultNo;
  r.typed = typed;
  return current->show(r);
}

}  // namespace

namespace Msg {
bool confirm(QWidget* p, const QString& t, const QString& s) {
  return ask(p, t, s, MessageRequest::Buttons::YesNo, MessageRequest::Icon::None);
}
bool confirmDefaultNo(QWidget* p, const QString& t, const QString& s) {
  return ask(p, t, s, MessageRequest::Buttons::YesNo, MessageRequest::Icon::None, true);
}
void refuse(QWidget* p, const QString& t, const QString& s) {
  ask(p, t, s, MessageRequest::Buttons::Ok, MessageRequest::Icon::Critical);
}
void notice(QWidget* p, const QString& t, const QString& s) {
  ask(p, t, s, MessageRequest::Buttons::Ok, MessageRequest::Icon::None);
}
void noticeYesNo(QWidget* p, const QString& t, const QString& s) {
  ask(p, t, s, MessageRequest::Buttons::YesNo, MessageRequest::Icon::None);
}
bool askPassword(QWidget* p, const QString& t, const QString& s, QString* typed) {
  return ask(p, t, s, MessageRequest::Buttons::Password, MessageRequest::Icon::None, false, typed);
}
void dbError(QWidget* p, const QString& t, const DbError& e) { refuse(p, t, e.userText()); }
void setSeam(MessageSeam* s) { current = s ? s : initialSeam(); }
void logEvent(const QString& line) {
  const QString path = qEnvironmentVariable("ASHIMEMO_TEST_MESSAGES");
  if (path.isEmpty()) return;
  QFile f(path);
  if (f.open(QIODevice::Append | QIODevice::Text)) f.write(line.toUtf8() + '\n');
}
MessageSeam* seam() { return current; }
}  // namespace Msg
