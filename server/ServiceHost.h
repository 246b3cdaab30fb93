#pragma once

#include "format/Result.h"
#include "server/RunningServer.h"
#include "server/UserServiceManager.h"

#include <QString>

class ServerConfig;

// The servers hosted as user services: the launch of a transient unit for a recorded start,
// what the unit says of its server, its stop, and the unit files that start a server at
// login. The unit is the one the record names; its server is the unit's main process when that
// process also carries the launch's token, port and configuration file (QProcessCom), never
// another.
class ServiceHost
{
public:
    // The unit that would host config's server.
    static QString unitNameFor(const ServerConfig& config);

    // Why a service start cannot be made now (no manager answers, or a unit of that name that
    // Voranth did not start is up), or nothing.
    static QString refusal(const QString& unitName);
    // Starts the record's server as the transient unit it names, from the game directory,
    // its output appended to the record's log.
    static Result<void> launch(const RunningServer::Record& record, const QString& gameRoot);
    // Starts the unit that starts the record's server at login, its file written anew for
    // the configuration as it is now.
    static Result<void> startEnabled(const RunningServer::Record& record, const QString& gameRoot);

    enum class Standing
    {
        // Its main process is the server, noted in the record.
        Running,
        // Starting or restarting: no server process of the unit is known now.
        Starting,
        // The manager gave up restarting it; the record stays until a stop or a new start.
        Failed,
        // The unit has ended.
        Gone,
        // The manager does not answer: the record goes by its process alone.
        Unknown,
    };
    // How the record's unit stands; the record is brought up to date (its server process
    // found, or forgotten once it has ended) here and in the registry.
    static Standing standing(RunningServer::Record& record);

    // Stops the record's unit (its server gets the terminate signal; the manager does not
    // restart it) and forgets a failure; waits until it has stopped unless timeoutMs is 0.
    static Result<void> stop(const RunningServer::Record& record, int timeoutMs);

    // What the manager's restarts of the record's server come to: "Restarted after a crash
    // at 14:02 (2 times)", or nothing while it has not been restarted.
    static QString restartNote(const RunningServer::Record& record);

    // The unit of a start that failed is reset so that it can start again.
    static void resetFailed(const QString& unitName);

    // The unit file of config's server at login (UserServiceManager::unitDirectory()).
    static QString unitFilePath(const ServerConfig& config);
    // Writes the unit file of a record's start and enables it; the server's files stay in
    // place for the manager's starts.
    static Result<void> enable(const RunningServer::Record& record, const QString& gameRoot);
    // Disables and removes config's unit file.
    static Result<void> disable(const ServerConfig& config);
    static bool isEnabled(const ServerConfig& config);

private:
    static ServiceUnit::Definition definitionOf(const RunningServer::Record& record,
                                                const QString& gameRoot);
};
