#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A desktop notification service on the test's own session bus that keeps what it is sent.
class NotificationRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification
    {
        QString appName;
        QString summary;
        QString body;
    };

    explicit NotificationRecorder(const QString& busAddress);
    ~NotificationRecorder() override;

    bool registered() const { return m_registered; }
    const QList<Notification>& received() const { return m_received; }

public slots:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                             const QString& summary, const QString& body,
                             const QStringList& actions, const QVariantMap& hints, int timeout);
    Q_SCRIPTABLE QStringList GetCapabilities() const;

private:
    QDBusConnection m_bus;
    QList<Notification> m_received;
    bool m_registered = false;
};
