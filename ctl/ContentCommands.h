#pragma once

#include "ctl/CtlCommand.h"

// "scan", "maps" and "bots": building the map and bot databases and reading them.
class ContentCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int scan(const QStringList& args, CtlIo& io);
    static int maps(const QStringList& args, CtlIo& io);
    static int bots(const QStringList& args, CtlIo& io);
};
