#pragma once

#include <QString>

// The game installation directory: known from the game's preferences, or from the stored
// setting while that still names a directory holding the base game.
class GameDirectory
{
public:
    // Whether the directory holds the base game's directory ("baseq3").
    static bool isValid(const QString& dir);
    // The directory the game's own preferences name (their "NSDefaultOpenDirectory"), or
    // empty when they name none.
    static QString fromGamePreferences();
    // The game directory of this run: the game's preferences' (then also stored in the
    // setting), else the stored setting while it holds the base game; empty when not known.
    static QString settle();
    // Stores dir as the game directory and answers it as an absolute, clean path.
    static QString choose(const QString& dir);
};
