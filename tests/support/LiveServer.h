#pragma once

#include "config/ServerConfig.h"

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
    LiveServer(quint16 port, const QString& rconPassword, const QStringList& maps);
    ~LiveServer();
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;

    // Writes the configuration file, starts the server and waits until it answers "status".
    // False, with the reason in error(), when any of that fails.
    bool start();
    // Ends the server and waits until its process is gone.
    void stop();
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }

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
    QString m_logFile;
    QString m_error;
    QProcess m_process;
};
