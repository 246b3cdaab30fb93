#pragma once

#include <QString>

// The Quake III-style game directory made from Debian's OpenArena data by the project's
// script; made once per test process.
namespace DemoGame {

// The directory, or an empty string when the script failed (its output is in error).
QString directory(QString* error = nullptr);

} // namespace DemoGame
