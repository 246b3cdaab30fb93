#pragma once

#include <QString>

// The process-wide names and paths. Every value is made on first use and lives until the
// process ends; the paths follow HOME and the XDG base directories of that moment.
class CommonData
{
public:
    CommonData() = delete;

    static QString applicationName();
    static QString applicationVersion();
    static QString qGameAppName();
    static QString qGameAppFullName();
    static QString qGameBundleIdentifier();

    // The file the game's own preferences are read from: qGamePrefsDir()/<bundle id>.plist.
    static QString qGamePrefsDir();
    static QString qGamePrefsFile();

    static QString qGameRootDir();
    static void setQGameRootDir(const QString& dir);
    static QString qGameDefaultModDir();
    static QString qGameModDir();
    static void setQGameModDir(const QString& mod);

    static QString appSupportQGameDir();
    static QString appSupportQ3VXDir();
    static QString appSupportQ3VXBaseQ3Dir();
    static QString appSupportQ3VXCurrentModDir();
    static void setAppSupportQ3VXCurrentModDirForMod(const QString& mod);

    static QString arenasPlistFileWithPath();
    static void setArenasPlistFileWithPath(const QString& path);
    static QString botsPlistFileWithPath();
    static void setBotsPlistFileWithPath(const QString& path);
    static QString baseQ3ArenasPlistFileWithPath();
    static void setBaseQ3ArenasPlistFileWithPath(const QString& path);
    static QString baseQ3BotsPlistFileWithPath();
    static void setBaseQ3BotsPlistFileWithPath(const QString& path);

    static QString tmpBlockArenasPlistFile();
    static QString userLoginName();

    // Runs the class initialisation if it has not run yet; later calls change nothing.
    // The data directory is made by DataDirectory.
    static void initialize();
};
