#pragma once

#include "config/ServerConfig.h"
#include "server/QProcessCom.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// A real dedicated server of the demo game on a port of the test's own, started as the
// launch command starts one (the configuration file written by ConfigFiles, run with +exec)
// and killed when the object goes, also when the test fails.
//
// It runs under a name of the server executable that only this test process uses, and the
// setting "Q3 Dedicated App Name" is set to that name, so that the process probe finds this
// server and never one of a test running beside this one.
class LiveServer
{
public:
    // The configuration is named configName, or "Live PORT".
    LiveServer(quint16 port, const QString& rconPassword, const QStringList& maps,
               const QString& configName = QString());
    ~LiveServer();
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;

    // The home directory the server runs in (and its configuration file is written to); the
    // test's home unless set before start().
    void setHome(const QString& home) { m_home = home; }

    // Writes the configuration file, starts the server and waits until it answers "status".
    // False, with the reason in error(), when any of that fails.
    bool start();
    // Ends the server and waits until its process is gone.
    void stop();
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }

    // A probe of this server's process only.
    QProcessCom probe() const;
    // Writes the record of the running server as if Voranth had launched this server with
    // config: its process, found, is the recorded server.
    bool recordAsRunning(const ServerConfig& config) const;

    // The configuration the server runs.
    const ServerConfig& config() const { return m_config; }
    const QString& gameDirectory() const { return m_gameDir; }
    const QString& error() const { return m_error; }
    // What the server printed so far.
    QString log() const;

private:
    bool waitUntilAnswering(int timeoutMs);
    bool fail(const QString& reason);

    ServerConfig m_config;
    QString m_gameDir;
    QString m_home;
    QString m_logFile;
    QString m_error;
    mutable QString m_launchToken;
    QProcess m_process;
};
