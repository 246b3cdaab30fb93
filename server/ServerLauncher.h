#pragma once

#include "format/Result.h"
#include "server/RunningServer.h"
#include "server/ServerHosting.h"

#include <QString>
#include <QStringList>

#include <optional>

class ServerConfig;

// Starting and stopping the dedicated servers, as the window and voranthctl both do it: any
// number at once, one per configuration, each on a port of its own.
//
// Starting is asked in two steps so that the window can put its questions in between:
// check() names the first reason a configuration cannot start (the caller shows its alert
// and, for a missing password, may ask again accepting it), then start() writes the server
// files, opens the launch file in the terminal and records which configuration runs, and
// what identifies the server (RunningServer). Everything after the start - finding the
// process, stopping it - concerns that recorded server only, never another process of the
// same executable (QProcessCom).
class ServerLauncher
{
public:
    // How long a recorded server whose process has not been found yet counts as starting,
    // by the boot clock (which no one sets).
    static constexpr int startupGraceSeconds = 60;
    // How long stop() waits for a starting server to be found, and for the server to end.
    static constexpr int stopTimeoutMs = 5000;

    enum class Problem
    {
        None,
        // The configuration's server runs already: one server per configuration.
        ServerAlreadyRunning,
        EmptyMapList,
        ExecutableNotFound,
        // The server could not exec the configuration's file (its name is too long).
        ConfigFileNotExecutable,
        // The address is neither a host name nor an IP address.
        NetIPNotValid,
        // The mod's directory name holds what the server's command line cannot carry.
        ModNameUnusable,
        RconPasswordNotSet,
        // A password the server can never match: see rconPasswordCanWork().
        RconPasswordUnusable,
        // Another of our servers, or another program, holds the configuration's port: the
        // server would take the next free port, and the remote control would talk to the
        // other one.
        PortInUse,
    };

    // Who holds a UDP port.
    struct PortHolder
    {
        enum class Kind
        {
            Free,
            OurServer,
            OtherProgram,
        };
        Kind kind = Kind::Free;
        // The configuration of our server on it.
        QString configName;
        // The next port above it that neither our servers nor another program hold.
        quint16 nextFreePort = 0;
    };
    static PortHolder portHolder(quint16 port);

    // The alert that tells the user about a problem; the first button is the default.
    struct Alert
    {
        QString title;
        QString message;
        QStringList buttons;
        // PortInUse: the free port the alert offers (its usePortButton), 0 for none.
        quint16 offeredPort = 0;
    };
    // For RconPasswordNotSet, the button that starts all the same.
    static constexpr int startAnywayButton = 1;

    // The first problem, in this order: the configuration's server runs, no maps, no server
    // executable in the game directory, a configuration file the server could not exec, an
    // address that is none, a mod name the command line cannot carry, an empty remote-console
    // password (unless acceptEmptyRconPassword, the user's "Start anyway"), a password that
    // cannot work, the port in use.
    static Problem check(const ServerConfig& config, const QString& gameRoot,
                         bool acceptEmptyRconPassword = false);
    // The texts of the problem's alert for starting config, from the string tables. The
    // alert of PortInUse names the holder and the next free port, with a second button that
    // starts on that port (usePortButton).
    static Alert alertFor(Problem problem, const ServerConfig& config, const QString& gameRoot);
    static constexpr int usePortButton = 1;

    // Whether another program holds the UDP port.
    static bool portInUse(quint16 port);

    // The server reads the remote-console password up to the first blank or control
    // character of a request, ends it at '"', "//" and "/*", and gets the password from the
    // configuration file in 7-bit ASCII: only a password without any of these can match.
    static bool rconPasswordCanWork(const QString& password);

    // Writes the configuration file (with the password) and the launch file, records the
    // launch and starts the launch file's command; the record of the launch (its token names
    // it from then on). Nothing stays behind when it fails. Refuses while the configuration's
    // server runs; the other checks are check()'s. The server is started from the game
    // directory gameRoot.
    // Hosted as a service, the server is a transient unit of the user's service manager (or
    // the unit that starts it at login, when there is one), and its output goes to its log;
    // refused with the reason when no manager answers.
    static Result<RunningServer::Record> start(const ServerConfig& config, const QString& gameRoot,
                                               ServerHosting::Way way = ServerHosting::chosen());

    struct StopResult
    {
        // The server's process, when it was found, or -1.
        qint32 serverPid = -1;
        // The server, sent the terminate signal, or -1.
        qint32 killedPid = -1;
        // The server still runs: it could not be signalled, or it has not ended within the
        // time. Its record stays until the process has ended.
        bool stillRunning = false;
        // The server was still starting and no process of it appeared: the processes of its
        // launch were sent the terminate signal and its record is gone.
        bool neverFound = false;
        std::optional<QString> runningConfig; // the recorded configuration, when one was
    };
    // Stops the server of the launch: waits up to timeoutMs for a starting one to be found,
    // sends it the terminate signal and waits up to timeoutMs for it to end. Once it has ended
    // (or none appeared), removes the configuration file of its configuration and its record.
    // Without a record nothing is signalled: no other process is ever taken for ours.
    static StopResult stop(const QString& launchToken, int timeoutMs = stopTimeoutMs);
    // The same for the first server of runningServers(), for who knows of one server only.
    static StopResult stop(int timeoutMs = stopTimeoutMs);

    // The servers Voranth started that run, the one answer every caller goes by: each record
    // while its server runs (its process, once found, noted in the record), or while it is
    // starting (no process found yet, launched in this boot less than startupGraceSeconds
    // ago by the boot clock: a wall clock set back or forth changes nothing). A record whose
    // server is gone is dropped, with its configuration file. In the order of their launches.
    static QList<RunningServer::Record> runningServers();
    // The server of the launch, by the same rule.
    static std::optional<RunningServer::Record> runningServer(const QString& launchToken);
    // The server that runs the configuration of that name, by the same rule.
    static std::optional<RunningServer::Record> runningServerOf(const QString& configName);
    // The first of runningServers(), for who knows of one server only.
    static std::optional<RunningServer::Record> runningServer();
    // Makes config's server start at login: its files are written and kept, and a unit file
    // of the user's service manager is written and enabled. Refused while the server runs
    // (quit it first) and for the problems check() finds. The unit's name.
    static Result<QString> enableAtLogin(const ServerConfig& config, const QString& gameRoot);
    // Undoes it; a server that runs now runs on until it is quit.
    static Result<void> disableAtLogin(const ServerConfig& config);

    // The servers hosted as services that the service manager gave up restarting; their
    // records stay until they are stopped or started again.
    static QList<RunningServer::Record> failedServices();
    // The process id of the launch's server, or -1 (also while it is starting).
    static qint32 serverPid(const QString& launchToken);
    // The process id of the first running server, or -1.
    static qint32 recordedServerPid();
    // For a record of runningServer() whose process has not been found yet: the message
    // that says so.
    static QString startingMessage(const RunningServer::Record& record);

    // The launch's server process id once the probe finds it, or -1 after timeoutMs.
    static qint32 waitForServer(const QString& launchToken, int timeoutMs);
    // The same for the first running server.
    static qint32 waitForServer(int timeoutMs);
    // Whether the process that has the id now has ended (or become a zombie) within
    // timeoutMs.
    static bool waitForEnd(qint32 pid, int timeoutMs);

private:
    static Alert portInUseAlert(const ServerConfig& config);
    static StopResult stopService(RunningServer::Record record, int timeoutMs);
    // runningServer(token) until its server is found; the last record, none once it was
    // dropped.
    static std::optional<RunningServer::Record> waitForServerRecord(const QString& launchToken,
                                                                    int timeoutMs);
    // The record as it stands now (its process found and noted), or none when its server is
    // gone (then the record is dropped).
    static std::optional<RunningServer::Record> stillRunning(RunningServer::Record record);
};
