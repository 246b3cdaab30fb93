#include "support/StoreSeeds.h"

#include "config/CommonData.h"
#include "config/ConfigStore.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace StoreSeeds {

ServerConfig record(const QString& name, const QString& mod)
{
    ServerConfig config;
    config.setConfigName(name);
    config.setModName(mod);
    return config;
}

void seed(const QList<ServerConfig>& records)
{
    ConfigStore store;
    store.load();
    for (const ServerConfig& config : records)
        store.insert(config);
    ASSERT_TRUE(store.save().ok());
}

void seedNames(const QStringList& names)
{
    QList<ServerConfig> records;
    for (const QString& name : names)
        records.append(record(name));
    seed(records);
}

void writeBaseGameDatabase()
{
    const QString dir = CommonData::appSupportQ3VXDir() + "/baseq3";
    QDir().mkpath(dir);
    QFile file(dir + "/VOArenas.plist");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("(\n"
               "{ map = q3dm1; longname = \"Arena Gate\"; type = \"ffa tourney\"; },\n"
               "{ map = q3dm17; longname = \"The Longest Yard\"; type = \"ffa\"; },\n"
               "{ map = q3ctf1; longname = \"Dueling Keeps\"; type = \"ctf\"; },\n"
               "{ map = q3tourney2; longname = \"The Proving Grounds\"; type = tourney; }\n"
               ")\n");
}

} // namespace StoreSeeds
