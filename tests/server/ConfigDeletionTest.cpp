#include "server/ConfigDeletion.h"

#include "config/ConfigStore.h"
#include "server/ConfigFiles.h"
#include "server/RunningServer.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

ServerConfig configNamed(const QString& name, const QString& mod = QStringLiteral("baseq3"))
{
    ServerConfig config;
    config.setConfigName(name);
    config.setModName(mod);
    config.setMapList({QStringLiteral("oa_dm1")});
    return config;
}

QString writtenServerFile(const ServerConfig& config)
{
    ConfigFiles files(GamePaths(QString(), config.modName()));
    EXPECT_TRUE(files.saveConfigToFile(config, true).ok());
    return files.configFileWithPathReplacedSpaces(config.configName());
}

bool storedOnDisk(const QString& name)
{
    ConfigStore store;
    store.load();
    return store.contains(name);
}

} // namespace

TEST(ConfigDeletion, TheServerFileGoesOnlyOnceTheStoreIsSavedWithoutTheConfiguration)
{
    ConfigStore store;
    const ServerConfig arena = configNamed("Team Arena", "missionpack");
    store.insert(configNamed("Kept"));
    store.insert(arena);
    ASSERT_TRUE(store.save().ok());
    const QString serverFile = writtenServerFile(arena);

    // The store cannot be written: the configuration stays, in memory and on disk, with its
    // server file, and the reason is told.
    ASSERT_TRUE(QFile::remove(ConfigStore::storePath()));
    ASSERT_TRUE(QDir().mkpath(ConfigStore::storePath() + "/in-the-way"));
    const ConfigDeletion::Outcome unsaved = ConfigDeletion::deleteConfig(store, "Team Arena", QString());
    EXPECT_EQ(unsaved.kind, ConfigDeletion::Kind::StoreNotSaved);
    EXPECT_FALSE(unsaved.deleted());
    EXPECT_EQ(unsaved.title, "Configurations could not be saved!");
    EXPECT_TRUE(unsaved.message.startsWith("'Team Arena' was not deleted: ")) << unsaved.message.toStdString();
    EXPECT_TRUE(unsaved.message.contains(ConfigStore::storePath())) << unsaved.message.toStdString();
    ASSERT_NE(store.find("Team Arena"), nullptr);
    EXPECT_EQ(*store.find("Team Arena"), arena);
    EXPECT_TRUE(QFile::exists(serverFile));

    ASSERT_TRUE(QDir(ConfigStore::storePath()).removeRecursively());
    const ConfigDeletion::Outcome deleted = ConfigDeletion::deleteConfig(store, "Team Arena", QString());
    EXPECT_EQ(deleted.kind, ConfigDeletion::Kind::Deleted);
    EXPECT_FALSE(storedOnDisk("Team Arena"));
    EXPECT_TRUE(storedOnDisk("Kept"));
    EXPECT_FALSE(QFile::exists(serverFile));
    EXPECT_EQ(ConfigDeletion::deleteConfig(store, "Team Arena", QString()).kind,
              ConfigDeletion::Kind::NotFound);
}

TEST(ConfigDeletion, TheConfigurationTheRecordNamesStaysWhileItsServerRuns)
{
    ConfigStore store;
    const ServerConfig alpha = configNamed("Alpha");
    store.insert(alpha);
    store.insert(configNamed("Beta"));
    ASSERT_TRUE(store.save().ok());
    const QString serverFile = writtenServerFile(alpha);
    // Launched a moment ago, its process not found yet: it counts as running.
    ASSERT_TRUE(RunningServer::record(alpha));

    const ConfigDeletion::Outcome refused = ConfigDeletion::deleteConfig(store, "Alpha", QString());
    EXPECT_EQ(refused.kind, ConfigDeletion::Kind::Running);
    EXPECT_EQ(refused.title, "'Alpha' is running!");
    EXPECT_NE(store.find("Alpha"), nullptr);
    EXPECT_TRUE(storedOnDisk("Alpha"));
    EXPECT_TRUE(QFile::exists(serverFile));

    // Run Config: the server runs Beta now, which stays; Alpha may go.
    ASSERT_TRUE(RunningServer::switchConfiguration(RunningServer::read()->launchToken,
                                                   configNamed("Beta")));
    EXPECT_EQ(ConfigDeletion::deleteConfig(store, "Beta", QString()).kind,
              ConfigDeletion::Kind::Running);
    EXPECT_EQ(ConfigDeletion::deleteConfig(store, "Alpha", QString()).kind,
              ConfigDeletion::Kind::Deleted);
    EXPECT_FALSE(storedOnDisk("Alpha"));
}
