#pragma once

#include <QString>

// The game installation directory: known from the game's preferences, or from the stored
// setting while that still names a directory holding the base game.
class GameDirectory
{
public:
    // Whether the directory holds the base game's directory ("baseq3").
    static bool isValid(const QString& dir);
    // Settles qGameRootDir from the stored setting when the game's preferences gave
    // nothing; answers it, or empty when it is still not known.
    static QString settle();
    // Makes dir the game directory of this run and stores it in the setting.
    static void choose(const QString& dir);
};
