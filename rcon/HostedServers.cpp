#include "rcon/HostedServers.h"

#include "config/CommonData.h"
#include "config/ServerConfig.h"
#include "config/StringTable.h"
#include "content/MapLibrary.h"
#include "format/Logging.h"
#include "rcon/RemoteControl.h"
#include "rcon/RemoteControlServices.h"
#include "rcon/ServerWatch.h"
#include "server/ProcessWatcher.h"
#include "server/ServerLauncher.h"
#include "server/ServerLog.h"
#include "server/ServiceHost.h"

#include <QPointer>
#include <QTimer>

namespace {

QString modOf(const ServerConfig& config)
{
    return CommonData::modDirOrDefault(config.modName());
}

// How many lines of its log the alert of a service given up shows.
constexpr int lastLogLineCount = 8;

// How often a server still starting is looked for.
constexpr int startingCheckMs = 250;
// How long a quit waits for a server still starting to be found.
constexpr int startWaitMs = 10000;
// How long a signalled server may take to end before the quit is given up.
constexpr int stopTimeoutMs = 15000;

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
    const Result<RunningServer::Record> started = ServerLauncher::start(config, gameRoot);
    if (!started.ok())
        return Result<ServerSession*>::failure(started.error);
    return Result<ServerSession*>::success(follow(started.value));
}

bool HostedServers::follows(const QString& launchToken) const
{
    return std::any_of(m_hosted.cbegin(), m_hosted.cend(),
                       [&](const Hosted& hosted) { return hosted.launchToken == launchToken; });
}

void HostedServers::adoptRunningServers()
{
    for (const RunningServer::Record& record : ServerLauncher::runningServers())
        if (!follows(record.launchToken))
            follow(record);
}

ServerSession* HostedServers::follow(const RunningServer::Record& record)
{
    const ServerConfig& config = record.config;
    const bool controllable = !config.rconPassword().isEmpty();
    const QString token = record.launchToken;
    ServerSession::Services services;
    const std::shared_ptr<MapLibrary> library =
        m_mapLibraryFor ? m_mapLibraryFor(modOf(config)) : nullptr;
    services.connect = [library, token](RconAlerts* alerts) -> std::unique_ptr<RemoteControl> {
        // The server as its launch's record names it, whatever the editor shows now.
        const std::optional<RunningServer::Record> running = ServerLauncher::runningServer(token);
        if (!running)
            return nullptr;
        return RemoteControl::create(running->config,
                                     RemoteControlServices::forLaunch(token, library, alerts));
    };
    services.outputLocation = record.logFile;
    auto* session = new ServerSession(config.configName(),
                                      controllable ? ServerSession::State::Connecting
                                                   : ServerSession::State::Uncontrolled,
                                      std::move(services), this);
    m_sessions.append(session);
    m_watches.insert(session, new ServerWatch(config, session));
    m_hosted.insert(session, {token, config.serverPort(), record.startedAt, record.unitName,
                              record.logFile, ServiceHost::restartNote(record)});
    // Given up or turned down: a server not found by then is not waited for any longer.
    connect(session, &ServerSession::quitRequested, this,
            [this, session] { quit(session, false); });
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

void HostedServers::quit(ServerSession* session, bool waitForStart)
{
    if (!m_sessions.contains(session) || m_quitting.contains(session))
        return;
    m_quitting.append(session);
    emit sessionChanged(session);
    const QPointer<ServerSession> held(session);
    const QDeadlineTimer startWait(waitForStart ? startWaitMs : 0);
    session->quitOverRcon([this, held, startWait] {
        if (held)
            stopWhenFound(held, startWait);
    });
}

void HostedServers::quitNow(ServerSession* session)
{
    if (!m_sessions.contains(session))
        return;
    const QString token = m_hosted.value(session).launchToken;
    session->release();
    // The application is going: the server gets its signal now, and ends by itself.
    ServerLauncher::stop(token, 0);
    remove(session, false);
}

void HostedServers::stopTimers()
{
    for (ServerSession* session : std::as_const(m_sessions))
        session->stopTimers();
}

void HostedServers::stopWhenFound(ServerSession* session, QDeadlineTimer startWait)
{
    const QString token = m_hosted.value(session).launchToken;
    const std::optional<RunningServer::Record> record = ServerLauncher::runningServer(token);
    if (!record) {
        remove(session, false);
        return;
    }
    // A server still starting is stopped once it is found (or its record goes, when it
    // never appears): signalled before, it could not be told from another process.
    if (!record->serverFound() && !startWait.hasExpired()) {
        QTimer::singleShot(startingCheckMs, session,
                           [this, session, startWait] { stopWhenFound(session, startWait); });
        return;
    }
    const ServerLauncher::StopResult stopped = ServerLauncher::stop(token, 0);
    if (!stopped.stillRunning) {
        remove(session, false);
        return;
    }
    // Signalled; the watcher of its end finishes the quit, unless it does not end.
    session->release();
    QTimer::singleShot(stopTimeoutMs, session, [this, session] { stopGivenUp(session); });
}

void HostedServers::stopGivenUp(ServerSession* session)
{
    if (!m_quitting.removeOne(session))
        return;
    // Still ours, and still recorded: the window goes on showing it.
    qCWarning(lcRcon, "The server of '%s' did not end after its terminate signal.",
              qPrintable(session->configName()));
    session->reconnect();
    emit sessionChanged(session);
    emit session->alertRaised(
        rconCommText(QStringLiteral("ServerNotStoppedTitle"),
                     QStringLiteral("The server of '%@' did not stop!"), {session->configName()}),
        rconCommText(QStringLiteral("ServerNotStoppedMsg"),
                     QStringLiteral("It was sent the terminate signal and still runs. It stays "
                                    "under Voranth's watch; Quit it again, or end it with the "
                                    "system's tools.")));
}

void HostedServers::remove(ServerSession* session, bool unexpectedly)
{
    if (!m_sessions.removeOne(session))
        return;
    m_quitting.removeOne(session);
    m_hosted.remove(session);
    m_watches.remove(session);
    const QString name = session->configName();
    session->release();
    session->deleteLater();
    emit sessionRemoved(name, unexpectedly);
}

void HostedServers::watchForEnd(ServerSession* session)
{
    const std::optional<RunningServer::Record> record =
        ServerLauncher::runningServer(m_hosted.value(session).launchToken);
    if (!record) {
        serverGone(session);
        return;
    }
    const std::optional<ProcessIdentity> process = record->serverProcess();
    // Until the server is found, the look for it goes on every so often.
    if (!process) {
        QTimer::singleShot(startingCheckMs, session, [this, session] { watchForEnd(session); });
        return;
    }
    auto* watcher = new ProcessWatcher(*process, session);
    connect(watcher, &ProcessWatcher::ended, this, [this, session] { serverEnded(session); });
    Hosted& hosted = m_hosted[session];
    if (const QString note = ServiceHost::restartNote(*record); note != hosted.restartNote) {
        hosted.restartNote = note;
        emit sessionChanged(session);
        // Restarted: the new process listens already, so the remote control need not wait
        // for its next attempt.
        if (session->connecting())
            session->tryInitRemoteControl();
    }
}

void HostedServers::serverEnded(ServerSession* session)
{
    const bool expected = m_quitting.contains(session);
    // The record of an ended server goes with its configuration file; a service's stays while
    // the manager restarts it, and the session follows the new process.
    const std::optional<RunningServer::Record> record =
        ServerLauncher::runningServer(m_hosted.value(session).launchToken);
    if (!expected && record && record->hostedAsService()) {
        session->reconnect();
        emit sessionChanged(session);
        watchForEnd(session);
        return;
    }
    if (expected)
        remove(session, false);
    else
        serverGone(session);
}

void HostedServers::serverGone(ServerSession* session)
{
    const bool expected = m_quitting.contains(session);
    const Hosted hosted = m_hosted.value(session);
    const QString name = session->configName();
    bool gaveUp = false;
    if (!expected && !hosted.unitName.isEmpty())
        for (const RunningServer::Record& failed : ServerLauncher::failedServices())
            gaveUp = gaveUp || failed.launchToken == hosted.launchToken;
    remove(session, !expected);
    if (gaveUp)
        emit serviceGaveUp(name, hosted.logFile,
                           ServerLog::lastLines(hosted.logFile, lastLogLineCount));
}
