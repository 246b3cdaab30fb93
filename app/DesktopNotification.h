#pragma once

#include <QString>

// A notification of the desktop (org.freedesktop.Notifications on the session bus), sent
// without waiting for its answer: where no notification service runs, nothing happens.
class DesktopNotification
{
public:
    static void send(const QString& summary, const QString& body);
};
