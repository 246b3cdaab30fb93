#include "config/ConfigStore.h"
#include "config/CommonData.h"
#include "config/ConfigFileName.h"
#include "config/SettingsKeys.h"
#include "config/StoreLock.h"
#include "config/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>

namespace {

ServerConfig named(const QString& name, const QString& mod = QStringLiteral("baseq3"))
{
    ServerConfig record;
    record.setConfigName(name);
    record.setModName(mod);
    return record;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeStoreFile(const QByteArray& bytes)
{
    QDir().mkpath(CommonData::appSupportQ3VXDir());
    QFile file(ConfigStore::storePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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

TEST(ConfigStore, NamesWhoseFileTheServerCannotRunOrAnotherHasAreRefused)
{
    ConfigStore store = storeWith({"a_b", "Taken"});
    store.insert(named("c d", "missionpack"));

    const QString friday = "Friday Night Capture The Flag Server For Friends And Family";
    const ConfigStore::Outcome tooLong = store.checkName(friday, "baseq3");
    EXPECT_EQ(tooLong.refusal, ConfigStore::Refusal::FileNameTooLong);
    EXPECT_TRUE(tooLong.message.contains("63")) << tooLong.message.toStdString();
    EXPECT_TRUE(tooLong.message.contains("VO_Friday_Night")) << tooLong.message.toStdString();
    EXPECT_FALSE(tooLong.title.isEmpty());

    for (const char* name : {"a b", "a/b", "a\\b", "a\"b", "a\nb"}) {
        const ConfigStore::Outcome shared = store.checkName(name, "baseq3");
        EXPECT_EQ(shared.refusal, ConfigStore::Refusal::FileNameShared) << name;
        EXPECT_TRUE(shared.message.contains("'a_b'")) << shared.message.toStdString();
    }
    EXPECT_TRUE(store.checkName("a b", "missionpack").ok()) << "another mod, another directory";
    EXPECT_EQ(store.checkName("c_d", "missionpack").refusal, ConfigStore::Refusal::FileNameShared);
    EXPECT_EQ(store.checkName("Taken", "q3ut2").refusal, ConfigStore::Refusal::NameTaken);
    EXPECT_EQ(store.checkName("", "baseq3").refusal, ConfigStore::Refusal::EmptyName);
    for (const char* name : {"v1..2", "a::b", "q3key"})
        EXPECT_TRUE(store.checkName(name, "baseq3").ok()) << name;

    // New, Rename and Duplicate refuse alike, and change nothing when they do.
    ConfigStore::NewConfig request;
    request.name = friday;
    request.mod = "baseq3";
    EXPECT_EQ(store.addConfig(request).refusal, ConfigStore::Refusal::FileNameTooLong);
    request.name = "a b";
    EXPECT_EQ(store.addConfig(request).refusal, ConfigStore::Refusal::FileNameShared);
    EXPECT_EQ(store.renameConfig("Taken", "a b").refusal, ConfigStore::Refusal::FileNameShared);
    EXPECT_EQ(store.renameConfig("Taken", friday).refusal, ConfigStore::Refusal::FileNameTooLong);
    EXPECT_EQ(store.renameConfig("Taken", "Taken").refusal, ConfigStore::Refusal::NameTaken);
    EXPECT_EQ(store.renameConfig("Gone", "x").refusal, ConfigStore::Refusal::NotFound);
    EXPECT_EQ(store.sortedKeysCaseInsensitive(), (QStringList{"a_b", "c d", "Taken"}));
    // A configuration may take a name that only its own file already has.
    EXPECT_TRUE(store.renameConfig("a_b", "a b").ok());
    EXPECT_TRUE(store.contains("a b"));
}

TEST(ConfigStore, DuplicatesSkipNamesWhoseFileIsTaken)
{
    ConfigStore store = storeWith({"Server", "Server_2"});
    EXPECT_EQ(store.duplicateNameFor("Server"), "Server 3");
    const ConfigStore::Outcome copied = store.duplicateConfig("Server");
    EXPECT_TRUE(copied.ok());
    EXPECT_EQ(copied.name, "Server 3");
    EXPECT_TRUE(store.contains("Server 3"));

    // A name so long that every copy's file would be too long has no copy.
    const QString longName(52, 'x');
    store.insert(named(longName));
    const ConfigStore::Outcome none = store.duplicateConfig(longName);
    EXPECT_EQ(none.refusal, ConfigStore::Refusal::NoFreeCopyName);
    EXPECT_FALSE(none.message.isEmpty());
}

TEST(ConfigStore, RenameKeepsEveryFieldAndTakesTheEdits)
{
    ConfigStore store;
    ServerConfig record = named("Old");
    record.setMapList({"q3dm17", "q3dm7", "q3dm17"});
    record.setExtraParameters({{"sv_fps", "20"}});
    record.setModParameters({QStringLiteral("mod"), 3});
    record.setMoreGUIParameters({QStringLiteral("gui")});
    record.setSaveAndStartButtonLabel(QStringLiteral("Go"));
    record.setRconPassword("kept");
    store.insert(record);

    const ConfigStore::Outcome renamed =
        store.renameConfig("Old", "New", [](ServerConfig& r) { r.setFragLimit(33); });
    ASSERT_TRUE(renamed.ok());
    EXPECT_FALSE(store.contains("Old"));
    ServerConfig expected = record;
    expected.setConfigName("New");
    expected.setFragLimit(33);
    EXPECT_EQ(*store.find("New"), expected);
}

TEST(ConfigStore, NewCarriesOverWhatTheSettingsSay)
{
    UserDefaults::setValue(KZXPreserveServerNameKey, true);
    UserDefaults::setValue(KZXPreserveNetPortKey, false);
    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "copy");
    UserDefaults::setValue(KZXEnablePunkBusterByDefaultKey, true);
    ConfigStore store;
    ConfigStore::NewConfig request;
    request.name = "Fresh";
    request.mod = "missionpack";
    request.gameType = 4;
    request.gameTypeString = "Capture The Flag";
    request.limits = ConfigStore::Limits{0, 15, 8, 12};
    request.shown = ConfigStore::ShownValues{"10.0.0.1", 27999, "priv", "Shown", "Hi"};
    request.shownRconPassword = "shownpw";
    const ConfigStore::Outcome added = store.addConfig(request);
    ASSERT_TRUE(added.ok());
    const ServerConfig& r = *store.find("Fresh");
    EXPECT_EQ(r.modName(), "missionpack");
    EXPECT_EQ(r.gameType(), 4);
    EXPECT_EQ(r.gameTypeString(), "Capture The Flag");
    EXPECT_EQ(r.timeLimit(), 15);
    EXPECT_EQ(r.captureLimit(), 8);
    EXPECT_EQ(r.maxPlayers(), 12);
    EXPECT_EQ(r.serverName(), "Shown");
    EXPECT_EQ(r.netPort(), 27960);
    EXPECT_EQ(r.welcomeText(), "Hi");
    EXPECT_EQ(r.netIP(), "localhost");
    EXPECT_EQ(r.rconPassword(), "shownpw");
    EXPECT_TRUE(r.punkBusterEnabled());
}

TEST(ConfigStore, AStoreDamagedAnywhereIsKeptAsideAndNeverOverwritten)
{
    ConfigStore original = storeWith({"one", "two"});
    original.find("one")->setRconPassword("secret");
    original.find("two")->setMapList({"q3dm1", "q3dm2"});
    ASSERT_TRUE(original.save().ok());
    const QByteArray bytes = contentsOf(ConfigStore::storePath());
    ASSERT_GT(bytes.size(), 100);

    QList<QByteArray> damaged;
    for (qsizetype length = 0; length < bytes.size(); ++length)
        damaged.append(bytes.left(length));
    for (qsizetype at = 0; at < bytes.size(); at += 5) {
        QByteArray flipped = bytes;
        flipped[at] = char(flipped[at] ^ 0x5a);
        damaged.append(flipped);
    }
    for (const QByteArray& file : damaged) {
        writeStoreFile(file);
        ConfigStore store;
        store.load();
        ASSERT_FALSE(store.loadError().isEmpty()) << file.size();
        ASSERT_TRUE(store.serverConfigDict().isEmpty());
        ASSERT_FALSE(store.movedAsidePath().isEmpty());
        ASSERT_EQ(contentsOf(store.movedAsidePath()), file);
        store.insert(named("after"));
        ASSERT_TRUE(store.save().ok());
        ASSERT_EQ(contentsOf(store.movedAsidePath()), file) << "never overwritten";
        QFile::remove(store.movedAsidePath());
    }
}
