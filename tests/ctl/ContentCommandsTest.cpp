#include "format/PlistReader.h"
#include "support/DemoGame.h"
#include "support/ProgramRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QString scanDemoGame()
{
    QString error;
    const QString game = DemoGame::directory(&error);
    EXPECT_FALSE(game.isEmpty()) << error.toStdString();
    const ProgramResult scan = ProgramRunner::voranthctl({"scan", "--game-dir", game});
    EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    return scan.out;
}

} // namespace

TEST(VoranthctlContent, ScanBuildsTheDatabasesAndSaysWhatItDid)
{
    const QString first = scanDemoGame();
    EXPECT_TRUE(first.contains(QRegularExpression("baseq3 +58 +\\d+ +yes\n")))
        << first.toStdString();
    EXPECT_TRUE(first.contains("1 mods, 9 paks extracted, 0 maps could not be parsed"));

    const ProgramResult again = ProgramRunner::voranthctl({"scan"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.out.contains("1 mods, 0 paks extracted")) << again.out.toStdString();
    EXPECT_TRUE(again.err.isEmpty())
        << "nothing to extract, no progress: " << again.err.toStdString();
}

TEST(VoranthctlContent, MapsOfAGameTypeAreThoseWhoseTypeHoldsItsShortName)
{
    scanDemoGame();
    const ProgramResult all = ProgramRunner::voranthctl({"maps"});
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(all.out.count('\n'), 58);
    EXPECT_TRUE(all.out.contains(QRegularExpression("^oa_dm1 +\\S.*levelshots/oa_dm1\\.(jpg|tga)\n",
                                                    QRegularExpression::MultilineOption)));

    const ProgramResult ctf =
        ProgramRunner::voranthctl({"maps", "--game-type", "Capture the Flag", "--json"});
    ASSERT_EQ(ctf.exitCode, 0) << ctf.err.toStdString();
    const QJsonArray maps = QJsonDocument::fromJson(ctf.out.toUtf8()).array();
    ASSERT_GT(maps.size(), 10);
    const PlistReader::Result arenas = PlistReader::parseFile(
        TestEnvironment::home() + "/.local/share/Voranth/baseq3/VOArenas.plist");
    ASSERT_TRUE(arenas.ok());
    QSet<QString> ctfMaps;
    for (const QVariant& entry : arenas.value.toList())
        if (entry.toMap().value("type").toString().contains("ctf"))
            ctfMaps.insert(entry.toMap().value("map").toString());
    QSet<QString> listed;
    for (const QJsonValue& map : maps)
        listed.insert(map.toObject().value("map").toString());
    EXPECT_EQ(listed, ctfMaps);
}

TEST(VoranthctlContent, BotsOfTheDemoGame)
{
    scanDemoGame();
    const ProgramResult bots = ProgramRunner::voranthctl({"bots"});
    ASSERT_EQ(bots.exitCode, 0);
    EXPECT_TRUE(bots.out.contains("Sarge\n"));
    EXPECT_TRUE(bots.out.contains("Angelyss\n"));
}

TEST(VoranthctlContent, BadRequestsAreRefused)
{
    EXPECT_EQ(ProgramRunner::voranthctl({"scan"}).exitCode, 1) << "no game directory known yet";
    const ProgramResult notGame = ProgramRunner::voranthctl(
        {"scan", "--game-dir", TestEnvironment::makeScratchDir("nogame")});
    EXPECT_EQ(notGame.exitCode, 1);
    EXPECT_TRUE(notGame.err.contains("'baseq3'"));
    EXPECT_EQ(ProgramRunner::voranthctl({"scan", "--game-dir"}).exitCode, 2);
    EXPECT_EQ(ProgramRunner::voranthctl({"maps", "--mod", "nomod"}).exitCode, 1);
    scanDemoGame();
    const ProgramResult badType =
        ProgramRunner::voranthctl({"maps", "--game-type", "Hide and Seek"});
    EXPECT_EQ(badType.exitCode, 1);
    EXPECT_TRUE(badType.err.contains("gametypes"));
}
