#pragma once

#include "app/ServerState.h"

#include <QString>

// The application's icon tells its state: orange while no server is controlled, red while
// one is, yellow while quitting.
class ApplicationIcon
{
public:
    enum class State
    {
        Orange,
        Red,
        Yellow
    };

    static State forServerState(ServerState state);
    static void show(State state);
    // The icon shown last.
    static State current();
    static QString resourcePath(State state);
};
