#include "support/LiveServer.h"

#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "rcon/RconTransport.h"
#include "server/ConfigFiles.h"
#include "server/RunningServer.h"
#include "support/DemoGame.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QUdpSocket>

#include <unistd.h>

namespace {

constexpr int answerTimeoutMs = 20000;
constexpr int stopTimeoutMs = 5000;

} // namespace

LiveServer::LiveServer(quint16 port, const QString& rconPassword, const QStringList& maps,
                       const QString& configName)
{
    m_config.setConfigName(configName.isEmpty() ? QStringLiteral("Live %1").arg(port) : configName);
    m_config.setServerName(QStringLiteral("Voranth live test"));
    m_config.setModName(CommonData::qGameDefaultModDir());
    m_config.setRconPassword(rconPassword);
    m_config.setNetIP(QStringLiteral("localhost"));
    m_config.setNetPort(port);
    m_config.setMapList(maps);
    m_config.setRotateMaps(true);
}

LiveServer::~LiveServer()
{
    stop();
}

bool LiveServer::fail(const QString& reason)
{
    m_error = reason;
    const QString printed = log();
    if (!printed.isEmpty())
        m_error += QStringLiteral("\nserver output:\n") + printed.right(3000);
    stop();
    return false;
}

bool LiveServer::start()
{
    QString demoError;
    m_gameDir = DemoGame::directory(&demoError);
    if (m_gameDir.isEmpty())
        return fail(QStringLiteral("no demo game: ") + demoError);

    UserDefaults::sync();

    ConfigFiles files(GamePaths(m_gameDir, m_config.modName()));
    const QString home = m_home.isEmpty() ? TestEnvironment::home() : m_home;
    if (m_home.isEmpty() && !files.saveConfigToFile(m_config, true).ok())
        return fail(QStringLiteral("cannot write the configuration file into ") +
                    files.configStorePath());
    if (!m_home.isEmpty()) {
        const QString dir = home + QStringLiteral("/.q3a/") + m_config.modName();
        QFile file(dir + QLatin1Char('/') + ConfigFiles::configFileReplacedSpaces(m_config.configName()));
        if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) ||
            file.write(files.configFileContents(m_config, true)) < 0)
            return fail(QStringLiteral("cannot write the configuration file into ") + dir);
    }

    m_logFile =
        TestEnvironment::makeScratchDir(QStringLiteral("live-server-%1").arg(m_config.netPort())) +
        QStringLiteral("/server.log");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_gameDir);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_logFile);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.start(m_gameDir + QLatin1Char('/') + DemoGame::serverName(),
                    {QStringLiteral("+set"), QStringLiteral("fs_basepath"), m_gameDir,
                     QStringLiteral("+set"), QStringLiteral("dedicated"), QStringLiteral("1"),
                     QStringLiteral("+set"), QStringLiteral("fs_game"), m_config.modName(),
                     QStringLiteral("+set"), QStringLiteral("net_port"),
                     QString::number(m_config.netPort()), QStringLiteral("+exec"),
                     ConfigFiles::configFileReplacedSpaces(m_config.configName())});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("the server did not start: ") + m_process.errorString());
    if (!waitUntilAnswering(answerTimeoutMs))
        return fail(QStringLiteral("the server did not answer on port %1 within %2 ms")
                        .arg(m_config.netPort())
                        .arg(answerTimeoutMs));
    return true;
}

bool LiveServer::waitUntilAnswering(int timeoutMs)
{
    // The server answers each address only about once a second after a burst of ten
    // requests; asking from an address of our own leaves the test's burst untouched.
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0))
        return false;
    const std::optional<QByteArray> request =
        RconTransport::requestDatagram(m_config.rconPassword().toLocal8Bit(), "status");
    bool answered = false;
    waitUntil(
        [&] {
            if (!running())
                return true;
            socket.writeDatagram(*request, QHostAddress(QHostAddress::LocalHost),
                                 quint16(m_config.netPort()));
            if (socket.waitForReadyRead(1000)) {
                QByteArray reply(int(socket.pendingDatagramSize()), '\0');
                socket.readDatagram(reply.data(), reply.size());
                answered = reply.mid(RconTransport::replyHeaderSize).startsWith("map: ");
            }
            return answered;
        },
        timeoutMs, 100);
    return answered;
}

void LiveServer::stop()
{
    if (!running())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(stopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(stopTimeoutMs);
    }
}

QProcessCom LiveServer::probe() const
{
    const std::optional<ProcessIdentity> process = ProcessIdentity::of(qint32(pid()));
    QProcessCom::Target target;
    target.server = process.value_or(ProcessIdentity());
    return QProcessCom::forServer(target);
}

bool LiveServer::recordAsRunning(const ServerConfig& config) const
{
    const std::optional<ProcessIdentity> process = ProcessIdentity::of(qint32(pid()));
    if (!process)
        return false;
    RunningServer::Record record = RunningServer::launchRecord(config);
    // One launch of this server: a record written before is replaced.
    if (m_launchToken.isEmpty())
        m_launchToken = record.launchToken;
    record.launchToken = m_launchToken;
    record.execFile = ConfigFiles::configFileReplacedSpaces(m_config.configName());
    record.pid = process->pid;
    record.processStartTime = process->startTime;
    return RunningServer::write(record);
}

QString LiveServer::log() const
{
    QFile file(m_logFile);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}
