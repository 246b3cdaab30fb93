#include "config/CommonData.h"
#include "content/ArenaScriptParser.h"
#include "content/BotLibrary.h"
#include "content/BotScriptParser.h"
#include "content/PakScanner.h"
#include "support/Pk3Builder.h"
#include "support/TestEnvironment.h"
#include "tests/content/ScriptTestSupport.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace ScriptTestSupport;

namespace {

// Debian's openarena-server brings the free OpenArena data (tools/setup-debian.sh installs it).
const QString kOpenArenaData = QStringLiteral("/usr/share/games/openarena/baseoa");

// The values of one key in the script's lines, comments left out.
QStringList scriptValues(const QString& path, const QString& pattern)
{
    QStringList values;
    const QRegularExpression line(pattern);
    for (const QString& text : QString::fromLatin1(readFile(path)).split('\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            values.append(match.captured(1));
    }
    return values;
}

class OpenArenaScripts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QStringList paks = QDir(kOpenArenaData).entryList({"*.pk3"}, QDir::Files, QDir::Name);
        ASSERT_FALSE(paks.isEmpty()) << "No OpenArena data in " << kOpenArenaData.toStdString()
                                     << ": run tools/setup-debian.sh (openarena-server)";
        // A game folder whose stock game links to OpenArena's paks, as the demo game does.
        root = TestEnvironment::makeScratchDir("game");
        ASSERT_TRUE(QDir().mkpath(root + "/baseq3"));
        for (const QString& pak : paks)
            ASSERT_TRUE(QFile::link(kOpenArenaData + "/" + pak, root + "/baseq3/" + pak));
        modPaks = PakScanner::paksOfMod(root + "/baseq3");
        data = GamePaths(root, "baseq3").appSupportQ3VXCurrentModDir();
        QDir(data).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(data));
    }

    // Takes a script out of a pak: the named one, or else the last that holds it, as the
    // newest copy wins when the paks are extracted in order.
    void extract(const QString& member, const QString& fromPak = {})
    {
        QString source = fromPak;
        for (const QString& pak : modPaks)
            if (fromPak.isEmpty() &&
                Pk3Builder::memberNames(root + "/baseq3/" + pak).contains(member))
                source = pak;
        ASSERT_FALSE(source.isEmpty()) << member.toStdString() << " is in no pak";
        ASSERT_TRUE(Pk3Builder::extractTo(root + "/baseq3/" + source, member, data + "/" + member))
            << member.toStdString() << " is not in " << source.toStdString();
    }

    // The first pak, in walk order, one of whose member names holds the map.
    QString pakHolding(const QString& map) const
    {
        for (const QString& pak : modPaks)
            for (const QString& member : Pk3Builder::memberNames(root + "/baseq3/" + pak))
                if (member.contains(map))
                    return pak;
        return "Unknown";
    }

    QString root;
    QString data;
    QStringList modPaks;
};

} // namespace

TEST_F(OpenArenaScripts, EveryMapIsListedOrRecordedWithItsPak)
{
    extract("scripts/arenas.txt");
    extract("scripts/085p.arena", "pak6-patch085.pk3"); // the copy with maps; a later one is empty
    // The OpenArena scripts all parse: one block is spoiled (its title unquoted) so that the
    // rules have a real map to reject and a real pak to find.
    const QString arena = data + "/scripts/085p.arena";
    QStringList arenaLines = QString::fromLatin1(readFile(arena)).split('\n');
    const auto title = std::find_if(arenaLines.begin(), arenaLines.end(), [](const QString& line) {
        return line.startsWith("longname");
    });
    ASSERT_NE(title, arenaLines.end());
    title->remove('"');
    writeFile(arena, arenaLines.join('\n').toLatin1());

    ArenaScriptParser parser(root);
    ASSERT_TRUE(parser.makePlistFromArena("baseq3", data));

    const QString mapLine = QStringLiteral("^\\s*map\\s+\"([^\"]*)\"");
    const QStringList scripted = scriptValues(data + "/scripts/arenas.txt", mapLine) +
                                 scriptValues(data + "/scripts/085p.arena", mapLine);
    ASSERT_GE(scripted.size(), 40);
    const QStringList listed = column(readList(data + "/VOArenas.plist"), "map");
    const QStringList unparsable = parser.unparsable().unparsableMaps();
    EXPECT_GE(listed.size(), scripted.size() - unparsable.size());
    const QSet<QString> found = QSet<QString>(listed.begin(), listed.end()) +
                                QSet<QString>(unparsable.begin(), unparsable.end());
    EXPECT_EQ(found, QSet<QString>(scripted.begin(), scripted.end()));
    ASSERT_EQ(unparsable.size(), 1);
    EXPECT_NE(parser.unparsable().unparsableMapPakDict().value(unparsable.first()), "Unknown");
    for (const QString& map : unparsable) {
        EXPECT_EQ(parser.unparsable().unparsableMapPakDict().value(map), pakHolding(map))
            << map.toStdString();
        EXPECT_EQ(parser.unparsable().unparsableMapModDict().value(map), "baseq3");
    }
    // Every pak was listed at most once for all the unparsable maps together.
    EXPECT_LE(parser.pakFinder().listedPakCount(), modPaks.size());
}

TEST_F(OpenArenaScripts, EveryBotIsListed)
{
    extract("scripts/bots.txt");
    ASSERT_TRUE(BotScriptParser::makePlistFromBots("baseq3", data));
    const QStringList scripted = scriptValues(data + "/scripts/bots.txt", "^\\s*name\\s+(\\S+)");
    ASSERT_GE(scripted.size(), 20);

    const BotLibrary bots(GamePaths(root, "baseq3"));
    ASSERT_TRUE(bots.botLibraryDB().has_value());
    EXPECT_EQ(bots.names(), scripted);
}
