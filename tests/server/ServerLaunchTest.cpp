#include "server/ServerLauncher.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "rcon/RconAsk.h"
#include "rcon/RemoteControl.h"
#include "server/ConfigFiles.h"
#include "server/ProcessSignal.h"
#include "server/QProcessCom.h"
#include "server/RunningServer.h"
#include "server/ServerLog.h"
#include "server/TerminalLauncher.h"
#include "support/DemoGame.h"
#include "support/LiveServer.h"
#include "support/RealServer.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

using Problem = ServerLauncher::Problem;

namespace {

QString configFilePath(const ServerConfig& config)
{
    return ConfigFiles(GamePaths(QString(), config.modName()))
        .configFileWithPathReplacedSpaces(config.configName());
}

// The game directory the test's server was made in.
QString gameRoot()
{
    return GameDirectory::settle();
}

// The started server, once the probe finds it, checked to be the server process itself: the
// engine, below the shell that ran the command.
qint32 startedServer(const ServerConfig& config)
{
    const auto started = ServerLauncher::start(config, gameRoot());
    EXPECT_TRUE(started.ok()) << started.error.toStdString();
    const qint32 pid = ServerLauncher::waitForServer(30000);
    EXPECT_NE(pid, -1);
    if (pid == -1)
        return pid;
    EXPECT_TRUE(RealServer::becomesEngine(pid));
    const QList<QByteArray> shell = RealServer::arguments(RealServer::parentOf(pid));
    EXPECT_EQ(shell.mid(0, 2), QList<QByteArray>({"/bin/sh", "-c"}));
    EXPECT_TRUE(shell.value(2).contains("+exec")) << shell.value(2).constData();
    return pid;
}

QStringList filesNamed(const QString& dir, const QString& name)
{
    QStringList found;
    QDirIterator it(dir, {name}, QDir::AllEntries | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

using ServerLaunch = RealServer::Test;

// What the configuration's server printed last (it runs without a terminal, into its own log).
QStringList serverLogLines(const QString& configName)
{
    QFile log(ServerLog::pathFor(ConfigFiles::configFileReplacedSpaces(configName)));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray& line : log.readAll().split('\n'))
        lines.append(QString::fromLatin1(line).trimmed());
    return lines;
}

// Starts the configuration as a forced start would, past the checks, and waits until it
// answers; its process id.
qint32 startedAndAnswering(const ServerConfig& config, int port)
{
    const qint32 pid = startedServer(config);
    if (pid == -1)
        return pid;
    const QByteArray status = RealServer::rcon(port, config.rconPassword().toLatin1(), "status");
    EXPECT_TRUE(status.startsWith("map: " + config.mapList().first().toLatin1() + "\n"))
        << status.constData();
    return pid;
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST_F(ServerLaunch, StartRunsTheServerOnItsPortAndFirstMapAndStopEndsIt)
{
    const int port = RealServer::freeUdpPort();
    ASSERT_NE(port, 27960);
    const ServerConfig config = RealServer::config(QStringLiteral("Launch Test"), "sekrit", port);
    ASSERT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);
    const qint32 pid = startedServer(config);
    ASSERT_NE(pid, -1);
    EXPECT_TRUE(QFileInfo::exists(configFilePath(config)));
    ASSERT_TRUE(RunningServer::read().has_value());
    EXPECT_EQ(RunningServer::read()->config.configName(), config.configName());

    const QByteArray status = RealServer::rcon(port, "sekrit", "status");
    EXPECT_TRUE(status.startsWith("map: oa_dm4\n")) << status.constData();

    // A process that only mentions the server, +exec included, is never taken for it.
    QProcess decoy;
    decoy.start("/bin/bash", {"-c", "read -t 20", "less",
                              "./" + DemoGame::serverName() + " +exec VO_Launch_Test.config"});
    ASSERT_TRUE(decoy.waitForStarted());
    EXPECT_EQ(QProcessCom().serverPid(), pid);

    const ServerLauncher::StopResult stopped = ServerLauncher::stop();
    EXPECT_EQ(stopped.killedPid, pid);
    EXPECT_EQ(stopped.runningConfig, config.configName());
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    EXPECT_FALSE(QFileInfo::exists(configFilePath(config)));
    EXPECT_FALSE(RunningServer::read().has_value());

    // No server now, only the decoy: nothing is found and stopping touches nothing.
    EXPECT_EQ(QProcessCom().serverPid(), -1);
    const ServerLauncher::StopResult again = ServerLauncher::stop();
    EXPECT_EQ(again.killedPid, -1);
    EXPECT_FALSE(again.runningConfig.has_value());
    EXPECT_EQ(decoy.state(), QProcess::Running);
    decoy.kill();
    decoy.waitForFinished();
}

TEST_F(ServerLaunch, QuotesSemicolonsAndCommandsInDirectoryAndNameStayText)
{
    const QString game =
        TestEnvironment::makeScratchDir("hostile") + "/it's a \"game\"; $(touch pwned-dir)";
    QString error;
    ASSERT_TRUE(DemoGame::make(game, &error)) << error.toStdString();
    RealServer::useGame(game);
    const int port = RealServer::freeUdpPort();
    ServerConfig config =
        RealServer::config("it's \"my\" server; $(touch pwned) `touch pwned2`", "p;ss", port);
    config.setMapList({"oa_dm1"});
    ASSERT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);
    const qint32 pid = startedServer(config);
    ASSERT_NE(pid, -1);

    EXPECT_EQ(QFileInfo(QString("/proc/%1/cwd").arg(pid)).symLinkTarget(), game);
    const QByteArray status = RealServer::rcon(port, "p;ss", "status");
    EXPECT_TRUE(status.startsWith("map: oa_dm1\n")) << status.constData();
    const QList<QByteArray> arguments = RealServer::arguments(pid);
    EXPECT_EQ(arguments.mid(arguments.indexOf("+exec")),
              QList<QByteArray>(
                  {"+exec",
                   "\"" + QFile::encodeName(QFileInfo(configFilePath(config)).fileName()) + "\""}));
    EXPECT_TRUE(QFileInfo::exists(configFilePath(config)));
    EXPECT_EQ(filesNamed(TestEnvironment::home(), "pwned*"), QStringList());

    EXPECT_EQ(ServerLauncher::stop().killedPid, pid);
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    EXPECT_FALSE(QFileInfo::exists(configFilePath(config)));
}

TEST_F(ServerLaunch, NeitherAddressNorGameDirectoryAddsACommandToTheServer)
{
    struct Case
    {
        QString gameDir;
        QString address;
    };
    const Case cases[] = {
        {"game +echo INJECTED", "127.0.0.1\necho\tINJECTED"},
        {"game\necho INJECTED", "127.0.0.1 +echo INJECTED"},
    };
    for (const Case& c : cases) {
        const QString game = TestEnvironment::makeScratchDir("injection") + '/' + c.gameDir;
        QString error;
        ASSERT_TRUE(DemoGame::make(game, &error)) << error.toStdString();
        RealServer::useGame(game);
        const int port = RealServer::freeUdpPort();
        ServerConfig config = RealServer::config("Injection", "sekrit", port);
        config.setNetIP(c.address);

        // Refused, with a message that shows the address as typed.
        EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::NetIPNotValid);
        const ServerLauncher::Alert refusal =
            ServerLauncher::alertFor(Problem::NetIPNotValid, config, gameRoot());
        EXPECT_TRUE(refusal.message.contains("INJECTED")) << refusal.message.toStdString();
        EXPECT_FALSE(refusal.message.contains('\n')) << refusal.message.toStdString();

        // Even started past the check, the server runs its configuration and nothing else.
        const qint32 pid = startedAndAnswering(config, port);
        ASSERT_NE(pid, -1);
        EXPECT_EQ(ServerLauncher::stop().killedPid, pid);
        EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 5000));
        const QStringList log = serverLogLines(config.configName());
        ASSERT_GT(log.size(), 10) << "the server's output is in its log";
        EXPECT_FALSE(log.contains("INJECTED")) << log.join('\n').toStdString();
        for (const QString& line : log)
            EXPECT_FALSE(line.contains("Couldn't load default.cfg")) << line.toStdString();
    }
}

TEST_F(ServerLaunch, EveryNameRunsItsFileOrIsRefused)
{
    const QString friday = "Friday Night Capture The Flag Server For Friends And Family";
    ServerConfig tooLong = RealServer::config(friday, "sekrit", 27961);
    EXPECT_EQ(ServerLauncher::check(tooLong, gameRoot()), Problem::ConfigFileNotExecutable);
    const ServerLauncher::Alert alert =
        ServerLauncher::alertFor(Problem::ConfigFileNotExecutable, tooLong, gameRoot());
    EXPECT_TRUE(alert.message.contains("63")) << alert.message.toStdString();
    EXPECT_TRUE(StringTable::contains("RconComm", "ConfigFileNotExecutableMsg"));

    // Names the server would have refused to exec now run their file: its map, its password.
    for (const QString& name : {QStringLiteral("v1..2"), QStringLiteral("a::b")}) {
        const int port = RealServer::freeUdpPort();
        ServerConfig config = RealServer::config(name, "pw-" + QString::number(port), port);
        config.setMapList({"oa_dm1"});
        ASSERT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);
        const qint32 pid = startedAndAnswering(config, port);
        ASSERT_NE(pid, -1);
        EXPECT_EQ(ServerLauncher::stop().killedPid, pid);
        EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 5000));
    }
}

TEST_F(ServerLaunch, ChecksComeInOrderWithTheirAlerts)
{
    ServerConfig config = RealServer::config("Checks", "", RealServer::freeUdpPort());
    config.setMapList({});
    UserDefaults::setValue(KZXDedicatedAppName, "no-such-server");
    EXPECT_EQ(ServerLauncher::check(config, gameRoot(), true), Problem::EmptyMapList);
    const ServerLauncher::Alert noMaps =
        ServerLauncher::alertFor(Problem::EmptyMapList, config, gameRoot());
    EXPECT_EQ(noMaps.title, "No maps in map list!");
    EXPECT_EQ(noMaps.message, "Add at least one map to the map list before starting server.");
    EXPECT_EQ(noMaps.buttons, QStringList({"OK"}));

    config.setMapList({"oa_dm1"});
    EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::ExecutableNotFound);
    const ServerLauncher::Alert noServer =
        ServerLauncher::alertFor(Problem::ExecutableNotFound, config, gameRoot());
    EXPECT_EQ(noServer.title, "'no-such-server' not found!");
    EXPECT_EQ(noServer.message, "'no-such-server' does not exist in directory:\n" + gameRoot() +
                                    ". Please change to another Quake3 executable file in "
                                    "Voranth Preferences.");

    UserDefaults::setValue(KZXDedicatedAppName, DemoGame::serverName());
    EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::RconPasswordNotSet);
    EXPECT_EQ(ServerLauncher::check(config, gameRoot(), true), Problem::None) << "Start anyway";
    const ServerLauncher::Alert noPassword =
        ServerLauncher::alertFor(Problem::RconPasswordNotSet, config, gameRoot());
    EXPECT_EQ(noPassword.title, "Remote Control password not set!");
    EXPECT_EQ(noPassword.message,
              "You must set the Remote Control password to be able to use Remote Control.");
    EXPECT_EQ(noPassword.buttons, QStringList({"OK, let me set password", "Start anyway"}));
    EXPECT_EQ(noPassword.buttons.value(ServerLauncher::startAnywayButton), "Start anyway");

    for (const QString& password : QStringList{"two words", "tab\tbed", "say\"cheese", "a//b",
                                               "a/*b", QString::fromUtf8("pässword")}) {
        config.setRconPassword(password);
        EXPECT_EQ(ServerLauncher::check(config, gameRoot(), true), Problem::RconPasswordUnusable)
            << password.toStdString();
    }
    config.setRconPassword("x;y!$%'/\\");
    EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);
    for (const QString& mod :
         {QStringLiteral("my mod"), QStringLiteral("mod\n+quit"), QStringLiteral("\"mod\"")}) {
        ServerConfig other = config;
        other.setModName(mod);
        EXPECT_EQ(ServerLauncher::check(other, gameRoot()), Problem::ModNameUnusable)
            << mod.toStdString();
    }
    const ServerLauncher::Alert unusable =
        ServerLauncher::alertFor(Problem::RconPasswordUnusable, config, gameRoot());
    EXPECT_TRUE(unusable.message.contains("blanks, double quotes"))
        << unusable.message.toStdString();
    EXPECT_EQ(unusable.buttons, QStringList({"OK"}));

    // The texts come from the tables, not only from the built-in defaults.
    const QList<QPair<QString, QString>> keys = {{"Maps", "EmptyMapListTitle"},
                                                 {"Maps", "EmptyMapListMsg"},
                                                 {"VOCommon", "Q3ExecutableNotFoundTitle"},
                                                 {"VOCommon", "Q3ExecutableNotFoundMsg"},
                                                 {"RconComm", "RconPasswordNotSetTitle"},
                                                 {"RconComm", "RconPasswordNotSetMsg"},
                                                 {"RconComm", "RconPasswordNotSetAbort"},
                                                 {"RconComm", "RconPasswordNotSetStartAnyway"},
                                                 {"RconComm", "RconPasswordUnusableTitle"},
                                                 {"RconComm", "RconPasswordUnusableMsg"},
                                                 {"RconComm", "ServerAlreadyRunningTitle"},
                                                 {"RconComm", "ConfigServerAlreadyRunningMsg"},
                                                 {"RconComm", "PortInUseTitle"},
                                                 {"RconComm", "PortOfOurServerMsg"},
                                                 {"RconComm", "PortOfOtherProgramMsg"},
                                                 {"RconComm", "UsePortButton"}};
    for (const auto& [table, key] : keys)
        EXPECT_TRUE(StringTable::contains(table, key)) << key.toStdString();
    EXPECT_EQ(StringTable::text("RconComm", "RconPasswordUnusableMsg", {}), unusable.message);
}

TEST_F(ServerLaunch, AStartThatCannotWriteLeavesNothingBehind)
{
    const ServerConfig config = RealServer::config("Blocked", "sekrit", 27961);
    // The mod's configuration directory is a file: the configuration cannot be written.
    QDir().mkpath(CommonData::appSupportQGameDir());
    QFile blocker(CommonData::appSupportQGameDir() + "/baseq3");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const auto result = ServerLauncher::start(config, gameRoot());
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error, "Cannot make the directory " + CommonData::appSupportQGameDir() +
                                "/baseq3: Not a directory");
    EXPECT_FALSE(RunningServer::read().has_value());
    // Refused before the launch file was written: nothing was ever started.
    EXPECT_FALSE(QFileInfo::exists(CommonData::appSupportQ3VXDir() + "/VOTerminal.term"));
    EXPECT_EQ(QProcessCom().serverPid(), -1);
}

TEST_F(ServerLaunch, StopAfterTheServerEndedByItselfClearsItsRecordAndFile)
{
    const ServerConfig config = RealServer::config("Gone", "sekrit", 27961);
    ASSERT_TRUE(
        ConfigFiles(GamePaths(gameRoot(), config.modName())).saveConfigToFile(config, true).ok());
    ASSERT_TRUE(RunningServer::record(config));

    // The record holds the passwords: its owner's alone.
    EXPECT_EQ(modeOf(RunningServer::recordPath(RunningServer::read()->launchToken)), 0600u);
    EXPECT_EQ(modeOf(RunningServer::registryDirectory()), 0700u);
    EXPECT_EQ(modeOf(CommonData::appSupportQ3VXDir()), 0700u);

    // No process of it appears.
    const ServerLauncher::StopResult stopped = ServerLauncher::stop(0);
    EXPECT_EQ(stopped.killedPid, -1);
    EXPECT_TRUE(stopped.neverFound);
    EXPECT_EQ(stopped.runningConfig, "Gone");
    EXPECT_FALSE(QFileInfo::exists(configFilePath(config)));
    EXPECT_FALSE(RunningServer::read().has_value());
}

TEST_F(ServerLaunch, OnlyTheServerVoranthStartedIsFoundSpokenToAndStopped)
{
    // Servers of the same program executing a file of the same name, started first on ports
    // of their own, by hand or by another user's game: one in this home, one in another.
    LiveServer sameHome(RealServer::freeUdpPort(), "decoy-secret", {"oa_dm2"}, "Ours");
    ASSERT_TRUE(sameHome.start()) << sameHome.error().toStdString();
    LiveServer otherHome(RealServer::freeUdpPort(), "other-secret", {"oa_dm3"}, "Ours");
    otherHome.setHome(TestEnvironment::makeScratchDir("other-home"));
    ASSERT_TRUE(otherHome.start()) << otherHome.error().toStdString();
    ASSERT_FALSE(ServerLauncher::runningServer().has_value()) << "not ours";
    EXPECT_EQ(ServerLauncher::stop().killedPid, -1) << "nothing of ours to stop";

    const int port = RealServer::freeUdpPort();
    ServerConfig config = RealServer::config("Ours", "ours-secret", port);
    // Its port is a decoy's: the server would listen on another, and the remote control
    // would speak to the decoy.
    config.setNetPort(sameHome.config().netPort());
    EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::PortInUse);
    EXPECT_EQ(ServerLauncher::alertFor(Problem::PortInUse, config, gameRoot()).title,
              QString("Port %1 is in use!").arg(sameHome.config().netPort()));
    config.setNetPort(port);
    ASSERT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);

    const qint32 pid = startedServer(config);
    ASSERT_NE(pid, -1);
    EXPECT_NE(pid, sameHome.pid());
    EXPECT_NE(pid, otherHome.pid());
    const std::optional<RunningServer::Record> ours = ServerLauncher::runningServer();
    ASSERT_TRUE(ours.has_value());
    EXPECT_EQ(ours->pid, pid);
    EXPECT_EQ(ours->execFile, "VO_Ours.config");
    EXPECT_EQ(RunningServer::read()->serverProcess(), ProcessIdentity::of(pid))
        << "the process and its start time are kept in the record";
    EXPECT_GT(RunningServer::read()->launcherPid, 0);
    EXPECT_EQ(QProcessCom().serverPid(), pid);

    // The remote control of the recorded server reaches ours, not a decoy.
    auto client = RemoteControl::create(
        config, RemoteControlServices::forLaunch(RunningServer::read()->launchToken, nullptr));
    ASSERT_TRUE(client);
    EXPECT_TRUE(waitUntil([&] {
        return RconAsk::refresh(*client) == RemoteCommands::Refresh::Refreshed &&
               client->currentMap() == "oa_dm4";
    }));

    // One server per configuration, whatever starts it.
    EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::ServerAlreadyRunning);
    EXPECT_EQ(ServerLauncher::alertFor(Problem::ServerAlreadyRunning, config, gameRoot()).title,
              "'Ours' is running!");
    EXPECT_FALSE(ServerLauncher::start(config, gameRoot()).ok());
    EXPECT_EQ(ServerLauncher::runningServers().size(), 1);
    EXPECT_EQ(ServerLauncher::runningServer()->config.configName(), "Ours");

    const ServerLauncher::StopResult stopped = ServerLauncher::stop();
    EXPECT_EQ(stopped.killedPid, pid);
    EXPECT_FALSE(stopped.stillRunning);
    EXPECT_FALSE(RealServer::isRunning(pid)) << "stop waits for the end";
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
    for (const LiveServer* decoy : {&sameHome, &otherHome}) {
        EXPECT_TRUE(decoy->running());
        EXPECT_TRUE(RealServer::rcon(decoy->config().netPort(),
                                     decoy->config().rconPassword().toLatin1(), "status")
                        .startsWith("map: " + decoy->config().mapList().first().toLatin1() + "\n"));
    }
}

TEST_F(ServerLaunch, AProgramNameWithADirectoryStartsAndStopsItsServer)
{
    // The engine rewrites its first argument ("./sub/NAME" reads "./sub", NUL, "NAME"): the
    // name is nowhere in its command line as the setting spells it.
    const QString program = "sub/" + DemoGame::serverName();
    ASSERT_TRUE(QDir(gameRoot()).mkpath("sub"));
    QFile::link("../ioq3ded.x86_64", gameRoot() + '/' + program);
    UserDefaults::setValue(KZXDedicatedAppName, program);
    const int port = RealServer::freeUdpPort();
    const ServerConfig config = RealServer::config("In A Folder", "sekrit", port);
    ASSERT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);

    ASSERT_TRUE(ServerLauncher::start(config, gameRoot()).ok());
    const qint32 pid = ServerLauncher::waitForServer(30000);
    ASSERT_NE(pid, -1);
    EXPECT_FALSE(RealServer::arguments(pid).join(' ').contains(QFile::encodeName(program)));
    EXPECT_TRUE(RealServer::rcon(port, "sekrit", "status").startsWith("map: oa_dm4\n"));

    const ServerLauncher::StopResult stopped = ServerLauncher::stop();
    EXPECT_EQ(stopped.killedPid, pid);
    EXPECT_FALSE(RealServer::isRunning(pid));
    EXPECT_FALSE(RunningServer::read().has_value());
    EXPECT_FALSE(QFileInfo::exists(configFilePath(config)));
}

TEST_F(ServerLaunch, AStopThatDidNotStopKeepsTheServerAndItsRecordUntilItEnds)
{
    const int port = RealServer::freeUdpPort();
    const ServerConfig config = RealServer::config("Stuck", "sekrit", port);
    const qint32 pid = startedServer(config);
    ASSERT_NE(pid, -1);
    const std::optional<ProcessIdentity> server = ProcessIdentity::of(pid);
    ASSERT_TRUE(server.has_value());
    ASSERT_EQ(ProcessSignal::send(*server, SIGSTOP), ProcessSignal::Outcome::Sent);
    ASSERT_TRUE(waitUntil([&] { return RealServer::stateOf(pid) == 'T'; }));

    const ServerLauncher::StopResult stuck = ServerLauncher::stop(1000);
    EXPECT_EQ(stuck.killedPid, pid);
    EXPECT_EQ(stuck.serverPid, pid);
    EXPECT_TRUE(stuck.stillRunning);
    ASSERT_TRUE(ServerLauncher::runningServer().has_value()) << "the record stays";
    EXPECT_EQ(ServerLauncher::recordedServerPid(), pid);
    EXPECT_TRUE(QFileInfo::exists(configFilePath(config)));
    EXPECT_EQ(ServerLauncher::check(config, gameRoot()), Problem::ServerAlreadyRunning)
        << "ours, not some program on the port";

    // Let go, it takes the terminate signal it was sent; then the record goes.
    ASSERT_EQ(ProcessSignal::send(*server, SIGCONT), ProcessSignal::Outcome::Sent);
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
    EXPECT_FALSE(QFileInfo::exists(configFilePath(config)));

    // The port is free again for the next start.
    ASSERT_TRUE(waitUntil([&] { return !ServerLauncher::portInUse(port); }));
    ASSERT_EQ(ServerLauncher::check(config, gameRoot()), Problem::None);
    const qint32 again = startedServer(config);
    ASSERT_NE(again, -1);
    EXPECT_EQ(ServerLauncher::stop().killedPid, again);
}
