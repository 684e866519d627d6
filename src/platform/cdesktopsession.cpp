#include "platform/cdesktopsession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

constexpr const char* kNotifications = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
constexpr const char* kScreenSaver = "org.freedesktop.ScreenSaver";
constexpr const char* kScreenSaverPath = "/org/freedesktop/ScreenSaver";
constexpr const char* kInhibitReason = "A call is connected";
constexpr uchar kCriticalUrgency = 2;  // a ringing call is not to wait in a list

bool ServiceThere(const char* name) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(name).value();
}

}  // namespace

CDesktopSession::CDesktopSession(QString appId, QObject* parent) : QObject(parent), appId_(std::move(appId)) {}

CDesktopSession::~CDesktopSession() {
  KeepAwake(false);
}

bool CDesktopSession::Notify(const QString& summary, const QString& body) {
  if (!ServiceThere(kNotifications)) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, "Notify");
  QVariantMap hints;
  hints.insert("urgency", QVariant::fromValue(kCriticalUrgency));
  hints.insert("desktop-entry", appId_);
  call << QString("Ondrel") << uint(0) << appId_ << summary << body << QStringList() << hints << int(-1);
  QDBusConnection::sessionBus().asyncCall(call);
  return true;
}

void CDesktopSession::KeepAwake(bool on) {
  if (on == awake_) return;
  awake_ = on;
  if (on) {
    Inhibit();
  } else {
    UnInhibit();
  }
}

void CDesktopSession::Inhibit() {
  if (inhibitPending_ || cookie_ != 0 || !ServiceThere(kScreenSaver)) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "Inhibit");
  call << QString("Ondrel") << QString(kInhibitReason);
  inhibitPending_ = true;
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    inhibitPending_ = false;
    const QDBusPendingReply<uint> reply = *finished;
    if (reply.isError()) return;
    cookie_ = reply.value();
    // The call ended while the session was answering.
    if (!awake_) UnInhibit();
  });
}

void CDesktopSession::UnInhibit() {
  if (cookie_ == 0) return;  // a pending request lets go when it is granted
  QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "UnInhibit");
  call << cookie_;
  cookie_ = 0;
  QDBusConnection::sessionBus().asyncCall(call);
}
