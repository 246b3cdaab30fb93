#include "config/ConfigStore.h"
#include "config/CommonData.h"
#include "config/StoreLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>

namespace {

ServerConfig named(const QString& name)
{
    ServerConfig record;
    record.setConfigName(name);
    return record;
}

ConfigStore storeWith(const QStringList& names)
{
    ConfigStore store;
    for (const QString& name : names)
        store.insert(named(name));
    return store;
}

} // namespace

TEST(ConfigStore, DuplicateNamesCountOnFromTheBase)
{
    struct Case
    {
        QStringList existing;
        QString name;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {{"Server"}, "Server", "Server 2"},
        {{"Server", "Server 2"}, "Server 2", "Server 3"},
        {{"Server", "Server 2", "Server 3"}, "Server 2", "Server 4"},
        {{"CTF 5"}, "CTF 5", "CTF 2"},
        {{"Server 0"}, "Server 0", "Server 0 2"},
        {{"Server x1"}, "Server x1", "Server x1 2"},
        {{"Server 3rd"}, "Server 3rd", "Server 2"},
        {{"7"}, "7", " 2"},
        {{"Big  Server 4"}, "Big  Server 4", "Big  Server 2"},
        {{"Huge 99999999999999999999"}, "Huge 99999999999999999999", "Huge 2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(storeWith(c.existing).duplicateNameFor(c.name), c.expected)
            << c.name.toStdString();

    QStringList full{"Map"};
    for (int n = 2; n <= 99; ++n)
        full.append(QStringLiteral("Map %1").arg(n));
    EXPECT_FALSE(storeWith(full).duplicateNameFor("Map").has_value());
}

TEST(ConfigStore, SavesAndLoadsEveryRecord)
{
    ConfigStore store = storeWith({"beta", "Alpha", "gamma"});
    store.find("beta")->addMap("q3dm17");
    ASSERT_TRUE(store.save().ok());
    ConfigStore loaded;
    loaded.load();
    EXPECT_EQ(loaded.sortedKeysCaseInsensitive(), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(loaded.find("beta")->mapList(), QStringList{"q3dm17"});
    EXPECT_TRUE(loaded.movedAsidePath().isEmpty());
}

TEST(ConfigStore, AMissingStoreIsEmpty)
{
    ConfigStore store;
    store.load();
    EXPECT_TRUE(store.serverConfigDict().isEmpty());
    EXPECT_TRUE(store.movedAsidePath().isEmpty());
    EXPECT_TRUE(store.loadError().isEmpty());
}

TEST(ConfigStore, AnUnreadableStoreIsKeptAsideNotOverwritten)
{
    QDir().mkpath(CommonData::appSupportQ3VXDir());
    QFile damaged(ConfigStore::storePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a configuration archive at all");
    damaged.close();

    ConfigStore store;
    store.load();
    EXPECT_TRUE(store.serverConfigDict().isEmpty());
    EXPECT_FALSE(store.loadError().isEmpty());
    ASSERT_FALSE(store.movedAsidePath().isEmpty());
    EXPECT_TRUE(store.movedAsidePath().contains("ServerConfigs-unreadable-"));
    QFile aside(store.movedAsidePath());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), "not a configuration archive at all");

    store.insert(named("fresh"));
    ASSERT_TRUE(store.save().ok());
    ConfigStore reloaded;
    reloaded.load();
    EXPECT_TRUE(reloaded.contains("fresh"));
    EXPECT_TRUE(QFile::exists(store.movedAsidePath()));
}

TEST(StoreLock, OneHolderAtATime)
{
    StoreLock first;
    ASSERT_TRUE(first.tryLock());
    StoreLock second;
    EXPECT_FALSE(second.tryLock());
    EXPECT_EQ(second.holderPid(), QCoreApplication::applicationPid());
    first.unlock();
    EXPECT_TRUE(second.tryLock());
}

TEST(StoreLock, ALockLeftByADeadProcessIsTakenOver)
{
    QDir().mkpath(CommonData::appSupportQ3VXDir());
    QFile stale(StoreLock::lockPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    // The lock file format: pid, application name, host name.
    stale.write("2147483000\nvoranth\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    StoreLock lock;
    EXPECT_TRUE(lock.tryLock());
}
