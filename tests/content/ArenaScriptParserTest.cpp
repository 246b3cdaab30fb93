#include "content/ArenaScriptParser.h"
#include "config/CommonData.h"
#include "content/ScriptBudget.h"
#include "content/ScriptTextCleaner.h"
#include "support/TestEnvironment.h"
#include "tests/content/ScriptTestSupport.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace ScriptTestSupport;

namespace {

QString lines(std::initializer_list<const char*> parts)
{
    QString text;
    for (const char* part : parts)
        text += QString::fromUtf8(part) + QLatin1Char('\n');
    return text;
}

// The maps the database keeps, and the names the parser recorded as unparsable.
struct Outcome
{
    QStringList maps;
    QStringList unparsable;
};

Outcome parse(const QString& script)
{
    ArenaScriptParser parser;
    const QVariantList list = listFromText(parser.plistTextFromArenaText(script, "baseq3"));
    return {column(list, QStringLiteral("map")), parser.unparsable().unparsableMaps()};
}

} // namespace

TEST(ArenaScriptParser, WorkedExampleGivesExactlyTheDatabaseText)
{
    ArenaScriptParser parser;
    const QString script = lines({"{", "map \"q3dm0\"", "longname \"Introduction\"", "}", "{",
                                  "map \"q3dm1\"", "type \"ffa\"", "}"});
    EXPECT_EQ(parser.plistTextFromArenaText(script, "baseq3"),
              lines({"(", "{map= \"q3dm0\";", "longname= \"Introduction\";", "}", ",", "{",
                     "map= \"q3dm1\";", "type= \"ffa\";", "}", ")"}));
    EXPECT_FALSE(parser.unparsable().foundUnparsableMaps());
}

TEST(ArenaScriptParser, MultiLineOneLineAndCrLfBlocksGiveTheSameKindOfEntry)
{
    ArenaScriptParser parser;
    const QVariantList standard = listFromText(
        parser.plistTextFromArenaText(lines({"{", "map \"q3dm0\"", "longname \"Introduction\"",
                                             "fraglimit 10", "type \"single\"", "}"}),
                                      "baseq3"));
    const QVariantMap expected{
        {"map", "q3dm0"}, {"longname", "Introduction"}, {"fraglimit", "10"}, {"type", "single"}};
    EXPECT_EQ(standard, QVariantList{expected});

    const QString oneLine = ScriptTextCleaner::stringFormattedWithNewlineChars(
        QStringLiteral("{ map \"a\" longname \"A\" type \"ffa\" }"));
    const QVariantMap a{{"map", "a"}, {"longname", "A"}, {"type", "ffa"}};
    EXPECT_EQ(listFromText(parser.plistTextFromArenaText(oneLine, "baseq3")), QVariantList{a});

    QString crlf = lines({"{", "map \"q3dm0\"", "longname \"Introduction\"", "fraglimit 10",
                          "type \"single\"", "}"});
    crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    EXPECT_EQ(listFromText(parser.plistTextFromArenaText(crlf, "baseq3")), standard);
}

TEST(ArenaScriptParser, BlocksThatFailTheTestAreLeftOutAndRecorded)
{
    // Comments at 0..2 vanish; three blanks make an unknown line; a comment after the value
    // swallows the ";"; two values fail.
    const Outcome outcome = parse(
        lines({"{", "// c", " // c", "  // c", "map \"ok\"", "}", "{", "map \"indent\"", "   // c",
               "}", "{", "map \"x\" // note", "}", "{", "map \"two\"", "timelimit 10 15", "}"}));
    EXPECT_EQ(outcome.maps, QStringList{"ok"});
    EXPECT_EQ(outcome.unparsable, (QStringList{"indent", "x//note", "two"}));
}

TEST(ArenaScriptParser, AFailedFirstBlockLeavesNoLeadingComma)
{
    ArenaScriptParser parser;
    const QString text = parser.plistTextFromArenaText(
        lines({"{", "map \"bad\"", "fraglimit", "junk line", "}", "{", "map \"good\"", "}"}),
        "baseq3");
    EXPECT_TRUE(text.startsWith(QLatin1String("(\n{map= \"good\";")));
    EXPECT_EQ(column(listFromText(text), "map"), QStringList{"good"});

    // All blocks fail: an empty list, and every map line of every block is recorded.
    const Outcome all = parse(lines({"{", "map \"a\"", "longname \"Bigmap\"", "bad line", "}", "{",
                                     "map \"b\"", "bad line", "}"}));
    EXPECT_TRUE(all.maps.isEmpty());
    EXPECT_EQ(all.unparsable, (QStringList{"a", "", "b"}));
}

// The points the rules leave open, as this parser settles them.
TEST(ArenaScriptParser, StrayBracesAndTextOutsideBlocksNeverSpoilTheList)
{
    // "}" before any "{", text between blocks, and a "}" after a block already closed.
    Outcome outcome = parse(lines({"map \"early\"", "}", "{", "map \"a\"", "}", "map \"between\"",
                                   "}", "{", "map \"b\"", "}"}));
    EXPECT_EQ(outcome.maps, (QStringList{"a", "b"}));
    EXPECT_EQ(outcome.unparsable, (QStringList{"early", "between"}));

    // "} {" closes one block and opens the next, whether the closed block passes or fails;
    // a one-line "{ ... }" keeps nothing after its "{", like any opening line.
    outcome = parse(lines({"{", "map \"a\"", "} {", "map \"b\"", "bad line", "}{", "map \"c\"", "}",
                           "{ map \"d\" }"}));
    EXPECT_EQ(outcome.maps, (QStringList{"a", "c", ""}));
    EXPECT_EQ(outcome.unparsable, QStringList{"b"});

    // A block that is never closed, before another block and at the end.
    outcome = parse(lines({"{", "map \"open1\"", "{", "map \"ok\"", "}", "{", "map \"open2\""}));
    EXPECT_EQ(outcome.maps, QStringList{"ok"});
    EXPECT_EQ(outcome.unparsable, (QStringList{"open1", "open2"}));
}

TEST(ArenaScriptParser, OpeningTextBlankLinesAndLeadingQuotes)
{
    ArenaScriptParser parser;
    // The first opening line is written as the "{" that was tested, so a comment on it
    // cannot swallow the next line; a long blank line stays blank; a line that starts with
    // its value has no key and fails.
    const QString text = parser.plistTextFromArenaText(
        lines({"{  // first", "map \"a\"", "          ", "}", "{", "\"q3dm2\"", "}"}), "baseq3");
    EXPECT_TRUE(text.startsWith(QLatin1String("(\n{map= \"a\";\n          }")));
    EXPECT_EQ(column(listFromText(text), "map"), QStringList{"a"});
    // Short lines are written without their line break: a block that reads differently
    // then is left out instead of spoiling the list.
    const Outcome joined =
        parse(lines({"{", "a=b", "/*", "*/;", "map \"x\"", "}", "{", "k=v;", "map \"y\"", "}"}));
    EXPECT_EQ(joined.maps, QStringList{"y"});
    EXPECT_EQ(joined.unparsable, QStringList{"x"});

    EXPECT_EQ(ArenaScriptParser::keyValueLine(QStringLiteral("\"q3dm2\"")),
              QStringLiteral("=\"q3dm2\";\n"));
    EXPECT_EQ(ArenaScriptParser::keyValueLine(QStringLiteral("fraglimit 15\r")),
              QStringLiteral("fraglimit= 15;\n"));
    EXPECT_EQ(ArenaScriptParser::keyValueLine(QStringLiteral("maxplayers 4")),
              QStringLiteral("maxplayers= 4;\n"));
}

TEST(ArenaScriptParser, GathersTheScriptFilesOfAModDataDirectory)
{
    const QString dir = TestEnvironment::makeScratchDir("arenas");
    writeFile(dir + "/scripts/maps.txt", "{\nmap \"ignored\"\n}\n");
    writeFile(dir + "/scripts/arenas.txt", "{\nmap \"list\"\n}");
    writeFile(dir + "/scripts/b.arena", "{ map \"b\" type \"ffa\" }");
    writeFile(dir + "/scripts/sub/a.arena", "{ map \"suba\" }");
    writeFile(dir + "/scripts/c.ARENA", "{ map \"upper\" }");
    writeFile(dir + "/maps/x.mapinfo", "mapinfo\n{\nmap \"info\"; // c\ngameindexDef 1\n{\n}\n}\n");
    writeFile(dir + "/maps/w.cfg", "{ map \"cfg\" }");
    writeFile(dir + "/VOArenas.plist", "stale");

    ArenaScriptParser parser;
    ASSERT_TRUE(parser.makePlistFromArena("baseq3", dir));
    EXPECT_EQ(column(readList(dir + "/VOArenas.plist"), "map"),
              (QStringList{"list", "b", "suba", "cfg", "info"}));

    // maps.txt stands in only when arenas.txt is missing; no scripts at all: an empty list.
    QFile::remove(dir + "/scripts/arenas.txt");
    ASSERT_TRUE(parser.makePlistFromArena("baseq3", dir));
    EXPECT_EQ(column(readList(dir + "/VOArenas.plist"), "map").first(), "ignored");
    const QString empty = TestEnvironment::makeScratchDir("empty");
    ASSERT_TRUE(parser.makePlistFromArena("baseq3", empty));
    EXPECT_EQ(readFile(empty + "/VOArenas.plist"), QByteArray("(\n\n)\n"));
}

TEST(ArenaScriptParser, SignedValuesAndEveryPlainCharacterAreKept)
{
    const Outcome signedLimit = parse(lines({"{", "map \"ctf1\"", "fraglimit +10", "}"}));
    EXPECT_EQ(signedLimit.maps, QStringList{"ctf1"});
    EXPECT_TRUE(signedLimit.unparsable.isEmpty());

    ArenaScriptParser parser;
    const QVariantList list = listFromText(parser.plistTextFromArenaText(
        lines({"{", "map \"every\"", "timelimit azAZ09_$+/:.-", "fraglimit -5", "}"}), "baseq3"));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.first().toMap().value("timelimit"), "azAZ09_$+/:.-");
    EXPECT_EQ(list.first().toMap().value("fraglimit"), "-5");
}

TEST(ArenaScriptParser, AModsScriptsAreBoundedAndTheRestSkipped)
{
    // One script past the bound is skipped whole; those that fit are still read.
    const QString dir = TestEnvironment::makeScratchDir("bounded");
    writeFile(dir + "/scripts/arenas.txt", "{\nmap \"list\"\n}\n");
    QByteArray huge = "{ map \"huge\" }\n";
    huge += QByteArray(ScriptBudget::defaultModTotal, ' ');
    writeFile(dir + "/scripts/a.arena", huge);
    writeFile(dir + "/scripts/b.arena", "{ map \"small\" }");
    ArenaScriptParser parser;
    ASSERT_TRUE(parser.makePlistFromArena("baseq3", dir));
    EXPECT_EQ(column(readList(dir + "/VOArenas.plist"), "map"), (QStringList{"list", "small"}));

    ScriptBudget budget(100);
    QStringList pieces;
    ArenaScriptParser::forEachScriptPiece(dir, budget,
                                          [&](const QString& piece) { pieces.append(piece); });
    EXPECT_EQ(pieces.size(), 2) << "the list and the small arena";
    ASSERT_EQ(budget.skipped().size(), 1);
    EXPECT_TRUE(budget.skipped().first().contains("a.arena"));
}

TEST(UnparsableMaps, PrintoutAndDatedLog)
{
    UnparsableMaps maps;
    EXPECT_EQ(maps.unparsableMapsPrintoutTable(), "All maps were successfully parsed.");
    maps.addMap("a", "baseq3", "pak0.pk3");
    maps.addMap("%2", "mod", "Unknown");
    maps.addMap("a", "other", "pak9.pk3"); // the last finding wins for both entries of "a"
    EXPECT_EQ(maps.unparsableMapsPrintoutTable(), "Map: a  Pak: pak9.pk3    (Mod: other)\n"
                                                  "Map: %2  Pak: Unknown    (Mod: mod)\n"
                                                  "Map: a  Pak: pak9.pk3    (Mod: other)\n");

    const QDateTime when(QDate(2006, 5, 12), QTime(14, 3, 27), QTimeZone(2 * 3600));
    EXPECT_EQ(UnparsableMaps::logFileName(when), "UnparsableMaps-2006-05-12 14:03:27 +0200.txt");
    const QDateTime west(QDate(2006, 5, 12), QTime(4, 3, 27), QTimeZone(-(3 * 3600 + 1800)));
    EXPECT_EQ(UnparsableMaps::logFileName(west), "UnparsableMaps-2006-05-12 04:03:27 -0330.txt");

    const QString dir = TestEnvironment::makeScratchDir("log") + "/not/yet";
    ASSERT_TRUE(maps.saveUnparsableMapsLog(dir, when).ok());
    EXPECT_EQ(readFile(dir + "/" + UnparsableMaps::logFileName(when)),
              maps.unparsableMapsPrintoutTable().toUtf8());
}
