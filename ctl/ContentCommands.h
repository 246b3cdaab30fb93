#pragma once

#include "ctl/CtlCommand.h"

#include <memory>

class MapLibrary;

// "scan", "maps" and "bots": building the map and bot databases and reading them.
class ContentCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int scan(const QStringList& args, CtlIo& io);
    static int maps(const QStringList& args, CtlIo& io);
    static int bots(const QStringList& args, CtlIo& io);

    // Opens a mod's library. The databases are brought up to date first when the game
    // directory is known; without it they are only read (a scan of no directory would find
    // no mods and remove every database).
    static std::unique_ptr<MapLibrary> openLibrary(const QString& mod);
    // Whether the mod has a map database; when not, says so and names those that have one.
    static bool knownMod(const QString& mod, CtlIo& io);
};
