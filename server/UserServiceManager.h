#pragma once

#include "format/Result.h"
#include "server/ServiceUnit.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The user's service manager (systemd's user instance), reached through systemctl --user and
// systemd-run --user: programs run with their arguments, never through a shell. Every call
// waits for the program, at most a few seconds.
class UserServiceManager
{
public:
    // How long one call may take.
    static constexpr int callTimeoutMs = 10000;

    struct Availability
    {
        bool available = false;
        // Why the manager cannot host servers, in the system's words where it gave some.
        QString reason;
    };
    // Whether a user manager answers now.
    static Availability availability();

    // What the manager says of a unit.
    struct UnitState
    {
        QString loadState;     // "loaded", "not-found", ...
        QString activeState;   // "active", "activating", "failed", "inactive", ...
        QString subState;      // "running", "auto-restart", ...
        QString result;        // "success", "exit-code", "signal", "start-limit-hit", ...
        QString unitFileState; // "enabled", "disabled", "" for a transient unit
        qint32 mainPid = 0;
        int restarts = 0;
        // When its main process was started.
        QDateTime mainStartedAt;

        bool known() const
        {
            return !loadState.isEmpty() && loadState != QLatin1String("not-found");
        }
        // Running, starting or waiting to be restarted.
        bool up() const;
        bool failed() const { return activeState == QLatin1String("failed"); }
        // Waiting to be started again after its server ended.
        bool restarting() const
        {
            return subState == QLatin1String("auto-restart") ||
                   (activeState == QLatin1String("activating") && restarts > 0);
        }
    };
    // The unit's state; an empty state when the manager does not answer.
    static UnitState state(const QString& unit);

    static Result<void> startTransient(const ServiceUnit::Definition& definition);
    static Result<void> start(const QString& unit);
    static Result<void> stop(const QString& unit);
    // Forgets a failed unit's failure (and its start count), so that it can start again.
    static Result<void> resetFailed(const QString& unit);
    static Result<void> reload();
    static Result<void> enable(const QString& unit);
    static Result<void> disable(const QString& unit);

    // $XDG_CONFIG_HOME/systemd/user: where the user's own unit files are.
    static QString unitDirectory();

    // Runs systemctl --user with the arguments; its output, or why it failed.
    static Result<QString> systemctl(const QStringList& arguments);

private:
    static Result<QString> run(const QString& program, const QStringList& arguments);
};
