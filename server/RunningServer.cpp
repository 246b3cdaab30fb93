#include "server/RunningServer.h"

#include "config/CommonData.h"
#include "config/ConfigArchive.h"
#include "config/DataDirectory.h"

#include <QFile>

QString RunningServer::recordPath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/RunningServer.kzvr");
}

bool RunningServer::record(const ServerConfig& config)
{
    if (!DataDirectory::prepare().ok())
        return false;
    ConfigArchive::Store store;
    store.insert(config.configName(), config);
    return ConfigArchive::write(recordPath(), store).ok();
}

std::optional<ServerConfig> RunningServer::running()
{
    if (!QFile::exists(recordPath()))
        return std::nullopt;
    const Result<ConfigArchive::Store> store = ConfigArchive::read(recordPath());
    if (!store.ok() || store.value.size() != 1)
        return std::nullopt;
    return store.value.first();
}

void RunningServer::clear()
{
    QFile::remove(recordPath());
}
