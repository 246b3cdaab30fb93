#pragma once

#include "app/RemoteControlView.h"
#include "rcon/ServerSession.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

class BotLibrary;
class LogFollower;
class MapLibrary;
class ServerWatch;
class PlayersModel;
class QProgressBar;
class KeyedTableModel;
struct ControllerState;

// The remote-control pane of the main window, showing one server's session: its names, map
// with title and level shot, players, the bots to add, limits, the console's last reply and
// its automatic status. The pane follows what the session says; it keeps nothing of its own,
// so that another session can be shown at any time and shown again later as it was. The
// commands are RemoteControlActions'.
class RemoteControlPane : public QObject
{
    Q_OBJECT
public:
    RemoteControlPane(ControllerState& state, const RemoteControlControls& controls,
                      QObject* parent = nullptr);
    ~RemoteControlPane() override;

    const RemoteControlControls& controls() const { return m_controls; }
    // Shows the session's server; none: the pane is cleared and its controls disabled.
    void showSession(ServerSession* session);
    ServerSession* session() const { return m_session; }
    // Follows the shown server's log; none (empty) when a terminal shows its output.
    void showLog(const QString& logFile);
    // Shows what the shown server tells over the public status protocol (the people line;
    // map and players of a server without remote control) and its player history; none
    // clears them.
    void showWatch(ServerWatch* watch);

    // The map to show, with its title and level shot.
    void updateRemoteControlMapInfo();
    void clearRconFields();
    void activateAllRconGUIButtons();
    void deactivateAllRconGUIButtons();
    // The running configuration's frag limit in the limits field.
    void setRconLimitFields();

    // The bots of the shown server's mod while it is controlled, else the editor's.
    const BotLibrary* shownBotLibrary() const;
    // Fills the bots table anew and selects its first bot.
    void reloadBots();
    PlayersModel* playersModel() const { return m_playersModel; }
    // The slot of the player selected in the players table; -1 when no row is selected.
    int selectedPlayerSlot() const;

private:
    void wireControls();
    void wireLog();
    void showPublicStatus();
    void showHistory();
    // The controls that send a command, enabled only while a server is controlled.
    QList<QWidget*> commandControls() const;
    void follow(ServerSession* session);
    void showState();
    void showNames();
    void showPlayers();
    void showResponse(const QString& response);
    void showAutomaticStatus(bool on);
    void showMap(const QString& label, const QString& map, MapLibrary* library);
    void startProgress(int progress);
    void stopProgressIndicators();
    void automaticStatusToggled(bool on);

    ControllerState& m_state;
    const RemoteControlControls& m_controls;
    QPointer<ServerSession> m_session;
    QList<QMetaObject::Connection> m_sessionConnections;
    PlayersModel* m_playersModel = nullptr;
    KeyedTableModel* m_botsModel = nullptr;
    LogFollower* m_log = nullptr;
    QPointer<ServerWatch> m_watch;
    QList<QMetaObject::Connection> m_watchConnections;
};
