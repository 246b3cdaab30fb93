#include "content/ModSupport.h"
#include "config/CommonData.h"
#include "content/GameTypeMenu.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class ModSupportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(dataDir()).removeRecursively();
        QDir().mkpath(dataDir());
    }

    static QString dataDir() { return CommonData::appSupportQ3VXDir(); }

    // A mod data directory with a map database, and gameinfo.txt when given.
    static QString addMod(const QString& mod, const QByteArray& gameInfo = {})
    {
        const QString path = dataDir() + QLatin1Char('/') + mod;
        QDir().mkpath(path);
        writeFile(path + QStringLiteral("/VOArenas.plist"), "()");
        if (!gameInfo.isEmpty())
            writeFile(path + QStringLiteral("/gameinfo.txt"), gameInfo);
        return path;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
};

struct CountingMenu : GameTypeMenu
{
    int calls = 0;
    void removeAllItems() override { ++calls; }
    void addItem(const QString&, int) override { ++calls; }
    void selectItem(int) override { ++calls; }
};

} // namespace

TEST_F(ModSupportTest, TheStockGameTableAsTheEditorSeesIt)
{
    addMod(QStringLiteral("baseq3"));
    const ModSupport modDB;
    ASSERT_EQ(modDB.foundMods(), QStringList({"baseq3"}));
    EXPECT_EQ(modDB.longnameForMod(QStringLiteral("baseq3")), QStringLiteral("Quake 3 Arena"));

    struct Row
    {
        const char* name;
        int number;
        const char* shortname;
        int frag, time, capture, players;
        bool fragControl, captureControl, teamBased;
    };
    const Row rows[] = {
        {"Free For All", 0, "ffa", 20, 0, 0, 8, true, false, false},
        {"Tournament", 1, "tourney", 0, 15, 0, 8, true, false, false},
        {"Team Deathmatch", 3, "team", 40, 0, 0, 12, true, false, true},
        {"Capture the Flag", 4, "ctf", 0, 0, 8, 16, false, true, true},
    };
    const GameTypes* types = modDB.gameTypesForMod(QStringLiteral("baseq3"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->numberOfGameTypes(), 4);
    const QString mod = QStringLiteral("baseq3");
    for (int i = 0; i < 4; ++i) {
        const Row& row = rows[i];
        const QString name = QString::fromLatin1(row.name);
        EXPECT_EQ(types->gametypeNames().at(i), name);
        EXPECT_EQ(GameTypes::integerValue(types->gametypeNumbers().at(i)), row.number);
        EXPECT_EQ(modDB.shortNameForGameTypeString(name, mod), QString::fromLatin1(row.shortname));
        EXPECT_EQ(modDB.defaultValueForLimit(QStringLiteral("fraglimit"), name, mod), row.frag);
        EXPECT_EQ(modDB.defaultValueForLimit(QStringLiteral("timelimit"), name, mod), row.time);
        EXPECT_EQ(modDB.defaultValueForLimit(QStringLiteral("capturelimit"), name, mod),
                  row.capture);
        EXPECT_EQ(modDB.defaultValueForLimit(QStringLiteral("maxplayers"), name, mod), row.players);
        EXPECT_EQ(modDB.enableForLimitControl(QStringLiteral("fraglimit"), name, mod),
                  row.fragControl);
        EXPECT_EQ(modDB.enableForLimitControl(QStringLiteral("capturelimit"), name, mod),
                  row.captureControl);
        EXPECT_EQ(modDB.gameTypeIsTeamBased(name, mod), row.teamBased) << row.name;
    }
    // A name with no key takes the default row with both controls on.
    EXPECT_EQ(*modDB.limitsForGameType(QStringLiteral("Straight Racing"), mod),
              QStringList({"0", "15", "0", "12"}));
    EXPECT_EQ(*modDB.controlEnableForGameType(QStringLiteral("Straight Racing"), mod),
              QStringList({"1", "1"}));
    EXPECT_EQ(
        modDB.defaultValueForLimit(QStringLiteral("warmup"), QStringLiteral("Tournament"), mod), 0);
}

TEST_F(ModSupportTest, OnlyDirectoriesWithAMapDatabaseAreMods)
{
    writeFile(dataDir() + QStringLiteral("/ServerConfigs.kzvr"), "x");
    QDir().mkpath(dataDir() + QStringLiteral("/nodatabase/levelshots"));
    QDir().mkpath(dataDir() + QStringLiteral("/plistisadir/VOArenas.plist"));
    // Only one level deep.
    QDir().mkpath(dataDir() + QStringLiteral("/outer/inner"));
    writeFile(dataDir() + QStringLiteral("/outer/inner/VOArenas.plist"), "()");
    const ModSupport none;
    EXPECT_TRUE(none.foundMods().isEmpty());
    EXPECT_EQ(none.modNameAtIndex(0), QStringLiteral("?"));
    EXPECT_EQ(none.modNameAtIndex(-1), QStringLiteral("?"));
    EXPECT_EQ(none.modForLongname(QStringLiteral("Quake 3 Arena")), QStringLiteral("baseq3"));
}

TEST_F(ModSupportTest, ModsAreNamedFromTheKnownTableOrByTheirDirectory)
{
    const QString base = addMod(QStringLiteral("baseq3"));
    addMod(QStringLiteral("q3ut2"));
    addMod(QStringLiteral("zzmod"));
    addMod(QStringLiteral("InstaGib+"));
    // The map library replaces a mod without maps of its own by a link to the stock game's.
    ASSERT_TRUE(QFile::link(base, dataDir() + QStringLiteral("/missionpack")));
    // A dangling link is no mod.
    ASSERT_TRUE(
        QFile::link(dataDir() + QStringLiteral("/gone"), dataDir() + QStringLiteral("/osp")));

    const ModSupport modDB;
    EXPECT_EQ(modDB.foundMods(),
              QStringList({"InstaGib+", "baseq3", "missionpack", "q3ut2", "zzmod"}));
    EXPECT_EQ(modDB.modNameAtIndex(3), QStringLiteral("q3ut2"));
    EXPECT_EQ(modDB.modNameAtIndex(5), QStringLiteral("?"));
    EXPECT_EQ(modDB.longnameForMod(QStringLiteral("q3ut2")), QStringLiteral("Urban Terror"));
    EXPECT_EQ(modDB.longnameForMod(QStringLiteral("missionpack")),
              QStringLiteral("Quake 3: Team Arena"));
    EXPECT_EQ(modDB.longnameForMod(QStringLiteral("zzmod")), QStringLiteral("zzmod"));
    EXPECT_EQ(modDB.longnameForMod(QStringLiteral("osp")), std::nullopt);
    EXPECT_EQ(modDB.modForLongname(QStringLiteral("Urban Terror")), QStringLiteral("q3ut2"));
    EXPECT_EQ(modDB.modForLongname(QStringLiteral("zzmod")), QStringLiteral("zzmod"));
    EXPECT_EQ(modDB.modForLongname(QStringLiteral("OSP")), QStringLiteral("baseq3"));

    // The linked mod keeps its own name and so its own type words.
    EXPECT_EQ(modDB.shortNameForGameTypeString(QStringLiteral("Capture the Flag"),
                                               QStringLiteral("missionpack")),
              QStringLiteral("ctf"));
    EXPECT_EQ(modDB.gameTypesForMod(QStringLiteral("missionpack"))->gametypeShortnames().size(), 7);
}

TEST_F(ModSupportTest, AModWithGameInfoUsesItsOwnList)
{
    addMod(QStringLiteral("q3ut4"), "gametypes\n{\n{ \"Free For All\" 0 }\n{ \"Team Survivor\" 4 "
                                    "}\n{ \"Capture The Flag\" 7 }\n}\n");
    const ModSupport modDB;
    const QString mod = QStringLiteral("q3ut4");
    EXPECT_EQ(modDB.gameTypesForMod(mod)->gametypeNames(),
              QStringList({"Free For All", "Team Survivor", "Capture The Flag"}));
    EXPECT_EQ(modDB.shortNameForGameTypeString(QStringLiteral("Capture The Flag"), mod),
              QStringLiteral("ut_survivor"));
    EXPECT_FALSE(modDB.gameTypeIsTeamBased(QStringLiteral("Free For All"), mod));
    EXPECT_TRUE(modDB.gameTypeIsTeamBased(QStringLiteral("Team Survivor"), mod));
    EXPECT_EQ(modDB.defaultValueForLimit(QStringLiteral("fraglimit"),
                                         QStringLiteral("Team Survivor"), mod),
              20);
}

TEST_F(ModSupportTest, TeamBasedUnlessTheTypeWordEndsInASinglePlayerType)
{
    addMod(QStringLiteral("q3rally"));
    addMod(QStringLiteral("reaction"));
    addMod(QStringLiteral("osp"));
    addMod(QStringLiteral("afterwards"));
    const ModSupport modDB;
    for (const QString& name : modDB.gameTypesForMod(QStringLiteral("q3rally"))->gametypeNames())
        EXPECT_TRUE(modDB.gameTypeIsTeamBased(name, QStringLiteral("q3rally"))) << qPrintable(name);
    const QStringList reaction = modDB.gameTypesForMod(QStringLiteral("reaction"))->gametypeNames();
    EXPECT_FALSE(modDB.gameTypeIsTeamBased(reaction.at(0), QStringLiteral("reaction")));
    for (qsizetype i = 1; i < reaction.size(); ++i)
        EXPECT_TRUE(modDB.gameTypeIsTeamBased(reaction.at(i), QStringLiteral("reaction")));
    EXPECT_FALSE(modDB.gameTypeIsTeamBased(QStringLiteral("1v1 DM"), QStringLiteral("osp")));
    EXPECT_TRUE(
        modDB.gameTypeIsTeamBased(QStringLiteral("DeathMatch"), QStringLiteral("afterwards")));
    // An unknown game type has the type word "all".
    EXPECT_TRUE(modDB.gameTypeIsTeamBased(QStringLiteral("Nonsense"), QStringLiteral("osp")));
}

TEST_F(ModSupportTest, AModThatWasNotFoundHasNoGameTypes)
{
    addMod(QStringLiteral("baseq3"));
    const ModSupport modDB;
    const QString absent = QStringLiteral("missionpack");
    const QString ffa = QStringLiteral("Free For All");
    EXPECT_EQ(modDB.gameTypesForMod(absent), nullptr);
    EXPECT_EQ(modDB.shortNameForGameTypeString(ffa, absent), std::nullopt);
    EXPECT_EQ(modDB.limitsForGameType(ffa, absent), std::nullopt);
    EXPECT_EQ(modDB.controlEnableForGameType(ffa, absent), std::nullopt);
    EXPECT_EQ(modDB.defaultValueForLimit(QStringLiteral("fraglimit"), ffa, absent), 0);
    EXPECT_FALSE(modDB.enableForLimitControl(QStringLiteral("fraglimit"), ffa, absent));
    EXPECT_TRUE(modDB.gameTypeIsTeamBased(ffa, absent));
    CountingMenu menu;
    modDB.setGameTypesMenu(menu, absent);
    EXPECT_EQ(menu.calls, 0);
    modDB.setGameTypesMenu(menu, QStringLiteral("baseq3"));
    EXPECT_EQ(menu.calls, 6);
}

TEST_F(ModSupportTest, ConfigurationsOfTheCurrentModSortCaseSensitively)
{
    ConfigArchive::Store store;
    for (const char* name : {"b", "A", "a", "B2", "_x"})
        store.insert(QString::fromLatin1(name), ServerConfig());
    store.insert(QStringLiteral("c"), ServerConfig(QStringLiteral("q3ut2")));
    ServerConfig nearMiss;
    nearMiss.setModName(QStringLiteral("Q3UT2"));
    store.insert(QStringLiteral("C"), nearMiss);

    EXPECT_EQ(ModSupport::serverConfigKeysModFiltered(store, "q3ut2"), QStringList({"c"}));
    EXPECT_EQ(ModSupport::serverConfigKeysModFiltered(store, "baseq3"),
              QStringList({"A", "B2", "_x", "a", "b"}));
    EXPECT_TRUE(ModSupport::serverConfigKeysModFiltered({}, "baseq3").isEmpty());
}
