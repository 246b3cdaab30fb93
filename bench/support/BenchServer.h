#pragma once

#include "config/ServerConfig.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The demo game's dedicated server, made and started below a scratch directory for one
// benchmark, with four bots playing; ended with the object.
class BenchServer
{
public:
    // A configuration of the base game on localhost:port with the bench's password.
    static ServerConfig config(const QString& name, quint16 port, const QStringList& maps);

    // Makes the demo game in dir (tools/make-demo-game.sh); false when the script fails.
    static bool makeDemoGame(const QString& dir);

    BenchServer() = default;
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Makes the demo game in scratch, writes config's file, starts the server and waits until
    // it answers, then adds the bots. False, with the reason on stderr, when any step fails.
    bool start(const QString& scratch, const ServerConfig& config);
    qint32 pid() const { return qint32(m_process.processId()); }
    const QString& gameDir() const { return m_gameDir; }

    // One request from an address of the bench's own (never a measured client's); the
    // reply's text, empty when none came within a second.
    static QByteArray askFrom(const QString& source, quint16 port, const QByteArray& command);

    static const QByteArray password;

private:
    bool answersWithin(quint16 port, int ms);

    QProcess m_process;
    QString m_gameDir;
};
