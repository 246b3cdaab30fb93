#include "server/ServerCommand.h"
#include "config/CommonData.h"
#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "format/PlistReader.h"
#include "server/ConfigFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

ServerCommand::Inputs inputs(const QString& app, const QString& root = "/Games/Quake3")
{
    ServerCommand::Inputs in;
    in.gameRoot = root;
    in.appName = app;
    in.bundleExecutable = "Quake3";
    in.configFile = "VO_My_Server.config";
    return in;
}

// What sh makes of the command: its words, through a stand-in server that prints its
// arguments.
QStringList wordsSeenByTheServer(const QString& command, const QString& root, const QString& app)
{
    QDir().mkpath(root);
    const QString stub = root + "/" + app;
    QFile script(stub);
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\0' \"$@\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess sh;
    sh.start("/bin/sh", {"-c", command});
    EXPECT_TRUE(sh.waitForFinished(10000));
    return QString::fromUtf8(sh.readAllStandardOutput()).split(QChar(0), Qt::SkipEmptyParts);
}

// How ioquake3 reads its command line, modelled independently of the code under test: the
// arguments joined with blanks, one holding a blank wrapped in double quotes, then split into
// console lines at every '+' outside double quotes and at every line break.
QStringList engineLines(const QStringList& arguments)
{
    QString line;
    for (const QString& argument : arguments) {
        const bool wrap = argument.contains(' ');
        line += (wrap ? "\"" + argument + "\"" : argument) + ' ';
    }
    QStringList lines{QString()};
    bool quoted = false;
    for (QChar c : line) {
        if (c == '"')
            quoted = !quoted;
        if ((c == '+' && !quoted) || c == '\n' || c == '\r')
            lines.append(QString());
        else
            lines.last() += c;
    }
    QStringList commands;
    for (const QString& l : lines)
        if (!l.trimmed().isEmpty())
            commands.append(l.trimmed().section(' ', 0, 1));
    return commands;
}

} // namespace

TEST(ServerCommand, APathOrAddressCanNeverAddACommandForTheServer)
{
    const QString expected = "set fs_basepath|set dedicated|set fs_game|set sv_punkbuster|"
                             "set cl_punkbuster|exec \"VO_My_Server.config\"";
    const QString app = "server.sh";
    for (const QString& name : {QStringLiteral("game +echo INJECTED"),
                                QStringLiteral("game\necho INJECTED"), QStringLiteral("g\"+x \"y"),
                                QStringLiteral("plain+echo"), QString(200, 'g') + '/' + QString(100, 'h')}) {
        const QString root = TestEnvironment::makeScratchDir(name);
        ServerConfig config;
        config.setNetIP("127.0.0.1 +echo INJECTED");
        const QString command = ServerCommand::build(config, inputs(app, root));
        const QStringList arguments = wordsSeenByTheServer(command, root, app);
        EXPECT_EQ(engineLines(arguments).join('|'), expected) << command.toStdString();
        // Only a plain directory of reasonable length is named by its path.
        const bool passedWhole = name == "plain+echo";
        EXPECT_EQ(arguments.value(2), passedWhole ? "\"" + root + "\"" : QString("\".\""))
            << name.toStdString();
    }
    // A real address is passed, and stays one setting.
    ServerConfig config;
    config.setNetIP("fe80::1%eth0");
    EXPECT_TRUE(ServerCommand::build(config, inputs(app)).contains("+set net_ip '\"fe80::1%eth0\"'"));
}

TEST(ServerCommand, ApplicationBundleAndPlainExecutableGiveTheExactCommands)
{
    ServerConfig config;
    EXPECT_EQ(
        ServerCommand::build(config, inputs("Quake3.app")),
        "cd '/Games/Quake3'; ./\"Quake3.app/Contents/MacOS/Quake3\" +set fs_basepath "
        "'\"/Games/Quake3\"' +set fs_game '\"baseq3\"' +set in_nomouse 1 +set sv_punkbuster 0 "
        "+set cl_punkbuster 0 +exec '\"VO_My_Server.config\"'");
    EXPECT_EQ(ServerCommand::build(config, inputs("ioq3ded.x86_64")),
              "cd '/Games/Quake3'; ./ioq3ded.x86_64 +set fs_basepath '\"/Games/Quake3\"' +set "
              "dedicated 1 +set fs_game '\"baseq3\"' +set sv_punkbuster 0 +set cl_punkbuster 0 "
              "+exec '\"VO_My_Server.config\"'");

    config.setRadioDedicatedType(1);
    config.setHunkMegsUse(true);
    config.setHunkMegs(128);
    config.setPunkBusterEnabled(true);
    EXPECT_EQ(ServerCommand::build(config, inputs("q3ded")),
              "cd '/Games/Quake3'; ./q3ded +set fs_basepath '\"/Games/Quake3\"' +set dedicated 2 "
              "+set fs_game '\"baseq3\"' +set com_hunkmegs 128 +set sv_punkbuster 1 +set "
              "cl_punkbuster 1 +exec '\"VO_My_Server.config\"'");
    EXPECT_EQ(ServerCommand::build(config, inputs("Quake3.app")),
              "cd '/Games/Quake3'; ./\"Quake3.app/Contents/MacOS/Quake3\" +set fs_basepath "
              "'\"/Games/Quake3\"' +set fs_game '\"baseq3\"' +set com_hunkmegs 128 +set in_nomouse "
              "1 +set sv_punkbuster 1 +set cl_punkbuster 1 +exec '\"VO_My_Server.config\"'");
}

TEST(ServerCommand, APortOrAddressOfItsOwnIsSetBeforeTheFileRuns)
{
    ServerConfig config;
    config.setNetPort(27962);
    config.setNetIP("192.0.2.7");
    EXPECT_TRUE(
        ServerCommand::build(config, inputs("q3ded"))
            .endsWith("+set cl_punkbuster 0 +set net_ip '\"192.0.2.7\"' +set net_port 27962 "
                      "+exec '\"VO_My_Server.config\"'"));
    config.setNetIP("");
    config.setNetPort(27960);
    EXPECT_FALSE(ServerCommand::build(config, inputs("q3ded")).contains("net_"));
}

TEST(ServerCommand, NoValueCanEndItsQuoting)
{
    const QString root = TestEnvironment::makeScratchDir("it's \"odd\"; $(touch x) `y` %1 dir");
    const QString app = "serv'er $x;.sh";
    ServerConfig config;
    config.setModName("ba'se;q3");
    ServerCommand::Inputs in = inputs(app, root);
    in.configFile = ConfigFiles::configFileReplacedSpaces("a'b\"c; d $(e)");
    const QString command = ServerCommand::build(config, in);
    const QStringList words = wordsSeenByTheServer(command, root, app);
    ASSERT_EQ(words.size(), 17) << command.toStdString();
    EXPECT_EQ(words.at(2), "\".\"") << "a game directory the server cannot quote is named by '.'";
    EXPECT_EQ(words.at(8), "\"ba'se;q3\"");
    EXPECT_EQ(words.at(16), "\"VO_a'b_c;_d_$(e).config\"");
    EXPECT_FALSE(QFile::exists(root + "/x"));

    // Without a blank, '"' or control character the server is given the directory itself.
    const QString plainRoot = TestEnvironment::makeScratchDir("it's_a_dir;$(touch+x)");
    const QStringList plainWords =
        wordsSeenByTheServer(ServerCommand::build(config, inputs(app, plainRoot)), plainRoot, app);
    ASSERT_EQ(plainWords.size(), 17);
    EXPECT_EQ(plainWords.at(2), "\"" + plainRoot + "\"");
}

TEST(ServerCommand, BundleExecutableComesFromItsInfoOrItsName)
{
    const QString root = TestEnvironment::makeScratchDir("bundles");
    EXPECT_EQ(ServerCommand::bundleExecutableName(root + "/Quake3 Server.app"), "Quake3 Server");
    QDir().mkpath(root + "/Q.app/Contents");
    QFile info(root + "/Q.app/Contents/Info.plist");
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write("{ CFBundleExecutable = \"Quake3 Dedicated\"; }");
    info.close();
    EXPECT_EQ(ServerCommand::bundleExecutableName(root + "/Q.app"), "Quake3 Dedicated");
    EXPECT_EQ(ServerCommand::executablePath(root, "Q.app"),
              root + "/Q.app/Contents/MacOS/Quake3 Dedicated");
    EXPECT_EQ(ServerCommand::executablePath(root, "ioq3ded.x86_64"), root + "/ioq3ded.x86_64");
}

TEST(ConfigFiles, TheLaunchFileHoldsTheCommandUnderTheApplicationsTitle)
{
    UserDefaults::setValue(KZXDedicatedAppName, "ioq3ded.x86_64");
    ServerConfig config;
    config.setConfigName("My Server");
    ConfigFiles files(GamePaths("/Games/Quake3", "baseq3"));
    ASSERT_FALSE(files.defaultTerminalDict().isEmpty());
    ASSERT_TRUE(files.runConfigFile(config, "Voranth").ok());
    EXPECT_EQ(files.terminalFile(), CommonData::appSupportQ3VXDir() + "/VOTerminal.term");
    const PlistReader::Result written = PlistReader::parseFile(files.terminalFile());
    ASSERT_TRUE(written.ok());
    const QVariantList windows = written.value.toMap().value("WindowSettings").toList();
    ASSERT_EQ(windows.size(), 1);
    const QVariantMap window = windows.first().toMap();
    EXPECT_EQ(window.value("CustomTitle").toString(), "Voranth Game Server");
    EXPECT_EQ(window.value("TitleBits").toString(), "10");
    EXPECT_EQ(window.value("ExecutionString").toString(), files.serverCommand());
    EXPECT_TRUE(files.serverCommand().endsWith("+exec '\"VO_My_Server.config\"'"));
    EXPECT_EQ(window.value("Rows").toString(), "32") << "the template's other keys stay";
}
