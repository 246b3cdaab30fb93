#include "rcon/PeopleCount.h"
#include "rcon/QueryReplyParser.h"
#include "rcon/QueryReport.h"
#include "rcon/ServerEndpoint.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// As ioquake3 1.36 answers with two bots on the server.
const QByteArray realInfo =
    "\xff\xff\xff\xffinfoResponse\n\\game\\baseq3\\voip\\opus\\g_needpass\\0\\pure\\1\\gametype\\0"
    "\\sv_maxclients\\8\\g_humanplayers\\0\\clients\\2\\mapname\\oa_dm1\\hostname\\^1Red ^7Host"
    "\\protocol\\68\\gamename\\Quake3Arena\\challenge\\xyz123";

QByteArray status(const QByteArray& players, const QByteArray& variables = "\\sv_hostname\\Host")
{
    return "\xff\xff\xff\xffstatusResponse\n\\challenge\\abc" + variables + '\n' + players;
}

QueryPlayer player(int score, int ping, const QString& name)
{
    QueryPlayer p;
    p.score = score;
    p.ping = ping;
    p.name = name;
    return p;
}

} // namespace

TEST(QueryReplyParser, InfoResponseOfIoquakeGivesItsFields)
{
    const std::optional<ServerInfoReply> info = QueryReplyParser::infoResponse(realInfo);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->challenge, "xyz123");
    EXPECT_EQ(info->hostName, "^1Red ^7Host") << "colour codes stay in the data";
    EXPECT_EQ(info->mapName, "oa_dm1");
    EXPECT_EQ(info->mod, "baseq3");
    EXPECT_EQ(info->gameName, "Quake3Arena");
    EXPECT_EQ(info->protocol, 68);
    EXPECT_EQ(info->gameType, 0);
    EXPECT_EQ(info->clients, 2);
    EXPECT_EQ(info->maxClients, 8);
    EXPECT_EQ(info->humanPlayers, 0);
    EXPECT_FALSE(info->needPassword);
    EXPECT_EQ(info->info.value(u"HOSTNAME"), "^1Red ^7Host") << "keys compare as the engine does";
    EXPECT_EQ(PeopleCount::fromInfo(*info), (PeopleCount{0, 2}));

    // The command word in any case; anything else is no info reply.
    EXPECT_TRUE(QueryReplyParser::infoResponse("\xff\xff\xff\xffinforesponse\n\\clients\\1"));
    EXPECT_FALSE(QueryReplyParser::infoResponse("\xff\xff\xff\xffstatusResponse\n\\a\\b"));
    EXPECT_FALSE(QueryReplyParser::infoResponse("\xff\xff\xffinfoResponse\n\\a\\b"));
    EXPECT_FALSE(QueryReplyParser::infoResponse("infoResponse\n\\a\\b"));
    EXPECT_FALSE(QueryReplyParser::infoResponse(""));

    // An engine without g_humanplayers cannot tell people from bots.
    const std::optional<ServerInfoReply> old =
        QueryReplyParser::infoResponse("\xff\xff\xff\xffinfoResponse\n\\clients\\3\\sv_maxclients\\x");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->clients, 3);
    EXPECT_EQ(old->maxClients, -1);
    EXPECT_FALSE(PeopleCount::fromInfo(*old));
}

TEST(QueryReplyParser, StatusResponseGivesVariablesAndPlayers)
{
    const std::optional<ServerStatusReply> reply = QueryReplyParser::statusResponse(
        status("12 48 \"^1Big ^7Gun\"\n-3 0 \"Sarge\"\n0 999 \"joining\"\n\n",
               "\\sv_hostname\\^1Red\\g_gametype\\4\\mapname\\oa_ctf2\\sv_maxclients\\12\\g_needpass\\1"));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->challenge, "abc");
    EXPECT_EQ(reply->hostName(), "^1Red");
    EXPECT_EQ(reply->mapName(), "oa_ctf2");
    EXPECT_EQ(reply->gameType(), 4);
    EXPECT_EQ(reply->maxClients(), 12);
    EXPECT_TRUE(reply->needPassword());
    const QList<QueryPlayer> expected{player(12, 48, "^1Big ^7Gun"), player(-3, 0, "Sarge"),
                                      player(0, 999, "joining")};
    EXPECT_EQ(reply->players, expected);
    EXPECT_EQ(reply->players.first().visibleName(), "Big Gun");
    EXPECT_EQ(reply->linesSkipped, 0);

    // No players, and no line after the variables at all.
    EXPECT_TRUE(QueryReplyParser::statusResponse(status(""))->players.isEmpty());
    const std::optional<ServerStatusReply> bare =
        QueryReplyParser::statusResponse("\xff\xff\xff\xffstatusResponse\n\\challenge\\abc");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->challenge, "abc");
    EXPECT_TRUE(bare->players.isEmpty());
}

TEST(QueryReplyParser, GarbledAndTornLinesAreSkippedAndCounted)
{
    const std::optional<ServerStatusReply> reply = QueryReplyParser::statusResponse(
        status("1 2 \"ok\"\nnot a player\n1 \"no ping\"\n99999999999 0 \"huge\"\n3 4 bare name\n"
               "5 6 \"torn at the end"));
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->players.size(), 2);
    EXPECT_EQ(reply->players.at(0).name, "ok");
    EXPECT_EQ(reply->players.at(1).name, "bare name") << "an engine that does not quote names";
    EXPECT_EQ(reply->linesSkipped, 4);

    // A zero byte ends the datagram's text, as it ends the engine's strings.
    const std::optional<ServerStatusReply> cut =
        QueryReplyParser::statusResponse(status(QByteArray("1 2 \"a\"\n3 4 \"b\0c\"\n5 6 \"d\"\n", 26)));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->players.size(), 1);
}

TEST(QueryReplyParser, RepliesAreBoundedWhateverTheServerSends)
{
    QByteArray players;
    for (int i = 0; i < 200; ++i)
        players += "0 0 \"" + QByteArray(1000, 'x') + "\"\n";
    QByteArray variables;
    for (int i = 0; i < 300; ++i)
        variables += "\\v" + QByteArray::number(i) + '\\' + QByteArray(2000, 'y');
    const QueryLimits limits;
    const std::optional<ServerStatusReply> reply = QueryReplyParser::statusResponse(status(players, variables), limits);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->players.size(), limits.players);
    EXPECT_EQ(reply->playersLeftOut, 200 - limits.players);
    for (const QueryPlayer& p : reply->players) {
        EXPECT_EQ(p.name.size(), limits.nameLength);
        EXPECT_TRUE(p.nameCut);
    }
    EXPECT_EQ(reply->variables.entries().size(), limits.info.entries);
    EXPECT_EQ(reply->variables.entriesLeftOut(), 301 - limits.info.entries);
    for (const InfoString::Entry& entry : reply->variables.entries())
        EXPECT_LE(entry.value.size(), limits.info.textLength);

    // A cut never splits a character written as two halves.
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    EXPECT_EQ(InfoString::cut(QStringLiteral("ab") + emoji, 3), "ab");
    EXPECT_EQ(InfoString::cut(QStringLiteral("ab") + emoji, 4), QStringLiteral("ab") + emoji);
}

TEST(QueryReplyParser, TextIsUtf8WhereValidAndByteForByteElsewhere)
{
    const std::optional<ServerStatusReply> reply = QueryReplyParser::statusResponse(status(
        "0 0 \"J\xc3\xb6rg\"\n0 0 \"J\xf6rg\"\n0 0 \"\x1b[2J\x07owned\"\n0 0 \"\xff\xfe\"\n"));
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->players.size(), 4);
    EXPECT_EQ(reply->players.at(0).name, QString::fromUtf8("J\xc3\xb6rg"));
    EXPECT_EQ(reply->players.at(1).name, QString::fromLatin1("J\xf6rg"));
    EXPECT_EQ(reply->players.at(2).name, QString::fromLatin1("\x1b[2J\x07owned"))
        << "kept as sent; only what shows it escapes it";
    EXPECT_EQ(reply->players.at(3).name, QString::fromLatin1("\xff\xfe"));

    // A colour code takes a character written as two halves whole, never half of it.
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    EXPECT_EQ(InfoString::withoutColourCodes(QStringLiteral("^") + emoji + QStringLiteral("x^1y")), "xy");
    EXPECT_EQ(InfoString::withoutColourCodes(QStringLiteral("^^77 end^")), "77 end");
}

TEST(PeopleCount, RconStatusTellsBotsByTheirAddress)
{
    // As ioquake3 prints it: a person on this machine has ping 0 like a bot; the address says.
    const QString table = QStringLiteral(
        "map: oa_dm1\n"
        "cl score ping name            address                                 rate \n"
        "-- ----- ---- --------------- --------------------------------------- -----\n"
        " 0     0    0 Sarge           ^7bot                                     16384\n"
        " 1     3    0 Big Boss        ^7127.0.0.1:27961                         25000\n"
        " 2     0   52 ^1Red           ^7[::1]:27962                             25000\n"
        " 3     0    0 Grunt           ^7bot                                     16384\n"
        "\n");
    EXPECT_EQ(PeopleCount::fromRconStatus(table), (PeopleCount{2, 2}));
    EXPECT_EQ(PeopleCount::fromRconStatus(QStringLiteral("map: oa_dm1\ncl score ping name address rate\n--\n\n")),
              (PeopleCount{0, 0}));
    // The classic table has columns after the address, and a reply may be no table at all.
    EXPECT_FALSE(PeopleCount::fromRconStatus(
        QStringLiteral("map: x\nnum score ping name lastmsg address qport rate\n---\n")));
    EXPECT_FALSE(PeopleCount::fromRconStatus(QStringLiteral("Bad rconpassword.\n")));
    EXPECT_FALSE(PeopleCount::fromRconStatus(QString()));
}

TEST(PeopleCount, PlayersAreToldApartOnlyWhereTheCountAllowsIt)
{
    using Kind = PeopleCount::Kind;
    const QList<QueryPlayer> players{player(0, 0, "Sarge"), player(0, 40, "Ana"), player(0, 0, "Grunt")};
    // One person, and she has a ping: the two with ping 0 are the bots.
    EXPECT_EQ(PeopleCount::kindsOf(players, PeopleCount{1, 2}),
              (QList<Kind>{Kind::Bot, Kind::Person, Kind::Bot}));
    // Two people, one of them on the server's machine (ping 0): either ping-0 player may be her.
    EXPECT_EQ(PeopleCount::kindsOf(players, PeopleCount{2, 1}),
              (QList<Kind>{Kind::PersonOrBot, Kind::Person, Kind::PersonOrBot}));
    // No count: ping 0 tells nothing.
    EXPECT_EQ(PeopleCount::kindsOf(players, std::nullopt),
              (QList<Kind>{Kind::PersonOrBot, Kind::Person, Kind::PersonOrBot}));
    // Anyone joining has ping 999, a bot too: that ping tells nothing either.
    const QList<QueryPlayer> joining{player(0, 999, "Sarge"), player(0, 40, "Ana"), player(0, 999, "Visitor")};
    EXPECT_EQ(PeopleCount::kindsOf(joining, PeopleCount{2, 1}),
              (QList<Kind>{Kind::PersonOrBot, Kind::Person, Kind::PersonOrBot}));
    EXPECT_EQ(PeopleCount::kindsOf(joining, PeopleCount{1, 2}),
              (QList<Kind>{Kind::Bot, Kind::Person, Kind::Bot}));
    // A count the list contradicts (a mod that shows bots with a ping): nobody is told.
    EXPECT_EQ(PeopleCount::kindsOf(players, PeopleCount{0, 3}),
              (QList<Kind>{Kind::PersonOrBot, Kind::PersonOrBot, Kind::PersonOrBot}));
}

TEST(ServerEndpoint, HostsPortsAndIpv6InBrackets)
{
    const auto parsed = [](const QString& text) {
        const Result<ServerEndpoint> result = ServerEndpoint::parse(text);
        return result.ok() ? result.value.text() : QStringLiteral("refused");
    };
    EXPECT_EQ(parsed("127.0.0.1"), "127.0.0.1:27960");
    EXPECT_EQ(parsed("127.0.0.1:27961"), "127.0.0.1:27961");
    EXPECT_EQ(parsed("games.example.org:27970"), "games.example.org:27970");
    EXPECT_EQ(parsed("localhost"), "localhost:27960");
    EXPECT_EQ(parsed("[::1]:27961"), "[::1]:27961");
    EXPECT_EQ(parsed("[fe80::1%eth0]"), "[fe80::1%eth0]:27960");
    EXPECT_EQ(parsed("::1"), "[::1]:27960") << "a bare IPv6 address has no port";
    for (const char* bad : {"", ":27960", "host:", "host:0", "host:65536", "host:12a", "[::1]27960",
                            "[::1", "[host]:1", "a b", "host;rm", "1.2.3", "[::1]:", "-x"})
        EXPECT_EQ(parsed(QString::fromLatin1(bad)), "refused") << bad;
    EXPECT_TRUE(ServerEndpoint::parse("x y").error.contains("'x y'"));
}

TEST(QueryReport, JsonIsValidAndNullWhereNothingIsKnown)
{
    QueryReport report;
    report.endpoint = QStringLiteral("127.0.0.1:27960");
    report.info = QueryReplyParser::infoResponse(realInfo);
    report.status = QueryReplyParser::statusResponse(
        status("0 0 \"\x1b]0;evil\x07\xff\"\n2 0 \"^2Grunt\"\n", "\\sv_hostname\\x\\dup\\first\\dup\\second"));
    const QByteArray json = QJsonDocument(report.toJson()).toJson();
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(json, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
    EXPECT_EQ(object["hostName"].toString(), "^1Red ^7Host");
    EXPECT_EQ(object["plainHostName"].toString(), "Red Host");
    EXPECT_EQ(object["people"].toInt(), 0);
    EXPECT_EQ(object["bots"].toInt(), 2);
    EXPECT_TRUE(object["mapTitle"].isNull());
    const QJsonArray players = object["players"].toArray();
    ASSERT_EQ(players.size(), 2);
    EXPECT_EQ(players[0]["name"].toString(), QString::fromLatin1("\x1b]0;evil\x07\xff"));
    EXPECT_EQ(players[1]["plainName"].toString(), "Grunt");
    EXPECT_EQ(players[1]["kind"].toString(), "bot");
    EXPECT_EQ(object["variables"]["dup"].toString(), "first") << "the first of a key that comes twice";

    // Only getstatus answered: what getinfo alone says is null.
    report.info.reset();
    const QJsonObject statusOnly = report.toJson();
    EXPECT_TRUE(statusOnly["people"].isNull());
    EXPECT_TRUE(statusOnly["protocol"].isNull());
    EXPECT_EQ(statusOnly["clients"].toInt(), 2);
    EXPECT_EQ(statusOnly["players"].toArray().at(1).toObject()["kind"].toString(), "unknown");
}
