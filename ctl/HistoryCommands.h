#pragma once

#include "ctl/CtlCommand.h"

// "history" and "sample": a server's player history, and one sample of every running server
// of ours added to it (for a timer to run every minute).
class HistoryCommands
{
public:
    static void addTo(QList<CtlCommand>& commands);
    static int history(const QStringList& args, CtlIo& io);
    static int sample(const QStringList& args, CtlIo& io);

    // "24h", "7d", or any number of hours or days up to the days a history keeps: the minutes
    // it stands for; nothing for anything else.
    static std::optional<qint64> sinceMinutes(const QString& text);
};
