#include "config/CommonData.h"
#include "config/ConfigStore.h"
#include "config/SettingsKeys.h"
#include "config/StoreLock.h"
#include "server/ConfigFiles.h"
#include "server/ProcessIdentity.h"
#include "server/RunningServer.h"
#include "support/ProgramRunner.h"
#include "support/StoreSeeds.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString oddName = QStringLiteral("Duel; rm -rf \"x\" 'y'");

ProgramResult ctl(const QStringList& args)
{
    return ProgramRunner::voranthctl(args);
}

using StoreSeeds::record;
using StoreSeeds::seed;
using StoreSeeds::writeBaseGameDatabase;

ConfigStore loadedStore()
{
    ConfigStore store;
    store.load();
    return store;
}

ServerConfig stored(const QString& name)
{
    const ConfigStore store = loadedStore();
    const ServerConfig* found = store.find(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found ? *found : ServerConfig();
}

QByteArray storeBytes()
{
    QFile file(ConfigStore::storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ServerConfig withMapsAndExtras(const QString& name)
{
    ServerConfig config = record(name);
    config.setMapList({"q3dm17", "q3dm1", "q3dm17"});
    config.addExtraParameter();
    config.setExtraParameter(0, "g_gravity", "xvariable");
    config.setExtraParameter(0, "400", "xvalue");
    config.setFragLimit(33);
    return config;
}

} // namespace

TEST(VoranthctlConfigs, NewTakesTheGameTypeNumberLimitsAndPasswordRule)
{
    writeBaseGameDatabase();
    ProgramResult made = ctl({"new", "Flags", "--game-type", "Capture the Flag"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const ServerConfig ctf = stored("Flags");
    EXPECT_EQ(ctf.modName(), "baseq3");
    EXPECT_EQ(ctf.gameTypeString(), "Capture the Flag");
    EXPECT_EQ(ctf.gameType(), 4) << "the game type's number, not its menu position";
    EXPECT_EQ((QList<int>{ctf.fragLimit(), ctf.timeLimit(), ctf.captureLimit(), ctf.maxPlayers()}),
              (QList<int>{0, 0, 8, 16}));
    EXPECT_TRUE(ctf.rconPassword().contains(QRegularExpression("^[A-Za-z0-9]{5,8}$")))
        << "the default rule gives a random password";
    EXPECT_FALSE(ctf.punkBusterEnabled());

    ASSERT_EQ(ctl({"set", KZXRconPasswordGenerationTypeStringKey, "empty"}).exitCode, 0);
    ASSERT_EQ(ctl({"set", KZXEnablePunkBusterByDefaultKey, "YES"}).exitCode, 0);
    made = ctl({"new", oddName, "--game-type", "Tournament", "--mod", "baseq3"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const ServerConfig duel = stored(oddName);
    EXPECT_EQ(duel.gameType(), 1);
    EXPECT_EQ(
        (QList<int>{duel.fragLimit(), duel.timeLimit(), duel.captureLimit(), duel.maxPlayers()}),
        (QList<int>{0, 15, 0, 8}));
    EXPECT_EQ(duel.rconPassword(), "");
    EXPECT_TRUE(duel.punkBusterEnabled());
    EXPECT_EQ(stored("Flags"), ctf) << "the other configuration is kept as it was";
}

TEST(VoranthctlConfigs, NewRefusesTakenAndEmptyNamesAndUnknownGameTypes)
{
    writeBaseGameDatabase();
    seed({record("Taken", "missionpack")});
    const QByteArray before = storeBytes();
    const ProgramResult taken = ctl({"new", "Taken", "--game-type", "Free For All"});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_TRUE(taken.err.contains("'Taken' already exists (with mod: missionpack)"))
        << taken.err.toStdString();
    EXPECT_EQ(ctl({"new", "", "--game-type", "Free For All"}).exitCode, 1);
    const ProgramResult badType = ctl({"new", "X", "--game-type", "Hide and Seek"});
    EXPECT_EQ(badType.exitCode, 1);
    EXPECT_TRUE(badType.err.contains("Capture the Flag")) << "names the game types there are";
    EXPECT_EQ(ctl({"new", "X", "--game-type", "Free For All", "--mod", "nomod"}).exitCode, 1);
    EXPECT_EQ(ctl({"new", "X"}).exitCode, 2);
    EXPECT_EQ(ctl({"new", "X", "Y", "--game-type", "Free For All"}).exitCode, 2);
    EXPECT_EQ(storeBytes(), before);
}

TEST(VoranthctlConfigs, DuplicateCountsOnFromTheBaseAndCopiesEverything)
{
    const ServerConfig server = withMapsAndExtras("Server");
    seed({server, record("Server 2"), record("CTF 5"), record("Server 0"), record("7")});
    struct Case
    {
        QString source;
        QString copy;
    };
    const Case cases[] = {{"Server", "Server 3"},
                          {"Server 2", "Server 4"},
                          {"CTF 5", "CTF 2"},
                          {"Server 0", "Server 0 2"},
                          {"7", " 2"}};
    for (const Case& c : cases) {
        const ProgramResult result = ctl({"duplicate", c.source});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, c.copy + "\n");
    }
    ServerConfig copy = stored("Server 3");
    EXPECT_EQ(copy.mapList(), server.mapList());
    EXPECT_EQ(copy.extraParameters(), server.extraParameters());
    copy.setConfigName("Server");
    EXPECT_EQ(copy, server);
    EXPECT_EQ(loadedStore().serverConfigDict().size(), 10);

    QList<ServerConfig> full{record("Map")};
    for (int n = 2; n <= 99; ++n)
        full.append(record(QStringLiteral("Map %1").arg(n)));
    seed(full);
    EXPECT_EQ(ctl({"duplicate", "Map"}).exitCode, 1);
    EXPECT_EQ(ctl({"duplicate", "Nothing"}).exitCode, 1);
}

TEST(VoranthctlConfigs, RenameKeepsTheRecordAndRefusesTakenOrEmptyNames)
{
    const ServerConfig server = withMapsAndExtras("Server");
    seed({server, record("Other", "missionpack")});
    const QByteArray before = storeBytes();
    const ProgramResult same = ctl({"rename", "Server", "Server"});
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_TRUE(same.err.contains("'Server' already exists (with mod: baseq3)"));
    const ProgramResult other = ctl({"rename", "Server", "Other"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.contains("(with mod: missionpack)"));
    EXPECT_EQ(ctl({"rename", "Server", ""}).exitCode, 1);
    EXPECT_EQ(ctl({"rename", "Nothing", "New"}).exitCode, 1);
    EXPECT_EQ(storeBytes(), before);

    ASSERT_EQ(ctl({"rename", "Server", oddName}).exitCode, 0);
    const ConfigStore store = loadedStore();
    EXPECT_FALSE(store.contains("Server"));
    ServerConfig renamed = stored(oddName);
    EXPECT_EQ(renamed.mapList(), server.mapList());
    EXPECT_EQ(renamed.extraParameters(), server.extraParameters());
    renamed.setConfigName("Server");
    EXPECT_EQ(renamed, server);
}

TEST(VoranthctlConfigs, DeleteRemovesTheRecordAndItsServerFileUnlessItRuns)
{
    const ServerConfig arena = record("Team Arena", "missionpack");
    seed({arena, record("Kept")});
    ConfigFiles files(GamePaths(QString(), "missionpack"));
    ASSERT_TRUE(files.saveConfigToFile(arena, true).ok());
    const QString serverFile = files.configFileWithPathReplacedSpaces(arena.configName());
    ASSERT_TRUE(serverFile.endsWith("/missionpack/VO_Team_Arena.config"));

    // A stand-in for the server, recorded as the one Voranth started.
    QProcess server;
    server.start("/bin/sleep", {"60"});
    ASSERT_TRUE(server.waitForStarted());
    const std::optional<ProcessIdentity> process = ProcessIdentity::of(qint32(server.processId()));
    ASSERT_TRUE(process.has_value());
    RunningServer::Record running = RunningServer::launchRecord(arena);
    running.pid = process->pid;
    running.processStartTime = process->startTime;
    ASSERT_TRUE(RunningServer::write(running));
    const ProgramResult refused = ctl({"delete", "Team Arena"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("'Team Arena' is running!")) << refused.err.toStdString();
    const ProgramResult notRenamed = ctl({"rename", "Team Arena", "Zed"});
    EXPECT_EQ(notRenamed.exitCode, 1);
    EXPECT_EQ(notRenamed.err, "voranthctl: 'Team Arena' is running! Quit its server before "
                              "renaming it: the running server is known by this name.\n");
    EXPECT_TRUE(loadedStore().contains("Team Arena"));
    EXPECT_FALSE(loadedStore().contains("Zed"));
    EXPECT_TRUE(QFile::exists(serverFile));
    server.kill();
    server.waitForFinished();

    // Its process was seen and is gone: the record is dropped and the configuration goes.
    const ProgramResult stopped = ctl({"delete", "Team Arena"});
    EXPECT_EQ(stopped.exitCode, 0) << stopped.err.toStdString();
    EXPECT_FALSE(loadedStore().contains("Team Arena"));
    EXPECT_TRUE(loadedStore().contains("Kept"));
    EXPECT_FALSE(QFile::exists(serverFile));
    EXPECT_EQ(ctl({"delete", "Team Arena"}).exitCode, 1);
}

TEST(VoranthctlConfigs, SetFieldParsesEachKindOfField)
{
    writeBaseGameDatabase();
    seed({record(oddName)});
    const QList<QStringList> changes = {
        {"fragLimit", "30"},
        {"quadFactor", "2.5"},
        {"pureServer", "NO"},
        {"botNoChat", "yes"},
        {"friendlyFire", "1"},
        {"serverName", "My \"quoted\"; server"},
        {"netPort", "27971"},
        {"radioDedicatedType", "1"},
        {"gameTypeString", "Team Deathmatch"},
        {"rconPassword", "s3cret"},
    };
    for (const QStringList& change : changes) {
        const ProgramResult result = ctl({"set-field", oddName, change.at(0), change.at(1)});
        EXPECT_EQ(result.exitCode, 0)
            << change.join(' ').toStdString() << ": " << result.err.toStdString();
    }
    ServerConfig config = stored(oddName);
    EXPECT_EQ(config.fragLimit(), 30);
    EXPECT_FLOAT_EQ(config.quadFactor(), 2.5f);
    EXPECT_FALSE(config.pureServer());
    EXPECT_TRUE(config.botNoChat());
    EXPECT_TRUE(config.friendlyFire());
    EXPECT_EQ(config.serverName(), "My \"quoted\"; server");
    EXPECT_EQ(config.netPort(), 27971);
    EXPECT_EQ(config.radioDedicatedType(), 1);
    EXPECT_EQ(config.optimizeNetwork(), 10000) << "the rate follows the connection type";
    EXPECT_EQ(config.gameTypeString(), "Team Deathmatch");
    EXPECT_EQ(config.gameType(), 3);
    EXPECT_EQ(config.rconPassword(), "s3cret");

    EXPECT_EQ(ctl({"set-field", oddName, "optimizeNetwork", "5000"}).exitCode, 1)
        << "a rate of one's own needs the custom choice first";
    ASSERT_EQ(ctl({"set-field", oddName, "radioOptimizeNetwork", "1"}).exitCode, 0);
    ASSERT_EQ(ctl({"set-field", oddName, "optimizeNetwork", "5000"}).exitCode, 0);
    EXPECT_EQ(stored(oddName).optimizeNetwork(), 5000);
}

TEST(VoranthctlConfigs, SetFieldRefusesUnknownFieldsAndValuesThatDoNotFit)
{
    writeBaseGameDatabase();
    seed({record("S")});
    const QByteArray before = storeBytes();
    const QList<QStringList> refused = {
        {"noSuchField", "1"},  {"gameType", "4"},     {"configName", "T"},
        {"fragLimit", "many"}, {"fragLimit", "12x"},  {"pureServer", "perhaps"},
        {"netPort", "70000"},  {"netPort", "0"},      {"radioDedicatedType", "2"},
        {"quadFactor", "3,5"}, {"quadFactor", "nan"}, {"gameTypeString", "Hide and Seek"},
    };
    for (const QStringList& change : refused) {
        const ProgramResult result = ctl({"set-field", "S", change.at(0), change.at(1)});
        EXPECT_EQ(result.exitCode, 1) << change.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty());
    }
    EXPECT_TRUE(ctl({"set-field", "S", "noSuchField", "1"}).err.contains("welcomeText"))
        << "lists the fields";
    EXPECT_TRUE(ctl({"set-field", "S", "gameType", "4"}).err.contains("gameTypeString"));
    EXPECT_EQ(ctl({"set-field", "S", "fragLimit"}).exitCode, 2);
    EXPECT_EQ(ctl({"set-field", "T", "fragLimit", "1"}).exitCode, 1);
    EXPECT_EQ(storeBytes(), before);
}

TEST(VoranthctlConfigs, MapsAreAddedFromTheLibraryAndRemovedByPosition)
{
    writeBaseGameDatabase();
    seed({record(oddName)});
    ASSERT_EQ(ctl({"add-maps", oddName, "q3dm17", "q3ctf1", "q3dm17", "q3dm1"}).exitCode, 0);
    EXPECT_EQ(stored(oddName).mapList(), (QStringList{"q3dm17", "q3ctf1", "q3dm17", "q3dm1"}));

    const ProgramResult unknown = ctl({"add-maps", oddName, "q3dm1", "nosuch", "Q3DM17", "nosuch"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(": nosuch, Q3DM17 (")) << unknown.err.toStdString();

    EXPECT_EQ(ctl({"remove-maps", oddName, "4"}).exitCode, 1);
    EXPECT_EQ(ctl({"remove-maps", oddName, "-1"}).exitCode, 1);
    EXPECT_EQ(ctl({"remove-maps", oddName, "first"}).exitCode, 1);
    EXPECT_EQ(stored(oddName).mapList().size(), 4) << "refusals change nothing";

    ASSERT_EQ(ctl({"remove-maps", oddName, "2", "0", "2"}).exitCode, 0);
    EXPECT_EQ(stored(oddName).mapList(), (QStringList{"q3ctf1", "q3dm1"}));
}

TEST(VoranthctlConfigs, ShowPrintsTheServerFileOfTheRecordsModAndConfigsListsThem)
{
    ServerConfig arena = record("Arena \"1\"", "missionpack");
    arena.setRconPassword("s3cret");
    arena.setMapList({"mpteam1", "mpteam2"});
    seed({arena, record("beta"), record("Alpha")});
    const ProgramResult shown = ctl({"show", arena.configName()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.out.toLatin1(),
              ConfigFiles(GamePaths(QString(), "missionpack")).configFileContents(arena, true));
    EXPECT_TRUE(shown.out.contains("rconpassword \"s3cret\""));
    EXPECT_TRUE(shown.out.contains("set gamename missionpack"));
    EXPECT_EQ(ctl({"show", "nothing"}).exitCode, 1);

    const ProgramResult all = ctl({"configs"});
    ASSERT_EQ(all.exitCode, 0);
    EXPECT_TRUE(all.out.contains(QRegularExpression(
        "^Alpha +baseq3 +Free For All\nArena \"1\" +missionpack +Free For All\nbeta ")))
        << all.out.toStdString();
    const ProgramResult base = ctl({"configs", "--mod", "baseq3", "--json"});
    const QJsonArray rows = QJsonDocument::fromJson(base.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0).toObject().value("name").toString(), "Alpha");
    EXPECT_EQ(rows.at(1).toObject().value("gameTypeNumber").toInt(), 0);
}

TEST(VoranthctlConfigs, ChangesWaitForTheLockHolderWhileLookingStillWorks)
{
    writeBaseGameDatabase();
    seed({withMapsAndExtras("Server")});
    const QByteArray before = storeBytes();
    StoreLock window;
    ASSERT_TRUE(window.tryLock());
    const QList<QStringList> changes = {
        {"new", "N", "--game-type", "Free For All"},
        {"duplicate", "Server"},
        {"rename", "Server", "R"},
        {"delete", "Server"},
        {"set-field", "Server", "fragLimit", "1"},
        {"add-maps", "Server", "q3dm1"},
        {"remove-maps", "Server", "0"},
    };
    for (const QStringList& change : changes) {
        const ProgramResult result = ctl(change);
        EXPECT_EQ(result.exitCode, 1) << change.first().toStdString();
        EXPECT_TRUE(result.err.contains("in use by another Voranth")) << result.err.toStdString();
    }
    EXPECT_EQ(storeBytes(), before);
    EXPECT_EQ(ctl({"configs"}).exitCode, 0);
    EXPECT_EQ(ctl({"show", "Server"}).exitCode, 0);

    window.unlock();
    EXPECT_EQ(ctl({"set-field", "Server", "fragLimit", "1"}).exitCode, 0);
}

TEST(VoranthctlConfigs, AnUnreadableStoreIsKeptAsideByAChangeAndLeftAloneByALook)
{
    writeBaseGameDatabase();
    QDir().mkpath(CommonData::appSupportQ3VXDir());
    QFile damaged(ConfigStore::storePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("garbage");
    damaged.close();

    EXPECT_EQ(ctl({"configs"}).exitCode, 1);
    EXPECT_EQ(storeBytes(), "garbage") << "looking moves nothing";

    const ProgramResult made = ctl({"new", "Fresh", "--game-type", "Free For All"});
    ASSERT_EQ(made.exitCode, 0);
    const QRegularExpressionMatch aside =
        QRegularExpression("kept as (\\S+ServerConfigs-unreadable-\\S+\\.kzvr)").match(made.err);
    ASSERT_TRUE(aside.hasMatch()) << made.err.toStdString();
    QFile kept(aside.captured(1));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "garbage");
    EXPECT_EQ(loadedStore().sortedKeysCaseInsensitive(), QStringList{"Fresh"});
}
