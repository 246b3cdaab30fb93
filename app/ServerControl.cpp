#include "app/ServerControl.h"

#include "app/AlertPresenter.h"
#include "app/ControllerState.h"
#include "app/DesktopNotification.h"
#include "app/KeyedTableModel.h"
#include "app/RemoteControlPane.h"
#include "app/SetupEditor.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "config/VisibleText.h"
#include "format/Logging.h"
#include "rcon/HostedServers.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerSession.h"
#include "server/ServerLauncher.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
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

ServerState serverStateOf(const ServerSession* session, bool quitting)
{
    if (!session)
        return ServerState::NoServer;
    if (quitting)
        return ServerState::Quitting;
    switch (session->state()) {
    case ServerSession::State::Connecting:
        return ServerState::Connecting;
    case ServerSession::State::Controlled:
        return ServerState::Controlled;
    case ServerSession::State::Uncontrolled:
        break;
    }
    return ServerState::Launched;
}

QString modOf(const QString& mod)
{
    return CommonData::modDirOrDefault(mod);
}

// A dot in the colour of the server's state, for the configuration list.
QIcon stateIcon(ServerState state)
{
    QColor colour;
    switch (state) {
    case ServerState::Controlled:
        colour = QColor(0x2e, 0x9e, 0x3e);
        break;
    case ServerState::Connecting:
        colour = QColor(0xe0, 0xa0, 0x20);
        break;
    case ServerState::Launched:
        colour = QColor(0x3a, 0x7b, 0xd5);
        break;
    case ServerState::Quitting:
        colour = QColor(0x90, 0x90, 0x90);
        break;
    case ServerState::NoServer:
        return {};
    }
    QPixmap dot(12, 12);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(130));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(dot);
}

// "1:02:03", or "5:07" under an hour.
QString durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2")
            .arg(hours ? (seconds / 60) % 60 : seconds / 60, hours ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds
                 : minutesAndSeconds;
}

QString serversRunningText(int count)
{
    return count == 1
               ? rconCommText(QStringLiteral("OneServerRunning"),
                              QStringLiteral("1 server running"))
               : rconCommText(QStringLiteral("ServersRunningCount"),
                              QStringLiteral("%@ servers running"), {QString::number(count)});
}

} // namespace

ServerControl::ServerControl(ControllerState& state, SetupEditor& editor,
                             const MainWindow::ServerBar& controls, RemoteControlPane& pane,
                             HostedServers& servers, QObject* parent)
    : QObject(parent), m_state(state), m_editor(editor), m_controls(controls), m_pane(pane),
      m_servers(servers)
{
    connect(m_controls.saveAndStartButton, &QPushButton::clicked, this,
            &ServerControl::saveAndStart);
    connect(m_controls.quitServerButton, &QPushButton::clicked, this, &ServerControl::quitServer);
    connect(m_controls.runConfigButton, &QPushButton::clicked, this, &ServerControl::rconRunConfig);
    // The pane's own Quit stops the server as the server bar's does.
    connect(m_pane.controls().rconQuitServerButton, &QPushButton::clicked, this,
            &ServerControl::quitServer);
    connect(&m_servers, &HostedServers::sessionAdded, this, &ServerControl::follow);
    connect(&m_servers, &HostedServers::sessionChanged, this, &ServerControl::showState);
    connect(&m_servers, &HostedServers::sessionRemoved, this, &ServerControl::sessionRemoved);
    connect(&m_servers, &HostedServers::serviceGaveUp, this, &ServerControl::serviceGaveUp);
    m_editor.setConfigRowMarks(
        [this](const QString& name) { return stateIcon(stateOf(name)); },
        [this](const KeyedTableModel::Row& row) { return serverToolTip(row.key); });
}

ServerState ServerControl::stateOf(const QString& configName) const
{
    const ServerSession* session = m_servers.session(configName);
    return serverStateOf(session, session && m_servers.quitting(session));
}

QString ServerControl::serverToolTip(const QString& configName) const
{
    const ServerSession* session = m_servers.session(configName);
    if (!session)
        return {};
    const HostedServers::Hosted hosted = m_servers.hosted(session);
    const qint64 up =
        hosted.startedAt.isValid()
            ? qMax<qint64>(0, hosted.startedAt.secsTo(QDateTime::currentDateTimeUtc()))
            : 0;
    return rconCommText(
        QStringLiteral("ServerListToolTip"), QStringLiteral("%@ on port %@, up %@"),
        {statusText(stateOf(configName)), QString::number(hosted.port), durationText(up)});
}

QString ServerControl::shownName() const
{
    return m_editor.controls().configNameFieldAdvTab->text();
}

ServerSession* ServerControl::shownSession() const
{
    const QString name = shownName();
    return name.isEmpty() ? nullptr : m_servers.session(name);
}

ServerState ServerControl::state() const
{
    if (m_applicationQuitting)
        return ServerState::Quitting;
    const QString name = shownName();
    return name.isEmpty() ? ServerState::NoServer : stateOf(name);
}

bool ServerControl::serverRuns() const
{
    const ServerState shown = state();
    return shown == ServerState::Launched || shown == ServerState::Connecting ||
           shown == ServerState::Controlled;
}

QStringList ServerControl::runningConfigNames() const
{
    QStringList names;
    for (const ServerSession* session : m_servers.sessions())
        names.append(session->configName());
    return names;
}

void ServerControl::follow(ServerSession* session)
{
    connect(session, &ServerSession::alertRaised, this, &ServerControl::showAlert);
    connect(session, &ServerSession::configNameChanged, this, [this] { showState(); });
}

void ServerControl::sessionRemoved(const QString& configName, bool unexpectedly)
{
    if (unexpectedly)
        m_stoppedUnexpectedly = configName;
    showState();
}

void ServerControl::serviceGaveUp(const QString& configName, const QString& logFile,
                                  const QStringList& lastLogLines)
{
    const QString name = VisibleText::escaped(configName);
    const QString title =
        rconCommText(QStringLiteral("ServiceGaveUpTitle"),
                     QStringLiteral("The server of '%@' keeps crashing!"), {name});
    const QString log = lastLogLines.join(QLatin1Char('\n'));
    DesktopNotification::send(title, log);
    showAlert(title, rconCommText(QStringLiteral("ServiceGaveUpMsg"),
                                  QStringLiteral("It crashed again and again, and the service "
                                                 "manager stopped restarting it. The last lines "
                                                 "of its log (%@):\n\n%@\n\nStart it again "
                                                 "once the cause is mended."),
                                  {logFile, log}));
}

void ServerControl::showAlert(const QString& title, const QString& message)
{
    m_state.alerts.show(&m_state.window, {title, message, {QStringLiteral("OK")}, true});
}

void ServerControl::showState()
{
    m_editor.reloadConfigList();
    ServerSession* session = shownSession();
    if (m_pane.session() != session)
        m_pane.showSession(session);
    m_pane.showLog(session ? m_servers.hosted(session).logFile : QString());
    m_pane.showWatch(session ? m_servers.watch(session) : nullptr);
    // While the application quits, nothing more is started or quit from the window.
    if (m_applicationQuitting) {
        for (QPushButton* button : {m_controls.saveAndStartButton, m_controls.quitServerButton,
                                    m_controls.runConfigButton})
            button->setEnabled(false);
    } else {
        const ServerState shown = state();
        QString text = statusText(shown);
        if (shown == ServerState::NoServer && !shownName().isEmpty() &&
            shownName() == m_stoppedUnexpectedly)
            text = rconCommText(QStringLiteral("ServerStoppedUnexpectedly"),
                                QStringLiteral("The server stopped unexpectedly"));
        if (const ServerSession* session = shownSession())
            if (const QString note = m_servers.hosted(session).restartNote; !note.isEmpty())
                text += QStringLiteral(" \u2013 ") + note;
        // Beside the shown configuration's server, how many run in all, when that says more.
        const int running = int(m_servers.sessions().size());
        if (running > 1 || (running == 1 && shown == ServerState::NoServer))
            text += QStringLiteral(" \u2013 ") + serversRunningText(running);
        m_controls.serverRunStatusField->setText(text);
        m_controls.saveAndStartButton->setEnabled(shown == ServerState::NoServer);
        m_controls.quitServerButton->setEnabled(serverRuns());
        m_controls.runConfigButton->setEnabled(mayRunConfig());
    }
    const ServerState shown = state();
    if (shown != m_shownState) {
        m_shownState = shown;
        emit stateChanged(shown);
    }
}

QList<ServerSession*> ServerControl::runConfigTargets() const
{
    QList<ServerSession*> targets;
    const ServerConfig* shown = m_state.store.find(shownName());
    if (!shown)
        return targets;
    for (ServerSession* session : m_servers.sessions()) {
        const RemoteControl* client = session->remoteControl();
        // The server runs only configuration files of its own mod.
        if (session->state() == ServerSession::State::Controlled && client &&
            modOf(client->rconMod()) == modOf(shown->modName()))
            targets.append(session);
    }
    return targets;
}

bool ServerControl::mayRunConfig() const
{
    if (m_applicationQuitting)
        return false;
    const ServerConfig* shown = m_state.store.find(shownName());
    // The server runs only configuration files of its own mod: the window must show it.
    if (!shown || modOf(shown->modName()) != m_state.paths.qGameModDir())
        return false;
    return !runConfigTargets().isEmpty();
}

void ServerControl::showInitialState()
{
    m_servers.adoptRunningServers();
    showState();
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
    for (ServerLauncher::Problem problem =
             ServerLauncher::check(*config, gameRoot, acceptEmptyPassword);
         problem != ServerLauncher::Problem::None;
         problem = ServerLauncher::check(*config, gameRoot, acceptEmptyPassword)) {
        using Problem = ServerLauncher::Problem;
        const ServerLauncher::Alert alert = ServerLauncher::alertFor(problem, *config, gameRoot);
        const bool question =
            problem == Problem::RconPasswordNotSet || problem == Problem::PortInUse;
        const int answer = m_state.alerts.show(
            &m_state.window, {alert.title, alert.message, alert.buttons, !question});
        if (problem == Problem::PortInUse && answer == ServerLauncher::usePortButton) {
            // The port the alert named, as if the user had typed it.
            config->setNetPort(alert.offeredPort);
            m_editor.populateFields(*config);
            continue;
        }
        if (!question || answer != ServerLauncher::startAnywayButton)
            return;
        acceptEmptyPassword = true;
    }

    const Result<ServerSession*> started = m_servers.start(*config, gameRoot);
    if (!started.ok()) {
        m_state.alerts.show(&m_state.window,
                            {rconCommText(QStringLiteral("ServerStartFailedTitle"),
                                          QStringLiteral("The server could not be started!")),
                             started.error,
                             {QStringLiteral("OK")},
                             true});
        return;
    }
    if (m_stoppedUnexpectedly == config->configName())
        m_stoppedUnexpectedly.clear();
    if (putTerminalBack)
        keepWindowInFront();
    showState();
}

void ServerControl::quitServer()
{
    if (ServerSession* session = shownSession())
        m_servers.quit(session);
    showState();
}

void ServerControl::rconRunConfig()
{
    ServerConfig* config = m_state.store.find(shownName());
    const QList<ServerSession*> targets = runConfigTargets();
    if (!config || config->rconPassword().isEmpty() || targets.isEmpty())
        return;
    ServerSession* target = chooseRunConfigTarget(targets);
    if (!target)
        return;
    if (m_editor.recordNeedsSaving())
        m_editor.extractFields(*config);
    target->runConfig(ServerConfig::copyOf(*config), m_state.paths.qGameRootDir());
}

ServerSession* ServerControl::chooseRunConfigTarget(const QList<ServerSession*>& targets)
{
    if (targets.size() == 1)
        return targets.first();
    QStringList buttons;
    for (const ServerSession* session : targets)
        buttons.append(session->configName());
    buttons.append(tr("Cancel"));
    AlertRequest question{
        rconCommText(QStringLiteral("RunConfigWhichServerTitle"),
                     QStringLiteral("Run '%@' on which server?"), {shownName()}),
        rconCommText(QStringLiteral("RunConfigWhichServerMsg"),
                     QStringLiteral("Several servers of this mod are running. Choose the one "
                                    "that runs this configuration from now on.")),
        buttons, true};
    question.escapeButton = int(buttons.size()) - 1;
    const int answer = m_state.alerts.show(&m_state.window, question);
    return answer >= 0 && answer < targets.size() ? targets.at(answer) : nullptr;
}

void ServerControl::quitAllServersNow()
{
    const QList<ServerSession*> sessions = m_servers.sessions();
    for (ServerSession* session : sessions)
        m_servers.quitNow(session);
    showState();
}

void ServerControl::setApplicationQuitting()
{
    m_applicationQuitting = true;
    showState();
}
