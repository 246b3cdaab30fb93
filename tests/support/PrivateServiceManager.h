#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A systemd user manager and a session bus of the test's own, never the user's: a bus daemon
// at $XDG_RUNTIME_DIR/bus and /lib/systemd/systemd --user, with a temporary XDG_RUNTIME_DIR and
// the test's home. In a container without systemd as process 1 the manager starts only where
// /run/systemd/system exists: there it runs in a mount namespace of its own in which that
// directory is made on a private /run/systemd (as root; nothing outside the namespace
// changes but control groups of its own, removed at the end). While it lives, the test process's
// environment points at both; at the end the manager stops every unit and ends, and the environment
// is as before.
class PrivateServiceManager
{
public:
    PrivateServiceManager();
    ~PrivateServiceManager();
    PrivateServiceManager(const PrivateServiceManager&) = delete;
    PrivateServiceManager& operator=(const PrivateServiceManager&) = delete;

    // Whether the manager answers; else why not (the test fails with it).
    bool ready() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    QString runtimeDirectory() const { return m_runtime.path(); }
    QString busAddress() const;

    // systemctl --user ARGUMENTS against this manager; its standard output.
    QString systemctl(const QStringList& arguments) const;
    // systemd-run --user ARGUMENTS against this manager (a unit Voranth did not start); whether
    // it started.
    bool run(const QStringList& arguments) const;
    // A property of a unit ("MainPID", "ActiveState", ...).
    QString property(const QString& unit, const QString& name) const;

private:
    bool startBus();
    bool startManager();

    QTemporaryDir m_runtime;
    QProcess m_bus;
    QProcess m_manager;
    QString m_error;
    // The control groups the manager runs in, named after the runtime directory.
    QString m_controlGroup;
    QByteArray m_savedRuntime;
    QByteArray m_savedBus;
};
