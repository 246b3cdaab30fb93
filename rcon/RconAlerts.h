#pragma once

#include <QString>

// The alerts the remote console raises; the window layer shows them, tests record them.
class RconAlerts
{
public:
    virtual ~RconAlerts() = default;
    // The server turned the rcon password down; message is its reply as it stands.
    virtual void showRconPasswordError(const QString& title, const QString& message) = 0;
};
