#pragma once

#include "format/Result.h"

#include <QString>
#include <QStringList>

// The log of one configuration's server in the data directory (logs/VO_<name>.log), written
// by the server itself where its output can be caught (hosted as a service, or detached
// without a terminal). Private to its owner; each start of Voranth's begins a new log and
// keeps the five before it (VO_<name>.1.log the newest of them).
class ServerLog
{
public:
    static constexpr int keptRuns = 5;

    // The log of the server that executes execFile ("VO_<name>.config").
    static QString pathFor(const QString& execFile);
    // The log of an earlier run: 1 the last one, up to keptRuns.
    static QString earlierRunPath(const QString& execFile, int run);

    // Before a start: the current log becomes the last run's, the oldest kept run goes, and a
    // new empty log is made, readable by its owner only. Its path, or why it cannot be made.
    static Result<QString> beginRun(const QString& execFile);

    // The last lines of the file (at most count) before the offset end (its end for -1), read
    // from there backwards: a long log is not read whole.
    static QStringList lastLines(const QString& path, int count, qint64 end = -1);
};
