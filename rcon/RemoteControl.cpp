#include "rcon/RemoteControl.h"

#include "config/CommonData.h"
#include "config/StringTable.h"
#include "rcon/RconAlerts.h"
#include "rcon/RconExchanges.h"
#include "rcon/RconTransport.h"
#include "format/Logging.h"

#include <QHostInfo>

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
    : m_services(std::move(services)), m_transport(std::make_unique<RconTransport>()),
      m_exchanges(std::make_unique<RconExchanges>(
          m_services.pacer ? m_services.pacer : sharedPacerFor(config), *m_transport)),
      m_password(config.rconPassword()), m_serverStatus(noResponseText),
      m_currentMap(unknownMap), m_nextMap(unknownMap), m_serverName(config.serverName()),
      m_serverNoResponse(noResponseText), m_limitsCommands{QStringLiteral("fraglimit"),
                                                           QStringLiteral("timelimit"),
                                                           QStringLiteral("capturelimit"),
                                                           QStringLiteral("#limit type not chosen"),
                                                           QStringLiteral("sv_maxclients")},
      m_rconMod(config.modName()), m_rconServerConfig(ServerConfig::copyOf(config))
{
    m_runningServerConfigName = m_rconServerConfig.configName();
    m_exchanges->setPassword(m_password.toLocal8Bit());
}

RemoteControl::~RemoteControl()
{
    // Nothing queued is reported once the client goes.
    m_exchanges->clear();
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

void RemoteControl::setCommPassword(const QString& password)
{
    m_password = password;
    m_exchanges->setPassword(password.toLocal8Bit());
}

const std::shared_ptr<RconPacer>& RemoteControl::pacer() const
{
    return m_exchanges->pacer();
}

void RemoteControl::sendRCon(const QString& command, int withReceiveTimeout, QObject* context,
                             ReplyDone done, RconPacer::Traffic traffic)
{
    const QByteArray bytes = command.toLocal8Bit();
    RconExchanges::Request request;
    request.command = bytes;
    request.quietGapMicroseconds = withReceiveTimeout;
    request.traffic = traffic;
    request.context = context;
    // A request that cannot go anyway does not wait for its turn, nor use it up.
    request.sendable = m_transport->isOpen() &&
                       RconTransport::requestDatagram(m_password.toLocal8Bit(), bytes);
    if (!request.sendable)
        qCWarning(lcRcon, "send() error!");
    request.done = [this, done = std::move(done)](const RconExchanges::Outcome& outcome) {
        const Reply reply = judge(outcome.sent, outcome.gaveWay, outcome.reply);
        if (done)
            done(reply);
    };
    m_exchanges->enqueue(std::move(request));
}

void RemoteControl::pauseRequests(int ms)
{
    m_exchanges->pauseFor(ms);
}

bool RemoteControl::busy() const
{
    return !m_exchanges->idle();
}

int RemoteControl::commandsQueued() const
{
    return m_exchanges->commandsQueued();
}

RemoteControl::Reply RemoteControl::judge(bool sent, bool gaveWay, const RconReply& reply)
{
    Reply judged;
    judged.sent = sent;
    judged.gaveWay = gaveWay;
    judged.answered = sent && reply.arrived;
    judged.truncated = reply.truncated;
    judged.text = m_serverNoResponse;
    if (!sent)
        return judged;
    m_wrongPassword = ServerReplyParser::isPasswordRefusal(reply.text);
    judged.wrongPassword = m_wrongPassword;
    if (m_wrongPassword)
        showRconPasswordErrorDialog(reply.text);
    else if (!reply.text.isEmpty())
        judged.text = QString::fromLocal8Bit(reply.text);
    return judged;
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

void RemoteControl::setServerStatus(int timeout, RconPacer::Traffic traffic, QObject* context,
                                    std::function<void(StatusRead)> done)
{
    sendRCon(
        QStringLiteral("status"), timeout, context,
        [this, done = std::move(done)](const Reply& reply) {
            const StatusRead read =
                reply.gaveWay ? StatusRead::GaveWay : storeStatusReply(reply);
            if (done)
                done(read);
        },
        traffic);
}

RemoteControl::StatusRead RemoteControl::storeStatusReply(const Reply& reply)
{
    m_serverStatus = reply.text;
    m_serverStatusOK = reply.text != m_serverNoResponse;
    if (!m_serverStatusOK)
        return StatusRead::NoReply;
    if (reply.truncated)
        return StatusRead::CutShort;
    return ServerReplyParser::parseStatus(m_serverStatus) ? StatusRead::Read
                                                          : StatusRead::NotAStatus;
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
    // A map the library does not know is still shown under the server's own name.
    const QString known =
        m_services.mapDBNameForServerMap ? m_services.mapDBNameForServerMap(status->map) : QString();
    m_currentMap = known.isEmpty() ? status->map : known;
    return true;
}

void RemoteControl::setNextMap(int timeout, QObject* context, std::function<void(bool)> done)
{
    if (m_rconMod == urbanTerrorMod) {
        const bool read = setNextMapForUrbanTerror();
        QMetaObject::invokeMethod(
            context ? context : this, [done, read] { if (done) done(read); },
            Qt::QueuedConnection);
        return;
    }
    sendRCon(QStringLiteral("nextmap"), timeout, context,
             [this, done = std::move(done)](const Reply& reply) {
                 const bool read = readNextMapReply(reply);
                 if (done)
                     done(read);
             });
}

bool RemoteControl::readNextMapReply(const Reply& reply)
{
    if (reply.text == m_serverNoResponse) {
        m_nextMap = unknownMap;
        return false;
    }
    const std::optional<QString> variable = ServerReplyParser::mapCycleVariable(reply.text);
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
    const std::optional<ServerReplyParser::StatusReply> status =
        m_serverStatusOK ? ServerReplyParser::parseStatus(m_serverStatus) : std::nullopt;
    if (!status || status->players.isEmpty()) {
        m_playersStatus.reset();
        return false;
    }
    m_playersStatus = status->players;
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
