#pragma once

#include "ctl/CtlCommand.h"

// "mods" and "gametypes [--mod M]": the mods that have a map database and their game types.
class ModCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int mods(const QStringList& args, CtlIo& io);
    static int gametypes(const QStringList& args, CtlIo& io);
};
