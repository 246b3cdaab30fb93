#include "config/CommonData.h"
#include "rcon/RconAsk.h"
#include "rcon/RconResponder.h"
#include "rcon/RconTransport.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerReplyParser.h"

#include <gtest/gtest.h>

namespace {

// As ioquake3 prints it: two columns of client number, the name padded to 16 visible
// characters, then "^7" and the address.
const QByteArray ioquakeStatus =
    "map: oa_dm1\n"
    "cl score ping name            address                                 rate \n"
    "-- ----- ---- --------------- --------------------------------------- -----\n"
    " 0     0    0 Sarge           ^7bot                                     16384\n"
    " 1    12   48 ^1Big^7Gun          ^7bot                                     16384\n"
    "\n";

// The classic engine's table: three columns of client number, the name right after.
const QByteArray classicStatus =
    "map: oa_dm1\n"
    "num score ping name            lastmsg address               qport rate\n"
    "--- ----- ---- --------------- ------- --------------------- ----- -----\n"
    "  0     0    0 Sarge^7             0 bot                       0 16384\n"
    "  3    12   48 ^1Big^7Gun^7        0 bot                       0 16384\n"
    "\n";

const QString unknownMap = QStringLiteral(" - ");

PlayerStatus player(const QString& name, const QString& ping, const QString& score)
{
    PlayerStatus status;
    status.setName(name);
    status.setPing(ping);
    status.setScore(score);
    return status;
}

QString statusWithPlayerLines(const QStringList& lines)
{
    return QStringLiteral("map: q3dm17\nheader\n--- ----- ---- ---------------\n") +
           lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n");
}

} // namespace

TEST(PlayerStatus, ColourCodesAreRemovedFromNamesOnly)
{
    EXPECT_EQ(PlayerStatus::stringStrippedFromCaretChars("^1Red^7"), "Red");
    EXPECT_EQ(PlayerStatus::stringStrippedFromCaretChars("^^77"), "77");
    EXPECT_EQ(PlayerStatus::stringStrippedFromCaretChars("plain name"), "plain name");
    EXPECT_EQ(PlayerStatus::stringStrippedFromCaretChars("Red^"), "Red");
    EXPECT_EQ(PlayerStatus::stringStrippedFromCaretChars(""), "");

    const PlayerStatus fresh;
    EXPECT_TRUE(fresh.name().isEmpty() && fresh.ping().isEmpty() && fresh.score().isEmpty());
    const PlayerStatus stored = player("^4Ana^7rki", "  ^1 ", " ^2  ");
    EXPECT_EQ(stored.name(), "Anarki");
    EXPECT_EQ(stored.ping(), "  ^1 ");
    EXPECT_EQ(stored.score(), " ^2  ");
}

TEST(StatusReply, IoquakeTableGivesMapAndPlayersWithTheirColumns)
{
    RconResponder server;
    server.answerNextWith(ioquakeStatus);
    auto client = server.client();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->serverStatus(), "No response from server");
    EXPECT_FALSE(client->playersStatus());

    RconAsk::refresh(*client);
    EXPECT_TRUE(client->serverStatusOK());
    EXPECT_EQ(client->serverStatus(), QString::fromLatin1(ioquakeStatus));
    EXPECT_TRUE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "oa_dm1");
    ASSERT_TRUE(client->setPlayersStatus());
    const QList<PlayerStatus> expected = {player("Sarge", "   0", "    0"),
                                          player("BigGun", "  48", "   12")};
    EXPECT_EQ(*client->playersStatus(), expected);
    EXPECT_EQ(client->playerNameAtIndex(1), "BigGun");
    EXPECT_EQ(client->playerNameAtIndex(2), "");
    EXPECT_EQ(client->playerNameAtIndex(-1), "");
}

TEST(StatusReply, ClassicTableGivesTheSameFields)
{
    EXPECT_EQ(ServerReplyParser::statusColumns(classicStatus.split('\n').at(2)),
              ServerReplyParser::classicColumns());
    const QList<PlayerStatus> expected = {player("Sarge", "   0", "    0"),
                                          player("BigGun", "  48", "   12")};
    EXPECT_EQ(ServerReplyParser::playersFromStatus(QString::fromLatin1(classicStatus)), expected);
    EXPECT_EQ(ServerReplyParser::mapNameFromStatus(QString::fromLatin1(classicStatus)), "oa_dm1");
}

TEST(StatusReply, ShortAndGarbledRepliesGiveWhatTheyHold)
{
    // Map line, two header lines, the empty line and the empty end: no players.
    EXPECT_TRUE(ServerReplyParser::playersFromStatus("map: q3dm17\nh\n---\n\n").isEmpty());
    for (const char* garbled : {"", "Server is not running.\n", "\n\n\n\n\n\n\n\n", "map:x"}) {
        EXPECT_TRUE(ServerReplyParser::playersFromStatus(garbled).isEmpty()) << garbled;
        EXPECT_FALSE(ServerReplyParser::mapNameFromStatus(garbled)) << garbled;
    }
    EXPECT_FALSE(ServerReplyParser::mapNameFromStatus("map: \nx"));
    EXPECT_EQ(ServerReplyParser::mapNameFromStatus("a: b: c\nx"), "b");

    const QList<PlayerStatus> players = ServerReplyParser::playersFromStatus(statusWithPlayerLines(
        {"  0     0", "  1     5   20 Anarki", "  2     1    9 Big Gun   0 bot",
         "  3     2    7 Big Gun\t  0 bot", "  4     3    5 ABCDEFGHIJKLMNOPQRS"}));
    const QList<PlayerStatus> expected = {
        player("Anarki", "  20", "    5"), player("Big", "   9", "    1"),
        player("Big Gun", "   7", "    2"), player("ABCDEFGHIJKLMNO", "   5", "    3")};
    EXPECT_EQ(players, expected);

    EXPECT_EQ(RemoteControl::playerNameRange("short", 15), (ServerReplyParser::Range{15, 0}));
    EXPECT_EQ(ServerReplyParser::statusColumns("no dashes here"),
              ServerReplyParser::classicColumns());
}

TEST(StatusReply, CurrentMapGoesThroughTheMapLibrary)
{
    RconResponder server;
    server.answerNextWith("map: q3dm1\n");
    server.answerNextWith("map: oa_dm9\n");
    server.answerNextWith("garbled\n");
    const QStringList keys = {"q3dm10", "q3dm1"};
    RemoteControlServices services;
    services.mapDBNameForServerMap = [keys](const QString& reported) {
        for (const QString& key : keys) {
            if (key.contains(reported))
                return key;
        }
        return QString();
    };
    auto client = server.client(services);
    ASSERT_TRUE(client);

    RconAsk::refresh(*client);
    EXPECT_TRUE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "q3dm10");
    RconAsk::refresh(*client);
    EXPECT_TRUE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "oa_dm9"); // unknown to the library: the server's name
    RconAsk::refresh(*client);
    EXPECT_FALSE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "oa_dm9");
    EXPECT_FALSE(client->setPlayersStatus());
    EXPECT_FALSE(client->playersStatus());

    RconAsk::refresh(*client); // no answer scripted
    EXPECT_FALSE(client->serverStatusOK());
    EXPECT_FALSE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), unknownMap);
}

TEST(NextMap, ReadsTheMapCycleVariableAgainstTheRotation)
{
    RconResponder server;
    ServerConfig config = server.config();
    QStringList maps;
    for (int i = 1; i <= 12; ++i)
        maps.append(QStringLiteral("map%1").arg(i));
    config.setMapList(maps);
    auto client = RemoteControl::create(config, {});
    ASSERT_TRUE(client);

    const struct
    {
        QByteArray reply;
        bool found;
        QString nextMap;
    } cases[] = {
        {"\"nextmap\" is:\"vstr d2^7\" default:\"^7\"", true, "map2"},
        {"\"nextmap\" is:\"vstr d12^7\"", true, "map12"},
        {"\"nextmap\" is:\"vstr dx^7\" default:\"^7\"", false, unknownMap},
        {"\"nextmap\" is:\"vstr d13^7\"", false, unknownMap},
        {"\"nextmap\" is:\"vstr d0^7\"", false, unknownMap},
        {"\"nextmap\" is:\"vstr d99999999999999^7\"", false, unknownMap},
        {"\"nextmap\" is:\"map q3dm17^7\"", false, "kept"},
    };
    for (const auto& sample : cases) {
        client->setNextMapFromMapInConfig(QStringLiteral("kept"));
        server.answerNextWith(sample.reply);
        EXPECT_EQ(RconAsk::nextMap(*client), sample.found) << sample.reply.constData();
        EXPECT_EQ(client->nextMap(), sample.nextMap) << sample.reply.constData();
    }
    EXPECT_EQ(server.requests().last(), *RconTransport::requestDatagram("secret", "nextmap"));

    client->setNextMapFromMapInConfig(QStringLiteral("kept"));
    EXPECT_FALSE(RconAsk::nextMap(*client)); // no answer
    EXPECT_EQ(client->nextMap(), unknownMap);
}

TEST(NextMap, UrbanTerrorFollowsTheRotationWithoutAsking)
{
    RconResponder server;
    ServerConfig config = server.config();
    config.setModName(QStringLiteral("q3ut2"));
    config.setMapList({"ut4_abbey", "ut4_casa", "ut4_turnpike"});
    RemoteControlServices services;
    services.mapDBNameForServerMap = [](const QString& reported) {
        return reported == "ut4_casa" ? QStringLiteral("ut4_casa (Casa)") : reported;
    };
    auto client = RemoteControl::create(config, services);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->rconMod(), "q3ut2");

    const auto nextAfter = [&](const QByteArray& map) {
        server.answerNextWith("map: " + map + "\n");
        RconAsk::refresh(*client);
        client->setCurrentMap();
        const bool found = RconAsk::nextMap(*client);
        return found ? client->nextMap() : QStringLiteral("not found: ") + client->nextMap();
    };
    EXPECT_EQ(nextAfter("ut4_abbey"), "ut4_casa");
    EXPECT_EQ(nextAfter("ut4_casa"), "ut4_turnpike"); // by the first word of "ut4_casa (Casa)"
    EXPECT_EQ(nextAfter("ut4_turnpike"), "ut4_abbey");
    EXPECT_EQ(nextAfter("ut4_uptown"), "not found:  - ");
    EXPECT_EQ(server.requests().size(), 4); // the status queries only

    config.setRotateMaps(false);
    client->setRconServerConfig(config);
    EXPECT_EQ(nextAfter("ut4_turnpike"), "ut4_turnpike");
}

TEST(Limits, TypesMapToFieldsAndServerVariables)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    for (int type = -1; type <= 5; ++type)
        client->setLimit(10 + type, type);
    EXPECT_EQ(client->fragLimit(), 10);
    EXPECT_EQ(client->timeLimit(), 11);
    EXPECT_EQ(client->captureLimit(), 12);
    EXPECT_EQ(client->maxPlayers(), 14);
    const QStringList variables = {"fraglimit", "timelimit", "capturelimit",
                                   "#limit type not chosen", "sv_maxclients"};
    for (int type = 0; type < 5; ++type)
        EXPECT_EQ(client->limitsCommands(type), variables.at(type));
    EXPECT_EQ(client->limitsCommands(5), "");
    EXPECT_EQ(client->runningServerConfigName(), "Loopback");
    EXPECT_EQ(client->serverName(), "Loopback server");
    EXPECT_EQ(client->currentMap(), unknownMap);
    EXPECT_EQ(client->nextMap(), unknownMap);
}
