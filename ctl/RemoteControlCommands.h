#pragma once

#include "ctl/CtlCommand.h"

// The commands of the window's remote-control pane, for hosts without a display: kick,
// dumpuser, restart-map, next-map, preview-next-map, limit, addbot, say and run-config. Each
// speaks to the server Voranth started, as recorded when it was started, through the same
// paced sender as the window.
class RemoteControlCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);

    static int kick(const QStringList& args, CtlIo& io);
    static int dumpUser(const QStringList& args, CtlIo& io);
    static int restartMap(const QStringList& args, CtlIo& io);
    static int nextMap(const QStringList& args, CtlIo& io);
    static int previewNextMap(const QStringList& args, CtlIo& io);
    static int limit(const QStringList& args, CtlIo& io);
    static int addBot(const QStringList& args, CtlIo& io);
    static int say(const QStringList& args, CtlIo& io);
    static int runConfig(const QStringList& args, CtlIo& io);
};
