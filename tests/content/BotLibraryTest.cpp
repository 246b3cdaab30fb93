#include "content/BotLibrary.h"
#include "config/CommonData.h"
#include "support/TestEnvironment.h"
#include "tests/content/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace ScriptTestSupport;

namespace {

const QByteArray kStockBots = "({name = Sarge;}, {name = Grunt;})";

// Makes the data directories of baseq3 and the mod; answers the mod's paths.
GamePaths openMod(const QString& mod, const QByteArray& modBots, const QByteArray& baseBots)
{
    writeFile(CommonData::appSupportQ3VXBaseQ3Dir() + "/VOBots.plist", baseBots);
    const GamePaths paths(QString(), mod);
    if (mod != "baseq3")
        writeFile(paths.botsPlistFileWithPath(), modBots);
    return paths;
}

} // namespace

TEST(BotLibrary, ListsTheNamedBotsOfTheCurrentMod)
{
    GamePaths paths;
    paths = openMod("mymod", "({name = Anarki;}, {model = noname;}, x, {name = (a);}, {name = Klesk;})",
            kStockBots);
    const BotLibrary bots(paths);
    EXPECT_EQ(bots.names(), (QStringList{"Anarki", "Klesk"}));
    EXPECT_EQ(bots.numberOfBots(), 2);
    EXPECT_EQ(bots.botNameAtIndex(1), "Klesk");
    EXPECT_EQ(bots.botNameAtIndex(2), "");
    EXPECT_EQ(bots.botNameAtIndex(-1), "");

    // A list that was read and is empty stays empty, and nothing is linked.
    paths = openMod("emptymod", "(\n\n)\n", kStockBots);
    EXPECT_EQ(BotLibrary(paths).numberOfBots(), 0);
    EXPECT_FALSE(QFileInfo(paths.botsPlistFileWithPath()).isSymLink());
}

TEST(BotLibrary, AnUnreadableModDatabaseIsLinkedToTheStockGames)
{
    GamePaths paths;
    paths = openMod("mymod", "no bots found", kStockBots);
    const BotLibrary bots(paths);
    EXPECT_EQ(bots.names(), (QStringList{"Sarge", "Grunt"}));
    const QFileInfo link(paths.botsPlistFileWithPath());
    EXPECT_TRUE(link.isSymLink());
    EXPECT_EQ(link.symLinkTarget(), CommonData::appSupportQ3VXBaseQ3Dir() + "/VOBots.plist");

    // Linked although the stock game's is unreadable too: the stock names stand in.
    paths = openMod("othermod", "(unbalanced", "no bots found");
    EXPECT_EQ(BotLibrary(paths).names(), BotLibrary::stockBotNames());
    EXPECT_TRUE(QFileInfo(paths.botsPlistFileWithPath()).isSymLink());
}

TEST(BotLibrary, TheStockGameAndQ3Fortress2AreNeverLinked)
{
    GamePaths paths;
    paths = openMod("baseq3", {}, "no bots found");
    EXPECT_FALSE(BotLibrary::replaceBotsPlistFileWithLink(paths));
    EXPECT_EQ(readFile(paths.botsPlistFileWithPath()), QByteArray("no bots found"));
    const BotLibrary stock(paths);
    EXPECT_EQ(stock.names().size(), 32);
    EXPECT_EQ(stock.names().first(), "Xaero");
    EXPECT_EQ(stock.names().last(), "Crash");

    paths = openMod("q3f2", "no bots found", kStockBots);
    const BotLibrary q3f2(paths);
    EXPECT_FALSE(q3f2.botLibraryDB().has_value());
    EXPECT_TRUE(q3f2.names().isEmpty());
    EXPECT_FALSE(QFileInfo(paths.botsPlistFileWithPath()).isSymLink());
}
