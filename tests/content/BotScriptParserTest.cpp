#include "content/BotScriptParser.h"
#include "content/ScriptBudget.h"
#include "support/TestEnvironment.h"
#include "tests/content/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace ScriptTestSupport;

namespace {

QVariantList botsFrom(const QString& script)
{
    return listFromText(BotScriptParser::plistTextFromBotText(script));
}

} // namespace

TEST(BotScriptParser, WorkedExampleGivesExactlyTheDatabaseText)
{
    const QString script = "{\nname\t\tSarge\nfunname\t\t^1Sarge\naifile\t\tbots/sarge_c.c\n}\n"
                           "{\nname\t\tGrunt\nfunname\t\t^3Grunt\naifile\t\tbots/grunt_c.c\n}\n";
    const QString text = BotScriptParser::plistTextFromBotText(script);
    EXPECT_EQ(text, "(\n{\nname\t=\tSarge;\nfunname\t=\t\"^1Sarge\";\n}\n,\n{\n"
                    "name\t=\tGrunt;\nfunname\t=\t\"^3Grunt\";\n}\n)\n");
    const QVariantMap sarge{{"name", "Sarge"}, {"funname", "^1Sarge"}};
    const QVariantMap grunt{{"name", "Grunt"}, {"funname", "^3Grunt"}};
    EXPECT_EQ(listFromText(text), (QVariantList{sarge, grunt}));
    EXPECT_EQ(BotScriptParser::plistTextFromBotText(""), "(\n\n)\n");
}

TEST(BotScriptParser, CommentsTagsShortLinesAndOneLineBotFiles)
{
    const QString script = "// before\n{\n  // inside\nname\t\tSarge // boss\nclan\t\t[TAG]x\n"
                           "model\t\tsarge\n\t\t\n}\n";
    const QString text = BotScriptParser::plistTextFromBotText(script);
    EXPECT_EQ(text, "(\n{\nname\t=\t\"Sarge // boss\";\nclan\t=\t\"[TAG]x\";\nmodel\t=\tsarge;\n"
                    "\t\t}\n)\n");
    EXPECT_FALSE(text.contains("before") || text.contains("inside"));

    // A one-line bot file: its keys keep the blank the formatting puts in front of them,
    // and the aifile's value lands on a line of its own.
    const QString dir = TestEnvironment::makeScratchDir("bots");
    writeFile(dir + "/scripts/bots.txt", "{\nname Sarge\n}"); // no line end at the end
    writeFile(dir + "/scripts/extra/x.bot", "{ name Xaero model xaero aifile bots/xaero_c.c }");
    ASSERT_TRUE(BotScriptParser::makePlistFromBots("baseq3", dir));
    const QVariantMap xaero{{"name", "Xaero"}, {"model", "xaero"}};
    EXPECT_EQ(readList(dir + "/VOBots.plist"),
              (QVariantList{QVariantMap{{"name", "Sarge"}}, xaero}));
}

TEST(BotScriptParser, WithoutBotsTxtTheDatabaseSaysNoBotsFound)
{
    const QString dir = TestEnvironment::makeScratchDir("nobots");
    writeFile(dir + "/scripts/x.bot", "{ name Xaero }");
    writeFile(dir + "/VOBots.plist", "(old)");
    ASSERT_TRUE(BotScriptParser::makePlistFromBots("mod", dir));
    EXPECT_EQ(readFile(dir + "/VOBots.plist"), QByteArray("no bots found"));
}

// The lines the rules leave open or would turn into an unreadable database.
TEST(BotScriptParser, LinesThatWouldSpoilTheDatabaseAreMendedOrLeftOut)
{
    EXPECT_EQ(BotScriptParser::keyValueLine("\tname\t\tSarge"), "\tname\t=\tSarge;\n");
    EXPECT_EQ(BotScriptParser::keyValueLine("name Mr \"Big\"\\"),
              "name =\"Mr \\\"Big\\\"\\\\\";\n");
    EXPECT_EQ(BotScriptParser::keyValueLine("name\t\tSarge^7 *"), "name\t=\t\"Sarge^7\";\n");
    EXPECT_EQ(BotScriptParser::keyValueLine("name\t\t"), "");
    EXPECT_EQ(BotScriptParser::keyValueLine("^1Sarge"), "");

    const QVariantList bots = botsFrom("}\n{\nname a\nloose\n}\nname between\n}\n{\nname b\n"
                                       "{\nname c\n{ }\nname d\n");
    EXPECT_EQ(column(bots, "name"), (QStringList{"a", "b", "c", "d"}));
}

TEST(BotScriptParser, AModsBotScriptsAreBounded)
{
    const QString dir = TestEnvironment::makeScratchDir("boundedbots");
    writeFile(dir + "/scripts/bots.txt", "{\nname\tSarge\n}\n");
    QByteArray huge = "{\nname\tHuge\n}\n";
    huge += QByteArray(ScriptBudget::defaultModTotal, '\n');
    writeFile(dir + "/scripts/a.bot", huge);
    writeFile(dir + "/scripts/b.bot", "{\nname\tSmall\n}\n");
    ASSERT_TRUE(BotScriptParser::makePlistFromBots("baseq3", dir));
    EXPECT_EQ(column(readList(dir + "/VOBots.plist"), "name"), (QStringList{"Sarge", "Small"}));
}
