#pragma once

#include "format/Result.h"
#include "server/QProcessCom.h"
#include "server/RunningServer.h"

#include <QString>
#include <QStringList>

#include <optional>

class ServerConfig;

// Starting and stopping the dedicated server, as the window and voranthctl both do it.
//
// Starting is asked in two steps so that the window can put its questions in between:
// check() names the first reason a configuration cannot start (the caller shows its alert
// and, for a missing password, may ask again accepting it), then start() writes the server
// files, opens the launch file in the terminal and records which configuration runs, and
// what identifies the server (RunningServer). Everything after the start - finding the
// process, stopping it - concerns that recorded server only, never another process of the
// same executable.
class ServerLauncher
{
public:
    // How long a recorded server whose process has not been found yet counts as starting.
    static constexpr int startupGraceSeconds = 60;

    enum class Problem
    {
        None,
        // A server that Voranth started still runs: one at a time.
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
        // Something else listens on the configuration's port: the server would take the
        // next free port, and the remote control would talk to that other program.
        PortInUse,
    };

    // The alert that tells the user about a problem; the first button is the default.
    struct Alert
    {
        QString title;
        QString message;
        QStringList buttons;
    };
    // For RconPasswordNotSet, the button that starts all the same.
    static constexpr int startAnywayButton = 1;

    // The first problem, in this order: a server of ours still runs, no maps, no server
    // executable in the game directory, a configuration file the server could not exec, an
    // address that is none, a mod name the command line cannot carry, an empty remote-console
    // password (unless acceptEmptyRconPassword, the user's "Start anyway"), a password that
    // cannot work, the port in use.
    static Problem check(const ServerConfig& config, const QString& gameRoot,
                         bool acceptEmptyRconPassword = false);
    // The texts of the problem's alert for starting config, from the string tables.
    static Alert alertFor(Problem problem, const ServerConfig& config, const QString& gameRoot);

    // Whether another program holds the UDP port.
    static bool portInUse(quint16 port);

    // The server reads the remote-console password up to the first blank or control
    // character of a request, ends it at '"', "//" and "/*", and gets the password from the
    // configuration file in 7-bit ASCII: only a password without any of these can match.
    static bool rconPasswordCanWork(const QString& password);

    // Writes the configuration file (with the password) and the launch file, records the
    // configuration as the running one and starts the launch file's command. Nothing stays
    // behind when it fails. Refuses while a server of ours runs; the other checks are
    // check()'s. The server is started from the game directory gameRoot.
    static Result<void> start(const ServerConfig& config, const QString& gameRoot);

    struct StopResult
    {
        qint32 killedPid = -1;                // the server sent the terminate signal, or -1
        bool stillRunning = false;            // a server runs that could not be signalled
        std::optional<QString> runningConfig; // the recorded configuration, when one was
    };
    // Sends the terminate signal to the recorded server when it runs; then, unless it could
    // not be signalled, removes the configuration file of the recorded configuration and the
    // record. Without a record nothing is signalled: no other server is ever taken for ours.
    static StopResult stop();

    // The server Voranth started, when it still runs (its process id, once found, noted in
    // the record) or is starting (recorded less than startupGraceSeconds ago, no process
    // found yet). A record whose server is gone is dropped, with its configuration file.
    static std::optional<RunningServer::Record> runningServer();
    // The probe of the recorded server; none without a record.
    static std::optional<QProcessCom> recordedServerProbe();
    // The process id of the recorded server, or -1.
    static qint32 recordedServerPid();

    // The recorded server's process id once the probe finds it, or -1 after timeoutMs.
    static qint32 waitForServer(int timeoutMs);
    // Whether the process has ended (or become a zombie) within timeoutMs.
    static bool waitForEnd(qint32 pid, int timeoutMs);
};
