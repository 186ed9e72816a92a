#include "screens/messages.h"

#include "data/database.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

class BoxSeam : public MessageSeam {
 public:
  bool show(const MessageRequest& r) override {
    QMessageBox box(r.parent);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    box.setIcon(r.icon == MessageRequest::Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    if (r.buttons == MessageRequest::Buttons::YesNo) {
      QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
      box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
      box.setDefaultButton(yes);
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

BoxSeam boxSeam;
MessageSeam* current = &boxSeam;

bool ask(QWidget* parent, const QString& title, const QString& text, MessageRequest::Buttons b,
         MessageRequest::Icon i) {
  MessageRequest r;
  r.parent = parent;
  r.title = title;
  r.text = text;
  r.buttons = b;
  r.icon = i;
  return current->show(r);
}

}  // namespace

namespace Msg {
bool confirm(QWidget* p, const QString& t, const QString& s) {
  return ask(p, t, s, MessageRequest::Buttons::YesNo, MessageRequest::Icon::None);
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
void dbError(QWidget* p, const QString& t, const DbError& e) { refuse(p, t, e.userText()); }
void setSeam(MessageSeam* s) { current = s ? s : &boxSeam; }
MessageSeam* seam() { return current; }
}  // namespace Msg
