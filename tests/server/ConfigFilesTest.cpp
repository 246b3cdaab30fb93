#include "ConsoleModel.h"

#include "config/CommonData.h"
#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "server/ConfigFiles.h"
#include "server/RunningServer.h"
#include "support/RefusingFileSystem.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

// Readable failures for texts.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QByteArray exampleHead = R"(// Server Config File created by Voranth
set gamename baseq3
set g_gametype 0
fraglimit 20
timelimit 0
sv_maxclients 8
sv_hostname ""
set g_motd ""
sv_privateClients 0
sv_privatePassword ""
set rconpassword "s3cret"
sv_pure 1
sv_maxRate 0
set g_weaponrespawn 5
g_allowvote 1
set g_quadfactor 3.00
capturelimit 0
set dedicated 1
g_friendlyFire 0
//com_hunkmegs 56
net_ip "localhost"
net_port 27960
g_warmup 20
sv_allowDownload 0
set g_teamAutoJoin 0
set g_teamForceBalance 0
set g_knockback 1000
set g_inactivity 0
bot_minplayers 0
bot_nochat 0
bot_rocketjump 1
sv_timeout 120
sv_maxping 0
sv_minping 0
g_spskill 2
bot_grapple 0
)";

const QByteArray exampleRotation = R"(set d1 "map q3dm17 ; set nextmap vstr d2"
set d2 "map q3dm7 ; set nextmap vstr d1"
vstr d1
)";

ServerConfig exampleConfig()
{
    ServerConfig config;
    config.setConfigName(QStringLiteral("My Server"));
    config.setRconPassword(QStringLiteral("s3cret"));
    config.setMapList({QStringLiteral("q3dm17"), QStringLiteral("q3dm7")});
    return config;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray withoutLine(QByteArray text, const QByteArray& line)
{
    return text.replace(line + '\n', QByteArray());
}

// Every file below the temporary home, for checking where writes landed.
QStringList filesUnderHome()
{
    QStringList files;
    QDirIterator it(TestEnvironment::home(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

class ConfigFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { useMod(QStringLiteral("baseq3")); }
    void TearDown() override
    {
        useMod(QStringLiteral("baseq3"));
        UserDefaults::removeValue(KZXUseDefaultMasterServersKey);
        UserDefaults::removeValue(KZXGameMasterServKey);
    }
    void useMod(const QString& mod) { paths = GamePaths(QString(), mod); }
    GamePaths paths;
    static QString storeDir(const QString& mod)
    {
        return TestEnvironment::home() + QStringLiteral("/.q3a/") + mod;
    }
};

} // namespace

TEST_F(ConfigFilesTest, WritesTheExampleFileWithAndWithoutThePassword)
{
    ConfigFiles files(paths);
    EXPECT_EQ(files.configStorePath(), storeDir(QStringLiteral("baseq3")));
    const QString path =
        storeDir(QStringLiteral("baseq3")) + QStringLiteral("/VO_My_Server.config");
    EXPECT_EQ(files.configFileWithPathReplacedSpaces(QStringLiteral("My Server")), path);

    ASSERT_TRUE(files.saveConfigToFile(exampleConfig(), true).ok());
    EXPECT_EQ(contentsOf(path), exampleHead + exampleRotation);
    EXPECT_EQ(files.mapListString(), QString::fromLatin1(exampleRotation));
    EXPECT_FALSE(QFile::exists(files.mapListFileWithPath()));

    // Running a configuration on a server keeps that server's password: no line at all.
    ASSERT_TRUE(ConfigFiles(paths).saveConfigToFile(exampleConfig(), false).ok());
    const QByteArray withoutPassword = contentsOf(path);
    EXPECT_EQ(withoutPassword,
              withoutLine(exampleHead, "set rconpassword \"s3cret\"") + exampleRotation);
    EXPECT_EQ(withoutPassword.count('\n'), 38);
}

TEST_F(ConfigFilesTest, UrbanTerrorStartsItsMapCycleFromTheMapListFile)
{
    useMod(QStringLiteral("q3ut2"));
    ConfigFiles files(paths);
    ASSERT_TRUE(files.saveConfigToFile(exampleConfig(), true).ok());

    const QString dir = storeDir(QStringLiteral("q3ut2"));
    QByteArray expected = exampleHead;
    expected.replace("set gamename baseq3", "set gamename q3ut2");
    EXPECT_EQ(contentsOf(dir + QStringLiteral("/VO_My_Server.config")),
              expected + "g_mapcycle \"VO_maplist.txt\" \nmap q3dm17\n");
    EXPECT_EQ(files.mapListFileWithPath(), dir + QStringLiteral("/VO_maplist.txt"));
    EXPECT_EQ(contentsOf(files.mapListFileWithPath()), "q3dm17\nq3dm7");
    EXPECT_FALSE(QFileInfo::exists(storeDir(QStringLiteral("baseq3"))));

    // An empty list: only the cycle variable, and an empty map list file.
    ServerConfig empty = exampleConfig();
    empty.setMapList({});
    ASSERT_TRUE(ConfigFiles(paths).saveConfigToFile(empty, true).ok());
    EXPECT_EQ(contentsOf(dir + QStringLiteral("/VO_My_Server.config")),
              expected + "g_mapcycle \"VO_maplist.txt\" \n");
    EXPECT_EQ(contentsOf(files.mapListFileWithPath()), QByteArray());
}

TEST_F(ConfigFilesTest, EveryLineTakesItsOwnField)
{
    ServerConfig c;
    c.setGameType(4);
    c.setFragLimit(21);
    c.setTimeLimit(22);
    c.setMaxPlayers(23);
    c.setServerName(QStringLiteral("Host"));
    c.setWelcomeText(QStringLiteral("Hello all"));
    c.setNPrivateClients(24);
    c.setPrivateClientPasswd(QStringLiteral("priv"));
    c.setRconPassword(QStringLiteral("rc"));
    c.setPureServer(false);
    c.setRadioOptimizeNetwork(1);
    c.setOptimizeNetwork(25000);
    c.setWeaponsRespawn(26);
    c.setAllowVoting(false);
    c.setQuadFactor(2.5f);
    c.setCaptureLimit(27);
    c.setRadioDedicatedType(1);
    c.setFriendlyFire(true);
    c.setHunkMegs(128);
    c.setNetIP(QStringLiteral("10.0.0.2"));
    c.setNetPort(27961);
    c.setWarmup(28);
    c.setAllowDownloads(true);
    c.setAutoJoinTeams(true);
    c.setForceTeamBalance(true);
    c.setKnockback(29);
    c.setInactivity(30);
    c.setBotMinPlayers(31);
    c.setBotNoChat(true);
    c.setBotRocketJump(false);
    c.setTimeout(32);
    c.setMaxPing(33);
    c.setMinPing(34);
    c.setDefaultBotSkill(5);
    c.setBotGrapple(true);

    const QStringList expected = {
        "set g_gametype 4\n",
        "fraglimit 21\n",
        "timelimit 22\n",
        "sv_maxclients 23\n",
        "sv_hostname \"Host\"\n",
        "set g_motd \"Hello all\"\n",
        "sv_privateClients 24\n",
        "sv_privatePassword \"priv\"\n",
        "set rconpassword \"rc\"\n",
        "sv_pure 0\n",
        "sv_maxRate 25000\n",
        "set g_weaponrespawn 26\n",
        "g_allowvote 0\n",
        "set g_quadfactor 2.50\n",
        "capturelimit 27\n",
        "set dedicated 2\n",
        "g_friendlyFire 1\n",
        "//com_hunkmegs 128\n",
        "net_ip \"10.0.0.2\"\n",
        "net_port 27961\n",
        "g_warmup 28\n",
        "sv_allowDownload 1\n",
        "set g_teamAutoJoin 1\n",
        "set g_teamForceBalance 1\n",
        "set g_knockback 29\n",
        "set g_inactivity 30\n",
        "bot_minplayers 31\n",
        "bot_nochat 1\n",
        "bot_rocketjump 0\n",
        "sv_timeout 32\n",
        "sv_maxping 33\n",
        "sv_minping 34\n",
        "g_spskill 5\n",
        "bot_grapple 1\n",
    };
    const ConfigFiles files(paths);
    ASSERT_EQ(ConfigFiles::cvarList().size(), ConfigFiles::cvarCount);
    for (int i = 0; i < ConfigFiles::cvarCount; ++i)
        EXPECT_EQ(files.getConfigLineForCvar(i, c, true), expected.at(i)) << "row " << i;
    EXPECT_EQ(files.getConfigLineForCvar(8, c, false), QString());
    EXPECT_EQ(files.getConfigLineForCvar(34, c, true), QString());
}

TEST_F(ConfigFilesTest, MasterServerLinesOnlyWithoutTheDefaultServers)
{
    const QString path =
        ConfigFiles(paths).configFileWithPathReplacedSpaces(QStringLiteral("My Server"));
    ASSERT_TRUE(ConfigFiles(paths).saveConfigToFile(exampleConfig(), true).ok());
    EXPECT_FALSE(contentsOf(path).contains("sv_master"));

    UserDefaults::setValue(KZXUseDefaultMasterServersKey, false);
    UserDefaults::setValue(KZXGameMasterServKey,
                           QStringList{QStringLiteral("master.example.org"), QString(), QString(),
                                       QString(), QString()});
    const QByteArray masters = "sv_master1 master.example.org\nsv_master2 \nsv_master3 \n"
                               "sv_master4 \nsv_master5 \n";
    EXPECT_EQ(ConfigFiles(paths).customMasterServerList(), QString::fromLatin1(masters));
    ASSERT_TRUE(ConfigFiles(paths).saveConfigToFile(exampleConfig(), true).ok());
    EXPECT_EQ(contentsOf(path), exampleHead + masters + exampleRotation);

    // A damaged setting with fewer entries still gives the five lines.
    UserDefaults::setValue(KZXGameMasterServKey,
                           QStringList{QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(
        ConfigFiles(paths).customMasterServerList(),
        QStringLiteral("sv_master1 a\nsv_master2 b\nsv_master3 \nsv_master4 \nsv_master5 \n"));
}

TEST_F(ConfigFilesTest, ExtraParametersGoBeforeTheMapsAndBotsLast)
{
    ServerConfig config = exampleConfig();
    config.setExtraParameters({{QStringLiteral("sv_fps"), QStringLiteral("20")},
                               {QStringLiteral("addbot"), QStringLiteral("Sarge 3")},
                               {QStringLiteral("g_doWarmup"), QStringLiteral("1")}});
    const QString name = QStringLiteral("My Server");
    ASSERT_TRUE(ConfigFiles(paths).saveConfigToFile(config, true).ok());
    EXPECT_EQ(contentsOf(ConfigFiles(paths).configFileWithPathReplacedSpaces(name)),
              exampleHead + "sv_fps 20\ng_doWarmup 1\n" + exampleRotation + "addbot Sarge 3\n");

    useMod(QStringLiteral("q3ut2"));
    ASSERT_TRUE(ConfigFiles(paths).saveConfigToFile(config, true).ok());
    EXPECT_TRUE(contentsOf(ConfigFiles(paths).configFileWithPathReplacedSpaces(name))
                    .endsWith("sv_fps 20\ng_doWarmup 1\ng_mapcycle \"VO_maplist.txt\" \n"
                              "map q3dm17\naddbot Sarge 3\n"));

    EXPECT_EQ(ConfigFiles(paths).extraParametersList(ServerConfig()), QString());
    EXPECT_EQ(ConfigFiles(paths).extraParametersAddbotList(ServerConfig()), QString());
}

TEST_F(ConfigFilesTest, MapRotationFollowsTheRotateFlag)
{
    ConfigFiles files(paths);
    ServerConfig config;
    EXPECT_EQ(files.createMapListString(config), QString());

    config.setMapList({QStringLiteral("q3dm17")});
    EXPECT_EQ(files.createMapListString(config),
              QStringLiteral("set d1 \"map q3dm17 ; set nextmap vstr d1\"\nvstr d1\n"));
    config.setRotateMaps(false);
    EXPECT_EQ(files.createMapListString(config),
              QStringLiteral("set d1 \"map q3dm17\"\nvstr d1\n"));
    EXPECT_EQ(files.mapListString(), QStringLiteral("set d1 \"map q3dm17\"\nvstr d1\n"));

    config.setMapList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    EXPECT_EQ(files.createMapListString(config),
              QStringLiteral("set d1 \"map a ; set nextmap vstr d2\"\n"
                             "set d2 \"map b ; set nextmap vstr d3\"\n"
                             "set d3 \"map c\"\nvstr d1\n"));

    // No maps: the file ends with the last console variable.
    ServerConfig noMaps = exampleConfig();
    noMaps.setMapList({});
    ASSERT_TRUE(files.saveConfigToFile(noMaps, true).ok());
    EXPECT_EQ(contentsOf(files.configFileWithPathReplacedSpaces(noMaps.configName())), exampleHead);
}

TEST_F(ConfigFilesTest, FileNamesReplaceSpacesAndNothingElseUnlessUnsafe)
{
    EXPECT_EQ(ConfigFiles::configFileReplacedSpaces(QStringLiteral("My Server")),
              QStringLiteral("VO_My_Server.config"));
    EXPECT_EQ(ConfigFiles::configFileReplacedSpaces(QStringLiteral("CTF-4:x.y+ü")),
              QStringLiteral("VO_CTF-4:x.y+ü.config"));
    // The server would refuse to exec a name holding ".." or "::", or take '\\' for a '/'.
    EXPECT_EQ(ConfigFiles::configFileReplacedSpaces(QStringLiteral("../x\\y")),
              QStringLiteral("VO_.__x_y.config"));
    EXPECT_EQ(ConfigFiles::configFileReplacedSpaces(QStringLiteral("a\nb\tc") + QChar(0)),
              QStringLiteral("VO_a_b_c_.config"));
}

TEST_F(ConfigFilesTest, HostileNamesNeverLeaveTheDirectory)
{
    const QStringList names = {QStringLiteral("../x"),
                               QStringLiteral("a/b"),
                               QStringLiteral(".."),
                               QStringLiteral("."),
                               QString(),
                               QStringLiteral("/etc/passwd"),
                               QStringLiteral("../../../tmp/evil"),
                               QStringLiteral("..\n/x")};
    ConfigFiles files(paths);
    const QString store = files.configStorePath();
    const QStringList before = filesUnderHome();
    for (const QString& name : names) {
        // Checked before anything is written: a wrong path must never be tried.
        const QFileInfo target(files.configFileWithPathReplacedSpaces(name));
        ASSERT_EQ(target.absolutePath(), store) << name.toStdString();
        ASSERT_TRUE(target.fileName().startsWith(QStringLiteral("VO_")));
    }
    for (const QString& name : names) {
        ServerConfig config = exampleConfig();
        config.setConfigName(name);
        EXPECT_TRUE(files.saveConfigToFile(config, true).ok()) << name.toStdString();
    }
    QStringList added;
    for (const QString& file : filesUnderHome()) {
        if (!before.contains(file))
            added << file;
    }
    EXPECT_EQ(added.size(), names.size());
    for (const QString& file : added)
        EXPECT_EQ(QFileInfo(file).absolutePath(), store) << file.toStdString();

    for (const QString& name : names) {
        ServerConfig config;
        config.setConfigName(name);
        EXPECT_TRUE(files.deleteConfigFile(config));
    }
    EXPECT_EQ(filesUnderHome(), before);
}

TEST_F(ConfigFilesTest, ALinkInPlaceOfTheFileIsReplacedNotFollowed)
{
    ConfigFiles files(paths);
    QDir().mkpath(files.configStorePath());
    const QString outside =
        TestEnvironment::makeScratchDir(QStringLiteral("outside")) + QStringLiteral("/victim");
    QFile victim(outside);
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("untouched");
    victim.close();
    const QString path = files.configFileWithPathReplacedSpaces(QStringLiteral("My Server"));
    ASSERT_TRUE(QFile::link(outside, path));

    ASSERT_TRUE(files.saveConfigToFile(exampleConfig(), true).ok());
    EXPECT_EQ(contentsOf(outside), "untouched");
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(contentsOf(path), exampleHead + exampleRotation);

    // Deleting removes the link, never what it points at.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(outside, path));
    EXPECT_TRUE(files.deleteConfigFile(exampleConfig()));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(contentsOf(outside), "untouched");
}

TEST_F(ConfigFilesTest, ConfigFileIsReadableByItsOwnerOnly)
{
    ConfigFiles files(paths);
    QDir().mkpath(files.configStorePath());
    const QString path = files.configFileWithPathReplacedSpaces(QStringLiteral("My Server"));
    const auto mode = [&path] {
        struct stat status
        {
        };
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777
                                                                         : 0u;
    };

    ASSERT_TRUE(files.saveConfigToFile(exampleConfig(), true).ok());
    EXPECT_EQ(mode(), 0600u);

    // An older file open to everyone is replaced by a private one.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther | QFileDevice::ReadGroup));
    ASSERT_TRUE(files.saveConfigToFile(exampleConfig(), true).ok());
    EXPECT_EQ(mode(), 0600u);
    EXPECT_EQ(QDir(files.configStorePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("VO_My_Server.config")});
}

TEST_F(ConfigFilesTest, AFileThatCannotBeWrittenIsReportedAndLeftAlone)
{
    ConfigFiles files(paths);
    const QString path = files.configFileWithPathReplacedSpaces(QStringLiteral("My Server"));
    ASSERT_TRUE(QDir().mkpath(path));
    const Result<void> overDirectory = files.saveConfigToFile(exampleConfig(), true);
    EXPECT_TRUE(overDirectory.error.startsWith("Cannot replace " + path + ": "))
        << overDirectory.error.toStdString();
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(files.deleteConfigFile(exampleConfig()));

    useMod(QStringLiteral("q3ut2"));
    ConfigFiles urbanTerror(paths);
    ASSERT_TRUE(QDir().mkpath(urbanTerror.mapListFileWithPath()));
    const Result<void> mapList = urbanTerror.saveConfigToFile(exampleConfig(), true);
    EXPECT_TRUE(mapList.error.contains(urbanTerror.mapListFileWithPath()))
        << mapList.error.toStdString();
    EXPECT_TRUE(
        QFile::exists(urbanTerror.configFileWithPathReplacedSpaces(QStringLiteral("My Server"))));

    // A file where the mod's directory belongs.
    useMod(QStringLiteral("blocked"));
    ConfigFiles blocked(paths);
    ASSERT_TRUE(QFile(blocked.configStorePath()).open(QIODevice::WriteOnly));
    EXPECT_EQ(blocked.saveConfigToFile(exampleConfig(), true).error,
              "Cannot make the directory " + blocked.configStorePath() + ": Not a directory");
}

TEST_F(ConfigFilesTest, AWriteTheFileSystemRefusesSaysWhyAndKeepsTheOldFile)
{
    using RefusingFileSystem::Refusal;
    ConfigFiles files(paths);
    const QString directory = files.configStorePath();
    for (const auto& [refusal, reason] :
         {std::pair{Refusal::ReadOnly, QString("Read-only file system")},
          std::pair{Refusal::Full, QString("No space left on device")}}) {
        QDir(directory).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(directory));
        const RefusingFileSystem::Report report = RefusingFileSystem::tryWrite(
            refusal, directory, "configfile", files.configFileWithPathReplacedSpaces("Probe"));
        if (!report.skipped.isEmpty())
            GTEST_SKIP() << report.skipped.toStdString();
        ASSERT_TRUE(report.probeFailure.isEmpty()) << report.probeFailure.toStdString();
        EXPECT_TRUE(report.error.contains(directory) &&
                    (report.error.contains(reason) || report.error.contains("Permission denied")))
            << report.error.toStdString();
        EXPECT_TRUE(report.intact);
        EXPECT_EQ(report.entries, QStringList{"VO_Probe.config"});
    }
}

TEST_F(ConfigFilesTest, DeletesOnlyTheConfigurationsFile)
{
    ConfigFiles files(paths);
    ServerConfig config = exampleConfig();
    EXPECT_TRUE(files.deleteConfigFile(config));
    ASSERT_TRUE(files.saveConfigToFile(config, true).ok());
    ServerConfig other = exampleConfig();
    other.setConfigName(QStringLiteral("My_Server2"));
    ASSERT_TRUE(files.saveConfigToFile(other, true).ok());

    EXPECT_TRUE(files.deleteConfigFile(config));
    EXPECT_EQ(QDir(files.configStorePath()).entryList(QDir::Files),
              QStringList{QStringLiteral("VO_My_Server2.config")});
}

TEST_F(ConfigFilesTest, TheRunningConfigurationsFileStaysWhenAnotherNameOfItIsDeleted)
{
    ServerConfig running = exampleConfig();
    running.setConfigName(QStringLiteral("a_b"));
    ServerConfig other = running;
    other.setConfigName(QStringLiteral("a b"));
    ConfigFiles files(paths);
    ASSERT_TRUE(files.saveConfigToFile(running, true).ok());
    ASSERT_TRUE(RunningServer::record(running));
    const QString path = files.configFileWithPathReplacedSpaces(running.configName());
    EXPECT_TRUE(files.deleteConfigFile(other));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(files.deleteConfigFile(running));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ConfigFilesTest, HostileValuesStayOneCommandOnTheirLine)
{
    ServerConfig config = exampleConfig();
    config.setServerName(QStringLiteral("a\"; quit; \"b"));
    config.setWelcomeText(QStringLiteral("line1\nquit\r\nline3") + QChar(0) + QStringLiteral("x"));
    config.setPrivateClientPasswd(QStringLiteral("p/*w"));
    config.setRconPassword(QStringLiteral("pw\" ; killserver ; \""));
    config.setNetIP(QStringLiteral("127.0.0.1\"\nquit"));
    config.setMapList(
        {QStringLiteral("q3dm17;quit"), QStringLiteral("a\"; quit; \"b"), QStringLiteral("x/*y")});
    config.setExtraParameters({{QStringLiteral("sv_fps;quit"), QStringLiteral("20; quit")},
                               {QStringLiteral("g_motd"), QStringLiteral("\"kept; as /* one\"")},
                               {QStringLiteral("set"), QStringLiteral("v /* quit")},
                               {QStringLiteral("addbot"), QStringLiteral("Sarge 3\nquit")}});
    UserDefaults::setValue(KZXUseDefaultMasterServersKey, false);
    UserDefaults::setValue(KZXGameMasterServKey,
                           QStringList{QStringLiteral("host;quit"), QStringLiteral("h\nquit"),
                                       QString(), QString(), QString()});

    for (const QString& mod : {QStringLiteral("baseq3"), QStringLiteral("q3ut2")}) {
        useMod(mod);
        ConfigFiles files(paths);
        ASSERT_TRUE(files.saveConfigToFile(config, true).ok());
        const QByteArray text =
            contentsOf(files.configFileWithPathReplacedSpaces(config.configName()));

        // Each line is exactly one command of its own, and none of them reaches "quit".
        const QList<QByteArray> lines = text.chopped(1).split('\n');
        QList<QStringList> lineByLine;
        for (const QByteArray& line : lines) {
            const QList<QStringList> commands = ConsoleModel::commands(line);
            EXPECT_EQ(commands.size(), line.startsWith("//") ? 0 : 1) << line.toStdString();
            lineByLine += commands;
        }
        const QList<QStringList> whole = ConsoleModel::commands(text);
        EXPECT_EQ(whole, lineByLine);
        for (const QStringList& command : whole) {
            EXPECT_NE(command.first(), QStringLiteral("quit"));
            EXPECT_NE(command.first(), QStringLiteral("killserver"));
        }

        const auto find = [&whole](const QString& name) {
            for (const QStringList& command : whole) {
                if (command.first() == name)
                    return command;
            }
            return QStringList();
        };
        EXPECT_EQ(find(QStringLiteral("sv_hostname")),
                  QStringList({QStringLiteral("sv_hostname"), QStringLiteral("a'; quit; 'b")}));
        EXPECT_EQ(find(QStringLiteral("g_motd")),
                  QStringList({QStringLiteral("g_motd"), QStringLiteral("kept; as /* one")}));
        EXPECT_EQ(find(QStringLiteral("sv_privatePassword")).value(1), QStringLiteral("p/*w"));
        EXPECT_EQ(find(QStringLiteral("addbot")),
                  QStringList({QStringLiteral("addbot"), QStringLiteral("Sarge"),
                               QStringLiteral("3"), QStringLiteral("quit")}));

        if (mod == QStringLiteral("baseq3")) {
            // Each rotation variable, when it runs, loads one map and sets the next.
            for (const QStringList& command : whole) {
                static const QRegularExpression rotationVariable(QStringLiteral("^d[0-9]+$"));
                if (command.size() != 3 || !rotationVariable.match(command.at(1)).hasMatch())
                    continue;
                const QList<QStringList> run = ConsoleModel::commands(command.at(2).toLatin1());
                ASSERT_GE(run.size(), 1) << command.join(' ').toStdString();
                EXPECT_EQ(run.first().first(), QStringLiteral("map"));
                EXPECT_LE(run.size(), 2);
                if (run.size() == 2) {
                    EXPECT_EQ(run.at(1).mid(0, 3), QStringList({"set", "nextmap", "vstr"}));
                }
            }
        }
    }
}

TEST_F(ConfigFilesTest, AMapNameWithACommentMarkKeepsTheRotationGoing)
{
    ServerConfig config = exampleConfig();
    config.setMapList({QStringLiteral("a//b"), QStringLiteral("c/*d"), QStringLiteral("e")});
    config.setRotateMaps(true);
    ConfigFiles files(paths);
    const QList<QStringList> script = ConsoleModel::commands(files.createMapListString(config).toLatin1());
    ASSERT_EQ(script.size(), 4);
    for (int k = 0; k < 3; ++k) {
        // What the variable runs: the map, then the next variable becomes the next map.
        const QList<QStringList> run = ConsoleModel::commands(script.at(k).at(2).toLatin1());
        ASSERT_EQ(run.size(), 2) << script.at(k).join(' ').toStdString();
        EXPECT_EQ(run.at(0).first(), "map");
        EXPECT_EQ(run.at(1), QStringList({"set", "nextmap", "vstr", QStringLiteral("d%1").arg((k + 1) % 3 + 1)}));
    }
}

TEST_F(ConfigFilesTest, OverlongValuesAreCutToOneCommandLine)
{
    ServerConfig config = exampleConfig();
    const QString filler(1100, QLatin1Char('x'));
    // Past the console's line buffer, the rest of a line would run as a command of its own.
    config.setServerName(QString(1020, QLatin1Char('x')) + QStringLiteral("quit;quit\"quit"));
    config.setMapList({filler + QStringLiteral("quit"), filler});
    config.setExtraParameters({{QStringLiteral("g_motd"), filler + QStringLiteral(" quit")}});
    ConfigFiles files(paths);
    ASSERT_TRUE(files.saveConfigToFile(config, true).ok());
    const QByteArray text = contentsOf(files.configFileWithPathReplacedSpaces(config.configName()));

    const QList<QStringList> commands = ConsoleModel::commands(text);
    EXPECT_EQ(commands.size(), text.count('\n') - 2); // the two comment lines run nothing
    for (const QStringList& command : commands)
        EXPECT_NE(command.first(), QStringLiteral("quit"));
    for (const QByteArray& line : text.split('\n'))
        EXPECT_LE(line.size(), 1022);
    EXPECT_TRUE(text.contains("set d1 \"map xxx"));
    EXPECT_TRUE(text.contains("x ; set nextmap vstr d2\"\n"));
}

TEST_F(ConfigFilesTest, NonAsciiTextIsReplacedInTheFile)
{
    ServerConfig config = exampleConfig();
    config.setServerName(QStringLiteral("Café Ünïcödé Straße 日本 😀"));
    config.setWelcomeText(QStringLiteral("Joe’s ﬁne server"));
    config.setMapList({QStringLiteral("q3dm17é")});
    ConfigFiles files(paths);
    ASSERT_TRUE(files.saveConfigToFile(config, true).ok());
    const QByteArray text = contentsOf(files.configFileWithPathReplacedSpaces(config.configName()));
    for (const char c : text)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f)) << int(c);
    EXPECT_TRUE(text.contains("sv_hostname \"Cafe Unicode Strasse ?? ?\"\n"));
    EXPECT_TRUE(text.contains("set g_motd \"Joe's fine server\"\n"));
    EXPECT_TRUE(text.contains("set d1 \"map q3dm17e ; set nextmap vstr d1\"\n"));
}
