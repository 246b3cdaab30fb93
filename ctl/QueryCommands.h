#pragma once

#include "ctl/CtlCommand.h"

class QueryReport;

// "query": what any Quake III server plays and who plays on it, asked over the public status
// protocol (never over the remote console).
class QueryCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int query(const QStringList& args, CtlIo& io);

    // The map's title and the game type's name from the databases of the server's mod, when
    // this machine has them.
    static void addWhatTheDatabasesKnow(QueryReport& report);
};
