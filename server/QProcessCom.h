#pragma once

#include <QString>

#include <optional>

#include <sys/types.h>
#include <unistd.h>

// Finds the game's dedicated server among the user's processes and stops it. The server is
// started by a terminal through a shell, so Voranth holds no handle on it; the probe reads the
// process table under /proc on every query and caches nothing.
//
// A process counts as the server when it belongs to the user, is not a zombie, is not this
// process, its command line (the arguments joined by blanks) contains the name of the server
// executable from the settings, and one of its arguments is "+exec" (the server is always
// started with a configuration to execute). The terminal and the shell above the server hold
// the same text in their command lines, so of the matching processes only those none of whose
// children also match are kept; of several such servers the one with the lowest id wins.
//
// A probe made for one server (forServer()) finds that server only: the process whose
// "+exec" argument names the configuration file it was started with, and once its process id
// is known, that very process and no other. Other servers of the same executable (another
// instance on another port, a game of another user) are never found, so never signalled.
class QProcessCom
{
public:
    // What tells the server Voranth started apart from other processes of the executable.
    struct Target
    {
        // The argument after "+exec" ("VO_<name>.config"), without the double quotes the
        // launch command puts around it.
        QString execFile;
        // The server's process id once it was found, else -1.
        qint32 pid = -1;
    };

    // Reads the system's /proc for the processes of the real user.
    QProcessCom();
    // Reads the process table under procRoot (laid out like /proc) for the processes owned
    // by uid.
    explicit QProcessCom(const QString& procRoot, uid_t uid = ::getuid());
    // A probe of that server only.
    static QProcessCom forServer(const Target& target);
    static QProcessCom forServer(const Target& target, const QString& procRoot,
                                 uid_t uid = ::getuid());

    // The server's process id, or -1 when none runs. The executable's name is the setting
    // "Q3 Dedicated App Name", read anew on every call.
    qint32 serverPid() const;
    // 1 when a server runs, else 0.
    int serverState() const;
    // Sends the terminate signal to the server; false when none runs or the signal could not
    // be sent. Only a probe of the system's /proc sends signals.
    bool killServerProcess() const;

    // The search of serverPid() for an executable name given by the caller; an empty name
    // finds nothing.
    qint32 serverPidForName(const QString& name) const;

    // The target of a probe made for one server.
    const std::optional<Target>& target() const { return m_target; }

private:
    QString m_procRoot;
    uid_t m_uid;
    std::optional<Target> m_target;
};
