#pragma once

#include "config/ServerConfig.h"

#include <optional>

// Which configuration the started server runs: recorded at start, so that the window and
// voranthctl, in this run or a later one, know its password, address, port and rotation.
class RunningServer
{
public:
    static QString recordPath();
    // Keeps a copy of the configuration as started, readable by its owner only (it holds the
    // passwords); false when it cannot be written.
    static bool record(const ServerConfig& config);
    // The configuration last recorded, or none.
    static std::optional<ServerConfig> running();
    static void clear();
};
