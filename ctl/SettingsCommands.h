#pragma once

#include "ctl/CtlCommand.h"

// "paths", "settings" and "set KEY VALUE".
class SettingsCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int paths(const QStringList& args, CtlIo& io);
    static int settings(const QStringList& args, CtlIo& io);
    static int set(const QStringList& args, CtlIo& io);
};
