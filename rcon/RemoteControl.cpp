#include "rcon/RemoteControl.h"

#include "config/CommonData.h"
#include "config/StringTable.h"
#include "rcon/RconAlerts.h"
#include "rcon/RconTransport.h"
#include "format/Logging.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QTimer>

const QString RemoteControl::unknownMap = QStringLiteral(" - ");
const QString RemoteControl::noResponseText = QStringLiteral("No response from server");

namespace {

const QString urbanTerrorMod = QStringLiteral("q3ut2");

enum LimitType
{
    FragLimitType = 0,
    TimeLimitType = 1,
    CaptureLimitType = 2,
    MaxPlayersType = 4,
};

std::optional<QHostAddress> resolveHost(const QString& host)
{
    if (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    QHostAddress address;
    if (!address.setAddress(host)) {
        const QList<QHostAddress> found = QHostInfo::fromName(host).addresses();
        if (found.isEmpty())
            return std::nullopt;
        address = found.first();
        for (const QHostAddress& candidate : found) {
            if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                address = candidate;
                break;
            }
        }
    }
    // A server told to listen on every address answers on this machine's loopback too.
    if (address == QHostAddress(QHostAddress::AnyIPv4))
        return QHostAddress(QHostAddress::LocalHost);
    if (address == QHostAddress(QHostAddress::AnyIPv6))
        return QHostAddress(QHostAddress::LocalHostIPv6);
    return address;
}

// The pacer of a client without one of its own: shared by every client of the same server.
std::shared_ptr<RconPacer> sharedPacerFor(const ServerConfig& config)
{
    const auto endpoint = RemoteControl::serverEndpoint(config);
    const QString key =
        endpoint ? endpoint->first.toString() + QLatin1Char(':') + QString::number(endpoint->second)
                 : config.netIP() + QLatin1Char(':') + QString::number(config.netPort());
    return RconPacer::shared(key, RconPacer::defaultLedgerPath());
}

} // namespace

RemoteControl::RemoteControl(const ServerConfig& config, RemoteControlServices services)
    : m_services(std::move(services)),
      m_pacer(m_services.pacer ? m_services.pacer : sharedPacerFor(config)),
      m_transport(std::make_unique<RconTransport>()), m_password(config.rconPassword()),
      m_serverStatus(noResponseText), m_currentMap(unknownMap), m_nextMap(unknownMap),
      m_serverName(config.serverName()),
      m_serverNoResponse(noResponseText), m_limitsCommands{QStringLiteral("fraglimit"),
                                                           QStringLiteral("timelimit"),
                                                           QStringLiteral("capturelimit"),
                                                           QStringLiteral("#limit type not chosen"),
                                                           QStringLiteral("sv_maxclients")},
      m_rconMod(config.modName()), m_rconServerConfig(ServerConfig::copyOf(config))
{
    m_runningServerConfigName = m_rconServerConfig.configName();
}

RemoteControl::~RemoteControl()
{
    *m_alive = false;
    disconnectFromQ3Server();
}

std::unique_ptr<RemoteControl> RemoteControl::create(const ServerConfig& config,
                                                     RemoteControlServices services)
{
    std::unique_ptr<RemoteControl> client(new RemoteControl(config, std::move(services)));
    if (!client->connectToQ3Server())
        return nullptr;
    return client;
}

std::optional<std::pair<QHostAddress, quint16>>
RemoteControl::serverEndpoint(const ServerConfig& config)
{
    const std::optional<QHostAddress> address = resolveHost(config.netIP().trimmed());
    if (!address)
        return std::nullopt;
    return std::make_pair(*address, config.serverPort());
}

bool RemoteControl::connectToQ3Server()
{
    m_connectedToServer = false;
    if (m_services.serverPid && m_services.serverPid() < 0)
        return false;
    const auto endpoint = serverEndpoint(m_rconServerConfig);
    if (!endpoint) {
        qCWarning(lcRcon, "connect: cannot resolve the server address \"%s\"",
                 qPrintable(m_rconServerConfig.netIP()));
        return false;
    }
    if (!m_transport->open(endpoint->first, endpoint->second)) {
        qCWarning(lcRcon, "socket: %s", qPrintable(m_transport->errorString()));
        return false;
    }
    m_connectedToServer = true;
    return true;
}

bool RemoteControl::disconnectFromQ3Server()
{
    if (!m_transport->close())
        return false;
    m_connectedToServer = false;
    return true;
}

bool RemoteControl::connectedToServer()
{
    if (!m_connectedToServer)
        connectToQ3Server();
    return m_connectedToServer;
}

bool RemoteControl::transportReady() const
{
    return m_transport->isOpen() && !m_transport->waiting();
}

bool RemoteControl::waitForTurn()
{
    // Kept: the object may go during the wait.
    const std::shared_ptr<RconPacer> pacer = m_pacer;
    const std::shared_ptr<bool> alive = m_alive;
    const RconPacer::Waiting waiting(*pacer);
    while (!pacer->take(RconPacer::Traffic::Command)) {
        const qint64 delay = std::max<qint64>(1, pacer->delayBefore(RconPacer::Traffic::Command));
        QEventLoop loop;
        QTimer::singleShot(int(delay), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        if (!*alive)
            return false;
    }
    return true;
}

bool RemoteControl::sendRCon(const QString& command, int withReceiveTimeout)
{
    // A request that cannot go anyway does not wait for its turn, nor use it up.
    if (!transportReady() ||
        !RconTransport::requestDatagram(m_password.toLocal8Bit(), command.toLocal8Bit())) {
        qWarning("send() error!");
        return false;
    }
    if (!waitForTurn() || !transportReady())
        return false;
    return m_transport->send(m_password.toLocal8Bit(), command.toLocal8Bit(), withReceiveTimeout);
}

QString RemoteControl::receiveRCon(bool tracking)
{
    Q_UNUSED(tracking);
    const std::shared_ptr<bool> alive = m_alive;
    const QByteArray reply = m_transport->receive();
    if (!*alive)
        return noResponseText;
    if (reply.isEmpty()) {
        m_wrongPassword = false;
        return m_serverNoResponse;
    }
    if (ServerReplyParser::isPasswordRefusal(reply)) {
        m_wrongPassword = true;
        const QString answer = m_serverNoResponse;
        showRconPasswordErrorDialog(reply);
        return answer;
    }
    m_wrongPassword = false;
    return QString::fromLocal8Bit(reply);
}

bool RemoteControl::serverAnswered() const
{
    return m_transport->replyArrived();
}

void RemoteControl::showRconPasswordErrorDialog(const QByteArray& message)
{
    if (!m_services.alerts)
        return;
    m_services.alerts->showRconPasswordError(
        rconCommText(QStringLiteral("RconWrongPasswordTitle"),
                     QStringLiteral("Game server communication message:")),
        QString::fromLocal8Bit(message));
}

void RemoteControl::setRconServerConfig(const ServerConfig& config)
{
    m_rconServerConfig = ServerConfig::copyOf(config);
}

void RemoteControl::setServerStatus(int timeout)
{
    const std::shared_ptr<bool> alive = m_alive;
    const bool sent = sendRCon(QStringLiteral("status"), timeout);
    if (*alive)
        storeStatusReply(sent);
}

bool RemoteControl::pollServerStatus(int timeout)
{
    if (transportReady() && !m_pacer->take(RconPacer::Traffic::Poll))
        return false;
    const bool sent =
        transportReady() && m_transport->send(m_password.toLocal8Bit(), "status", timeout);
    storeStatusReply(sent);
    return true;
}

bool RemoteControl::mayPoll() const
{
    return m_pacer->delayBefore(RconPacer::Traffic::Poll) == 0;
}

void RemoteControl::storeStatusReply(bool sent)
{
    if (!sent) {
        m_serverStatus = m_serverNoResponse;
        m_serverStatusOK = false;
        return;
    }
    const std::shared_ptr<bool> alive = m_alive;
    const QString reply = receiveRCon();
    if (!*alive)
        return;
    m_serverStatus = reply;
    m_serverStatusOK = reply != m_serverNoResponse;
}

bool RemoteControl::setCurrentMap()
{
    if (!m_serverStatusOK) {
        m_currentMap = unknownMap;
        return false;
    }
    const std::optional<ServerReplyParser::StatusReply> status =
        ServerReplyParser::parseStatus(m_serverStatus);
    if (!status)
        return false;
    const QString& reported = status->map;
    // A map the library does not know is still shown under the server's own name.
    const QString known =
        m_services.mapDBNameForServerMap ? m_services.mapDBNameForServerMap(reported) : QString();
    m_currentMap = known.isEmpty() ? reported : known;
    return true;
}

bool RemoteControl::setNextMap(int timeout)
{
    if (m_rconMod == urbanTerrorMod)
        return setNextMapForUrbanTerror();
    if (!sendRCon(QStringLiteral("nextmap"), timeout)) {
        m_nextMap = unknownMap;
        return false;
    }
    const std::shared_ptr<bool> alive = m_alive;
    const QString reply = receiveRCon(true);
    if (!*alive)
        return false;
    if (reply == m_serverNoResponse) {
        m_nextMap = unknownMap;
        return false;
    }
    const std::optional<QString> variable = ServerReplyParser::mapCycleVariable(reply);
    if (!variable)
        return false;
    // A variable that names no map of the rotation gives no next map rather than a stale one.
    const std::optional<int> number = ServerReplyParser::mapCycleNumber(*variable);
    if (!number || *number < 1 || *number > m_rconServerConfig.mapsCount()) {
        m_nextMap = unknownMap;
        return false;
    }
    m_nextMap = m_rconServerConfig.map(*number - 1);
    return true;
}

bool RemoteControl::setNextMapForUrbanTerror()
{
    const QStringList& maps = m_rconServerConfig.mapList();
    qsizetype index = maps.indexOf(m_currentMap);
    if (index < 0) {
        const QStringList words = m_currentMap.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty())
            index = maps.indexOf(words.first());
    }
    if (index < 0) {
        m_nextMap = unknownMap;
        return false;
    }
    m_nextMap = m_rconServerConfig.nextMap(index);
    return true;
}

bool RemoteControl::setPlayersStatus()
{
    if (!m_serverStatusOK) {
        m_playersStatus.reset();
        return false;
    }
    std::optional<ServerReplyParser::StatusReply> status =
        ServerReplyParser::parseStatus(m_serverStatus);
    if (!status || status->players.isEmpty()) {
        m_playersStatus.reset();
        return false;
    }
    m_playersStatus = std::move(status->players);
    return true;
}

QString RemoteControl::playerNameAtIndex(int row) const
{
    if (!m_playersStatus || row < 0 || row >= m_playersStatus->size())
        return QString();
    return m_playersStatus->at(row).name();
}

ServerReplyParser::Range RemoteControl::playerNameRange(const QString& line, int startingAt)
{
    return ServerReplyParser::playerNameRange(line, startingAt);
}

void RemoteControl::setLimit(int value, int forType)
{
    switch (forType) {
    case FragLimitType:
        m_fragLimit = value;
        break;
    case TimeLimitType:
        m_timeLimit = value;
        break;
    case CaptureLimitType:
        m_captureLimit = value;
        break;
    case MaxPlayersType:
        m_maxPlayers = value;
        break;
    default:
        break;
    }
}

QString RemoteControl::limitsCommands(int type) const
{
    if (type < 0 || type >= limitTypesCount)
        return QString();
    return m_limitsCommands[size_t(type)];
}

quint16 RemoteControl::localPort() const
{
    return m_transport->localPort();
}
