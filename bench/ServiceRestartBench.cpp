// A server hosted as a user service, crashed on purpose: how long from kill -9 of its process
// to the first remote-console answer of the process the service manager starts instead, and to
// the remote control (as the window's pane follows it) controlling the server again. Beside
// it, the same server's fresh start to its first answer, as the reference. Each round starts the
// server anew (so the manager's start limit never comes into it) and crashes it once; prints
// the medians, the range and the ratio of restart to start.
//
//   build/bench/ServiceRestartBench [rounds=10] [port=27994]
//
// Needs ioquake3, OpenArena's data and systemd (tools/setup-debian.sh); the service manager
// is one of the benchmark's own, below a scratch directory, as in the tests.

#include "bench/support/BenchEnvironment.h"
#include "bench/support/BenchServer.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "rcon/HostedServers.h"
#include "rcon/RconTransport.h"
#include "rcon/ServerSession.h"
#include "server/ServerHosting.h"
#include "server/ServerLauncher.h"
#include "support/PrivateServiceManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <signal.h>

namespace {

// How often the probe asks, and from how many addresses in turn: the server answers one
// address about once a second after a burst of ten.
constexpr int probeIntervalMs = 50;
constexpr int probeAddresses = 40;
constexpr int timeoutMs = 30000;

// One remote-console status from the next probe address; whether the server answered it.
bool answersOnce(quint16 port)
{
    static int next = 0;
    const QString source = QStringLiteral("127.0.1.%1").arg(1 + next++ % probeAddresses);
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(source), 0))
        return false;
    socket.writeDatagram(*RconTransport::requestDatagram(BenchServer::password, "status"),
                         QHostAddress(QHostAddress::LocalHost), port);
    if (!socket.waitForReadyRead(probeIntervalMs))
        return false;
    QByteArray reply(int(socket.pendingDatagramSize()), '\0');
    socket.readDatagram(reply.data(), reply.size());
    return reply.mid(RconTransport::replyHeaderSize).startsWith("map: ");
}

// Milliseconds until the condition holds, handling events meanwhile; -1 after the timeout.
qint64 msUntil(const QElapsedTimer& since, const std::function<bool()>& condition)
{
    while (!condition()) {
        if (since.elapsed() > timeoutMs)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return since.elapsed();
}

struct Spread
{
    double median = 0;
    qint64 low = 0;
    qint64 high = 0;
};

Spread spreadOf(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median =
        n % 2 ? double(values[n / 2]) : (double(values[n / 2 - 1]) + double(values[n / 2])) / 2;
    return {median, values.front(), values.back()};
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    BenchEnvironment::useScratchHome(scratch.path());
    QCoreApplication app(argc, argv);
    BenchEnvironment::nameApplication();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const quint16 port = quint16(argc > 2 ? atoi(argv[2]) : 27994);

    const QString game = scratch.path() + QStringLiteral("/demo-game");
    if (!BenchServer::makeDemoGame(game)) {
        std::fprintf(stderr, "bench: tools/make-demo-game.sh failed\n");
        return 1;
    }
    PrivateServiceManager manager;
    if (!manager.ready()) {
        std::fprintf(stderr, "bench: %s\n", qPrintable(manager.error()));
        return 1;
    }
    UserDefaults::setValue(KZXServerHostingKey, ServerHosting::serviceText());
    const ServerConfig config =
        BenchServer::config(QStringLiteral("Restart Bench"), port, {"oa_dm1"});
    HostedServers servers(nullptr);
    std::vector<qint64> starts, answers, controls;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const Result<ServerSession*> started = servers.start(config, game);
        if (!started.ok()) {
            std::fprintf(stderr, "bench: %s\n", qPrintable(started.error));
            return 1;
        }
        ServerSession* session = started.value;
        const qint64 start = msUntil(clock, [&] { return answersOnce(port); });
        const auto controlled = [&] {
            return session->state() == ServerSession::State::Controlled;
        };
        if (start < 0 || msUntil(clock, controlled) < 0) {
            std::fprintf(stderr, "bench: the server did not start\n");
            return 1;
        }
        const qint32 pid = ServerLauncher::runningServerOf(config.configName())->pid;
        clock.restart();
        ::kill(pid, SIGKILL);
        const qint64 answer = msUntil(clock, [&] { return answersOnce(port); });
        const qint64 control = msUntil(clock, [&] {
            return controlled() && ServerLauncher::runningServerOf(config.configName())->pid != pid;
        });
        if (answer < 0 || control < 0) {
            std::fprintf(stderr, "bench: the server was not restarted\n");
            return 1;
        }
        starts.push_back(start);
        answers.push_back(answer);
        controls.push_back(control);
        std::printf("round %2d: start to answer %5lld ms, kill -9 to answer %5lld ms, to "
                    "controlled %5lld ms\n",
                    round + 1, static_cast<long long>(start), static_cast<long long>(answer),
                    static_cast<long long>(control));
        std::fflush(stdout);
        bool gone = false;
        QObject::connect(&servers, &HostedServers::sessionRemoved, &app, [&] { gone = true; });
        servers.quit(session);
        msUntil(clock, [&] { return gone; });
        QObject::disconnect(&servers, &HostedServers::sessionRemoved, &app, nullptr);
    }
    const Spread start = spreadOf(starts), answer = spreadOf(answers), control = spreadOf(controls);
    std::printf("\nmedian of %d (ms)           median   low  high\n", rounds);
    std::printf("start to first answer      %7.0f %5lld %5lld   (reference)\n", start.median,
                static_cast<long long>(start.low), static_cast<long long>(start.high));
    std::printf("kill -9 to first answer    %7.0f %5lld %5lld   %.2f x the start\n", answer.median,
                static_cast<long long>(answer.low), static_cast<long long>(answer.high),
                answer.median / start.median);
    std::printf("kill -9 to controlled      %7.0f %5lld %5lld\n", control.median,
                static_cast<long long>(control.low), static_cast<long long>(control.high));
    std::printf("(the manager waits %d s before a restart; load %s)\n", 2,
                qPrintable(BenchEnvironment::loadAverage()));
    return 0;
}
