#pragma once

#include "rcon/PlayerStatus.h"
#include "rcon/RemoteCommands.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class RconAlerts;
class RemoteControl;
class ServerConfig;

// The remote control of one server of ours, as the window keeps it while the server runs:
// connecting after the launch with its retries and give-ups, the status refresh and what it
// found, the automatic and the one-shot refresh, the next-map preview, the console's last reply,
// and the commands. Everything is asynchronous: a command is queued on the server's client and
// never dropped, its outcome arrives later, and the session says what changed through its
// signals. Each running server has a session of its own, kept while the window shows another.
class ServerSession : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        // Started with a password; the remote control has not reached it yet.
        Connecting,
        // The remote control talks to the server.
        Controlled,
        // Running without remote control (started without a password).
        Uncontrolled,
    };

    // What the session asks of the rest of the application.
    struct Services
    {
        // A client of the session's server, or none while its process is not found or no
        // socket can be made. The alerts are the session's own (see alertRaised).
        std::function<std::unique_ptr<RemoteControl>(RconAlerts* alerts)> connect;
        // Where the server's output can be read (a log file, a terminal window), for the
        // alerts that give up on it.
        QString outputLocation;
    };

    // The running indicators of the commands that have one, stopped by the next refresh.
    enum class Progress
    {
        NextMap,
        RestartMap,
        AddBot,
    };

    // Seconds between the attempts to reach the server after its launch.
    static constexpr double initIntervalSeconds = 1.5;
    // Connecting gives up when the failed attempts before a tick pass these: after 19 ticks
    // without a server process, or 25 without a status reply. One counter serves both.
    static constexpr int maxFailedInitsWithoutProcess = 17;
    static constexpr int maxFailedInitsWithoutReply = 23;

    ServerSession(const QString& configName, State initialState, Services services,
                  QObject* parent = nullptr);
    ~ServerSession() override;

    State state() const { return m_state; }
    // The name of the configuration the server runs (Run Config changes it).
    const QString& configName() const { return m_configName; }
    RemoteControl* remoteControl() const { return m_client.get(); }
    // A client exists and its channel is up.
    bool connected() const;
    // Nothing is on the wire, queued, or pending for this server.
    bool idle() const;

    // Connecting: every intervalSeconds an attempt (tryInitRemoteControl) until the first
    // complete status, or until it gives up (alertRaised, then quitRequested).
    void waitThenTryInitRemoteControl(double intervalSeconds = initIntervalSeconds);
    void tryInitRemoteControl();
    bool connecting() const { return m_initTimer.isActive(); }

    // Status, current map and players from the server; complete also loads the names and
    // limits of the running configuration. Anything but a whole status reply changes nothing.
    void updateRemoteControlStatus(bool complete,
                                   RconPacer::Traffic traffic = RconPacer::Traffic::Command);
    // A refresh after delaySeconds; automatic refreshes wait for it.
    void waitThenGetStatus(double delaySeconds, bool complete);
    bool oneShotStatusPending() const { return m_oneStatusTimer.isActive(); }
    void setAutomaticStatus(bool on, int seconds);
    bool automaticStatus() const { return m_automaticOn; }
    int automaticStatusSeconds() const { return m_automaticSeconds; }

    // What the pane shows: the last status found.
    QString serverName() const;
    QList<PlayerStatus> players() const;
    // The map to show: the previewed next map while the preview is shown, else the current.
    QString shownMap() const;
    bool showingNextMap() const { return m_previewShown; }
    // The reply of the last visible command (or why it was refused).
    const QString& response() const { return m_response; }

    // The commands; each is queued and goes in its turn.
    void sendCommand(const QString& text);
    void say(const QString& text);
    void kick(int slot);
    void dumpUser(int slot);
    void restartMap();
    void changeToNextMap();
    // The preview control held (again while held) or released.
    void holdPreview();
    void releasePreview();
    void changeLimit(RemoteCommands::LimitType type, int value);
    void addBots(const QStringList& bots, int skill, RemoteCommands::Team team);
    void runConfig(const ServerConfig& config, const QString& gameRoot);
    // Asks the server to quit when that can work (it answered with our password), then runs
    // then; the session's timers stop.
    void quitOverRcon(std::function<void()> then);
    // Stops the timers and drops the client (the server is gone).
    void release();
    // Stops connecting, the automatic and the one-shot refresh.
    void stopTimers();
    // Drops the client and connects anew (the server is another process now, or was not
    // stopped after all); a server without remote control only runs on.
    void reconnect();

signals:
    void stateChanged(ServerSession::State state);
    // An attempt of connecting was made (one tick of the init timer).
    void initAttempted();
    // A status refresh got its reply: names, map and players may have changed.
    void statusRefreshed();
    // The map to show changed (preview shown or released).
    void shownMapChanged();
    // The running configuration's limits were loaded into the client (a complete refresh, or
    // another configuration run).
    void limitsLoaded();
    void responseChanged(const QString& response);
    void automaticStatusChanged(bool on);
    void progressStarted(ServerSession::Progress progress);
    void progressStopped();
    // An alert for the user (a give-up, a turned-down password).
    void alertRaised(const QString& title, const QString& message);
    // Connecting gave up, or the server turned the password down: quit the server.
    void quitRequested();
    // The running configuration changed (Run Config).
    void configNameChanged(const QString& oldName, const QString& newName);

private:
    class Alerts;
    void setState(State state);
    bool createRemoteControl();
    void initRefreshed(RemoteCommands::Refresh refresh);
    void giveUpConnecting(const QString& titleKey, const QString& title, const QString& msgKey,
                          const QString& msg);
    void refreshed(RemoteCommands::Refresh refresh, bool complete);
    void loadLimits();
    void oneShotStatusFired();
    void automaticStatusTick();
    // Runs a command and carries out what its outcome asks for.
    void run(const std::function<void(RemoteCommands&, RemoteCommands::Done)>& command,
             std::optional<Progress> progress = std::nullopt);
    void finished(const RemoteCommands::Sent& result, std::optional<Progress> progress);
    void setResponse(const QString& response);

    QString m_configName;
    State m_state;
    Services m_services;
    std::unique_ptr<Alerts> m_alerts;
    std::unique_ptr<RemoteControl> m_client;
    int m_failedRemoteControlInits = 0;
    bool m_initRefreshInFlight = false;
    bool m_refreshInFlight = false;
    QTimer m_initTimer;
    QTimer m_statusTimer;
    QTimer m_oneStatusTimer;
    bool m_oneStatusComplete = false;
    int m_automaticSeconds = 0;
    bool m_automaticOn = false;
    bool m_previewHeld = false;
    bool m_previewQueryInFlight = false;
    bool m_previewShown = false;
    QString m_response;
};
