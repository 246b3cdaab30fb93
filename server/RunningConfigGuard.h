#pragma once

#include "server/ServerLauncher.h"

#include <QString>

#include <optional>

// What may not happen to the configuration the server Voranth started runs while it runs (or
// starts): the record, the remote control and the user know it by its name, and Delete would
// leave the running server without its configuration.
class RunningConfigGuard
{
public:
    RunningConfigGuard() = delete;

    enum class Change
    {
        Rename,
        Delete,
    };

    // The alert that refuses the change of the configuration name, or none when it may be
    // made (ServerLauncher::runningServer() decides what runs).
    static std::optional<ServerLauncher::Alert> refusal(const QString& name, Change change);
};
