#pragma once

#include "server/ProcessIdentity.h"
#include "server/ProcessTable.h"
#include "server/RunningServer.h"

#include <QList>
#include <QString>

#include <optional>

#include <sys/types.h>
#include <unistd.h>

// Finds the game's dedicated server that Voranth launched, and stops it. The server is
// started by a terminal through a shell, so Voranth holds no handle on it; the probe reads the
// process table under /proc on every query and caches nothing.
//
// Before the server's process is known, a process is the server when all of this holds: it
// belongs to the user and is no zombie; the environment it was started with carries the
// launch's token (LaunchToken); "+exec" with the launch's configuration file is among its
// arguments; no child of it qualifies so far too (the terminal and the shell above the server
// carry the token as well, and a terminal may hold the server's arguments); and it holds a
// UDP socket bound to the configuration's port. Of several such processes the lowest id wins.
// Once known, the server is that process - its id with its start time, in its boot - and no
// other, whatever its arguments or the settings say. The executable's name plays no part:
// nothing Voranth did not launch is ever taken for its server, so never signalled.
class QProcessCom
{
public:
    // What tells the server of one launch apart from every other process.
    struct Target
    {
        QString launchToken;
        // The argument after "+exec" ("VO_<name>.config"), without the double quotes the
        // launch command puts around it.
        QString execFile;
        // The UDP port the server listens on.
        quint16 port = 0;
        // The server's process once it was found.
        std::optional<ProcessIdentity> server;
    };

    // The probe of the server the record names (RunningServer), read anew at every query;
    // without a record, none runs.
    QProcessCom();
    // A probe of the server of that launch only, in the system's process table or in a table
    // laid out like /proc under procRoot, among the processes of uid.
    static QProcessCom forServer(const Target& target);
    static QProcessCom forServer(const Target& target, const QString& procRoot,
                                 uid_t uid = ::getuid());
    // The probe of a recorded launch.
    static QProcessCom forRecord(const RunningServer::Record& record);
    // A probe of that process only.
    static QProcessCom forProcess(const ProcessIdentity& process);
    static Target targetOf(const RunningServer::Record& record);

    // The server's process, when it runs.
    std::optional<ProcessIdentity> serverProcess() const;
    // Its process id, or -1 when none runs.
    qint32 serverPid() const;
    // 1 when the server runs, else 0.
    int serverState() const;
    // Sends the terminate signal to the server (ProcessSignal); false when none runs or the
    // signal could not be sent. Only a probe of the system's /proc sends signals.
    bool killServerProcess() const;

    // Every process of the user whose environment carries the launch's token (the terminal,
    // the shell, the server), each child before its parent.
    static QList<ProcessIdentity> processesOfLaunch(const QString& launchToken);

    // The target of a probe made for one launch; none for the probe of the record.
    const std::optional<Target>& target() const { return m_target; }

private:
    std::optional<ProcessIdentity> findServer(const Target& target) const;

    ProcessTable m_table;
    uid_t m_uid;
    std::optional<Target> m_target;
};
