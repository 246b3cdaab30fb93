#pragma once

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

    static void show(State state);
    static State current();
    static QString resourcePath(State state);
};
