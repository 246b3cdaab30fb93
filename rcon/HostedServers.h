#pragma once

#include "format/Result.h"
#include "rcon/ServerSession.h"
#include "server/RunningServer.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class MapLibrary;
class ServerWatch;
class ServerConfig;

// The servers of ours that run, each with its session: started here or found running when the
// window opened, quit here or ended by themselves. A session is known by the name of the
// configuration its server runs.
class HostedServers : public QObject
{
    Q_OBJECT
public:
    // The map library of a mod, shared with whoever else shows it.
    using MapLibraryFor = std::function<std::shared_ptr<MapLibrary>(const QString& mod)>;

    explicit HostedServers(MapLibraryFor mapLibraryFor, QObject* parent = nullptr);
    ~HostedServers() override;

    // What the window shows of a server besides its session.
    struct Hosted
    {
        QString launchToken;
        quint16 port = 0;
        QDateTime startedAt;
        // The user service that hosts it, empty in a terminal.
        QString unitName;
        // Where its output goes, empty when a terminal shows it.
        QString logFile;
        // What the service manager's restarts of it come to, empty while there were none.
        QString restartNote;
    };

    // The session of the server that runs the configuration; none when it does not run.
    ServerSession* session(const QString& configName) const;
    const QList<ServerSession*>& sessions() const { return m_sessions; }
    Hosted hosted(const ServerSession* session) const { return m_hosted.value(session); }
    // What the session's server tells anyone, and its player history.
    ServerWatch* watch(const ServerSession* session) const { return m_watches.value(session); }
    bool anyControlled() const;

    // Starts the server of config (the caller has checked it can start) and follows it:
    // connecting when it has a remote-control password, else only running.
    Result<ServerSession*> start(const ServerConfig& config, const QString& gameRoot);
    // Follows every server of ours that still runs (a window opened while servers ran).
    void adoptRunningServers();
    // Quits the server: over its remote console where that can work, then its process; the
    // session goes once the process has ended (sessionRemoved). A server still starting is
    // waited for a while (it can be signalled only once it is found) unless waitForStart is
    // false: then a server not found yet is forgotten at once.
    void quit(ServerSession* session, bool waitForStart = true);
    bool quitting(const ServerSession* session) const;
    // Quits the server's process at once, without asking its console first (the application
    // is going); the session goes.
    void quitNow(ServerSession* session);
    // Stops every session's timers (the application is going).
    void stopTimers();

signals:
    void sessionAdded(ServerSession* session);
    // The session is gone: quit, or its server ended by itself (unexpectedly).
    void sessionRemoved(const QString& configName, bool unexpectedly);
    // A session's state or running configuration changed, or its server was restarted.
    void sessionChanged(ServerSession* session);
    // The service manager gave up restarting the server of a session that is gone now; the
    // last lines of its log.
    void serviceGaveUp(const QString& configName, const QString& logFile,
                       const QStringList& lastLogLines);

private:
    ServerSession* follow(const RunningServer::Record& record);
    bool follows(const QString& launchToken) const;
    void stopWhenFound(ServerSession* session, QDeadlineTimer startWait);
    void stopGivenUp(ServerSession* session);
    void remove(ServerSession* session, bool unexpectedly);
    // Notices the end of the session's server without asking it anything.
    void watchForEnd(ServerSession* session);
    void serverEnded(ServerSession* session);
    // The session's server is gone for good: the session goes, saying so when the service
    // manager gave up on it.
    void serverGone(ServerSession* session);

    MapLibraryFor m_mapLibraryFor;
    QList<ServerSession*> m_sessions;
    QList<const ServerSession*> m_quitting;
    QHash<const ServerSession*, Hosted> m_hosted;
    QHash<const ServerSession*, ServerWatch*> m_watches;
};
