#pragma once

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

class ServerConfig;

// The real dedicated server of the demo game, for tests that start it. Each test process
// names the server executable after itself ("ioq3ded-PID.x86_64"), so that the probe of one
// test never finds the server of another running beside it.
namespace RealServer {

// Makes dir the game directory and DemoGame::serverName() the server, with the given terminal
// setting, stored so that voranthctl run by the test sees them too.
void useGame(const QString& dir, const QString& terminal = QStringLiteral("none"));

// A configuration with maps, a password and a port of its own.
ServerConfig config(const QString& name, const QString& password, int port);
// A UDP port nothing listens on at the moment.
int freeUdpPort();

// Sends an rcon request to 127.0.0.1:port again and again until a reply comes; the reply's
// text after its header, or empty after timeoutMs.
QByteArray rcon(int port, const QByteArray& password, const QByteArray& command,
                int timeoutMs = 10000);

// The arguments of /proc/PID/cmdline, and its parent's id (-1 when gone).
QList<QByteArray> arguments(qint64 pid);
qint64 parentOf(qint64 pid);
QByteArray commandName(qint64 pid);
bool isRunning(qint64 pid);
// Whether the process ends within timeoutMs, handling events meanwhile (a quit from the
// window goes on in the event loop).
bool endsWithin(qint64 pid, int timeoutMs = 30000);
// The state letter of /proc/PID/stat ('S', 'T' when stopped, ...), or 0 when gone.
char stateOf(qint64 pid);
// Whether the process becomes the engine within timeoutMs: the server's script replaces
// itself with the engine (same process id), which then rewrites its first argument to ".".
bool becomesEngine(qint64 pid, int timeoutMs = 30000);

// Kills, when it ends, every process of the user whose command line holds DemoGame::serverName():
// the servers, their shells and terminals, however the test ends.
class Reaper
{
public:
    Reaper() = default;
    Reaper(const Reaper&) = delete;
    Reaper& operator=(const Reaper&) = delete;
    ~Reaper();
};

// A test that starts real servers: the process's demo game is the game directory, and every
// server the test started is gone when it ends.
class Test : public ::testing::Test
{
protected:
    void SetUp() override;

private:
    Reaper m_reaper;
};

} // namespace RealServer
