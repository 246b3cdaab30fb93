#pragma once

#include "config/ServerConfig.h"
#include "format/Result.h"
#include "server/ProcessIdentity.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The servers Voranth started, one record each: which configuration a server runs, and what
// tells its process apart from every other one. Recorded at start, so that the window and
// voranthctl, in this run or a later one, know its password, address, port and rotation, and
// signal and speak to that server only. The records are the registry of the servers that run:
// one private file per launch in the data directory, changed under the registry's lock by the
// window and voranthctl alike.
//
// A server is Voranth's by what Voranth launched, never by its name or arguments: the launch
// gives the launched process a token in its environment (LaunchToken), and the server is the
// process that carries it (QProcessCom). Once found, the server is that process (its id with
// its start time, in the boot of the launch) and no other.
class RunningServer
{
public:
    struct Record
    {
        // The configuration the server runs now; Run Config switches it.
        ServerConfig config;
        // The argument of "+exec" the server was started with ("VO_<name>.config"). It stays
        // the same when the configuration is switched: the process keeps its command line.
        QString execFile;
        // The token in the environment of the launch; it names the launch.
        QString launchToken;
        // The boot of the launch: in another one, none of its processes runs.
        QString bootId;
        // When the launch was made, in milliseconds of CLOCK_BOOTTIME (a clock that is never
        // set and counts on while the machine sleeps): how long the server has been starting.
        qint64 launchedAtBootMs = -1;
        // The process the launch started (terminal or shell), as far as it was seen.
        qint32 launcherPid = -1;
        quint64 launcherStartTime = 0;
        // The server's process once it was found: its id, -1 before, and its start time.
        qint32 pid = -1;
        quint64 processStartTime = 0;
        // The wall-clock time of the launch, for showing only.
        QDateTime startedAt;
        // The user service that hosts the server (ServiceUnit), empty for a terminal start:
        // then the server is the unit's main process, and the manager restarts it.
        QString unitName;
        // The server's log, where its output goes (empty in a terminal).
        QString logFile;

        bool hostedAsService() const { return !unitName.isEmpty(); }

        // The server's process, once found.
        std::optional<ProcessIdentity> serverProcess() const;
        std::optional<ProcessIdentity> launcherProcess() const;
        bool serverFound() const { return serverProcess().has_value(); }
    };

    // appSupportQ3VXDir/servers: one record per launch, named by its token.
    static QString registryDirectory();
    static QString recordPath(const QString& launchToken);
    // A fresh record of a server about to be launched with config: a new launch token, the
    // boot and the time of now, no process yet. Nothing is written.
    static Record launchRecord(const ServerConfig& config);
    // Writes launchRecord(config); false when it cannot be written.
    static bool record(const ServerConfig& config);
    // Writes the record whole or not at all, readable by its owner only (it holds the
    // passwords); a link at its path is replaced, never written through.
    static Result<void> save(const Record& record);
    static bool write(const Record& record) { return save(record).ok(); }
    // Every record that can be read, in the order of their launches.
    static QList<Record> readAll();
    // The record of the launch with that token, or none.
    static std::optional<Record> read(const QString& launchToken);
    // The first record of readAll(), or none: for who knows of one server only.
    static std::optional<Record> read();
    // Notes the server's process, or the launcher's, in the record of the launch with that
    // token; false when that record is gone.
    static bool noteServerProcess(const QString& launchToken, const ProcessIdentity& server);
    // The process the record names has ended and the manager restarts the server: none is
    // known until the new one is found.
    static bool forgetServerProcess(const QString& launchToken);
    static bool noteLauncherProcess(const QString& launchToken, const ProcessIdentity& launcher);
    // The server of the launch now runs config (it executed config's file): its record names
    // config, with the password, address and port the server still has from its start. False
    // when that record is gone.
    static bool switchConfiguration(const QString& launchToken, const ServerConfig& config);
    // Removes the record of the launch with that token.
    static void forget(const QString& launchToken);
    // Removes every record.
    static void clear();

    // Milliseconds of CLOCK_BOOTTIME now.
    static qint64 bootTimeMs();
};
