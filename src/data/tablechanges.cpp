#include "data/tablechanges.h"

#include "data/schema.h"

#include <QRandomGenerator>
#include <QThreadPool>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTimer>
#include <QVariant>
#include <utility>

#include <libpq-fe.h>

static const QString kChannel = QStringLiteral("ashimemo");

static TableChanges* changes = nullptr;  // made on first use; lives as long as the program

TableChanges& TableChanges::instance() {
  if (!changes) changes = new TableChanges;
  return *changes;
}

void TableChanges::stopListening() {
  if (changes) changes->stop();
}

TableChanges::TableChanges() : timer_(new QTimer(this)), watch_(new QTimer(this)) {
  timer_->setSingleShot(true);
  timer_->setInterval(150);
  connect(timer_, &QTimer::timeout, this, [this] { tell(); });
  watch_->setInterval(2000);
  connect(watch_, &QTimer::timeout, this, [this] { watch(); });
}

void TableChanges::follow(QObject* context, std::function<void(const QString&)> changed) {
  followers_.push_back({context, std::move(changed)});
}

bool TableChanges::listen(const QString& connectionName, std::function<bool()> open, std::function<bool()> answers) {
  stop();
  connection_ = connectionName;
  open_ = std::move(open);
  answers_ = std::make_shared<std::function<bool()>>(std::move(answers));
  watch_->start();
  return open_() && subscribe();
}

bool TableChanges::subscribe() {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  QSqlDriver* driver = db.isOpen() ? db.driver() : nullptr;
  if (!driver || !driver->hasFeature(QSqlDriver::EventNotifications) || !driver->subscribeToNotification(kChannel))
    return false;
  subscribed_ = true;
  connect(driver, &QSqlDriver::notification, this,
          [this](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) {
            if (name != kChannel) return;
            const QString text = payload.toString();
            const QString table = text.section(u' ', 0, 0);
            if (!table.isEmpty() && text != payloadFor(table)) announce(table);
          });
  return true;
}

// Every 2 s while listening. The driver reads the connection whenever the
// server sends something, its closing too, so a lost connection shows in
// its status without a round trip.
void TableChanges::watch() {
  if (subscribed_) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QVariant h = db.isOpen() ? db.driver()->handle() : QVariant();
    const PGconn* conn = h.isValid() ? *static_cast<PGconn* const*>(h.data()) : nullptr;
    if (conn && PQstatus(conn) == CONNECTION_OK) return;
    // Closing drops the driver's watch on a socket that is gone.
    disconnect(db.driver(), nullptr, this, nullptr);
    db.close();
    subscribed_ = false;
  }
  if (asking_) return;
  asking_ = true;
  static QThreadPool* askers = new QThreadPool(this);
  askers->start([this, answers = answers_] {
    const bool up = *answers && (*answers)();
    QMetaObject::invokeMethod(this, [this, up, answers] {
      asking_ = false;
      // stop() or another listen() since: that one's business now.
      if (answers != answers_ || !up || !open_() || !subscribe()) return;
      for (const schema::Table& t : schema::tables()) announce(t.name);
    }, Qt::QueuedConnection);
  });
}

QString TableChanges::payloadFor(const QString& table) {
  static const QString run = QString::number(QRandomGenerator::global()->generate64(), 36);
  return table + u' ' + run;
}

void TableChanges::stop() {
  watch_->stop();
  answers_.reset();
  open_ = nullptr;
  if (connection_.isEmpty()) return;
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (db.isValid() && db.driver()) {
    disconnect(db.driver(), nullptr, this, nullptr);
    if (db.isOpen() && subscribed_) db.driver()->unsubscribeFromNotification(kChannel);
  }
  subscribed_ = false;
  connection_.clear();
  pending_.clear();
  timer_->stop();
}

void TableChanges::announce(const QString& table) {
  pending_.insert(table);
  if (!timer_->isActive()) timer_->start();
}

void TableChanges::tell() {
  const QSet<QString> tables = std::exchange(pending_, {});
  // A follower may add followers or close its window while being told.
  std::erase_if(followers_, [](const Follower& f) { return f.context.isNull(); });
  const std::vector<Follower> now = followers_;
  for (const QString& table : tables)
    for (const Follower& f : now)
      if (f.context) f.changed(table);
}
