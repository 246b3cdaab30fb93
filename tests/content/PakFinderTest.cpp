#include "content/PakFinder.h"
#include "config/CommonData.h"
#include "content/ArenaScriptParser.h"
#include "support/Pk3Builder.h"
#include "support/TestEnvironment.h"
#include "tests/content/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace ScriptTestSupport;

namespace {

// A game folder with one mod "mymod" whose paks hold the given members.
QString makeGame(const QList<QPair<QString, QStringList>>& paks)
{
    const QString root = TestEnvironment::makeScratchDir("game");
    for (const auto& [pak, members] : paks) {
        Pk3Builder builder;
        for (const QString& member : members)
            builder.add(member, "x");
        EXPECT_TRUE(builder.write(root + "/mymod/" + pak));
    }
    return root;
}

} // namespace

TEST(PakFinder, AnswersTheFirstPakInWalkOrderWhoseListingHoldsTheName)
{
    const QString root = makeGame({{"pak1.pk3", {"maps/q3dm17.bsp", "levelshots/Q3DM1.jpg"}},
                                   {"pak0.pk3", {"maps/q3dm1.bsp"}},
                                   {"sub/extra.PK3", {"maps/q3dm1.bsp", "maps/only.bsp"}},
                                   {"notapak.zip", {"maps/zip.bsp"}}});
    writeFile(root + "/mymod/broken.pk3", "not a zip archive");
    PakFinder finder(root);
    EXPECT_EQ(finder.findPakWithMap("q3dm1", "mymod"), "pak0.pk3");
    EXPECT_EQ(finder.findPakWithMap("q3dm17", "mymod"), "pak1.pk3");
    EXPECT_EQ(finder.findPakWithMap("only", "mymod"), "sub/extra.PK3");
    EXPECT_EQ(finder.findPakWithMap("Q3DM17", "mymod"), "Unknown"); // case matters
    EXPECT_EQ(finder.findPakWithMap("zip", "mymod"), "Unknown");
    EXPECT_EQ(finder.findPakWithMap("q3dm1", "othermod"), "Unknown");
    EXPECT_EQ(finder.findPakWithMap("bsp\nmaps", "mymod"), "Unknown"); // never across names
    // Every pak of the mod was listed once, however many questions were asked.
    EXPECT_EQ(finder.listedPakCount(), 4);
    EXPECT_EQ(finder.findPakWithMap("q3dm1", "mymod"), "pak0.pk3");
    EXPECT_EQ(finder.listedPakCount(), 4);
}

TEST(PakFinder, HostileMapNamesAreOnlyCompared)
{
    const QString root = TestEnvironment::makeScratchDir("hostile");
    const QString marker = root + "/marker";
    const QString hostile =
        "x';touch " + marker + ";'$(touch " + marker + ")\"`touch " + marker + "`";
    const QString game =
        makeGame({{"pak0.pk3", {"maps/plain.bsp"}}, {"pak1.pk3", {"maps/" + hostile + ".bsp"}}});
    PakFinder finder(game);
    EXPECT_EQ(finder.findPakWithMap(hostile, "mymod"), "pak1.pk3");
    EXPECT_EQ(finder.findPakWithMap("a;b$(c)'d\"", "mymod"), "Unknown");
    EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST(PakFinder, UnparsableMapsGetTheirPak)
{
    ArenaScriptParser parser(
        makeGame({{"pak0.pk3", {"maps/good.bsp"}}, {"z-extra.pk3", {"maps/tabbed.bsp"}}}));
    parser.plistTextFromArenaText(
        "{\nmap\t\t\"tabbed\"\nbroken line\n}\n{\nmap \"nowhere\"\nbroken line\n}\n", "mymod");
    EXPECT_EQ(parser.unparsable().unparsableMaps(), (QStringList{"tabbed", "nowhere"}));
    EXPECT_EQ(parser.unparsable().unparsableMapPakDict().value("tabbed"), "z-extra.pk3");
    EXPECT_EQ(parser.unparsable().unparsableMapPakDict().value("nowhere"), "Unknown");
    EXPECT_EQ(parser.unparsable().unparsableMapModDict().value("tabbed"), "mymod");
}
