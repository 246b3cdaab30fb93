#pragma once

#include "app/MainWindow.h"
#include "app/ServerState.h"

#include <QObject>

class HostedServers;
class RemoteControlPane;
class ServerConfig;
class ServerSession;
class SetupEditor;
struct ControllerState;

// Starting, quitting and running another configuration on the server of the configuration
// shown, with the checks and alerts of each; the state of the shown configuration's server in
// the status text and the server buttons, and its session in the remote-control pane.
class ServerControl : public QObject
{
    Q_OBJECT
public:
    ServerControl(ControllerState& state, SetupEditor& editor,
                  const MainWindow::ServerBar& controls, RemoteControlPane& pane,
                  HostedServers& servers, QObject* parent = nullptr);

    void saveAndStart();
    // Quits the shown configuration's server.
    void quitServer();
    // Runs the configuration shown on the running server of its mod.
    void rconRunConfig();
    // Follows every server of ours that still runs (a window opened while servers ran).
    void showInitialState();
    // The application quits: the servers are quit now (without waiting for their consoles), or
    // left running; nothing more is started from the window.
    void quitAllServersNow();
    void setApplicationQuitting();

    // The state of the shown configuration's server.
    ServerState state() const;
    // Whether the shown configuration's server runs, in whatever state of control.
    bool serverRuns() const;
    // Whether Run Config can work: the shown configuration can run on a controlled server of
    // its mod.
    bool mayRunConfig() const;
    // Shows the shown configuration's server again (after a change of configuration or mod).
    void showState();
    // The session of the shown configuration's server, or none.
    ServerSession* shownSession() const;

    // The names of the configurations whose servers run.
    QStringList runningConfigNames() const;

signals:
    void stateChanged(ServerState state);

private:
    QString shownName() const;
    void keepWindowInFront();
    void follow(ServerSession* session);
    void sessionRemoved(const QString& configName, bool unexpectedly);
    QList<ServerSession*> runConfigTargets() const;
    // The one target, or the one the user picks of several; none when cancelled.
    ServerSession* chooseRunConfigTarget(const QList<ServerSession*>& targets);
    ServerState stateOf(const QString& configName) const;
    QString serverToolTip(const QString& configName) const;
    void serviceGaveUp(const QString& configName, const QString& logFile,
                       const QStringList& lastLogLines);
    void showAlert(const QString& title, const QString& message);

    ControllerState& m_state;
    SetupEditor& m_editor;
    const MainWindow::ServerBar& m_controls;
    RemoteControlPane& m_pane;
    HostedServers& m_servers;
    bool m_applicationQuitting = false;
    // The configuration whose server ended by itself, until it is started again.
    QString m_stoppedUnexpectedly;
    ServerState m_shownState = ServerState::NoServer;
};
