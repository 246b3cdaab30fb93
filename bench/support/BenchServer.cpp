#include "bench/support/BenchServer.h"

#include "bench/support/BenchEnvironment.h"
#include "config/CommonData.h"
#include "config/GamePaths.h"
#include "rcon/RconTransport.h"
#include "server/ConfigFiles.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>

#include <cstdio>

namespace {

// Requests that set the server up come from an address of their own, so that the measured
// client's address starts afresh at the server's rate limit.
const QString setupAddress = QStringLiteral("127.0.0.3");

} // namespace

const QByteArray BenchServer::password = "bench-secret";

bool BenchServer::makeDemoGame(const QString& dir)
{
    QProcess script;
    script.start(QStringLiteral("/bin/bash"),
                 {BenchEnvironment::sourceDir() + QStringLiteral("/tools/make-demo-game.sh"), dir});
    return script.waitForFinished(60000) && script.exitCode() == 0;
}

ServerConfig BenchServer::config(const QString& name, quint16 port, const QStringList& maps)
{
    ServerConfig config;
    config.setConfigName(name);
    config.setModName(CommonData::qGameDefaultModDir());
    config.setRconPassword(QString::fromLatin1(password));
    config.setNetIP(QStringLiteral("localhost"));
    config.setNetPort(port);
    config.setRotateMaps(true);
    config.setMapList(maps);
    return config;
}

BenchServer::~BenchServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool BenchServer::start(const QString& scratch, const ServerConfig& config)
{
    m_gameDir = scratch + QStringLiteral("/demo-game");
    if (!makeDemoGame(m_gameDir)) {
        std::fprintf(stderr, "bench: tools/make-demo-game.sh failed\n");
        return false;
    }
    if (!ConfigFiles(GamePaths(m_gameDir, config.modName())).saveConfigToFile(config, true).ok()) {
        std::fprintf(stderr, "bench: cannot write the server configuration file\n");
        return false;
    }
    const quint16 port = quint16(config.netPort());
    m_process.setWorkingDirectory(m_gameDir);
    m_process.setStandardOutputFile(scratch + QStringLiteral("/server.log"));
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.start(m_gameDir + QStringLiteral("/ioq3ded.x86_64"),
                    {"+set", "fs_basepath", m_gameDir, "+set", "dedicated", "1", "+set", "fs_game",
                     config.modName(), "+set", "net_port", QString::number(port), "+exec",
                     ConfigFiles::configFileReplacedSpaces(config.configName())});
    if (!answersWithin(port, 20000)) {
        std::fprintf(stderr, "bench: the server does not answer on port %u\n", port);
        return false;
    }
    for (const char* bot : {"addbot sarge", "addbot grunt", "addbot major", "addbot kyonshi"})
        askFrom(setupAddress, port, bot);
    return true;
}

bool BenchServer::answersWithin(quint16 port, int ms)
{
    QElapsedTimer startup;
    startup.start();
    while (!askFrom(setupAddress, port, "status").startsWith("map: ")) {
        if (m_process.state() == QProcess::NotRunning || startup.elapsed() > ms)
            return false;
        QThread::msleep(100);
    }
    return true;
}

QByteArray BenchServer::askFrom(const QString& source, quint16 port, const QByteArray& command)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(source), 0))
        return {};
    socket.writeDatagram(*RconTransport::requestDatagram(password, command),
                         QHostAddress(QHostAddress::LocalHost), port);
    if (!socket.waitForReadyRead(1000))
        return {};
    QByteArray reply(int(socket.pendingDatagramSize()), '\0');
    socket.readDatagram(reply.data(), reply.size());
    return reply.mid(RconTransport::replyHeaderSize);
}
