#pragma once

#include <QString>

#include <functional>
#include <memory>

class BotLibrary;
class MapLibrary;
class QProcessCom;
class RconAlerts;
class RconPacer;

// What a RemoteControl takes from the rest of the application. Tests fill in the pieces they
// need; forRunningServer() wires the real ones.
struct RemoteControlServices
{
    // The dedicated server's process id, -1 while none runs. Without it, connecting never
    // waits for a server process.
    std::function<qint32()> serverPid;
    // The map library's name for a map the server reports; empty when the library has none.
    std::function<QString(const QString&)> mapDBNameForServerMap;
    // The map library of the mod current at creation, kept alive by the client, and the bot
    // library made for it.
    std::shared_ptr<MapLibrary> mapLibrary;
    std::shared_ptr<BotLibrary> botLibrary;
    // Where the wrong-password alert goes; none: the alert is only noted in wrongPassword.
    RconAlerts* alerts = nullptr;
    // Paces every request to the server; none: a pacer that shares its count with every
    // other client of the same server, in this process and others, through the user's
    // ledger (RconPacer::shared with RconPacer::defaultLedgerPath()).
    std::shared_ptr<RconPacer> pacer;
    // The launch of ours whose server the client speaks to; empty for any other server.
    QString launchToken;

    // The services of a client of the server the application started: the process id from
    // a copy of probe, map names from mapLibrary (which may be null: no names then), a new
    // bot library of the map library's mod, and alerts (which must outlive the client).
    static RemoteControlServices forRunningServer(const QProcessCom& probe,
                                                  std::shared_ptr<MapLibrary> mapLibrary,
                                                  RconAlerts* alerts = nullptr);
    // The same for the server of one launch of ours as its record names it
    // (ServerLauncher::runningServer(launchToken)): only that process counts as the server,
    // whatever else of the same executable runs, and Run Config switches that record.
    static RemoteControlServices forLaunch(const QString& launchToken,
                                           std::shared_ptr<MapLibrary> mapLibrary,
                                           RconAlerts* alerts = nullptr);

    // The library's name for a map the server reports: the map of that very name (in any
    // case) when the library has one, else the first whose name contains it; empty when none.
    static QString libraryNameForServerMap(const MapLibrary& library, const QString& serverMap);
};
