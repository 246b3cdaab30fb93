#include "config/CommonData.h"
#include "rcon/RconAsk.h"
#include "rcon/RconResponder.h"
#include "rcon/RconTransport.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerReplyParser.h"
#include "support/LiveServer.h"
#include "support/RealServer.h"
#include "support/WaitUntil.h"

#include <QUdpSocket>

#include <gtest/gtest.h>

using StatusReply = ServerReplyParser::StatusReply;

namespace {

const QByteArray ioquakeHead =
    "map: oa_dm1\n"
    "cl score ping name            address                                 rate \n"
    "-- ----- ---- --------------- --------------------------------------- -----\n";

// The demo game's server with five bots, as it answered "status" (names given by "addbot").
const QByteArray realStatus =
    ioquakeHead +
    " 0     0    0 Big Boss        ^7bot                                     16384\n"
    " 1     0    0 ^1Gr^7unt           ^7bot                                     16384\n"
    " 2     0    0 ThisIsAVeryLongBotNameOfThirty1 ^7bot                                     "
    "16384\n"
    " 3     0    0 0               ^7bot                                     16384\n"
    " 4     0    0   lead blank    ^7bot                                     16384\n"
    " 5     0    0 rconpassword    ^7bot                                     16384\n"
    "\n";

// People and clients that are not playing, in the server's format: a client still
// connecting and one that left, a name ending in a blank, a score wider than its column.
const QByteArray peopleStatus =
    ioquakeHead +
    " 0    12   48 ^1Big^7Gun          ^7bot                                     16384\n"
    " 1    -3 CNCT Ana Rki         ^7127.0.0.1:27961                         25000\n"
    " 2     0 ZMBI ^4Blue ^7Sky        ^7[::1]:27962                              8000\n"
    " 3   100  999 0               ^7loopback                                90000\n"
    " 4 -10000 9999 Wide Score      ^7192.0.2.7:27960                         25000\n"
    "\n";

// The classic engine's table: three columns of client number, "^7" right after the name.
const QByteArray classicStatus =
    "map: oa_dm1\n"
    "num score ping name            lastmsg address               qport rate\n"
    "--- ----- ---- --------------- ------- --------------------- ----- -----\n"
    "  0     0    0 Sarge^7             0 bot                       0 16384\n"
    "  3    12   48 ^1Big^7Gun^7        0 bot                       0 16384\n"
    " 12     5   20 Big Boss^7          50 10.0.0.2:27960        1234  8000\n"
    "\n";

const QString unknownMap = QStringLiteral(" - ");

PlayerStatus player(int slot, const QString& rawName, const QString& ping, const QString& score,
                    const QString& address = QStringLiteral("bot"))
{
    PlayerStatus status;
    status.setSlot(slot);
    status.setName(rawName);
    status.setPing(ping);
    status.setScore(score);
    status.setAddress(address);
    return status;
}

QStringList namesOf(const QList<PlayerStatus>& players)
{
    QStringList names;
    for (const PlayerStatus& player : players)
        names.append(player.name());
    return names;
}

std::string shown(const QString& text)
{
    return text.left(200).toStdString();
}

// Asks a server over socket and joins its reply datagrams (without their headers) until
// it stays quiet.
QByteArray ask(QUdpSocket& socket, quint16 port, const QByteArray& password,
               const QByteArray& command)
{
    socket.writeDatagram("\xff\xff\xff\xffrcon " + password + ' ' + command + '\0',
                         QHostAddress(QHostAddress::LocalHost), port);
    QByteArray text;
    while (socket.waitForReadyRead(500)) {
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(int(socket.pendingDatagramSize()), '\0');
            socket.readDatagram(datagram.data(), datagram.size());
            text += datagram.mid(RconResponder::reply({}).size());
        }
    }
    return text;
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
    EXPECT_EQ(fresh.slot(), -1);
    EXPECT_FALSE(fresh.isBot());
    const PlayerStatus stored = player(2, "^4Ana^7rki", "  ^1 ", " ^2  ", "loopback");
    EXPECT_EQ(stored.name(), "Anarki");
    EXPECT_EQ(stored.rawName(), "^4Ana^7rki");
    EXPECT_EQ(stored.ping(), "  ^1 ");
    EXPECT_EQ(stored.score(), " ^2  ");
    EXPECT_FALSE(stored.isBot());
    EXPECT_TRUE(player(0, "Sarge", "   0", "    0").isBot());
}

TEST(StatusReply, PlayersAreReadAsTheServerPrintsThem)
{
    const struct
    {
        const char* what;
        QByteArray reply;
        QList<PlayerStatus> players;
    } cases[] = {
        {"the real server's bots",
         realStatus,
         {player(0, "Big Boss", "   0", "    0"), player(1, "^1Gr^7unt", "   0", "    0"),
          player(2, "ThisIsAVeryLongBotNameOfThirty1", "   0", "    0"),
          player(3, "0", "   0", "    0"), player(4, "  lead blank", "   0", "    0"),
          player(5, "rconpassword", "   0", "    0")}},
        {"people and clients not playing",
         peopleStatus,
         {player(0, "^1Big^7Gun", "  48", "   12"),
          player(1, "Ana Rki", "CNCT", "   -3", "127.0.0.1:27961"),
          player(2, "^4Blue ^7Sky", "ZMBI", "    0", "[::1]:27962"),
          player(3, "0", " 999", "  100", "loopback"),
          player(4, "Wide Score", "9999", "-10000", "192.0.2.7:27960")}},
        {"the classic table",
         classicStatus,
         {player(0, "Sarge", "   0", "    0"), player(3, "^1Big^7Gun", "  48", "   12"),
          player(12, "Big Boss", "  20", "    5", "10.0.0.2:27960")}},
        {"no players", ioquakeHead + "\n", {}},
    };
    for (const auto& c : cases) {
        const std::optional<StatusReply> reply =
            ServerReplyParser::parseStatus(QString::fromLatin1(c.reply));
        ASSERT_TRUE(reply) << c.what;
        EXPECT_EQ(reply->map, "oa_dm1") << c.what;
        EXPECT_EQ(reply->players, c.players) << c.what;
    }
    const QList<PlayerStatus> people =
        ServerReplyParser::playersFromStatus(QString::fromLatin1(peopleStatus));
    EXPECT_EQ(namesOf(people), (QStringList{"BigGun", "Ana Rki", "Blue Sky", "0", "Wide Score"}));
    EXPECT_TRUE(people.at(0).isBot());
    EXPECT_FALSE(people.at(3).isBot());
}

TEST(StatusReply, TheRealServersNamesWithBlanksColoursAndDigitsAreReadWhole)
{
    const QByteArray password = "live-status";
    LiveServer server(RealServer::freeUdpPort(), QString::fromLatin1(password), {"oa_dm1"});
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    const quint16 port = quint16(server.config().netPort());
    QUdpSocket socket;
    ASSERT_TRUE(socket.bind(QHostAddress(QHostAddress::LocalHost), 0));

    const QList<QByteArray> names = {"\"Big Boss\"", "^1Gr^7unt", "ThisIsAVeryLongBotNameOfThirty1",
                                     "0", "rconpassword"};
    for (const QByteArray& name : names) {
        const QByteArray answer = ask(socket, port, password, "addbot sarge 1 free 0 " + name);
        EXPECT_TRUE(answer.contains("ClientBegin")) << answer.constData();
    }
    std::optional<StatusReply> reply;
    QByteArray status;
    waitUntil(
        [&] {
            status = ask(socket, port, password, "status");
            reply = ServerReplyParser::parseStatus(QString::fromLocal8Bit(status));
            return reply && reply->players.size() == names.size();
        },
        20000, 300);
    ASSERT_TRUE(reply) << status.constData();
    EXPECT_EQ(reply->map, "oa_dm1");
    EXPECT_EQ(
        namesOf(reply->players),
        (QStringList{"Big Boss", "Grunt", "ThisIsAVeryLongBotNameOfThirty1", "0", "rconpassword"}))
        << status.constData();
    for (qsizetype i = 0; i < reply->players.size(); ++i) {
        const PlayerStatus& bot = reply->players.at(i);
        EXPECT_EQ(bot.slot(), i);
        EXPECT_TRUE(bot.isBot()) << bot.description().toStdString();
        bool scoreOk = false;
        bool pingOk = false;
        bot.score().trimmed().toInt(&scoreOk);
        bot.ping().trimmed().toInt(&pingOk);
        EXPECT_TRUE(scoreOk && pingOk && bot.ping().size() == 4 && bot.score().size() == 5)
            << bot.description().toStdString();
    }
    EXPECT_EQ(reply->players.at(1).rawName(), "^1Gr^7unt");

    const QByteArray chat = ask(socket, port, password, "say hello rconpassword");
    EXPECT_TRUE(chat.contains("hello rconpassword")) << chat.constData();
    EXPECT_FALSE(ServerReplyParser::isPasswordRefusal(chat));
    QByteArray refusal;
    waitUntil([&] { return !(refusal = ask(socket, port, "wrong", "status")).isEmpty(); }, 20000,
              300);
    EXPECT_EQ(refusal, "Bad rconpassword.\n");
    EXPECT_TRUE(ServerReplyParser::isPasswordRefusal(refusal));
}

TEST(StatusReply, TextsThatAreNoStatusReplyGiveNoPlayers)
{
    QByteArray drip;
    for (int i = 0; i < 61; ++i)
        drip += "drip " + QByteArray::number(100 * i) + "\n";
    // What is left of a long status when its head is dropped.
    const QByteArray tail = realStatus.mid(realStatus.indexOf("\n 2 ") + 1);
    QList<QByteArray> lines = realStatus.split('\n');
    lines.removeAt(2);
    const QByteArray withoutDashes = lines.join('\n');
    const QByteArray texts[] = {
        "",
        "Server is not running.\n",
        "Bad rconpassword.\n",
        "No response from server",
        drip,
        tail,
        withoutDashes,
        "map: oa_dm1\n",
        "map: \n" + realStatus.mid(realStatus.indexOf("cl ")),
        "Map: oa_dm1\n" + realStatus.mid(realStatus.indexOf("cl ")),
        "status\n" + realStatus,
        "map: oa_dm1\nname score ping\n-- ----- ---- ----\n 0     0    0 A  ^7bot  16384\n\n",
        "\n\n\n\n\n\n\n\n",
    };
    for (const QByteArray& text : texts) {
        const QString status = QString::fromLatin1(text);
        EXPECT_FALSE(ServerReplyParser::parseStatus(status)) << shown(status);
        EXPECT_TRUE(ServerReplyParser::playersFromStatus(status).isEmpty()) << shown(status);
        EXPECT_FALSE(ServerReplyParser::mapNameFromStatus(status)) << shown(status);
    }
}

TEST(StatusReply, PlayersEndAtTheFirstLineThatIsNoPlayerLine)
{
    const QByteArray sarge =
        " 0     0    0 Sarge           ^7bot                                     16384\n";
    const QByteArray grunt =
        " 1     3   20 Grunt           ^7bot                                     16384\n";
    const struct
    {
        const char* what;
        QByteArray table;
        QStringList names;
    } cases[] = {
        {"cut inside the address", sarge + grunt.left(33), {"Sarge"}},
        {"cut inside the name", sarge + grunt.left(18), {"Sarge"}},
        {"a chat line between", sarge + "console: hello\n" + grunt + "\n", {"Sarge"}},
        {"a zero byte inside a line",
         sarge + grunt.left(20) + '\0' + grunt.mid(20) + "\n",
         {"Sarge"}},
        {"no address colour code",
         sarge + QByteArray(grunt).replace("^7bot", "  bot") + "\n",
         {"Sarge"}},
        {"no rate", sarge + grunt.left(grunt.indexOf("16384")) + "\n", {"Sarge"}},
        {"a letter in the ping", sarge + QByteArray(grunt).replace("20", "2x") + "\n", {"Sarge"}},
        {"no blank before the name", QByteArray(" 0     0    0") + "^7bot  16384\n", {}},
        {"two bots, then white space after the last rate",
         sarge + grunt.chopped(1) + " \r\n",
         {"Sarge", "Grunt"}},
    };
    for (const auto& c : cases) {
        const std::optional<StatusReply> reply =
            ServerReplyParser::parseStatus(QString::fromLatin1(ioquakeHead + c.table));
        ASSERT_TRUE(reply) << c.what;
        EXPECT_EQ(namesOf(reply->players), c.names) << c.what;
    }
}

TEST(StatusReply, NameRangeOfALineGoesUpToTheAddress)
{
    const QString ioquakeLine = QStringLiteral(
        " 0     0    0 Big Boss        ^7bot                                     16384");
    EXPECT_EQ(ServerReplyParser::playerNameRange(ioquakeLine, 14),
              (ServerReplyParser::Range{14, 8}));
    const QString classicLine = QString::fromLatin1(classicStatus.split('\n').at(5));
    EXPECT_EQ(RemoteControl::playerNameRange(classicLine, 15), (ServerReplyParser::Range{15, 8}));
    // Lines that are no player line: up to a tab, else a blank, else 15 characters.
    EXPECT_EQ(RemoteControl::playerNameRange("  3     2    7 Big Gun\t  0", 15),
              (ServerReplyParser::Range{15, 7}));
    EXPECT_EQ(RemoteControl::playerNameRange("  2     1    9 Big Gun", 15),
              (ServerReplyParser::Range{15, 3}));
    EXPECT_EQ(RemoteControl::playerNameRange("  4     3    5 ABCDEFGHIJKLMNOPQRS", 15),
              (ServerReplyParser::Range{15, 15}));
    EXPECT_EQ(RemoteControl::playerNameRange("short", 15), (ServerReplyParser::Range{15, 0}));
    EXPECT_EQ(ServerReplyParser::statusColumns(classicStatus.split('\n').at(2)),
              ServerReplyParser::classicColumns());
    EXPECT_EQ(ServerReplyParser::statusColumns("no dashes here"),
              ServerReplyParser::classicColumns());
}

TEST(PasswordRefusal, OnlyTheServersWholeRefusalsCount)
{
    for (const char* refusal : {"Bad rconpassword.\n", "No rconpassword set on the server.\n",
                                "Bad rconpassword.", "Bad rconpassword.\n \r\n"})
        EXPECT_TRUE(ServerReplyParser::isPasswordRefusal(refusal)) << refusal;
    const QByteArray others[] = {
        realStatus,
        "console: hello rconpassword\n",
        // The answer to "addbot sarge 1 free 0 \"Bad rconpassword.\"" (shortened).
        "ClientConnect: 6\nbroadcast: print \"Bad rconpassword.^7 connected\\n\"\n",
        "Bad rconpassword.\nBad rconpassword.\n",
        " Bad rconpassword.\n",
        "bad rconpassword.\n",
        QByteArray("Bad rconpassword.\0\n", 19),
        "rconpassword",
        "",
    };
    for (const QByteArray& other : others)
        EXPECT_FALSE(ServerReplyParser::isPasswordRefusal(other)) << other.constData();
}

TEST(PasswordRefusal, RepliesNamingThePasswordAreAnswersButRefusalsAreNot)
{
    RconResponder server;
    RecordingAlerts alerts;
    server.answerNextWith(realStatus);
    server.answerNextWith("console: hello rconpassword\n");
    server.answerNextWith("No rconpassword set on the server.\n");
    RemoteControlServices services;
    services.alerts = &alerts;
    auto client = server.client(services);
    ASSERT_TRUE(client);

    RconAsk::refresh(*client);
    EXPECT_TRUE(client->serverStatusOK());
    EXPECT_FALSE(client->wrongPassword());
    ASSERT_TRUE(client->setPlayersStatus());
    EXPECT_EQ(client->playerNameAtIndex(5), "rconpassword");

    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("say hello rconpassword"), 50000).text,
              "console: hello rconpassword\n");
    EXPECT_FALSE(client->wrongPassword());
    EXPECT_TRUE(alerts.shown.isEmpty());

    RconAsk::refresh(*client);
    EXPECT_FALSE(client->serverStatusOK());
    EXPECT_TRUE(client->wrongPassword());
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown.first().message, "No rconpassword set on the server.\n");
}

TEST(StatusReply, RemoteControlTakesMapAndPlayersFromTheReply)
{
    RconResponder server;
    server.answerNextWith(peopleStatus);
    auto client = server.client();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->serverStatus(), "No response from server");
    EXPECT_FALSE(client->playersStatus());

    RconAsk::refresh(*client);
    EXPECT_TRUE(client->serverStatusOK());
    EXPECT_EQ(client->serverStatus(), QString::fromLatin1(peopleStatus));
    EXPECT_TRUE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "oa_dm1");
    ASSERT_TRUE(client->setPlayersStatus());
    EXPECT_EQ(*client->playersStatus(),
              ServerReplyParser::playersFromStatus(QString::fromLatin1(peopleStatus)));
    EXPECT_EQ(client->playerNameAtIndex(1), "Ana Rki");
    EXPECT_EQ(client->playerNameAtIndex(5), "");
    EXPECT_EQ(client->playerNameAtIndex(-1), "");
}

TEST(StatusReply, CurrentMapGoesThroughTheMapLibrary)
{
    const QByteArray table = realStatus.mid(realStatus.indexOf("cl "));
    RconResponder server;
    server.answerNextWith("map: q3dm1\n" + table);
    server.answerNextWith("map: oa_dm9\n" + table);
    server.answerNextWith("map: q3dm1\n");
    server.answerNextWith(ioquakeHead + "\n");
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
    EXPECT_TRUE(client->setPlayersStatus());

    // A map line alone is no status reply: the map stays, the players go.
    RconAsk::refresh(*client);
    EXPECT_FALSE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "oa_dm9");
    EXPECT_FALSE(client->setPlayersStatus());
    EXPECT_FALSE(client->playersStatus());

    // A status without players lists none, rather than an empty list.
    RconAsk::refresh(*client);
    EXPECT_TRUE(client->setCurrentMap());
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

    const QByteArray table = ioquakeHead.mid(ioquakeHead.indexOf("cl ")) + "\n";
    const auto nextAfter = [&](const QByteArray& map) {
        server.answerNextWith("map: " + map + "\n" + table);
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
