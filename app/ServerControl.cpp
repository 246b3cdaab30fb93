#include "app/ServerControl.h"

#include "app/AlertPresenter.h"
#include "app/ControllerState.h"
#include "app/RemoteControlActions.h"
#include "app/RemoteControlPane.h"
#include "app/SetupEditor.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "format/Logging.h"
#include "rcon/RemoteControl.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// The terminal opens its window a moment after it starts.
constexpr int terminalWindowDelayMs = 800;

QString statusText(ServerState state)
{
    switch (state) {
    case ServerState::Launched:
        return rconCommText(QStringLiteral("ServerLaunched"), QStringLiteral("Server launched"));
    case ServerState::Connecting:
        return rconCommText(QStringLiteral("StartingUpServer"),
                            QStringLiteral("Starting up Server..."));
    case ServerState::Controlled:
        return rconCommText(QStringLiteral("ServerIsRunning"), QStringLiteral("Server is running"));
    case ServerState::NoServer:
    case ServerState::Quitting:
        break;
    }
    return rconCommText(QStringLiteral("NoServerRunning"), QStringLiteral("No server running"));
}

} // namespace

ServerControl::ServerControl(ControllerState& state, SetupEditor& editor,
                             const MainWindow::ServerBar& controls, RemoteControlPane& pane,
                             RemoteControlActions& actions, QObject* parent)
    : QObject(parent), m_state(state), m_editor(editor), m_controls(controls), m_pane(pane),
      m_actions(actions)
{
    connect(m_controls.saveAndStartButton, &QPushButton::clicked, this,
            &ServerControl::saveAndStart);
    connect(m_controls.quitServerButton, &QPushButton::clicked, this, &ServerControl::quitServer);
    connect(m_controls.runConfigButton, &QPushButton::clicked, &m_actions,
            &RemoteControlActions::rconRunConfig);
    // The pane's own Quit stops the server as the server bar's does.
    connect(m_pane.controls().rconQuitServerButton, &QPushButton::clicked, this,
            &ServerControl::quitServer);
    connect(&m_pane, &RemoteControlPane::quitServerRequested, this, &ServerControl::quitServer);
    connect(&m_actions, &RemoteControlActions::quitServerRequested, this,
            &ServerControl::quitServer);
    connect(&m_pane, &RemoteControlPane::serverControlled, this,
            [this] { setState(ServerState::Controlled); });
}

void ServerControl::setState(ServerState state)
{
    const bool changed = state != m_serverState;
    m_serverState = state;
    showState();
    if (changed)
        emit stateChanged(state);
}

bool ServerControl::serverRuns() const
{
    return m_serverState == ServerState::Launched || m_serverState == ServerState::Connecting ||
           m_serverState == ServerState::Controlled;
}

void ServerControl::showState()
{
    // While the application quits, nothing more is started or quit from the window.
    if (m_serverState == ServerState::Quitting) {
        for (QPushButton* button : {m_controls.saveAndStartButton, m_controls.quitServerButton,
                                    m_controls.runConfigButton})
            button->setEnabled(false);
        return;
    }
    m_controls.serverRunStatusField->setText(statusText(m_serverState));
    m_controls.saveAndStartButton->setEnabled(!serverRuns());
    m_controls.quitServerButton->setEnabled(serverRuns());
    m_controls.runConfigButton->setEnabled(mayRunConfig());
}

bool ServerControl::mayRunConfig() const
{
    if (m_serverState == ServerState::Connecting)
        return true;
    if (m_serverState != ServerState::Controlled)
        return false;
    // The server runs only configuration files of its own mod: the window must show it.
    const RemoteControl* client = m_pane.remoteControl();
    if (!client)
        return true;
    const QString serverMod =
        client->rconMod().isEmpty() ? CommonData::qGameDefaultModDir() : client->rconMod();
    return serverMod == m_state.paths.qGameModDir();
}

QString ServerControl::runningConfigName() const
{
    const std::optional<RunningServer::Record> running = ServerLauncher::runningServer();
    return running ? running->config.configName() : QString();
}

void ServerControl::showInitialState()
{
    // A server started by an earlier run that still runs is ours again: connect to it.
    const std::optional<RunningServer::Record> running = ServerLauncher::runningServer();
    if (!running) {
        setState(ServerState::NoServer);
        return;
    }
    followStartedServer(running->config);
}

void ServerControl::followStartedServer(const ServerConfig& config)
{
    // Without a password there is nothing to connect with: the server only runs.
    if (config.rconPassword().isEmpty()) {
        setState(ServerState::Launched);
        return;
    }
    setState(ServerState::Connecting);
    m_pane.waitThenTryInitRemoteControl(RemoteControlPane::initIntervalSeconds);
}

void ServerControl::keepWindowInFront()
{
    MainWindow* window = &m_state.window;
    QTimer::singleShot(terminalWindowDelayMs, window, [window] {
        window->raise();
        window->activateWindow();
    });
}

void ServerControl::saveAndStart()
{
    ServerConfig* config = m_editor.currentRecord();
    if (!config) {
        m_state.alerts.show(
            &m_state.window,
            {rconCommText(QStringLiteral("StartNoConfigTitle"),
                          QStringLiteral("No server config selected!")),
             rconCommText(QStringLiteral("StartNoConfigMsg"),
                          QStringLiteral("Select a server config in the list, or make one with "
                                         "New, before starting a server.")),
             {QStringLiteral("OK")},
             true});
        return;
    }
    const bool putTerminalBack = UserDefaults::boolValue(KZXPutTerminalBackKey);
    m_editor.extractFields(*config);

    const QString& gameRoot = m_state.paths.qGameRootDir();
    bool acceptEmptyPassword = false;
    for (ServerLauncher::Problem problem = ServerLauncher::check(*config, gameRoot, acceptEmptyPassword);
         problem != ServerLauncher::Problem::None;
         problem = ServerLauncher::check(*config, gameRoot, acceptEmptyPassword)) {
        const ServerLauncher::Alert alert = ServerLauncher::alertFor(problem, *config, gameRoot);
        const bool question = problem == ServerLauncher::Problem::RconPasswordNotSet;
        const int answer = m_state.alerts.show(
            &m_state.window, {alert.title, alert.message, alert.buttons, !question});
        if (!question || answer != ServerLauncher::startAnywayButton)
            return;
        acceptEmptyPassword = true;
    }

    m_pane.releaseRemoteControl();
    const Result<void> result = ServerLauncher::start(*config, gameRoot);
    if (!result.ok()) {
        m_state.alerts.show(&m_state.window,
                            {rconCommText(QStringLiteral("ServerStartFailedTitle"),
                                          QStringLiteral("The server could not be started!")),
                             result.error,
                             {QStringLiteral("OK")},
                             true});
        return;
    }
    if (putTerminalBack)
        keepWindowInFront();
    followStartedServer(*config);
}

void ServerControl::quitServer()
{
    // The quit request's exchange runs a nested event loop, where a second Quit may come.
    if (m_quitting)
        return;
    m_quitting = true;
    m_pane.invalidateAllTimers();
    // Asked over the console only where that can work: the server answered with our password.
    if (const RemoteControl* client = m_pane.remoteControl();
        client && !client->wrongPassword() && client->serverStatus() != client->serverNoResponse())
        m_actions.rconQuitServer();
    const ServerLauncher::StopResult stopped = ServerLauncher::stop();
    if (stopped.stillRunning) {
        // Still ours, and still recorded: the window goes on showing it.
        qCWarning(lcApp, "The server (process %d) could not be stopped.", int(stopped.serverPid));
        m_quitting = false;
        return;
    }
    m_pane.releaseRemoteControl();
    m_quitting = false;
    setState(ServerState::NoServer);
}
