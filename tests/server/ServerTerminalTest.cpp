#include "server/ServerLauncher.h"

#include "config/GameDirectory.h"
#include "config/ServerConfig.h"
#include "support/DemoGame.h"
#include "support/RealServer.h"
#include "support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// An X server of the test's own on a display number it picks itself; killed with the object.
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        m_server.start("Xvfb",
                       {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!m_server.waitForStarted(5000))
            return;
        const QDeadlineTimer deadline(10000);
        while (!m_server.canReadLine() && !deadline.hasExpired())
            m_server.waitForReadyRead(100);
        const QByteArray number = m_server.readLine().trimmed();
        if (!number.isEmpty())
            m_name = ":" + QString::fromLatin1(number);
    }
    ~VirtualDisplay()
    {
        m_server.kill();
        m_server.waitForFinished(5000);
    }

    // ":N", or empty when the server did not start.
    const QString& name() const { return m_name; }

    // The titles of the display's windows.
    QString windowTree() const
    {
        QProcess info;
        info.start("xwininfo", {"-display", m_name, "-root", "-tree"});
        info.waitForFinished(5000);
        return QString::fromUtf8(info.readAllStandardOutput());
    }

private:
    QProcess m_server;
    QString m_name;
};

bool hasAncestorNamed(qint64 pid, const QByteArray& name)
{
    for (qint64 process = RealServer::parentOf(pid); process > 1;
         process = RealServer::parentOf(process))
        if (RealServer::commandName(process) == name)
            return true;
    return false;
}

} // namespace

TEST(ServerTerminal, InXtermTheServerRunsInAWindowTitledVoranthGameServer)
{
    QString error;
    const QString game = DemoGame::directory(&error);
    ASSERT_FALSE(game.isEmpty()) << error.toStdString();
    RealServer::Reaper reaper;
    const VirtualDisplay display;
    ASSERT_FALSE(display.name().isEmpty()) << "Xvfb did not start";
    qputenv("DISPLAY", display.name().toLatin1());
    RealServer::useGame(game, "xterm");

    const int port = RealServer::freeUdpPort();
    const ServerConfig config = RealServer::config("In A Window", "sekrit", port);
    ASSERT_TRUE(ServerLauncher::start(config, GameDirectory::settle()).ok());
    const qint32 pid = ServerLauncher::waitForServer(30000);
    ASSERT_NE(pid, -1);
    EXPECT_TRUE(hasAncestorNamed(pid, "xterm"));
    EXPECT_EQ(RealServer::commandName(RealServer::parentOf(pid)), "sh");

    QString tree;
    EXPECT_TRUE(waitUntil(
        [&] { return (tree = display.windowTree()).contains("\"Voranth Game Server\""); }))
        << tree.toStdString();

    EXPECT_EQ(ServerLauncher::stop().killedPid, pid);
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    // The window closes with the server that ran in it.
    EXPECT_TRUE(waitUntil(
        [&] { return !display.windowTree().contains("\"Voranth Game Server\""); }));
    qunsetenv("DISPLAY");
}
