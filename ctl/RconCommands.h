#pragma once

#include "ctl/CtlCommand.h"

// "status" and "rcon": the remote console of the server that was started, as recorded when
// it was started (its password, address, port, map rotation and mod).
class RconCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int status(const QStringList& args, CtlIo& io);
    static int rcon(const QStringList& args, CtlIo& io);
};
