#include "rcon/HostedServers.h"

#include "config/CommonData.h"
#include "config/ServerConfig.h"
#include "content/MapLibrary.h"
#include "format/Logging.h"
#include "rcon/RemoteControl.h"
#include "rcon/RemoteControlServices.h"
#include "server/ServerLauncher.h"
#include "server/TerminalLauncher.h"

#include <QPointer>
#include <QTimer>

namespace {


QString modOf(const ServerConfig& config)
{
    return config.modName().isEmpty() ? CommonData::qGameDefaultModDir() : config.modName();
}

QString outputLocation()
{
    return TerminalLauncher::chosenTerminal().isEmpty() ? TerminalLauncher::serverLogFile()
                                                        : QString();
}

} // namespace

HostedServers::HostedServers(MapLibraryFor mapLibraryFor, QObject* parent)
    : QObject(parent), m_mapLibraryFor(std::move(mapLibraryFor))
{}

HostedServers::~HostedServers() = default;

ServerSession* HostedServers::session(const QString& configName) const
{
    for (ServerSession* session : m_sessions)
        if (session->configName() == configName)
            return session;
    return nullptr;
}

bool HostedServers::anyControlled() const
{
    return std::any_of(m_sessions.cbegin(), m_sessions.cend(), [](const ServerSession* session) {
        return session->state() == ServerSession::State::Controlled;
    });
}

bool HostedServers::quitting(const ServerSession* session) const
{
    return m_quitting.contains(session);
}

Result<ServerSession*> HostedServers::start(const ServerConfig& config, const QString& gameRoot)
{
    const Result<void> started = ServerLauncher::start(config, gameRoot);
    if (!started.ok())
        return Result<ServerSession*>::failure(started.error);
    return Result<ServerSession*>::success(follow(config));
}

void HostedServers::adoptRunningServers()
{
    const std::optional<RunningServer::Record> running = ServerLauncher::runningServer();
    if (running && !session(running->config.configName()))
        follow(running->config);
}

ServerSession* HostedServers::follow(const ServerConfig& config)
{
    const bool controllable = !config.rconPassword().isEmpty();
    ServerSession::Services services;
    const std::shared_ptr<MapLibrary> library =
        m_mapLibraryFor ? m_mapLibraryFor(modOf(config)) : nullptr;
    services.connect = [library](RconAlerts* alerts) -> std::unique_ptr<RemoteControl> {
        // The server as the launcher recorded it, whatever the editor shows now.
        const std::optional<RunningServer::Record> record = ServerLauncher::runningServer();
        if (!record)
            return nullptr;
        return RemoteControl::create(record->config,
                                     RemoteControlServices::forRecordedServer(library, alerts));
    };
    services.outputLocation = outputLocation();
    auto* session = new ServerSession(config.configName(),
                                      controllable ? ServerSession::State::Connecting
                                                   : ServerSession::State::Uncontrolled,
                                      std::move(services), this);
    m_sessions.append(session);
    connect(session, &ServerSession::quitRequested, this, [this, session] { quit(session); });
    connect(session, &ServerSession::stateChanged, this,
            [this, session] { emit sessionChanged(session); });
    connect(session, &ServerSession::configNameChanged, this,
            [this, session] { emit sessionChanged(session); });
    if (controllable)
        session->waitThenTryInitRemoteControl();
    watchForEnd(session);
    emit sessionAdded(session);
    return session;
}

void HostedServers::quit(ServerSession* session)
{
    if (!m_sessions.contains(session) || m_quitting.contains(session))
        return;
    m_quitting.append(session);
    emit sessionChanged(session);
    const QPointer<ServerSession> held(session);
    session->quitOverRcon([this, held] {
        if (held)
            stopProcess(held);
    });
}

void HostedServers::quitNow(ServerSession* session)
{
    if (!m_sessions.contains(session))
        return;
    session->release();
    stopProcess(session);
}

void HostedServers::stopTimers()
{
    for (ServerSession* session : std::as_const(m_sessions))
        session->stopTimers();
}

void HostedServers::stopProcess(ServerSession* session)
{
    const ServerLauncher::StopResult stopped = ServerLauncher::stop();
    if (stopped.stillRunning)
        qCWarning(lcRcon, "The server could not be stopped.");
    session->release();
    remove(session, false);
}

void HostedServers::remove(ServerSession* session, bool unexpectedly)
{
    if (!m_sessions.removeOne(session))
        return;
    m_quitting.removeOne(session);
    const QString name = session->configName();
    session->release();
    session->deleteLater();
    emit sessionRemoved(name, unexpectedly);
}

void HostedServers::watchForEnd(ServerSession* session)
{
    auto* timer = new QTimer(session);
    connect(timer, &QTimer::timeout, this, [this, session] {
        if (!m_quitting.contains(session) && !ServerLauncher::runningServer())
            remove(session, true);
    });
    timer->start(1000);
}
