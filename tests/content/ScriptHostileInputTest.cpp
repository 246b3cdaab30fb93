#include "config/CommonData.h"
#include "content/ArenaScriptParser.h"
#include "content/BotScriptParser.h"
#include "support/Pk3Builder.h"
#include "support/TestEnvironment.h"
#include "tests/content/ScriptTestSupport.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace ScriptTestSupport;

namespace {

// Builds both databases from the same bytes given as every kind of script file, and checks
// that both read back as lists. Returns the maps' names.
QStringList buildBoth(const QByteArray& bytes, ArenaScriptParser& parser)
{
    const QString dir = TestEnvironment::makeScratchDir("hostile");
    for (const char* file : {"/scripts/arenas.txt", "/scripts/a.arena", "/maps/a.cfg",
                             "/maps/a.mapinfo", "/scripts/bots.txt", "/scripts/a.bot"})
        writeFile(dir + file, bytes);
    EXPECT_TRUE(parser.makePlistFromArena("baseq3", dir));
    EXPECT_TRUE(BotScriptParser::makePlistFromBots("baseq3", dir));
    readList(dir + "/VOBots.plist");
    return column(readList(dir + "/VOArenas.plist"), "map");
}

QByteArray randomBytes(qsizetype size, const QByteArray& alphabet)
{
    QRandomGenerator random(20240611);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = alphabet.isEmpty() ? char(random.bounded(256))
                               : alphabet.at(random.bounded(alphabet.size()));
    return bytes;
}

} // namespace

TEST(ScriptHostileInput, RandomBytesAndNulBytesGiveReadableDatabases)
{
    ArenaScriptParser parser;
    buildBoth(randomBytes(200000, {}), parser);
    // Bytes drawn from what the rules look at, so that every branch is taken many times.
    buildBoth(
        randomBytes(200000,
                    QByteArray("{}\"\n\n\r\t ;=/*^[map limit players aifile@").replace('@', '\0')),
        parser);
    EXPECT_TRUE(parser.unparsable().foundUnparsableMaps());

    const QByteArray withNul = QByteArray("{\nmap \"nul@name\"\nlongname \"a@b\"\n}\n"
                                          "{\n@@map \"after\"\n}\n{\nname\t\tNul@Bot\n}\n")
                                   .replace('@', '\0');
    EXPECT_EQ(buildBoth(withNul, parser).first(), QString::fromLatin1("nul\0name", 8));
}

TEST(ScriptHostileInput, MegabyteLinesAndBraceStorms)
{
    ArenaScriptParser parser;
    // As long as lines get within what a mod's scripts may come to (see ScriptBudget).
    const QByteArray big(3 * 1024 * 1024, 'a');
    EXPECT_EQ(buildBoth("{\nmap \"" + big + "\"\n}\n", parser).first().size(), big.size());
    buildBoth("{ map " + big + " }\n", parser); // one line without a line end in sight
    buildBoth(QByteArray(1024 * 1024, '{'), parser);
    buildBoth(QByteArray(1024 * 1024, '}'), parser);
    QByteArray pairs;
    for (int i = 0; i < 50000; ++i)
        pairs += "}{map \"m\"";
    buildBoth(pairs, parser);
}

TEST(ScriptHostileInput, MapNamesWithShellCharactersOnlyEverAreText)
{
    const QString root = TestEnvironment::makeScratchDir("game");
    const QString marker = root + "/marker";
    const QString name =
        "q';touch " + marker + ";echo '$(touch " + marker + ")`touch " + marker + "`";
    ASSERT_TRUE(Pk3Builder().add("maps/" + name + ".bsp", "x").write(root + "/baseq3/pak0.pk3"));
    ArenaScriptParser parser(root);
    buildBoth(("{\nmap \"" + name + "\"\nbroken line\n}\n").toUtf8(), parser);
    EXPECT_FALSE(QFileInfo::exists(marker));
    ASSERT_FALSE(parser.unparsable().unparsableMaps().isEmpty());
    const QString recorded = parser.unparsable().unparsableMaps().first();
    EXPECT_TRUE(recorded.startsWith("q'")) << recorded.toStdString();
    EXPECT_EQ(parser.unparsable().unparsableMapPakDict().value(recorded), "Unknown");
    EXPECT_EQ(parser.findPakWithMap(name, "baseq3"), "pak0.pk3");
}
