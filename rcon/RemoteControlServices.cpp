#include "rcon/RemoteControlServices.h"

#include "content/BotLibrary.h"
#include "content/MapLibrary.h"
#include "server/QProcessCom.h"
#include "server/ServerLauncher.h"

RemoteControlServices
RemoteControlServices::forRunningServer(const QProcessCom& probe,
                                        std::shared_ptr<MapLibrary> mapLibrary, RconAlerts* alerts)
{
    RemoteControlServices services;
    services.serverPid = [probe] {
        return probe.serverPid();
    };
    if (mapLibrary) {
        // A weak reference: the services are kept by the client, which also keeps the library.
        std::weak_ptr<MapLibrary> library = mapLibrary;
        services.mapDBNameForServerMap = [library](const QString& serverMap) {
            const std::shared_ptr<MapLibrary> held = library.lock();
            return held ? libraryNameForServerMap(*held, serverMap) : QString();
        };
    }
    services.botLibrary =
        std::make_shared<BotLibrary>(mapLibrary ? mapLibrary->paths() : GamePaths());
    services.mapLibrary = std::move(mapLibrary);
    services.alerts = alerts;
    return services;
}

RemoteControlServices RemoteControlServices::forLaunch(const QString& launchToken,
                                                       std::shared_ptr<MapLibrary> mapLibrary,
                                                       RconAlerts* alerts)
{
    RemoteControlServices services = forRunningServer(QProcessCom(), std::move(mapLibrary), alerts);
    services.serverPid = [launchToken] {
        return ServerLauncher::serverPid(launchToken);
    };
    services.launchToken = launchToken;
    return services;
}

QString RemoteControlServices::libraryNameForServerMap(const MapLibrary& library,
                                                       const QString& serverMap)
{
    if (serverMap.isEmpty())
        return QString();
    // A server reports the map as it was asked for; "oa_dm1" must not become "oa_dm10" just
    // because that one comes first in the library.
    for (const QString& key : library.mapLibraryKeys())
        if (key.compare(serverMap, Qt::CaseInsensitive) == 0)
            return key;
    return library.mapDBNameForServerMap(serverMap).value_or(QString());
}
