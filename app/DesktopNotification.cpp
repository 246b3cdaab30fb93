#include "app/DesktopNotification.h"

#include "config/CommonData.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace {

// How long the notification shows, in milliseconds; -1 leaves it to the service.
constexpr int expireTimeout = -1;

// The session bus the environment names now (a connection made once would keep another).
QDBusConnection sessionBus()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty())
        return QDBusConnection::sessionBus();
    const QString name = QStringLiteral("voranth-notifications ") + address;
    const QDBusConnection existing(name);
    return existing.isConnected() ? existing : QDBusConnection::connectToBus(address, name);
}

} // namespace

void DesktopNotification::send(const QString& summary, const QString& body)
{
    QDBusConnection bus = sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    message << CommonData::applicationName() << uint(0) << QStringLiteral("dialog-warning")
            << summary << body << QStringList() << QVariantMap() << expireTimeout;
    bus.send(message);
}
