#pragma once

#include "ctl/CtlCommand.h"

// "start", "stop" and "running": the dedicated servers started and stopped as the window does
// it, and the process id and configuration of those that run; "enable" and "disable": a
// server started at login by the user's service manager.
class ServerCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int start(const QStringList& args, CtlIo& io);
    static int stop(const QStringList& args, CtlIo& io);
    static int running(const QStringList& args, CtlIo& io);
    static int enable(const QStringList& args, CtlIo& io);
    static int disable(const QStringList& args, CtlIo& io);
};
