#pragma once

#include "ctl/CtlCommand.h"

// "start NAME [--no-rcon]", "stop" and "running": the dedicated server started and stopped as
// the window does it, and the process id and configuration of the one that runs.
class ServerCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int start(const QStringList& args, CtlIo& io);
    static int stop(const QStringList& args, CtlIo& io);
    static int running(const QStringList& args, CtlIo& io);
};
