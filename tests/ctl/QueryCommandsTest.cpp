#include "content/MapLibrary.h"
#include "rcon/QueryResponder.h"
#include "support/LiveServer.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Runs voranthctl while this process's event loop goes on, so that a responder here answers.
ProgramResult voranthctlServed(const QStringList& arguments)
{
    QProcess process;
    process.start(TestEnvironment::binaryDir() + QStringLiteral("/voranthctl"), arguments);
    ProgramResult result;
    result.finished = waitUntil([&] { return process.state() == QProcess::NotRunning; }, 60000);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

bool hasLine(const QString& text, const QString& pattern)
{
    return text.contains(QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'),
                                            QRegularExpression::MultilineOption));
}

QJsonObject jsonOf(const ProgramResult& result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    return document.object();
}

QString endpointOf(const QueryResponder& server)
{
    return QStringLiteral("127.0.0.1:%1").arg(server.port());
}

int rconLines(const QString& log)
{
    return int(log.count(QStringLiteral("Rcon from")) + log.count(QStringLiteral("Bad rcon from")));
}

} // namespace

TEST(VoranthctlQuery, ReportsWhatAServerPlaysAndWhoPlaysOnIt)
{
    QueryResponder server;
    const ProgramResult text = voranthctlServed({"query", endpointOf(server)});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(hasLine(text.out, "server +Red Host")) << text.out.toStdString();
    EXPECT_TRUE(hasLine(text.out, "address +" + QRegularExpression::escape(endpointOf(server))));
    EXPECT_TRUE(hasLine(text.out, "map +oa_dm1"));
    EXPECT_TRUE(hasLine(text.out, "mod +baseq3"));
    EXPECT_TRUE(hasLine(text.out, "players +3 of 8: 1 person, 2 bots"));
    EXPECT_TRUE(hasLine(text.out, "password +no"));
    EXPECT_TRUE(hasLine(text.out, "NAME +SCORE +PING +KIND"));
    EXPECT_TRUE(hasLine(text.out, "BigGun +3 +48 +person"));
    EXPECT_TRUE(hasLine(text.out, "Sarge +0 +0 +bot"));

    const ProgramResult json = voranthctlServed({"query", endpointOf(server), "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject object = jsonOf(json);
    EXPECT_EQ(object["hostName"].toString(), "^1Red ^7Host");
    EXPECT_EQ(object["people"].toInt(), 1);
    EXPECT_EQ(object["bots"].toInt(), 2);
    EXPECT_EQ(object["maxClients"].toInt(), 8);
    EXPECT_EQ(object["players"].toArray().size(), 3);
    EXPECT_EQ(object["variables"]["version"].toString(), "ioq3 1.36_GIT");

    // Only the public questions, never the remote console.
    ASSERT_EQ(server.requests().size(), 4);
    for (const QByteArray& request : server.requests())
        EXPECT_TRUE(request.startsWith("\xff\xff\xff\xffgetinfo ") ||
                    request.startsWith("\xff\xff\xff\xffgetstatus "))
            << request.toStdString();
}

TEST(VoranthctlQuery, AnIpv6ServerIsWrittenInBrackets)
{
    QueryResponder server(QHostAddress(QHostAddress::LocalHostIPv6));
    if (server.port() == 0)
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    const QString endpoint = QStringLiteral("[::1]:%1").arg(server.port());
    const ProgramResult text = voranthctlServed({"query", endpoint});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(hasLine(text.out, "address +" + QRegularExpression::escape(endpoint)))
        << text.out.toStdString();
    EXPECT_TRUE(hasLine(text.out, "map +oa_dm1"));
}

TEST(VoranthctlQuery, WhateverTheServerSendsTheOutputStaysReadableAndTheJsonValid)
{
    QueryResponder server;
    server.info =
        "\\hostname\\\x1b[2J\x07^3Evil\xff\\clients\\3\\g_humanplayers\\0\\sv_maxclients\\4"
        "\\mapname\\m\xe9lange\\gametype\\x";
    server.playerLines =
        "0 0 \"\x1b]0;title\x07\"\n0 0 \"line\nbreak\"\n0 0 \"\xc3\x28\xa0\"\n0 0 \"" +
        QByteArray(1000, 'n') + "\"\n";
    const ProgramResult text = voranthctlServed({"query", endpointOf(server)});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_FALSE(text.out.contains(QChar(0x1b))) << "an escape sequence never reaches the terminal";
    EXPECT_FALSE(text.out.contains(QChar(0x07)));
    EXPECT_TRUE(hasLine(text.out, "server +\\\\e\\[2J\\\\x07Evil\u00ff")) << text.out.toStdString();
    EXPECT_TRUE(hasLine(text.out, "map +m\u00e9lange"));
    EXPECT_TRUE(hasLine(text.out, "game type +0")) << "from getstatus, where getinfo has none";

    const ProgramResult json = voranthctlServed({"query", endpointOf(server), "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject object = jsonOf(json);
    const QJsonArray players = object["players"].toArray();
    ASSERT_EQ(players.size(), 3) << "the name cut by the line break is no player line";
    for (const QJsonValue& player : players)
        EXPECT_LE(player["name"].toString().size(), 128);
    EXPECT_EQ(players[0]["name"].toString(), QString::fromLatin1("\x1b]0;title\x07"));

    // 64 players with names of 1000 characters is no game server's reply: the players are
    // not listed, the rest is.
    QByteArray many;
    for (int i = 0; i < 64; ++i)
        many += "0 0 \"" + QByteArray(1000, 'x') + "\"\n";
    server.playerLines = many;
    const ProgramResult flooded = voranthctlServed({"query", endpointOf(server), "--json"});
    EXPECT_EQ(flooded.exitCode, 0);
    EXPECT_TRUE(jsonOf(flooded)["players"].isNull());
    const ProgramResult floodedText = voranthctlServed({"query", endpointOf(server)});
    EXPECT_TRUE(floodedText.out.contains("too large")) << floodedText.out.toStdString();
}

TEST(VoranthctlQuery, NothingAnsweringIsAClearFailure)
{
    QueryResponder server;
    server.stayQuiet();
    const ProgramResult silent = voranthctlServed({"query", endpointOf(server)});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.err.contains("Nothing answered at " + endpointOf(server)))
        << silent.err.toStdString();
    EXPECT_EQ(silent.out, "");
    const ProgramResult json = voranthctlServed({"query", endpointOf(server), "--json"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_TRUE(jsonOf(json)["error"].toString().contains("Nothing answered"));
    EXPECT_FALSE(jsonOf(json)["answered"].toObject()["getinfo"].toBool());

    for (const QStringList& args : QList<QStringList>{{"query"},
                                                      {"query", "a", "b"},
                                                      {"query", "host:99999"},
                                                      {"query", "host name"},
                                                      {"query", "--bogus", "host"},
                                                      {"query", "--server"}}) {
        const ProgramResult usage = ProgramRunner::voranthctl(args);
        EXPECT_EQ(usage.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(usage.err.contains("usage: voranthctl query"));
    }
    const ProgramResult notRunning = ProgramRunner::voranthctl({"query", "--server", "Friday"});
    EXPECT_EQ(notRunning.exitCode, 1);
    EXPECT_TRUE(notRunning.err.contains("no server of 'Friday' runs"))
        << notRunning.err.toStdString();
}

TEST(VoranthctlQuery, AServerStartedByHandIsAskedWithoutItsRemoteConsole)
{
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("by-hand"), {"oa_dm1", "oa_dm2"});
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    ASSERT_EQ(ProgramRunner::voranthctl({"scan", "--game-dir", server.gameDirectory()}).exitCode,
              0);
    const QString title =
        MapLibrary(GamePaths(server.gameDirectory(), "baseq3")).mapTitleForMap("oa_dm1");
    const int port = server.config().netPort();
    for (const char* bot : {"sarge", "grunt"})
        ASSERT_FALSE(RealServer::rcon(port, "by-hand", QByteArray("addbot ") + bot).isEmpty());
    ASSERT_TRUE(
        waitUntil([&] { return RealServer::rcon(port, "by-hand", "status").count("^7bot") == 2; }));
    ASSERT_TRUE(waitUntil([&] { return rconLines(server.log()) > 0; }))
        << "the log tells of rcon requests";
    const int rconBefore = rconLines(server.log());

    const QString endpoint = QStringLiteral("127.0.0.1:%1").arg(port);
    // A bot that has just joined is listed with the ping of a client still connecting (999)
    // until the server's next frame: wait until both are in the game.
    ProgramResult text;
    ASSERT_TRUE(waitUntil(
        [&] {
            text = ProgramRunner::voranthctl({"query", endpoint});
            return text.exitCode == 0 && hasLine(text.out, "Sarge +-?\\d+ +0 +bot") &&
                   hasLine(text.out, "Grunt +-?\\d+ +0 +bot");
        },
        30000, 200))
        << text.out.toStdString() << text.err.toStdString();
    EXPECT_TRUE(hasLine(text.out, "server +Voranth live test")) << text.out.toStdString();
    EXPECT_TRUE(hasLine(text.out, "map +oa_dm1 +" + QRegularExpression::escape(title)));
    EXPECT_TRUE(hasLine(text.out, "game type +Free For All \\(0\\)"));
    EXPECT_TRUE(hasLine(text.out, "players +2 of \\d+: 0 people, 2 bots"));

    const ProgramResult json = ProgramRunner::voranthctl({"query", endpoint, "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject object = jsonOf(json);
    EXPECT_EQ(object["people"].toInt(), 0);
    EXPECT_EQ(object["bots"].toInt(), 2);
    EXPECT_EQ(object["mapTitle"].toString(), title);

    // Everything the server logged since: one rcon request, the test's own marker.
    ASSERT_FALSE(RealServer::rcon(port, "by-hand", "echo query-test-marker").isEmpty());
    ASSERT_TRUE(waitUntil([&] { return server.log().contains("echo query-test-marker"); }));
    EXPECT_EQ(rconLines(server.log()), rconBefore + 1) << server.log().right(2000).toStdString();
}
