#pragma once

#include "app/MainWindow.h"
#include "app/ServerState.h"

#include <QObject>

class RemoteControlActions;
class RemoteControlPane;
class ServerConfig;
class SetupEditor;
struct ControllerState;

// Starting the server of the configuration shown and quitting it, with the checks and
// alerts of each, and handing the started server over to the remote-control pane. Owns the
// server's state as the window shows it and shows that state in the status text and the
// server buttons.
class ServerControl : public QObject
{
    Q_OBJECT
public:
    ServerControl(ControllerState& state, SetupEditor& editor,
                  const MainWindow::ServerBar& controls, RemoteControlPane& pane,
                  RemoteControlActions& actions, QObject* parent = nullptr);

    void saveAndStart();
    void quitServer();
    // The state at start: a server recorded as started by an earlier run that still runs is
    // connected to again (or, started without a password, can be quit); otherwise no server.
    void showInitialState();

    ServerState state() const { return m_serverState; }
    void setState(ServerState state);
    // Whether a server of ours runs, in whatever state of control.
    bool serverRuns() const;
    // Whether Run Config can work: a server is being connected to, or is controlled and runs
    // the mod the window shows.
    bool mayRunConfig() const;
    // Shows the state again in the status text and the buttons (after a change of mod).
    void showState();

    // The name of the configuration the running server was started with, or "".
    QString runningConfigName() const;

signals:
    void stateChanged(ServerState state);

private:
    void keepWindowInFront();
    // Connecting when the server has a remote-console password, else only running.
    void followStartedServer(const ServerConfig& config);

    ControllerState& m_state;
    SetupEditor& m_editor;
    const MainWindow::ServerBar& m_controls;
    RemoteControlPane& m_pane;
    RemoteControlActions& m_actions;
    bool m_quitting = false;
    ServerState m_serverState = ServerState::NoServer;
};
