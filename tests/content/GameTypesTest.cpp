#include "content/GameTypes.h"
#include "content/GameInfoParser.h"
#include "content/GameTypeMenu.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <limits>

namespace {

// A mod data directory named modDir, holding gameinfo.txt with these bytes when given.
QString modPath(const QString& modDir, const std::optional<QByteArray>& gameInfo = std::nullopt)
{
    const QString path = TestEnvironment::makeScratchDir(QStringLiteral("mods/") + modDir);
    if (gameInfo) {
        QFile file(path + QStringLiteral("/gameinfo.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*gameInfo);
    }
    return path;
}

// The parsed entries as "name|number text" lines, for compact comparisons.
QStringList entriesOf(const GameTypes& types)
{
    EXPECT_EQ(types.gametypeNames().size(), types.gametypeNumbers().size());
    QStringList lines;
    for (qsizetype i = 0; i < types.gametypeNames().size(); ++i)
        lines.append(types.gametypeNames().at(i) + QLatin1Char('|') +
                     types.gametypeNumbers().value(i));
    return lines;
}

struct RecordingMenu : GameTypeMenu
{
    QStringList calls;
    void removeAllItems() override { calls.append(QStringLiteral("clear")); }
    void addItem(const QString& title, int tag) override
    {
        calls.append(QStringLiteral("%1=%2").arg(title).arg(tag));
    }
    void selectItem(int index) override { calls.append(QStringLiteral("select %1").arg(index)); }
};

class LogCapture
{
public:
    LogCapture() { m_previous = qInstallMessageHandler(&LogCapture::handler); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    static QStringList& lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void handler(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        lines().append(message);
    }
    QtMessageHandler m_previous;
};

} // namespace

TEST(GameInfoParser, ReadsTheEntriesOfTheGametypesBlock)
{
    const GameTypes types(modPath(QStringLiteral("examplemod"),
                                  "// Game types\ngametypes\n{\n"
                                  "\t{ \"Free For All\" 0 }\n"
                                  "\t{ \"Capture the Flag\" 4 }\n}\n"));
    EXPECT_EQ(entriesOf(types), QStringList({"Free For All| 0", "Capture the Flag| 4"}));
    EXPECT_EQ(GameTypes::integerValue(types.gametypeNumbers().at(1)), 4);
    // No type words are known for this directory: every game type lists all maps.
    EXPECT_EQ(types.gametypeShortnames(), QStringList({"all", "all"}));
}

TEST(GameInfoParser, ANumberRightBeforeTheClosingBraceIsKept)
{
    // Only trailing blanks are dropped: a digit next to the brace is still the number.
    const GameInfoParser::Result result = GameInfoParser::parse(
        QStringLiteral("gametypes {\n{ \"Capture the Flag\" 4}\n{ \"Team\" 3 }\n{\"Odd\"}\n}"));
    ASSERT_EQ(result.entries.size(), 3);
    EXPECT_EQ(result.entries.at(0).numberText, QStringLiteral(" 4"));
    EXPECT_EQ(result.entries.at(1).numberText, QStringLiteral(" 3"));
    EXPECT_EQ(result.entries.at(2).name, QStringLiteral("Odd"));
    EXPECT_EQ(result.entries.at(2).numberText, QString());
}

TEST(GameInfoParser, MalformedFilesGiveADefinedList)
{
    struct Case
    {
        const char* what;
        QByteArray bytes;
        QStringList entries;
    };
    const Case cases[] = {
        {"no gametypes word", "{ \"Free For All\" 0 }", {}},
        {"word in the wrong case", "GameTypes { { \"A\" 0 } }", {}},
        {"no braces at all", "gametypes \"Free For All\" 0", {}},
        {"no closing brace", "gametypes { { \"A\" 1 ", {}},
        {"braces before the word only", "{ { \"A\" 1 } } gametypes", {}},
        {"nested braces end the list at the first inner closing brace",
         "gametypes { { \"A\" 1 { \"B\" 2 } } { \"C\" 3 } }",
         {"A| 1 { \"B\" 2"}},
        {"entry without quotes is skipped",
         "gametypes {\n{ Deathmatch 0 }\n{ \"Team\" 3 }\n}",
         {"Team| 3"}},
        {"entry with one quote is skipped", "gametypes { { \"Half 1 } { \"B\" 2 } }", {"B| 2"}},
        {"empty and one-character bodies", "gametypes { {} {x} { \"C\" 3 } }", {"C| 3"}},
        {"empty name", "gametypes { { \"\" 7 } }", {"| 7"}},
        {"closing brace first ends the block", "gametypes { } { \"A\" 1 }", {}},
        {"NUL bytes between and inside entries",
         QByteArray("gametypes\0{\0{ \"Free\0All\" 0\0}\0\0{ \"B\" 2 }\0}", 41),
         {QStringLiteral("Free") + QChar(0) + QStringLiteral("All| 0") + QChar(0), "B| 2"}},
        {"only NUL bytes", QByteArray(64, '\0'), {}},
    };
    for (const Case& c : cases) {
        const GameTypes types(modPath(QStringLiteral("badmod"), c.bytes));
        EXPECT_EQ(entriesOf(types), c.entries) << c.what;
        EXPECT_EQ(types.gametypeShortnames().size(), c.entries.size()) << c.what;
    }
}

TEST(GameInfoParser, AMissingFirstBraceIsLogged)
{
    LogCapture capture;
    const GameTypes types(modPath(QStringLiteral("nobrace"), "gametypes\n\"FFA\" 0\n"));
    EXPECT_EQ(types.numberOfGameTypes(), 0);
    EXPECT_TRUE(LogCapture::lines().contains(
        QStringLiteral("Error: Could not find first left brace in gameinfo.txt")));
}

TEST(GameInfoParser, RandomBytesNeverBreakTheTable)
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes(random.bounded(1, 600), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(256));
        if (round % 2)
            bytes.insert(random.bounded(int(bytes.size())), "gametypes {");
        const GameInfoParser::Result result = GameInfoParser::parse(GameInfoParser::decode(bytes));
        for (const GameInfoParser::Entry& entry : result.entries)
            ASSERT_FALSE(entry.name.contains(QLatin1Char('"'))) << "round " << round;
    }
    // The same through the file: names and numbers stay paired.
    QByteArray bytes(4000, Qt::Uninitialized);
    for (char& b : bytes)
        b = "{}\" gametypes07"[random.bounded(15)];
    const GameTypes types(modPath(QStringLiteral("noise"), "gametypes {" + bytes));
    EXPECT_EQ(types.gametypeNames().size(), types.gametypeNumbers().size());
    EXPECT_EQ(types.gametypeShortnames().size(), types.gametypeNames().size());
}

TEST(GameInfoParser, TextIsUtf8WhenValidElseLatin1)
{
    EXPECT_EQ(GameInfoParser::decode("Fr\xc3\xa9"), QStringLiteral("Fr\u00e9"));
    EXPECT_EQ(GameInfoParser::decode("Fr\xe9"), QStringLiteral("Fr\u00e9"));
    const GameTypes types(modPath(QStringLiteral("latin"), "gametypes { { \"Caf\xe9\" 1 } }"));
    EXPECT_EQ(types.gametypeNames(), QStringList({QStringLiteral("Caf\u00e9")}));
}

TEST(GameInfoParser, AnOversizedFileHasNoGameTypes)
{
    QByteArray bytes = "gametypes { { \"A\" 1 } }";
    bytes.append(QByteArray(GameInfoParser::maximumFileSize, ' '));
    const GameTypes types(modPath(QStringLiteral("huge"), bytes));
    EXPECT_EQ(types.numberOfGameTypes(), 0);
}

TEST(GameTypes, BuiltInTablesFollowTheFirstMatchingRule)
{
    struct Case
    {
        const char* mod;
        QStringList names;
        QStringList numbers;
    };
    const QStringList stockNames = {"Free For All", "Tournament", "Team Deathmatch",
                                    "Capture the Flag"};
    const Case cases[] = {
        {"q3rally",
         {"Deathmatch", "Racing Deathmatch", "Straight Racing", "Demolition Derby",
          "Capture the Flag"},
         {"0", "1", "2", "3", "4"}},
        {"q3rally2", stockNames, {"0", "1", "3", "4"}},
        {"myQ3TC",
         {"Free For All", "Survivor", "Team Deathmatch", "Capture the Flag", "Team Survivor"},
         {"0", "3", "4", "5", "6"}},
        {"q3tc", stockNames, {"0", "1", "3", "4"}},
        {"cosplay_osp",
         {"Free For All", "1v1 DM", "Teamplay DM", "Capture the Flag", "ClanArena"},
         {"0", "1", "3", "4", "5"}},
        {"freeze", {"Team Deathmatch Freeze", "Capture the Flag Freeze"}, {"3", "4"}},
        {"baseq3", stockNames, {"0", "1", "3", "4"}},
    };
    for (const Case& c : cases) {
        const GameTypes types(modPath(QString::fromLatin1(c.mod)));
        EXPECT_EQ(types.gametypeNames(), c.names) << c.mod;
        EXPECT_EQ(types.gametypeNumbers(), c.numbers) << c.mod;
    }
}

TEST(GameTypes, ShortNamesPairByIndexAndFallBackToAll)
{
    const GameTypes urbanTerror(modPath(QStringLiteral("q3ut2")));
    EXPECT_EQ(urbanTerror.gametypeShortnameForLongname(QStringLiteral("Tournament")),
              QStringLiteral("ut_team"));
    EXPECT_EQ(urbanTerror.gametypeShortnameForLongname(QStringLiteral("Capture the Flag")),
              QStringLiteral("ut_follow"));

    const GameTypes seals(modPath(QStringLiteral("seals")));
    EXPECT_EQ(seals.gametypeShortnameForLongname(QStringLiteral("Tournament")),
              QStringLiteral("ops"));
    EXPECT_EQ(seals.gametypeShortnameForLongname(QStringLiteral("Team Deathmatch")),
              QStringLiteral("all"));
    EXPECT_EQ(seals.gametypeShortnameForLongname(QStringLiteral("No Such Type")),
              QStringLiteral("all"));

    const GameTypes missionpack(modPath(QStringLiteral("missionpack")));
    EXPECT_EQ(missionpack.gametypeShortnames().size(), 7);
    EXPECT_EQ(missionpack.gametypeShortnameForLongname(QStringLiteral("Capture the Flag")),
              QStringLiteral("ctf"));

    // The prefix rule: a mod named after the stock game takes its words.
    const GameTypes variant(modPath(QStringLiteral("baseq3-extra")));
    EXPECT_EQ(variant.gametypeShortnames(), QStringList({"ffa", "tourney", "team", "ctf"}));
    const GameTypes unknown(modPath(QStringLiteral("mymod")));
    EXPECT_EQ(unknown.gametypeShortnames(), QStringList({"all", "all", "all", "all"}));
}

TEST(GameTypes, LimitsAndControlsComeFromTheFirstKeyInTheName)
{
    const GameTypes types(modPath(QStringLiteral("baseq3")));
    struct Case
    {
        const char* gameType;
        QStringList limits;
        QStringList flags;
    };
    const Case cases[] = {
        {"Team Deathmatch Freeze", {"0", "0", "8", "16"}, {"0", "1"}},
        {"Racing Deathmatch", {"20", "0", "0", "8"}, {"1", "0"}},
        {"Team Deathmatch", {"40", "0", "0", "12"}, {"1", "0"}},
        {"Team Survivor", {"20", "0", "0", "8"}, {"1", "1"}},
        {"Follow the Leader", {"0", "0", "8", "16"}, {"1", "1"}},
        {"Straight Racing", {"0", "15", "0", "12"}, {"1", "1"}},
        {"", {"0", "15", "0", "12"}, {"1", "1"}},
        {"capture the flag", {"0", "15", "0", "12"}, {"1", "1"}},
        {"rq3ctb CTB", {"0", "0", "8", "16"}, {"1", "1"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(types.gametypeLimitsForLongname(QString::fromLatin1(c.gameType)), c.limits)
            << c.gameType;
        EXPECT_EQ(types.gametypeEnableFlagsForLongname(QString::fromLatin1(c.gameType)), c.flags)
            << c.gameType;
    }
}

TEST(GameTypes, MenuItemsCarryTheirNumbers)
{
    const GameTypes types(
        modPath(QStringLiteral("menumod"), "gametypes { { \"Free For All\" 0 } { \"CTF\" -4x } }"));
    RecordingMenu menu;
    menu.calls.append(QStringLiteral("old item"));
    types.setGameTypeMenuItems(menu);
    EXPECT_EQ(menu.calls,
              QStringList({"old item", "clear", "Free For All=0", "CTF=-4", "select 0"}));

    const GameTypes empty(modPath(QStringLiteral("emptymod"), "no game types here"));
    RecordingMenu emptyMenu;
    empty.setGameTypeMenuItems(emptyMenu);
    EXPECT_EQ(emptyMenu.calls, QStringList({"clear"}));
    EXPECT_EQ(empty.gametypeShortnameForLongname(QStringLiteral("Free For All")),
              QStringLiteral("all"));
}

TEST(GameTypes, NumberTextsReadLikeCIntegers)
{
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral(" 3")), 3);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("\t\n 12 13")), 12);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("+7")), 7);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("-2x")), -2);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("x1")), 0);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral(" ")), 0);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("- 5")), 0);
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("99999999999999999999")),
              std::numeric_limits<int>::max());
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("-2147483648")),
              std::numeric_limits<int>::min());
    EXPECT_EQ(GameTypes::integerValue(QStringLiteral("-99999999999")),
              std::numeric_limits<int>::min());
}
