#pragma once

#include <QObject>

class QAbstractButton;
class QLabel;
class SetupEditor;
struct ControllerState;

// Starting the server of the configuration shown and quitting it, with the checks, alerts,
// buttons and status texts of each state: no server; launched, remote control pending;
// launched without remote control.
class ServerControl : public QObject
{
    Q_OBJECT
public:
    ServerControl(ControllerState& state, SetupEditor& editor, QObject* parent = nullptr);

    void saveAndStart();
    void quitServer();
    // The state at start: a server recorded as started by an earlier run that still runs
    // can be quit; otherwise no server.
    void showInitialState();

    // The name of the configuration the running server was started with, or "".
    QString runningConfigName() const;
    bool serverLaunched() const;
    QString statusText() const;

private:
    void showNoServer();
    void showLaunched(bool withRemoteControl);
    void keepWindowInFront();

    ControllerState& m_state;
    SetupEditor& m_editor;
    QAbstractButton* m_saveAndStartButton;
    QAbstractButton* m_quitServerButton;
    QAbstractButton* m_runConfigButton;
    QLabel* m_serverRunStatusField;
};
