#pragma once

#include "ctl/CtlCommand.h"

// The configuration store: listing and showing configurations, and New, Duplicate, Rename,
// Delete, field setting and map-list changes. Every change takes the store lock, loads the
// store and writes it back at once.
class ConfigCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int configs(const QStringList& args, CtlIo& io);
    static int show(const QStringList& args, CtlIo& io);
    static int newConfig(const QStringList& args, CtlIo& io);
    static int duplicate(const QStringList& args, CtlIo& io);
    static int rename(const QStringList& args, CtlIo& io);
    static int deleteConfig(const QStringList& args, CtlIo& io);
    static int setField(const QStringList& args, CtlIo& io);
    static int addMaps(const QStringList& args, CtlIo& io);
    static int removeMaps(const QStringList& args, CtlIo& io);
};
