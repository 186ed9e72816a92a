#include "support/fixture.h"

#include "data/database.h"
#include "data/datafile.h"
#include "data/engine.h"
#include "data/newfile.h"
#include "data/rules.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/serverschema.h"
#include "support/pgserver.h"

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

bool DataDir::onServer() { return qEnvironmentVariable("ASHIMEMO_TEST_SERVER") == QLatin1String("1"); }

namespace {
// The server's connection for making and dropping the tests' databases.
QSqlDatabase serverAdmin() {
  const QString name = QStringLiteral("fixture-admin");
  if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name);
  PgServer& server = PgServer::instance();
  if (!server.available()) qFatal("PostgreSQL: %s", qPrintable(server.why()));
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
  db.setHostName(QStringLiteral("127.0.0.1"));
  db.setPort(server.port());
  db.setUserName(QStringLiteral("postgres"));
  db.setDatabaseName(QStringLiteral("postgres"));
  if (!db.open()) qFatal("PostgreSQL: %s", qPrintable(db.lastError().text()));
  return db;
}

void adminExec(const QString& sql) {
  QSqlQuery q(serverAdmin());
  if (!q.exec(sql)) {
    // A test may have restarted the server under this connection.
    QSqlDatabase db = serverAdmin();
    db.close();
    db.open();
    q = QSqlQuery(db);
  }
  if (!q.isActive() && !q.exec(sql)) qFatal("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

}  // namespace

// Our tables in a new database; later databases are copies of that one.
QString newServerDatabaseWithTables() {
  static int made = 0;
  static const QString tables = [] {
    const QString name = QStringLiteral("fixture_tables");
    adminExec(QStringLiteral("CREATE DATABASE ") + name);
    ServerUrl url;
    parseServerUrl(PgServer::instance().url(name), &url);
    {
      QString detail;
      if (openServer(QStringLiteral("fixture-tables"), url, {}, &detail) != ServerOpen::Opened)
        qFatal("PostgreSQL: %s", qPrintable(detail));
      QSqlDatabase db = QSqlDatabase::database(QStringLiteral("fixture-tables"));
      QString error;
      if (!createServerTables(db, &error)) qFatal("server tables: %s", qPrintable(error));
      db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture-tables"));
    return name;
  }();
  const QString name = QStringLiteral("fixture_%1").arg(++made);
  adminExec(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, tables));
  return name;
}

DataDir::DataDir(bool open) : oldDir_(QDir::currentPath()) {
  QDir::setCurrent(dir_.path());
  InitMonthDays();
  QString error;
  if (onServer()) {
    database_ = newServerDatabaseWithTables();
    ServerUrl url;
    parseServerUrl(PgServer::instance().url(database_), &url);
    QString missing;
    if (open && Database::openServer(url, {}, &error, &missing) != ServerOpen::Opened)
      qFatal("cannot open the test database: %s %s", qPrintable(error), qPrintable(missing));
    return;
  }
  if (!createDataFile(dir_.filePath(kDataFileName), false, &error)) qFatal("%s", qPrintable(error));
  if (open && OpenDataFile() != 0) qFatal("cannot open the test data file: %s", qPrintable(OpenDataFileError()));
}

DataDir::~DataDir() {
  CloseDataFile();
  if (!database_.isEmpty()) adminExec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(database_));
  QDir::setCurrent(oldDir_);
  if (messages.unexpected > 0) qWarning("%d unexpected question(s) were shown", messages.unexpected);
}

void DataDir::exec(const QString& sql, const QVariantList& values) {
  QSqlQuery q(Database::connection());
  bool ok;
  if (onServer() && values.isEmpty()) {
    ok = q.exec(serverSql(sql));  // the server prepares no ALTER or DROP
  } else {
    q.prepare(onServer() ? serverSql(sql) : sql);
    for (const QVariant& v : values) q.addBindValue(v);
    ok = q.exec();
  }
  if (!ok) qFatal("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QVariantMap DataDir::row(const QString& sql) {
  QSqlQuery q(Database::connection());
  QVariantMap out;
  if (!q.exec(onServer() ? serverSql(sql) : sql)) qFatal("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
  if (q.next()) {
    const QSqlRecord r = q.record();
    for (int i = 0; i < r.count(); ++i) {
      // Whole numbers as the file gives them (the server's driver gives
      // int for integer columns and an unsigned type for bigint ones).
      const QVariant v = r.value(i);
      const int t = v.typeId();
      const bool whole = t == QMetaType::Int || t == QMetaType::UInt || t == QMetaType::ULongLong;
      out.insert(r.fieldName(i), whole && !v.isNull() ? QVariant(v.toLongLong()) : v);
    }
  }
  return out;
}

int DataDir::count(const QString& table) {
  QSqlQuery q(Database::connection());
  q.exec(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table));
  return q.next() ? q.value(0).toInt() : -1;
}

void DataDir::failWrites(const QString& table, const QStringList& operations) {
  if (onServer())
    exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                        "$$BEGIN RAISE EXCEPTION 'disk I/O error'; END$$"));
  for (const QString& op : operations) {
    const QString name = QStringLiteral("refuse_") + op.toLower();
    exec(onServer() ? QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION refuse()")
                          .arg(name, op, table)
                    : QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END")
                          .arg(name, op, table));
  }
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
