#pragma once

#include <QString>

// The Quake III-style game directory made from Debian's OpenArena data by the project's
// script; made once per test process.
namespace DemoGame {

// The directory, or an empty string when the script failed (its output is in error). It
// also names this process's own server executable in the settings (serverName()), so that
// the process probe finds only the servers this test process starts.
QString directory(QString* error = nullptr);
// A link to the demo game's server under a name of this test process.
QString serverName();

} // namespace DemoGame
