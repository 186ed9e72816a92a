#pragma once
// Test fixtures: a temporary working directory holding a fresh data file
// opened as the program opens it, a scripted message seam, and helpers to
// act on modal dialogs and to type like a user.
#include "screens/messages.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

class QWidget;
class QDialog;

// A message that was shown, as the scripted seam recorded it.
struct ShownMessage {
  QString title;
  QString text;
  MessageRequest::Buttons buttons;
  MessageRequest::Icon icon;
};

// Records every message and answers from a queue. A message with no queued
// answer is an unexpected message: it is answered No/OK and counted, and
// the fixture fails the test at its end.
class ScriptedMessages : public MessageSeam {
 public:
  ScriptedMessages();
  ~ScriptedMessages() override;
  bool show(const MessageRequest& request) override;
  void answer(bool yes);  // queue one answer
  QList<ShownMessage> shown;
  int unexpected = 0;
  // Returns the messages shown since the last call and forgets them.
  QList<ShownMessage> take();

 private:
  QList<bool> answers_;
  MessageSeam* previous_;
};

// A temporary directory that is the working directory while it lives, with
// a new "Setting.MDB" in it, opened as the shared connection.
//
// With ASHIMEMO_TEST_SERVER=1 in the environment the records are a fresh
// database with our tables on the executable's private PostgreSQL server
// instead (and no "Setting.MDB" is made): the same record-routine tests
// then run on the server. onServer() tells the few tests that are about
// the file itself.
class DataDir {
 public:
  explicit DataDir(bool open = true);
  ~DataDir();
  static bool onServer();
  // The server database's name (server mode only).
  QString database() const { return database_; }
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }
  // Runs SQL on the shared connection with bound values; fails the test on error.
  void exec(const QString& sql, const QVariantList& values = {});
  // The values of one row as column name -> value, empty when no row.
  QVariantMap row(const QString& sql);
  int count(const QString& table);
  // Makes each of `operations` ("INSERT", "UPDATE", "DELETE") on `table`
  // fail with the engine's disk error, as a failing disk would.
  void failWrites(const QString& table, const QStringList& operations);
  ScriptedMessages messages;

 private:
  QTemporaryDir dir_;
  QString oldDir_;
  QString database_;
};

// A new database on the executable's private PostgreSQL server holding our
// empty tables and the version row; returns its name.
QString newServerDatabaseWithTables();

// Skips a test that is about the data file itself when the records are on
// the server.
#define FILE_ONLY()                                                    \
  do {                                                                 \
    if (DataDir::onServer()) QSKIP("about the data file; none on the server"); \
  } while (0)

// Runs `action` on the next modal dialog as soon as it is shown (and before
// the code that opened it carries on). Use before the call that opens it.
void onNextModal(std::function<void(QDialog*)> action);
// Shows a window and waits until it is active, so that focus and keys work.
bool showAndActivate(QWidget* window);
// Types a text into the focused widget with real key events.
void typeText(const QString& text);
// Sends one key to the focused widget (keypad keys with Qt::KeypadModifier).
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The widget named `name` inside `root`, failing loudly when it is missing.
QWidget* findControl(QWidget* root, const QString& name);
template <class T>
T* control(QWidget* root, const QString& name) {
  return qobject_cast<T*>(findControl(root, name));
}
