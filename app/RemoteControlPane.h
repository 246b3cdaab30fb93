#pragma once

#include "app/RemoteControlView.h"
#include "rcon/RconPacer.h"
#include "rcon/RemoteCommands.h"

#include <QObject>
#include <QList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class BotLibrary;
class CallbackTableModel;
class MapLibrary;
class QProgressBar;
class RconAlerts;
class RemoteControl;
class ServerConfig;
struct ControllerState;

// The remote control of the server Voranth started, as the pane of the main window shows it:
// connecting after the launch with its retries and give-ups, the status refresh and what it
// shows, the automatic and the one-shot refresh, and the busy flag rconLocked that keeps
// exchanges, refreshes and the next-map preview from overlapping on the one channel (the
// channel's waits run nested event loops, in which timers and clicks are dispatched).
// The commands themselves are RemoteControlActions'.
class RemoteControlPane : public QObject
{
    Q_OBJECT
public:
    // Seconds between the attempts to reach the server after its launch.
    static constexpr double initIntervalSeconds = 1.5;
    // Connecting gives up when the failed attempts before a tick pass these: after 19 ticks
    // without a server process, or 25 without a status reply. One counter serves both.
    static constexpr int maxFailedInitsWithoutProcess = 17;
    static constexpr int maxFailedInitsWithoutReply = 23;
    // Where the give-up alerts ask the user to report the problem.
    static const QString supportAddress;

    RemoteControlPane(ControllerState& state, const RemoteControlControls& controls,
                      QObject* parent = nullptr);
    ~RemoteControlPane() override;

    const RemoteControlControls& controls() const { return m_controls; }
    RemoteControl* remoteControl() const { return m_remoteControl.get(); }
    // A client exists and its channel is up.
    bool connected() const;
    bool rconLocked() const { return m_rconLocked; }
    void setRconLocked(bool locked) { m_rconLocked = locked; }

    // Connecting: every intervalSeconds an attempt (tryInitRemoteControl) until the first
    // complete status, or until it gives up, quitting the server.
    void waitThenTryInitRemoteControl(double intervalSeconds);
    void tryInitRemoteControl();
    void invalidateRemoteControlInitTimer();
    bool connecting() const { return m_initTimer.isActive(); }
    int failedRemoteControlInits() const { return m_failedRemoteControlInits; }

    // The sender: runs command on the client unless an exchange, a pending one-shot status or
    // a shown preview holds rconLocked (then nothing is sent: nullopt). A visible reply
    // replaces the response view.
    using Command = std::function<RemoteCommands::Sent(RemoteCommands&)>;
    std::optional<RemoteCommands::Sent> sendRemoteControlCommand(const Command& command);
    void showResponse(const QStringList& replies);

    // Status, current map and players from the server; complete also enables the pane and
    // loads the limits and names of the running configuration. A poll gives way under the
    // server's rate limit. False (nothing shown changes) while busy or without a reply.
    bool updateRemoteControlStatus(bool complete,
                                   RconPacer::Traffic traffic = RconPacer::Traffic::Command);
    // The current map, or with showNext the next map read last, with title and level shot.
    void updateRemoteControlMapInfo(bool showNext);
    void updateAllRconFieldsAsServerRunning(bool withStatus);
    void updateAllRconFieldsAsServerDown();
    void clearRconFields();
    void activateAllRconGUIButtons();
    void deactivateAllRconGUIButtons();
    void setRconLimitFields();

    // A refresh after delaySeconds, holding rconLocked until then.
    void waitThenGetStatus(double delaySeconds, bool complete);
    bool oneShotStatusPending() const { return m_oneStatusTimer.isActive(); }
    // The manual status button and the automatic status switch.
    void rconPlayersGetStatus();
    void rconPlayersGetStatusAuto(bool on);
    bool autoStatusRunning() const { return m_statusTimer.isActive(); }
    // Stops the init timer, the automatic and the one-shot timer.
    void invalidateAllTimers();

    // Stops the timers, switches the automatic status off, drops the client and clears the
    // busy flag; the pane is shown as server down.
    void releaseRemoteControl();

    // The bots of the running server's mod while a client exists, else the editor's.
    const BotLibrary* shownBotLibrary() const;
    void reloadBots();
    void reloadPlayers();
    void startProgress(QProgressBar* indicator);
    void stopProgressIndicators();

signals:
    // An attempt of connecting was made (one tick of the init timer).
    void initAttempted();
    // The first complete status came: the server is under control.
    void serverControlled();
    // Connecting gave up, or the server turned the password down: quit the server.
    void quitServerRequested();
    // A status refresh got its reply and is shown.
    void statusRefreshed();
    // The client is gone (the server was quit): pending work of the commands goes too.
    void remoteControlReleased();

private:
    // The controls that send a command, enabled only while a server is controlled.
    QList<QWidget*> commandControls() const;
    void wireControls();
    bool createRemoteControl();
    void giveUpConnecting(const QString& titleKey, const QString& title, const QString& msgKey,
                          const QString& msg);
    void oneShotStatusFired();
    void automaticStatusTick();
    void invalidateAutoStatusTimer();
    void invalidateOneStatusTimer();
    void showMap(const QString& label, const QString& map);
    std::shared_ptr<MapLibrary> mapLibraryFor(const ServerConfig& config) const;

    ControllerState& m_state;
    const RemoteControlControls& m_controls;
    std::unique_ptr<RconAlerts> m_rconAlerts;
    std::unique_ptr<RemoteControl> m_remoteControl;
    bool m_rconLocked = false;
    // Inside an attempt, whose waits may let the next tick in.
    bool m_tryingInit = false;
    int m_failedRemoteControlInits = 0;
    QTimer m_initTimer;
    QTimer m_statusTimer;
    QTimer m_oneStatusTimer;
    bool m_oneStatusComplete = false;
    CallbackTableModel* m_playersModel = nullptr;
    CallbackTableModel* m_botsModel = nullptr;
};
