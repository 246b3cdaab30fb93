#pragma once

#include "ctl/CtlCommand.h"

// "logs [--server NAME] [-n N] [-f]": the last lines of a server's log, and what it writes
// from then on.
class LogCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int logs(const QStringList& args, CtlIo& io);
};
