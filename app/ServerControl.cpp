#include "app/ServerControl.h"

#include "app/AlertPresenter.h"
#include "app/ApplicationIcon.h"
#include "app/ControllerState.h"
#include "app/MainWindow.h"
#include "app/SetupEditor.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "server/QProcessCom.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

// The terminal opens its window a moment after it starts.
constexpr int terminalWindowDelayMs = 800;

QString noServerRunning()
{
    return rconCommText(QStringLiteral("NoServerRunning"), QStringLiteral("No server running"));
}

QString serverLaunchedText()
{
    return rconCommText(QStringLiteral("ServerLaunched"), QStringLiteral("Server launched"));
}

} // namespace

ServerControl::ServerControl(ControllerState& state, SetupEditor& editor, QObject* parent)
    : QObject(parent), m_state(state), m_editor(editor),
      m_saveAndStartButton(
          state.window.findChild<QAbstractButton*>(QStringLiteral("saveAndStartButton"))),
      m_quitServerButton(
          state.window.findChild<QAbstractButton*>(QStringLiteral("quitServerButton"))),
      m_runConfigButton(
          state.window.findChild<QAbstractButton*>(QStringLiteral("runConfigButton"))),
      m_serverRunStatusField(
          state.window.findChild<QLabel*>(QStringLiteral("serverRunStatusField")))
{
    connect(m_saveAndStartButton, &QAbstractButton::clicked, this, &ServerControl::saveAndStart);
    connect(m_quitServerButton, &QAbstractButton::clicked, this, &ServerControl::quitServer);
}

QString ServerControl::statusText() const
{
    return m_serverRunStatusField->text();
}

bool ServerControl::serverLaunched() const
{
    return statusText() == serverLaunchedText();
}

QString ServerControl::runningConfigName() const
{
    if (QProcessCom().serverPid() == -1)
        return {};
    const std::optional<ServerConfig> running = RunningServer::running();
    return running ? running->configName() : QString();
}

void ServerControl::showInitialState()
{
    if (RunningServer::running() && QProcessCom().serverPid() != -1)
        showLaunched(false);
    else
        showNoServer();
}

void ServerControl::showNoServer()
{
    m_quitServerButton->setEnabled(false);
    m_runConfigButton->setEnabled(false);
    m_saveAndStartButton->setEnabled(true);
    m_serverRunStatusField->setText(noServerRunning());
}

void ServerControl::showLaunched(bool withRemoteControl)
{
    if (withRemoteControl) {
        m_serverRunStatusField->setText(rconCommText(QStringLiteral("StartingUpServer"),
                                                     QStringLiteral("Starting up Server...")));
        m_runConfigButton->setEnabled(true);
    } else {
        m_serverRunStatusField->setText(serverLaunchedText());
    }
    m_saveAndStartButton->setEnabled(false);
    m_quitServerButton->setEnabled(true);
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
    if (!config)
        return;
    const bool putTerminalBack = UserDefaults::boolValue(KZXPutTerminalBackKey);
    m_editor.extractFields(*config);

    bool acceptEmptyPassword = false;
    for (ServerLauncher::Problem problem = ServerLauncher::check(*config, acceptEmptyPassword);
         problem != ServerLauncher::Problem::None;
         problem = ServerLauncher::check(*config, acceptEmptyPassword)) {
        const ServerLauncher::Alert alert = ServerLauncher::alertFor(problem, *config);
        const bool question = problem == ServerLauncher::Problem::RconPasswordNotSet;
        const int answer = AlertPresenter::show(
            &m_state.window, {alert.title, alert.message, alert.buttons, !question});
        if (!question || answer != ServerLauncher::startAnywayButton)
            return;
        acceptEmptyPassword = true;
    }

    const ServerLauncher::StartResult result = ServerLauncher::start(*config);
    if (!result.started) {
        AlertPresenter::show(&m_state.window,
                             {rconCommText(QStringLiteral("ServerStartFailedTitle"),
                                           QStringLiteral("The server could not be started!")),
                              result.error,
                              {QStringLiteral("OK")},
                              true});
        return;
    }
    if (putTerminalBack)
        keepWindowInFront();
    showLaunched(!config->rconPassword().isEmpty());
}

void ServerControl::quitServer()
{
    const ServerLauncher::StopResult stopped = ServerLauncher::stop();
    if (stopped.stillRunning)
        qWarning("The server could not be stopped.");
    showNoServer();
    ApplicationIcon::show(ApplicationIcon::State::Orange);
}
