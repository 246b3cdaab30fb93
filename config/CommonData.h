#pragma once

#include <QString>

// The names and paths that are the same for every game directory and mod. Which game
// directory and mod an operation works on is a GamePaths value handed to it.
class CommonData
{
public:
    CommonData() = delete;

    static QString applicationName();
    static QString applicationVersion();
    static QString qGameAppFullName();
    static QString qGameBundleIdentifier();

    // The file the game's own preferences are read from: qGamePrefsDir()/<bundle id>.plist.
    static QString qGamePrefsDir();
    static QString qGamePrefsFile();

    static QString qGameDefaultModDir();
    // The mod's directory: the base game's for an empty name.
    static QString modDirOrDefault(const QString& mod);

    // Follow HOME and the XDG base directories at the moment of the call.
    static QString appSupportQGameDir();
    static QString appSupportQ3VXDir();
    static QString appSupportQ3VXBaseQ3Dir();
    // Directories of appSupportQ3VXDir() that hold the application's own records (the
    // running servers, the player history, the servers' logs) and never a mod's database.
    static QString appSupportServersDir();
    static QString appSupportHistoryDir();
    static QString appSupportLogsDir();
    static bool isOwnDataDirectory(const QString& name);

    static QString tmpBlockArenasPlistFile();
    static QString userLoginName();
};
