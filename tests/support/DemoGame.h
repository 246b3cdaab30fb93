#pragma once

#include <QString>

// The Quake III-style game directory made from Debian's OpenArena data by the project's
// script. Its server is also reached under a name of this test process (serverName()), so
// that the process probe of one test never finds the servers of another running beside it.
namespace DemoGame {

// Makes a demo game in dir with the server under serverName(); false, with the script's
// output in error, when it cannot.
bool make(const QString& dir, QString* error = nullptr);
// The process's demo game, made once; empty on failure. It also names serverName() as the
// server executable in the settings.
QString directory(QString* error = nullptr);
QString serverName();

} // namespace DemoGame
