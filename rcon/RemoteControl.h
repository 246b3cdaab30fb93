#pragma once

#include "config/ServerConfig.h"
#include "rcon/PlayerStatus.h"
#include "rcon/RconPacer.h"
#include "rcon/RemoteControlServices.h"
#include "rcon/ServerReplyParser.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class RconExchanges;
class RconTransport;
struct RconReply;

// The remote console of one server the application started: the channel to it, and what its
// replies say about its map, next map, players and limits.
//
// Every request is queued and goes in its turn under the server's rate limit (RconExchanges):
// one exchange at a time, a command never dropped, an automatic poll giving way to commands.
// Its reply arrives later through the callback given with it, called only while the context
// object given with it lives.
class RemoteControl : public QObject
{
    Q_OBJECT
public:
    // Server variable names of the limit types, by type.
    static constexpr int limitTypesCount = 5;
    static const QString unknownMap;
    static const QString noResponseText;

    // The outcome of one request.
    struct Reply
    {
        // The reply, or noResponseText when none came or the password was turned down.
        QString text;
        // The request went out.
        bool sent = false;
        // The server answered at all: an empty reply (the answer to "set ...") counts.
        bool answered = false;
        bool wrongPassword = false;
        // The reply was longer than the transport keeps: its beginning is missing.
        bool truncated = false;
        // An automatic poll that gave way, unsent.
        bool gaveWay = false;
    };
    using ReplyDone = std::function<void(const Reply&)>;

    // What a status query found.
    enum class StatusRead
    {
        GaveWay,
        NoReply,
        // The server answered, but not with a status table ("Server is not running.", a
        // late reply to another request).
        NotAStatus,
        // The reply was cut short: nothing of it is taken.
        CutShort,
        Read,
    };

    // A client of the server running config, or nothing while no server process is found or
    // no socket can be made.
    static std::unique_ptr<RemoteControl> create(const ServerConfig& config,
                                                 RemoteControlServices services);
    ~RemoteControl() override;

    // Where the server of a configuration answers: its address ("localhost", an empty
    // address and a listen-on-all address mean this machine, 127.0.0.1) and its port.
    // Nothing when the address does not resolve.
    static std::optional<std::pair<QHostAddress, quint16>>
    serverEndpoint(const ServerConfig& config);

    // The channel.
    bool connectToQ3Server();
    bool disconnectFromQ3Server();
    // Tries to connect again when the channel is down; then whether it is up.
    bool connectedToServer();

    // Queues command; withReceiveTimeout is the quiet gap, in microseconds, that ends its
    // reply. done gets the reply (not sent when the channel is down or the request too long).
    void sendRCon(const QString& command, int withReceiveTimeout, QObject* context,
                  ReplyDone done, RconPacer::Traffic traffic = RconPacer::Traffic::Command);
    // The next request goes no sooner than ms from now.
    void pauseRequests(int ms);
    // A request is on the wire or waits for its turn.
    bool busy() const;
    int commandsQueued() const;
    void showRconPasswordErrorDialog(const QByteArray& message);

    // The record.
    const QString& password() const { return m_password; }
    void setCommPassword(const QString& password);
    bool wrongPassword() const { return m_wrongPassword; }
    const QString& serverNoResponse() const { return m_serverNoResponse; }
    const QString& runningServerConfigName() const { return m_runningServerConfigName; }
    void setRunningServerConfigName(const QString& name) { m_runningServerConfigName = name; }
    const QString& rconMod() const { return m_rconMod; }
    const ServerConfig& rconServerConfig() const { return m_rconServerConfig; }
    void setRconServerConfig(const ServerConfig& config);
    const QStringList& rconMapList() const { return m_rconServerConfig.mapList(); }
    const std::shared_ptr<MapLibrary>& rconMapLibrary() const { return m_services.mapLibrary; }
    const std::shared_ptr<BotLibrary>& rconBotLibrary() const { return m_services.botLibrary; }
    const std::shared_ptr<RconPacer>& pacer() const;
    // The launch of ours whose server this is; empty for any other server.
    const QString& launchToken() const { return m_services.launchToken; }

    // The server's state, read from its replies. A status query stores the reply (its text,
    // or the no-response text) and, when it is a status table, the current map and players.
    void setServerStatus(int timeout, RconPacer::Traffic traffic, QObject* context,
                         std::function<void(StatusRead)> done);
    const QString& serverStatus() const { return m_serverStatus; }
    bool serverStatusOK() const { return m_serverStatusOK; }
    // The current map of the stored status; false, changing nothing, when it names none.
    bool setCurrentMap();
    const QString& currentMap() const { return m_currentMap; }
    // Asks for the next map (Urban Terror: derives it from the rotation, asking nothing);
    // done gets whether one was read.
    void setNextMap(int timeout, QObject* context, std::function<void(bool)> done);
    bool setNextMapForUrbanTerror();
    void setNextMapFromMapInConfig(const QString& map) { m_nextMap = map; }
    const QString& nextMap() const { return m_nextMap; }
    void setServerNameFromConfig(const QString& name) { m_serverName = name; }
    const QString& serverName() const { return m_serverName; }
    // The players of the stored status; false, and none, when it lists no players.
    bool setPlayersStatus();
    // Absent when the last reading found no players.
    const std::optional<QList<PlayerStatus>>& playersStatus() const { return m_playersStatus; }
    // The name of that player; empty for a row outside the list.
    QString playerNameAtIndex(int row) const;
    static ServerReplyParser::Range playerNameRange(const QString& line, int startingAt);

    // Limits as last set through the remote-control pane.
    int fragLimit() const { return m_fragLimit; }
    void setFragLimit(int value) { m_fragLimit = value; }
    int timeLimit() const { return m_timeLimit; }
    void setTimeLimit(int value) { m_timeLimit = value; }
    int captureLimit() const { return m_captureLimit; }
    void setCaptureLimit(int value) { m_captureLimit = value; }
    int maxPlayers() const { return m_maxPlayers; }
    void setMaxPlayers(int value) { m_maxPlayers = value; }
    void setLimit(int value, int forType);
    // The server variable of a limit type; empty outside the table.
    QString limitsCommands(int type) const;

    // The local port requests leave from, 0 while disconnected (diagnostics and tests).
    quint16 localPort() const;

private:
    RemoteControl(const ServerConfig& config, RemoteControlServices services);
    // The reply as the callers see it: a turned-down password noted (and its alert shown),
    // the text decoded.
    Reply judge(bool sent, bool gaveWay, const RconReply& reply);
    StatusRead storeStatusReply(const Reply& reply);
    bool readNextMapReply(const Reply& reply);

    RemoteControlServices m_services;
    std::unique_ptr<RconTransport> m_transport;
    std::unique_ptr<RconExchanges> m_exchanges;
    QString m_password;
    bool m_connectedToServer = false;
    QString m_serverStatus;
    bool m_serverStatusOK = false;
    QString m_currentMap;
    QString m_nextMap;
    QString m_serverName;
    bool m_wrongPassword = false;
    QString m_serverNoResponse;
    std::optional<QList<PlayerStatus>> m_playersStatus;
    int m_fragLimit = 0;
    int m_timeLimit = 0;
    int m_captureLimit = 0;
    int m_maxPlayers = 0;
    std::array<QString, limitTypesCount> m_limitsCommands;
    QString m_runningServerConfigName;
    QString m_rconMod;
    ServerConfig m_rconServerConfig;
};
