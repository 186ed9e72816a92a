#include "data/tablechanges.h"

#include <QRandomGenerator>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTimer>
#include <QVariant>
#include <utility>

static const QString kChannel = QStringLiteral("ashimemo");

static TableChanges* changes = nullptr;  // made on first use; lives as long as the program

TableChanges& TableChanges::instance() {
  if (!changes) changes = new TableChanges;
  return *changes;
}

void TableChanges::stopListening() {
  if (changes) changes->stop();
}

TableChanges::TableChanges() : timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  timer_->setInterval(150);
  connect(timer_, &QTimer::timeout, this, [this] { tell(); });
}

void TableChanges::follow(QObject* context, std::function<void(const QString&)> changed) {
  // Every list window opened adds one; those of closed windows go here, or
  // a long day of opening lists with no change told would keep them all.
  std::erase_if(followers_, [](const Follower& f) { return f.context.isNull(); });
  followers_.push_back({context, std::move(changed)});
}

bool TableChanges::listen(const QString& connectionName) {
  stop();
  QSqlDatabase db = QSqlDatabase::database(connectionName, false);
  QSqlDriver* driver = db.isOpen() ? db.driver() : nullptr;
  if (!driver || !driver->hasFeature(QSqlDriver::EventNotifications) || !driver->subscribeToNotification(kChannel))
    return false;
  connection_ = connectionName;
  connect(driver, &QSqlDriver::notification, this,
          [this](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) {
            if (name != kChannel) return;
            const QString text = payload.toString();
            const QString table = text.section(u' ', 0, 0);
            if (!table.isEmpty() && text != payloadFor(table)) announce(table);
          });
  return true;
}

QString TableChanges::payloadFor(const QString& table) {
  static const QString run = QString::number(QRandomGenerator::global()->generate64(), 36);
  return table + u' ' + run;
}

void TableChanges::stop() {
  if (connection_.isEmpty()) return;
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (db.isValid() && db.driver()) {
    disconnect(db.driver(), nullptr, this, nullptr);
    if (db.isOpen()) db.driver()->unsubscribeFromNotification(kChannel);
  }
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
