#include "support/NotificationRecorder.h"

NotificationRecorder::NotificationRecorder(const QString& busAddress)
    : m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("notification-recorder")))
{
    m_registered = m_bus.isConnected() &&
                   m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                        QDBusConnection::ExportScriptableSlots) &&
                   m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationRecorder::~NotificationRecorder()
{
    m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notification-recorder"));
}

uint NotificationRecorder::Notify(const QString& appName, uint, const QString&,
                                  const QString& summary, const QString& body, const QStringList&,
                                  const QVariantMap&, int)
{
    m_received.append({appName, summary, body});
    return uint(m_received.size());
}

QStringList NotificationRecorder::GetCapabilities() const
{
    return {QStringLiteral("body")};
}
