#include "config/CommonData.h"
#include "support/ProgramRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

class ModCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override { QDir(CommonData::appSupportQ3VXDir()).removeRecursively(); }

    // A mod data directory as the pak scan leaves it: a map database, perhaps gameinfo.txt.
    static void addModData(const QString& mod, bool withDatabase = true,
                           const QByteArray& gameInfo = {})
    {
        const QString path = CommonData::appSupportQ3VXDir() + QLatin1Char('/') + mod;
        ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/levelshots")));
        if (withDatabase)
            write(path + QStringLiteral("/VOArenas.plist"), "()");
        if (!gameInfo.isEmpty())
            write(path + QStringLiteral("/gameinfo.txt"), gameInfo);
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

} // namespace

TEST_F(ModCommandsTest, ModsListsTheModsWithADatabase)
{
    const ProgramResult none = ProgramRunner::voranthctl({"mods"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, QString());
    EXPECT_TRUE(none.err.contains("voranthctl scan")) << none.err.toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"mods", "--json"}).out.trimmed(), QStringLiteral("[\n]"));

    addModData(QStringLiteral("baseq3"));
    addModData(QStringLiteral("q3ut2"));
    addModData(QStringLiteral("my mod"));
    addModData(QStringLiteral("notscanned"), false);
    const ProgramResult listed = ProgramRunner::voranthctl({"mods"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, QStringLiteral("baseq3  Quake 3 Arena\n"
                                         "my mod  my mod\n"
                                         "q3ut2   Urban Terror\n"));

    const ProgramResult json = ProgramRunner::voranthctl({"mods", "--json"});
    const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 3);
    EXPECT_EQ(array.at(2).toObject().value("mod").toString(), QStringLiteral("q3ut2"));
    EXPECT_EQ(array.at(2).toObject().value("name").toString(), QStringLiteral("Urban Terror"));
}

TEST_F(ModCommandsTest, GametypesListsNumberNameAndMapType)
{
    addModData(QStringLiteral("baseq3"));
    addModData(QStringLiteral("q3ut4"), true,
               "gametypes\n{\n  { \"Free For All\" 0 }\n  { \"Capture The Flag\" 7}\n}\n");

    const ProgramResult stock = ProgramRunner::voranthctl({"gametypes"});
    ASSERT_EQ(stock.exitCode, 0) << stock.err.toStdString();
    EXPECT_EQ(stock.out, QStringLiteral("0  Free For All      ffa\n"
                                        "1  Tournament        tourney\n"
                                        "3  Team Deathmatch   team\n"
                                        "4  Capture the Flag  ctf\n"));

    const ProgramResult fromFile = ProgramRunner::voranthctl({"gametypes", "--mod", "q3ut4"});
    EXPECT_EQ(fromFile.out, QStringLiteral("0  Free For All      ut_ffa\n"
                                           "7  Capture The Flag  ut_team\n"));

    const ProgramResult json = ProgramRunner::voranthctl({"gametypes", "--json", "--mod", "q3ut4"});
    const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array.at(1).toObject().value("number").toInt(), 7);
    EXPECT_EQ(array.at(1).toObject().value("name").toString(), QStringLiteral("Capture The Flag"));
    EXPECT_EQ(array.at(1).toObject().value("shortname").toString(), QStringLiteral("ut_team"));
}

TEST_F(ModCommandsTest, BadRequestsAreRefused)
{
    addModData(QStringLiteral("baseq3"));
    addModData(QStringLiteral("notscanned"), false);
    struct Case
    {
        QStringList args;
        int status;
    };
    const Case cases[] = {
        {{"gametypes", "--mod", "notscanned"}, 1},
        {{"gametypes", "--mod", "missionpack"}, 1},
        {{"gametypes", "--mod"}, 2},
        {{"gametypes", "baseq3"}, 2},
        {{"gametypes", "--game", "x"}, 2},
        {{"mods", "extra"}, 2},
    };
    for (const Case& c : cases) {
        const ProgramResult result = ProgramRunner::voranthctl(c.args);
        EXPECT_EQ(result.exitCode, c.status) << c.args.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << c.args.join(' ').toStdString();
    }
}

TEST_F(ModCommandsTest, BothCommandsHaveHelp)
{
    const ProgramResult help = ProgramRunner::voranthctl({"--help"});
    for (const char* command : {"mods", "gametypes"}) {
        EXPECT_TRUE(help.out.contains(QStringLiteral("\n  %1 ").arg(command)));
        const ProgramResult one = ProgramRunner::voranthctl({command, "--help"});
        EXPECT_EQ(one.exitCode, 0);
        EXPECT_TRUE(one.out.startsWith(QStringLiteral("usage: voranthctl %1 [").arg(command)));
    }
}
