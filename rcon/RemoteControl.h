#pragma once

#include "config/ServerConfig.h"
#include "rcon/PlayerStatus.h"
#include "rcon/RconPacer.h"
#include "rcon/RemoteControlServices.h"
#include "rcon/ServerReplyParser.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class RconAlerts;
class RconTransport;

// The remote console of the server the application started: the channel to it, and what
// its replies say about its map, next map, players and limits.
//
// Every exchange is one request followed by one bounded wait (a nested event loop). Every
// request goes through the pacer (RconPacer): a request waits for its turn, again in a nested
// event loop, so that the server answers it; an automatic status poll gives way instead. The
// object may be destroyed by something that runs during a wait; the waiting call then
// returns without touching it again.
class RemoteControl
{
public:
    // Server variable names of the limit types, by type.
    static constexpr int limitTypesCount = 5;
    static const QString unknownMap;
    static const QString noResponseText;

    // A client of the server running config, or nothing while no server process is found or
    // no socket can be made.
    static std::unique_ptr<RemoteControl> create(const ServerConfig& config,
                                                 RemoteControlServices services);
    ~RemoteControl();
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

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
    // Sends command once the pacer lets it go (waiting for its turn if need be);
    // withReceiveTimeout is the quiet gap, in microseconds, that ends the reply. False when
    // the channel is down, a reply is being waited for, the request is too long or the send
    // fails.
    bool sendRCon(const QString& command, int withReceiveTimeout);
    // The reply to the last request, or serverNoResponse() when none came or the server
    // turned the password down (then wrongPassword() is true and the alert has been shown).
    // The tracking flag is accepted for the callers' sake; every wait is the same.
    QString receiveRCon(bool tracking = false);
    // Whether the server answered the last request at all: an empty reply (the answer to
    // "set ...") gives the no-response text as well, but the server is there.
    bool serverAnswered() const;
    void showRconPasswordErrorDialog(const QByteArray& message);

    // The record.
    const QString& password() const { return m_password; }
    void setCommPassword(const QString& password) { m_password = password; }
    bool wrongPassword() const { return m_wrongPassword; }
    const QString& serverNoResponse() const { return m_serverNoResponse; }
    const QString& runningServerConfigName() const { return m_runningServerConfigName; }
    void setRunningServerConfigName(const QString& name) { m_runningServerConfigName = name; }
    const QString& rconMod() const { return m_rconMod; }
    const ServerConfig& rconServerConfig() const { return m_rconServerConfig; }
    void setRconServerConfig(const ServerConfig& config);
    const QStringList& rconMapList() const { return m_rconServerConfig.mapList(); }
    void setRconMapList(const QStringList& maps) { m_rconServerConfig.setMapList(maps); }
    const std::shared_ptr<MapLibrary>& rconMapLibrary() const { return m_services.mapLibrary; }
    const std::shared_ptr<BotLibrary>& rconBotLibrary() const { return m_services.botLibrary; }

    // The server's state, read from its replies.
    void setServerStatus(int timeout);
    // The status query of an automatic poll: false, asking nothing and changing nothing, when
    // the poll gives way to commands (see RconPacer); else setServerStatus().
    bool pollServerStatus(int timeout);
    // Whether an automatic poll would go now.
    bool mayPoll() const;
    const std::shared_ptr<RconPacer>& pacer() const { return m_pacer; }
    const QString& serverStatus() const { return m_serverStatus; }
    bool serverStatusOK() const { return m_serverStatusOK; }
    bool setCurrentMap();
    const QString& currentMap() const { return m_currentMap; }
    bool setNextMap(int timeout);
    bool setNextMapForUrbanTerror();
    void setNextMapFromMapInConfig(const QString& map) { m_nextMap = map; }
    const QString& nextMap() const { return m_nextMap; }
    void setServerNameFromConfig(const QString& name) { m_serverName = name; }
    const QString& serverName() const { return m_serverName; }
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

    // True while the object lives, false once it is gone: for callers whose call may run a
    // nested event loop in which the object is destroyed.
    std::shared_ptr<const bool> lifeToken() const { return m_alive; }

    // The local port requests leave from, 0 while disconnected (diagnostics and tests).
    quint16 localPort() const;

private:
    RemoteControl(const ServerConfig& config, RemoteControlServices services);
    bool transportReady() const;
    // Waits, running the event loop, until the pacer lets a command go and counts it; false
    // when the object went meanwhile.
    bool waitForTurn();
    void storeStatusReply(bool sent);

    RemoteControlServices m_services;
    std::shared_ptr<RconPacer> m_pacer;
    std::unique_ptr<RconTransport> m_transport;
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
    // Shared with a running wait, which must not touch the object once it is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
