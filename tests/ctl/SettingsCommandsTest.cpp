#include "config/SettingsKeys.h"
#include "support/ProgramRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(VoranthctlSettings, PathsPrintTheDirectoriesUnderTheHome)
{
    const ProgramResult result = ProgramRunner::voranthctl({"paths"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString home = TestEnvironment::home();
    EXPECT_TRUE(
        result.out.contains("Application data:         " + home + "/.local/share/Voranth\n"))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(home + "/.local/share/Voranth/ServerConfigs.kzvr"));
    EXPECT_TRUE(result.out.contains(home + "/.q3a/baseq3"));
    EXPECT_TRUE(result.out.contains(home + "/.config/Voranth/Voranth.conf"));

    const ProgramResult json = ProgramRunner::voranthctl({"paths", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_TRUE(json.out.contains("\"Game data\": \"" + home + "/.q3a\""));
}

TEST(VoranthctlSettings, SetChangesOneSettingAndSettingsShowsIt)
{
    ProgramResult before = ProgramRunner::voranthctl({"settings"});
    ASSERT_EQ(before.exitCode, 0);
    EXPECT_TRUE(before.out.contains(QRegularExpression("Map Image Cache Size +default +30\n")))
        << before.out.toStdString();

    EXPECT_EQ(ProgramRunner::voranthctl({"set", KZXMapImageCacheSizeKey, "12"}).exitCode, 0);
    EXPECT_EQ(ProgramRunner::voranthctl({"set", KZXPutTerminalBackKey, "NO"}).exitCode, 0);
    EXPECT_EQ(
        ProgramRunner::voranthctl({"set", KZXGameMasterServKey, "m.example.org", "", "", "", ""})
            .exitCode,
        0);
    const ProgramResult after = ProgramRunner::voranthctl({"settings"});
    EXPECT_TRUE(after.out.contains(QRegularExpression("Map Image Cache Size +set +12\n")));
    EXPECT_TRUE(after.out.contains(QRegularExpression("Put Terminal Back Flag +set +NO\n")));
    EXPECT_TRUE(after.out.contains("m.example.org"));
    EXPECT_TRUE(after.out.contains(QRegularExpression("Use Default Game Servers +default +YES\n")));
}

TEST(VoranthctlSettings, BadRequestsAreRefusedWithAMessage)
{
    struct Case
    {
        QStringList args;
        int status;
    };
    const Case cases[] = {
        {{"set", "No Such Key", "1"}, 1},
        {{"set", KZXMapImageCacheSizeKey, "many"}, 1},
        {{"set", KZXPutTerminalBackKey, "perhaps"}, 1},
        {{"set", KZXGamePaksInfoKey, "x"}, 1},
        {{"set", KZXGameMasterServKey, "only-one"}, 1},
        {{"set", KZXMapImageCacheSizeKey}, 2},
        {{"settings", "extra"}, 2},
        {{"no-such-command"}, 2},
        {{}, 2},
    };
    for (const Case& c : cases) {
        const ProgramResult result = ProgramRunner::voranthctl(c.args);
        EXPECT_EQ(result.exitCode, c.status) << c.args.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty()) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(ProgramRunner::voranthctl({"settings"}).out.count(" set "), 0);

    // A settings file that cannot be written: the message says why.
    const QString directory = TestEnvironment::home() + "/.config/Voranth";
    QDir(directory).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(TestEnvironment::home() + "/.config"));
    ASSERT_TRUE(QFile(directory).open(QIODevice::WriteOnly));
    const ProgramResult unwritable = ProgramRunner::voranthctl({"set", KZXMapImageCacheSizeKey, "12"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("could not write " + directory +
                                        "/Voranth.conf (Cannot make the directory " + directory +
                                        ": Not a directory)"))
        << unwritable.err.toStdString();
}

TEST(VoranthctlSettings, EveryCommandHasHelp)
{
    const ProgramResult help = ProgramRunner::voranthctl({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"paths", "settings", "set"}) {
        EXPECT_TRUE(help.out.contains(command));
        const ProgramResult one = ProgramRunner::voranthctl({command, "--help"});
        EXPECT_EQ(one.exitCode, 0);
        EXPECT_TRUE(one.out.startsWith(QStringLiteral("usage: voranthctl %1").arg(command)));
    }
}
