#include "support/fixture.h"

#include "data/database.h"
#include "data/datafile.h"
#include "data/newfile.h"
#include "data/rules.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTimer>

ScriptedMessages::ScriptedMessages() : previous_(Msg::seam()) { Msg::setSeam(this); }
ScriptedMessages::~ScriptedMessages() { Msg::setSeam(previous_ == this ? nullptr : previous_); }

bool ScriptedMessages::show(const MessageRequest& r) {
  shown.append({r.title, r.text, r.buttons, r.icon});
  if (answers_.isEmpty()) {
    if (r.buttons == MessageRequest::Buttons::YesNo || r.icon == MessageRequest::Icon::Critical ||
        r.buttons == MessageRequest::Buttons::Ok) {
      // OK-only notices and refusals need no answer; a question does.
      if (r.buttons == MessageRequest::Buttons::YesNo) {
        ++unexpected;
        qWarning("unexpected question: %s", qPrintable(r.text));
      }
    }
    return r.buttons == MessageRequest::Buttons::Ok;
  }
  return answers_.takeFirst();
}

void ScriptedMessages::answer(bool yes) { answers_.append(yes); }

QList<ShownMessage> ScriptedMessages::take() {
  QList<ShownMessage> out = shown;
  shown.clear();
  return out;
}

DataDir::DataDir(bool open) : oldDir_(QDir::currentPath()) {
  QDir::setCurrent(dir_.path());
  InitMonthDays();
  QString error;
  if (!createDataFile(dir_.filePath(kDataFileName), false, &error)) qFatal("%s", qPrintable(error));
  if (open && OpenDataFile() != 0) qFatal("cannot open the test data file: %s", qPrintable(OpenDataFileError()));
}

DataDir::~DataDir() {
  CloseDataFile();
  QDir::setCurrent(oldDir_);
  if (messages.unexpected > 0) qWarning("%d unexpected question(s) were shown", messages.unexpected);
}

void DataDir::exec(const QString& sql, const QVariantList& values) {
  QSqlQuery q(Database::connection());
  q.prepare(sql);
  for (const QVariant& v : values) q.addBindValue(v);
  if (!q.exec()) qFatal("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QVariantMap DataDir::row(const QString& sql) {
  QSqlQuery q(Database::connection());
  QVariantMap out;
  if (!q.exec(sql)) qFatal("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
  if (q.next()) {
    const QSqlRecord r = q.record();
    for (int i = 0; i < r.count(); ++i) out.insert(r.fieldName(i), r.value(i));
  }
  return out;
}

int DataDir::count(const QString& table) {
  QSqlQuery q(Database::connection());
  q.exec(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table));
  return q.next() ? q.value(0).toInt() : -1;
}

void onNextModal(std::function<void(QDialog*)> action) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, action, tries] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->isVisible()) {
      timer->stop();
      timer->deleteLater();
      QApplication::setActiveWindow(dialog);
      action(dialog);
    } else if (++*tries > 2000) {
      timer->stop();
      timer->deleteLater();
      qWarning("onNextModal: no modal dialog appeared");
    }
  });
  timer->start();
}

bool showAndActivate(QWidget* window) {
  window->show();
  QApplication::setActiveWindow(window);
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

static QWidget* focusTarget() {
  QWidget* w = QApplication::focusWidget();
  return w ? w : QApplication::activeWindow();
}

void typeText(const QString& text) {
  for (QChar c : text) {
    QWidget* w = focusTarget();
    if (!w) return;
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
      QTest::keyClick(w, Qt::Key(Qt::Key_0 + (u - '0')), Qt::NoModifier);
    else if (u < 0x80)
      QTest::keyClick(w, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

void press(int key, Qt::KeyboardModifiers modifiers) {
  QWidget* w = focusTarget();
  if (!w) return;
  QString text;
  if (modifiers & Qt::KeypadModifier) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) text = QString(QChar(u'0' + (key - Qt::Key_0)));
    else if (key == Qt::Key_Asterisk) text = QStringLiteral("*");
    else if (key == Qt::Key_Minus) text = QStringLiteral("-");
    else if (key == Qt::Key_Period) text = QStringLiteral(".");
    else if (key == Qt::Key_Plus) text = QStringLiteral("+");
  }
  if (!text.isEmpty())
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key(key), text, modifiers);
  else
    QTest::keyClick(w, Qt::Key(key), modifiers);
}

QWidget* findControl(QWidget* root, const QString& name) {
  QWidget* w = root->objectName() == name ? root : root->findChild<QWidget*>(name);
  if (!w) qWarning("control not found: %s", qPrintable(name));
  return w;
}
