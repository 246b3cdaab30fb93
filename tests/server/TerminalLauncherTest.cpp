#include "server/TerminalLauncher.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "format/PlistWriter.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QString writeTerminalFile(const QString& command)
{
    const QString path = TestEnvironment::makeScratchDir("term") + "/VOTerminal.term";
    const QVariantMap window{
        {"CustomTitle", "Voranth Game Server"}, {"TitleBits", "10"}, {"ExecutionString", command}};
    EXPECT_TRUE(
        PlistWriter::writeFile(path, QVariantMap{{"WindowSettings", QVariantList{window}}}).ok());
    return path;
}

QByteArray waitForFileContaining(const QString& path, const QByteArray& text)
{
    QByteArray content;
    waitUntil([&] {
        QFile file(path);
        content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return content.contains(text);
    });
    return content;
}

} // namespace

TEST(TerminalLauncher, EachTerminalGetsTheTitleAndTheCommandUnderSh)
{
    const QString command = "cd '/games/it''s'; ./ioq3ded.x86_64 +exec 'VO_a.config'";
    const QStringList sh{"/bin/sh", "-c", command};
    using L = TerminalLauncher;
    EXPECT_EQ(L::launchFor("xterm", "T", command).arguments, QStringList({"-T", "T", "-e"}) + sh);
    EXPECT_EQ(L::launchFor("x-terminal-emulator", "T", command).arguments,
              QStringList({"-T", "T", "-e"}) + sh);
    EXPECT_EQ(L::launchFor("gnome-terminal", "T", command).arguments,
              QStringList({"--title=T", "--"}) + sh);
    EXPECT_EQ(L::launchFor("konsole", "T", command).arguments,
              QStringList({"--qwindowtitle", "T", "-e"}) + sh);
    EXPECT_EQ(L::launchFor("/usr/bin/xfce4-terminal", "T", command).arguments,
              QStringList({"--title=T", "-x"}) + sh);
    const TerminalLauncher::Launch detached = L::launchFor("", "T", command);
    EXPECT_EQ(detached.program, "/bin/sh");
    EXPECT_EQ(detached.arguments, QStringList({"-c", command}));
    EXPECT_EQ(detached.logFile, TerminalLauncher::serverLogFile());
}

TEST(TerminalLauncher, TheSettingChoosesTheTerminal)
{
    qputenv("DISPLAY", ":123");
    UserDefaults::setValue(KZXTerminalEmulatorKey, "none");
    EXPECT_EQ(TerminalLauncher::chosenTerminal(), "");
    UserDefaults::setValue(KZXTerminalEmulatorKey, "no-such-terminal-program");
    EXPECT_EQ(TerminalLauncher::chosenTerminal(), "");
    UserDefaults::setValue(KZXTerminalEmulatorKey, "sh");
    EXPECT_EQ(TerminalLauncher::chosenTerminal(), "sh");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(TerminalLauncher::chosenTerminal(), "") << "no display, no window";
}

TEST(TerminalLauncher, WithoutATerminalTheCommandRunsDetachedIntoTheLog)
{
    UserDefaults::setValue(KZXTerminalEmulatorKey, "none");
    const QString path = writeTerminalFile("echo started; echo \"$0\"; echo \"token=$VORANTH_SERVER_TOKEN.\"");
    const Result<qint64> opened = TerminalLauncher::openTerminalFile(path, "feedc0de");
    ASSERT_TRUE(opened.ok()) << opened.error.toStdString();
    EXPECT_GT(opened.value, 0);
    const QByteArray log = waitForFileContaining(TerminalLauncher::serverLogFile(), "token=");
    EXPECT_TRUE(log.contains("started\n/bin/sh\ntoken=feedc0de.\n")) << log.constData();

    // A token this process got from its own parent is never handed on.
    QFile::remove(TerminalLauncher::serverLogFile());
    qputenv("VORANTH_SERVER_TOKEN", "inherited");
    const Result<qint64> plain = TerminalLauncher::openTerminalFile(path);
    qunsetenv("VORANTH_SERVER_TOKEN");
    ASSERT_TRUE(plain.ok());
    EXPECT_TRUE(waitForFileContaining(TerminalLauncher::serverLogFile(), "token=").contains("token=.\n"));
}

TEST(TerminalLauncher, AFileWithoutACommandStartsNothing)
{
    EXPECT_TRUE(TerminalLauncher::openTerminalFile(writeTerminalFile(""))
                    .error.contains("holds no server command"));
    EXPECT_FALSE(TerminalLauncher::openTerminalFile("/nonexistent/VOTerminal.term").ok());
}
