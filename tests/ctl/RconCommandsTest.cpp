#include "content/MapLibrary.h"
#include "rcon/RconPacer.h"
#include "server/RunningServer.h"
#include "support/LiveServer.h"
#include "support/ProgramRunner.h"
#include "support/RecordingScanInteraction.h"
#include "support/RealServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

bool hasLine(const QString& text, const QString& pattern)
{
    return text.contains(QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'),
                                            QRegularExpression::MultilineOption));
}

} // namespace

TEST(VoranthctlRcon, StatusAndRconTalkToTheServerThatWasStarted)
{
    const ProgramResult nothingStarted = ProgramRunner::voranthctl({"status"});
    EXPECT_EQ(nothingStarted.exitCode, 1);
    EXPECT_TRUE(nothingStarted.err.contains("no server running"));
    EXPECT_EQ(ProgramRunner::voranthctl({"rcon"}).exitCode, 2);
    EXPECT_EQ(ProgramRunner::voranthctl({"status", "extra"}).exitCode, 2);

    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("ctl-secret"), {"oa_dm1", "oa_dm2", "oa_dm3"});
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    // The databases the titles come from: status reads them as they stand.
    const ProgramResult scan =
        ProgramRunner::voranthctl({"scan", "--game-dir", server.gameDirectory()});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    const MapLibrary library(GamePaths(server.gameDirectory(), "baseq3"));
    const QString firstTitle = library.mapTitleForMap(QStringLiteral("oa_dm1"));
    const QString secondTitle = library.mapTitleForMap(QStringLiteral("oa_dm2"));
    ASSERT_NE(firstTitle, MapLibrary::unknownMapMarker());

    EXPECT_EQ(ProgramRunner::voranthctl({"status"}).exitCode, 1) << "a server, but no record";
    ASSERT_TRUE(server.recordAsRunning(server.config()));

    const ProgramResult addbot = ProgramRunner::voranthctl({"rcon", "addbot", "sarge"});
    EXPECT_EQ(addbot.exitCode, 0) << addbot.err.toStdString();
    EXPECT_TRUE(addbot.out.contains("ClientBegin")) << addbot.out.toStdString();
    const ProgramResult set = ProgramRunner::voranthctl({"rcon", "set", "timelimit", "23"});
    EXPECT_EQ(set.exitCode, 0) << "an empty reply is an answer: " << set.err.toStdString();
    EXPECT_EQ(set.out, "");
    const ProgramResult get = ProgramRunner::voranthctl({"rcon", "timelimit"});
    EXPECT_EQ(get.exitCode, 0);
    EXPECT_TRUE(get.out.contains("\"timelimit\" is:\"23^7\"")) << get.out.toStdString();

    // A reply that carries an escape sequence shows it as text; it never reaches the terminal.
    ASSERT_EQ(ProgramRunner::voranthctl({"rcon", "set", "vo_probe", "\"\x1b[2Jowned\""}).exitCode, 0);
    const ProgramResult escaped = ProgramRunner::voranthctl({"rcon", "vo_probe"});
    EXPECT_EQ(escaped.exitCode, 0);
    EXPECT_TRUE(escaped.out.contains("\\e[2Jowned")) << escaped.out.toStdString();
    EXPECT_FALSE(escaped.out.contains('\x1b'));

    const ProgramResult status = ProgramRunner::voranthctl({"status"});
    ASSERT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_TRUE(hasLine(status.out, "map +oa_dm1 +" + QRegularExpression::escape(firstTitle)))
        << status.out.toStdString();
    EXPECT_TRUE(
        hasLine(status.out, "next map +oa_dm2 +" + QRegularExpression::escape(secondTitle)));
    EXPECT_TRUE(hasLine(status.out, "players +1"));
    EXPECT_TRUE(hasLine(status.out, "NAME +SCORE +PING"));
    EXPECT_TRUE(hasLine(status.out, "Sarge +-?\\d+ +\\d+"));

    const ProgramResult json = ProgramRunner::voranthctl({"status", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(object["map"]["map"].toString(), "oa_dm1");
    EXPECT_EQ(object["map"]["title"].toString(), firstTitle);
    EXPECT_EQ(object["nextMap"]["map"].toString(), "oa_dm2");
    EXPECT_EQ(object["server"].toString(), server.config().serverName());
    const QJsonArray players = object["players"].toArray();
    ASSERT_EQ(players.size(), 1) << json.out.toStdString();
    EXPECT_EQ(players[0]["name"].toString(), "Sarge");
    EXPECT_TRUE(players[0]["score"].isDouble() && players[0]["ping"].isDouble());

    // A ledger that cannot be used is named on the error stream; the command still goes.
    const QString ledger = RconPacer::defaultLedgerPath();
    QFile::remove(ledger);
    ASSERT_TRUE(QDir().mkpath(ledger + "/in-the-way"));
    const ProgramResult unshared = ProgramRunner::voranthctl({"rcon", "timelimit"});
    EXPECT_EQ(unshared.exitCode, 0) << unshared.err.toStdString();
    EXPECT_TRUE(unshared.out.contains("\"timelimit\" is:\"23^7\""));
    EXPECT_TRUE(unshared.err.contains("voranthctl: the remote-console pacing ledger cannot be "
                                      "used (Cannot read " + ledger + ": Is a directory)"))
        << unshared.err.toStdString();
    ASSERT_TRUE(QDir(ledger).removeRecursively());

    ServerConfig wrongPassword = server.config();
    wrongPassword.setRconPassword(QStringLiteral("not-it"));
    ASSERT_TRUE(server.recordAsRunning(wrongPassword));
    const ProgramResult refused = ProgramRunner::voranthctl({"rcon", "status"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Bad rconpassword")) << refused.err.toStdString();
    EXPECT_EQ(refused.out, "");

    ASSERT_TRUE(server.recordAsRunning(server.config()));
    server.stop();
    const ProgramResult gone = ProgramRunner::voranthctl({"status"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_TRUE(gone.err.contains("no server running")) << gone.err.toStdString();
}
