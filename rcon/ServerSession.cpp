#include "rcon/ServerSession.h"

#include "config/StringTable.h"
#include "rcon/RconAlerts.h"
#include "rcon/RemoteControl.h"

#include <QPointer>

namespace {

int secondsToMs(double seconds)
{
    return int(seconds * 1000.0 + 0.5);
}

} // namespace

// The client's wrong-password alert, raised as the session's.
class ServerSession::Alerts : public RconAlerts
{
public:
    explicit Alerts(ServerSession& session) : m_session(session) {}
    void showRconPasswordError(const QString& title, const QString& message) override
    {
        emit m_session.alertRaised(title, message.trimmed());
    }

private:
    ServerSession& m_session;
};

ServerSession::ServerSession(const QString& configName, State initialState, Services services,
                             QObject* parent)
    : QObject(parent), m_configName(configName), m_state(initialState),
      m_services(std::move(services)), m_alerts(std::make_unique<Alerts>(*this))
{
    m_oneStatusTimer.setSingleShot(true);
    connect(&m_initTimer, &QTimer::timeout, this, &ServerSession::tryInitRemoteControl);
    connect(&m_statusTimer, &QTimer::timeout, this, &ServerSession::automaticStatusTick);
    connect(&m_oneStatusTimer, &QTimer::timeout, this, &ServerSession::oneShotStatusFired);
}

ServerSession::~ServerSession() = default;

void ServerSession::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

bool ServerSession::connected() const
{
    return m_client && m_client->connectedToServer();
}

bool ServerSession::idle() const
{
    return !(m_client && m_client->busy()) && !m_refreshInFlight && !m_initRefreshInFlight &&
           !oneShotStatusPending() && !m_previewQueryInFlight;
}

// Connecting -------------------------------------------------------------------------------

void ServerSession::waitThenTryInitRemoteControl(double intervalSeconds)
{
    if (m_initTimer.isActive())
        return;
    m_initTimer.start(secondsToMs(intervalSeconds));
}

bool ServerSession::createRemoteControl()
{
    if (m_services.connect)
        m_client = m_services.connect(m_alerts.get());
    return m_client != nullptr;
}

void ServerSession::tryInitRemoteControl()
{
    // The attempt before is still waiting for its reply.
    if (m_initRefreshInFlight)
        return;
    emit initAttempted();
    if (!m_client && !createRemoteControl()) {
        if (m_failedRemoteControlInits > maxFailedInitsWithoutProcess)
            giveUpConnecting(
                QStringLiteral("RconStartServerFailedTitle"),
                QStringLiteral("Starting up Server failed!"),
                QStringLiteral("RconStartServerFailedMsg"),
                QStringLiteral("Could not find any running game server process. Please check the "
                               "startup string at top of your foremost Terminal window."));
        else
            ++m_failedRemoteControlInits;
        return;
    }
    m_initRefreshInFlight = true;
    RemoteCommands(*m_client, this).refreshStatus(
        RconPacer::Traffic::Command,
        [this](RemoteCommands::Refresh refresh) { initRefreshed(refresh); });
}

void ServerSession::initRefreshed(RemoteCommands::Refresh refresh)
{
    m_initRefreshInFlight = false;
    // Given up or quit meanwhile.
    if (!m_initTimer.isActive())
        return;
    if (refresh == RemoteCommands::Refresh::Refreshed) {
        m_initTimer.stop();
        m_failedRemoteControlInits = 0;
        setState(State::Controlled);
        refreshed(refresh, true);
        return;
    }
    if (m_client->wrongPassword()) {
        m_failedRemoteControlInits = 0;
        m_initTimer.stop();
        emit quitRequested();
        return;
    }
    if (m_failedRemoteControlInits > maxFailedInitsWithoutReply)
        giveUpConnecting(
            QStringLiteral("RconCommFailureTitle"),
            QStringLiteral("Game server communication failure!"),
            QStringLiteral("RconCommFailureMsg"),
            QStringLiteral("Unable to set up a communication channel with your Quake3 server "
                           "application. Please copy the complete log text of your foremost "
                           "Terminal window."));
    else
        ++m_failedRemoteControlInits;
}

void ServerSession::giveUpConnecting(const QString& titleKey, const QString& title,
                                     const QString& msgKey, const QString& msg)
{
    m_failedRemoteControlInits = 0;
    m_initTimer.stop();
    // Where to look, rather than where to write: the server's own output says why.
    QString message = rconCommText(msgKey, msg);
    if (!m_services.outputLocation.isEmpty())
        message += QLatin1Char(' ') + rconCommText(QStringLiteral("RconServerOutputIn"),
                                                   QStringLiteral("The server's output is in %@."),
                                                   {m_services.outputLocation});
    const QPointer<ServerSession> self(this);
    emit quitRequested();
    if (self)
        emit alertRaised(rconCommText(titleKey, title), message);
}

// Status -------------------------------------------------------------------------------------

void ServerSession::updateRemoteControlStatus(bool complete, RconPacer::Traffic traffic)
{
    if (!m_client || m_refreshInFlight)
        return;
    m_refreshInFlight = true;
    RemoteCommands(*m_client, this).refreshStatus(traffic, [this, complete](auto refresh) {
        m_refreshInFlight = false;
        refreshed(refresh, complete);
    });
}

void ServerSession::refreshed(RemoteCommands::Refresh refresh, bool complete)
{
    if (refresh != RemoteCommands::Refresh::Refreshed)
        return;
    if (complete) {
        m_client->setServerNameFromConfig(m_client->rconServerConfig().serverName());
        loadLimits();
    }
    emit progressStopped();
    emit statusRefreshed();
}

void ServerSession::loadLimits()
{
    if (!m_client || m_client->runningServerConfigName().isEmpty())
        return;
    const ServerConfig& running = m_client->rconServerConfig();
    m_client->setFragLimit(running.fragLimit());
    m_client->setTimeLimit(running.timeLimit());
    m_client->setCaptureLimit(running.captureLimit());
    m_client->setMaxPlayers(running.maxPlayers());
    emit limitsLoaded();
}

void ServerSession::waitThenGetStatus(double delaySeconds, bool complete)
{
    // A refresh already pending takes the later time, and a complete one stays complete.
    const int delayMs = secondsToMs(delaySeconds);
    m_oneStatusComplete = complete || (m_oneStatusTimer.isActive() && m_oneStatusComplete);
    if (!m_oneStatusTimer.isActive() || m_oneStatusTimer.remainingTime() < delayMs)
        m_oneStatusTimer.start(delayMs);
}

void ServerSession::oneShotStatusFired()
{
    updateRemoteControlStatus(std::exchange(m_oneStatusComplete, false));
}

void ServerSession::automaticStatusTick()
{
    // A refresh is pending or shown meanwhile; under the rate limit the poll gives way.
    if (!oneShotStatusPending() && !m_previewShown)
        updateRemoteControlStatus(false, RconPacer::Traffic::Poll);
}

void ServerSession::setAutomaticStatus(bool on, int seconds)
{
    if (!on) {
        m_automaticOn = false;
        m_statusTimer.stop();
        emit automaticStatusChanged(false);
        return;
    }
    if (!connected()) {
        emit automaticStatusChanged(false);
        return;
    }
    // The first refresh at once: a turned-down password quits instead of polling.
    m_automaticSeconds = std::max(1, seconds);
    m_automaticOn = true;
    m_refreshInFlight = true;
    RemoteCommands(*m_client, this).refreshStatus(RconPacer::Traffic::Command, [this](auto refresh) {
        m_refreshInFlight = false;
        if (!m_automaticOn)
            return;
        if (m_client->wrongPassword()) {
            m_automaticOn = false;
            emit automaticStatusChanged(false);
            emit quitRequested();
            return;
        }
        refreshed(refresh, false);
        m_statusTimer.start(m_automaticSeconds * 1000);
    });
    emit automaticStatusChanged(true);
}

QString ServerSession::serverName() const
{
    return m_client ? m_client->serverName() : QString();
}

QList<PlayerStatus> ServerSession::players() const
{
    return m_client ? m_client->playersStatus().value_or(QList<PlayerStatus>()) : QList<PlayerStatus>();
}

QString ServerSession::shownMap() const
{
    if (!m_client)
        return RemoteControl::unknownMap;
    return m_previewShown ? m_client->nextMap() : m_client->currentMap();
}

void ServerSession::setResponse(const QString& response)
{
    m_response = response;
    emit responseChanged(response);
}

// Commands -----------------------------------------------------------------------------------

void ServerSession::run(const std::function<void(RemoteCommands&, RemoteCommands::Done)>& command,
                        std::optional<Progress> progress)
{
    if (!m_client)
        return;
    if (progress)
        emit progressStarted(*progress);
    RemoteCommands commands(*m_client, this);
    command(commands, [this, progress](const RemoteCommands::Sent& result) {
        finished(result, progress);
    });
}

void ServerSession::finished(const RemoteCommands::Sent& result, std::optional<Progress> progress)
{
    if (!result.refusal.isEmpty())
        setResponse(result.refusal);
    else if (result.sent && result.visible)
        setResponse(result.replies.join(QString()));
    if (result.wrongPassword) {
        emit quitRequested();
        return;
    }
    if (!result.sent) {
        if (progress)
            emit progressStopped();
        return;
    }
    using Kind = RemoteCommands::FollowUp::Kind;
    switch (result.followUp.kind) {
    case Kind::OneShotStatus:
        waitThenGetStatus(result.followUp.delaySeconds, result.followUp.complete);
        break;
    case Kind::DisablePane:
    case Kind::None:
        if (progress)
            emit progressStopped();
        break;
    }
}

void ServerSession::sendCommand(const QString& text)
{
    run([text](RemoteCommands& commands, auto done) { commands.freeCommand(text, done); });
}

void ServerSession::say(const QString& text)
{
    run([text](RemoteCommands& commands, auto done) { commands.say(text, done); });
}

void ServerSession::kick(int slot)
{
    run([slot](RemoteCommands& commands, auto done) { commands.kick(slot, done); });
}

void ServerSession::dumpUser(int slot)
{
    run([slot](RemoteCommands& commands, auto done) { commands.dumpUser(slot, done); });
}

void ServerSession::restartMap()
{
    run([](RemoteCommands& commands, auto done) { commands.restartMap(done); },
        Progress::RestartMap);
}

void ServerSession::changeToNextMap()
{
    run([](RemoteCommands& commands, auto done) { commands.changeToNextMap(done); },
        Progress::NextMap);
}

void ServerSession::changeLimit(RemoteCommands::LimitType type, int value)
{
    run([type, value](RemoteCommands& commands, auto done) {
        commands.changeLimit(type, value, done);
    });
}

void ServerSession::addBots(const QStringList& bots, int skill, RemoteCommands::Team team)
{
    // Each bot's reply replaces the last one as it comes.
    run(
        [this, bots, skill, team](RemoteCommands& commands, auto done) {
            commands.addBots(bots, skill, team,
                             [this](const QString& reply) { setResponse(reply); }, done);
        },
        Progress::AddBot);
}

void ServerSession::runConfig(const ServerConfig& config, const QString& gameRoot)
{
    const QString oldName = m_configName;
    run([this, config, gameRoot, oldName](RemoteCommands& commands, auto done) {
        commands.runConfig(config, gameRoot, [this, oldName, done](const RemoteCommands::Sent& result) {
            if (result.sent && m_client) {
                m_configName = m_client->runningServerConfigName();
                loadLimits();
                if (m_configName != oldName)
                    emit configNameChanged(oldName, m_configName);
            }
            done(result);
        });
    });
}

// The preview --------------------------------------------------------------------------------

void ServerSession::holdPreview()
{
    m_previewHeld = true;
    // One query per hold.
    if (!m_client || m_client->wrongPassword() || m_previewShown || m_previewQueryInFlight)
        return;
    m_previewQueryInFlight = true;
    RemoteCommands(*m_client, this).previewNextMap([this](bool read) {
        m_previewQueryInFlight = false;
        // Not read: the next repeated action asks again. Released meanwhile: nothing to show.
        if (!read || !m_previewHeld)
            return;
        m_previewShown = true;
        emit shownMapChanged();
    });
}

void ServerSession::releasePreview()
{
    m_previewHeld = false;
    if (!m_previewShown)
        return;
    m_previewShown = false;
    emit shownMapChanged();
}

// Ending -------------------------------------------------------------------------------------

void ServerSession::stopTimers()
{
    m_automaticOn = false;
    m_initTimer.stop();
    m_statusTimer.stop();
    m_oneStatusTimer.stop();
}

void ServerSession::quitOverRcon(std::function<void()> then)
{
    stopTimers();
    // Asked over the console only where that can work: the server answered with our password.
    if (!m_client || m_client->wrongPassword() ||
        m_client->serverStatus() == m_client->serverNoResponse()) {
        then();
        return;
    }
    RemoteCommands(*m_client, this).quit([then](const RemoteCommands::Sent&) { then(); });
}

void ServerSession::release()
{
    stopTimers();
    m_client.reset();
    m_refreshInFlight = false;
    m_initRefreshInFlight = false;
    m_previewQueryInFlight = false;
    m_previewShown = false;
    emit progressStopped();
}

void ServerSession::reconnect()
{
    release();
    if (m_state == State::Uncontrolled)
        return;
    m_failedRemoteControlInits = 0;
    setState(State::Connecting);
    waitThenTryInitRemoteControl();
}
