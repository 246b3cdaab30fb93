// Several servers controlled from one process, as the window controls them: a client per
// server in one event loop, each with its own queue behind the user's shared pacer ledger.
// Eight dedicated servers of the demo game run on eight ports; every server gets the
// automatic status every second, and two of them a person's command every 2 s (chat and a
// limit read in turn); each server's status has a timer of its own, switched on one after
// another as a person does. Beside it, the same per-server load on one server alone. Prints, for
// both, the replies and commands lost, the worst delay of a 5 ms timer in the same loop (and
// how much of it the loop's own work accounts for, the rest being the servers and whatever
// else the machine ran meanwhile), and the process's processor time, with the ratio per server.
//
//   build/bench/RconServersBench [seconds=60] [servers=8] [first port=27992]
//
// Needs ioquake3 and OpenArena's data (tools/setup-debian.sh); everything runs below a
// scratch directory.

#include "bench/support/BenchEnvironment.h"
#include "bench/support/BenchServer.h"
#include "bench/support/EventLoopDelay.h"
#include "bench/support/PaneTraffic.h"
#include "bench/support/Stopwatch.h"
#include "config/ServerConfig.h"
#include "rcon/RemoteControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int commandIntervalMs = PaneTraffic::commandIntervalMs;
constexpr int commandOffsetMs = PaneTraffic::commandOffsetMs;
constexpr int drainMs = PaneTraffic::drainMs;
constexpr int pollIntervalMs = PaneTraffic::pollIntervalMs;
constexpr int commandedServers = 2;

struct Controlled
{
    std::unique_ptr<RemoteControl> client;
    std::unique_ptr<PaneTraffic> traffic;
    // Each server's automatic status has a timer of its own, as each session in the window.
    std::unique_ptr<QTimer> poll;
};

struct RunFigures
{
    int servers = 0;
    PaneTraffic::Figures traffic;
    double worstDelayMs = 0;
    double worstOwnDelayMs = 0;
    Stopwatch::Cost cost;
};

std::unique_ptr<RemoteControl> clientOf(const ServerConfig& config, qint32 pid)
{
    RemoteControlServices services;
    services.serverPid = [pid] {
        return pid;
    };
    return RemoteControl::create(config, std::move(services));
}

bool anyBusy(const std::vector<Controlled>& controlled)
{
    for (const Controlled& one : controlled)
        if (one.client->busy())
            return true;
    return false;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// One run: every server of configs polled, the first commandedServers of them commanded.
RunFigures run(const std::vector<ServerConfig>& configs, const std::vector<qint32>& pids,
               int seconds)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<Controlled> controlled;
    for (size_t i = 0; i < configs.size(); ++i) {
        Controlled one;
        one.client = clientOf(configs[i], pids[i]);
        if (!one.client) {
            std::fprintf(stderr, "RconServersBench: no remote control of %s\n",
                         qPrintable(configs[i].configName()));
            return {};
        }
        one.traffic = std::make_unique<PaneTraffic>(*one.client, clock);
        controlled.push_back(std::move(one));
    }

    const Stopwatch stopwatch;
    const EventLoopDelay delay;
    // Switched on one after another, as a person does server by server.
    const int switchedOnEveryMs = pollIntervalMs / int(controlled.size());
    for (size_t i = 0; i < controlled.size(); ++i) {
        Controlled& one = controlled[i];
        one.poll = std::make_unique<QTimer>();
        one.poll->setTimerType(Qt::PreciseTimer);
        PaneTraffic* traffic = one.traffic.get();
        QObject::connect(one.poll.get(), &QTimer::timeout,
                         [traffic] { traffic->automaticStatus(); });
        QTimer* poll = one.poll.get();
        QTimer::singleShot(int(i) * switchedOnEveryMs, Qt::PreciseTimer, poll,
                           [poll] { poll->start(pollIntervalMs); });
    }
    QTimer command;
    command.setTimerType(Qt::PreciseTimer);
    const auto askCommands = [&] {
        for (size_t i = 0; i < controlled.size() && i < size_t(commandedServers); ++i)
            controlled[i].traffic->askCommand();
    };
    QObject::connect(&command, &QTimer::timeout, askCommands);
    QTimer::singleShot(commandOffsetMs, [&] {
        askCommands();
        command.start(commandIntervalMs);
    });
    runEventLoopFor(seconds * 1000);
    for (Controlled& one : controlled)
        one.poll->stop();
    command.stop();
    // What is still queued is answered before the run ends.
    while (anyBusy(controlled))
        runEventLoopFor(20);

    RunFigures figures;
    figures.servers = int(controlled.size());
    figures.worstDelayMs = delay.worstMs();
    figures.worstOwnDelayMs = delay.worstOwnMs();
    figures.cost = stopwatch.elapsed();
    for (const Controlled& one : controlled)
        figures.traffic += one.traffic->figures();
    return figures;
}

void printRun(const RunFigures& figures)
{
    const PaneTraffic::Figures& traffic = figures.traffic;
    std::printf("  %d server%s:\n", figures.servers, figures.servers == 1 ? "" : "s");
    std::printf("    automatic status  asked %4d  replies lost %3d  gave way %3d  skipped (busy) "
                "%3d\n",
                traffic.pollsAsked, traffic.pollsLost, traffic.pollsGaveWay,
                traffic.pollsSkippedBusy);
    std::printf("    commands          asked %4d  lost %3d  longest wait %6lld ms\n",
                traffic.commandsAsked, traffic.commandsLostInAll(),
                static_cast<long long>(traffic.longestCommandWaitMs));
    std::printf("    worst event-loop delay %.1f ms (the loop's own work: %.1f ms)   processor "
                "time %.0f ms (%.0f ms per server)   wall %.1f s\n",
                figures.worstDelayMs, figures.worstOwnDelayMs, figures.cost.cpuMs,
                figures.cost.cpuMs / std::max(1, figures.servers), figures.cost.wallMs / 1e3);
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir scratch;
    BenchEnvironment::useScratchHome(scratch.path());
    QCoreApplication app(argc, argv);
    BenchEnvironment::nameApplication();
    const int seconds = argc > 1 ? std::max(3, atoi(argv[1])) : 60;
    const int serverCount = argc > 2 ? std::max(2, atoi(argv[2])) : 8;
    const quint16 firstPort = argc > 3 ? quint16(atoi(argv[3])) : 27992;

    std::vector<ServerConfig> configs;
    std::vector<std::unique_ptr<BenchServer>> servers;
    std::vector<qint32> pids;
    for (int i = 0; i < serverCount; ++i) {
        configs.push_back(BenchServer::config(
            QStringLiteral("Servers Bench %1").arg(i + 1), quint16(firstPort + i),
            {QStringLiteral("oa_dm1"), QStringLiteral("oa_dm2")}));
        const QString home = scratch.path() + QStringLiteral("/server-%1").arg(i + 1);
        QDir().mkpath(home);
        servers.push_back(std::make_unique<BenchServer>());
        if (!servers.back()->start(home, configs.back()))
            return 1;
        pids.push_back(servers.back()->pid());
    }

    std::printf("%d demo-game servers controlled from one process for %d s (automatic status "
                "of each every %d ms, a command every %d ms on %d of them), load %s:\n",
                serverCount, seconds, pollIntervalMs, commandIntervalMs, commandedServers,
                qPrintable(BenchEnvironment::loadAverage()));
    std::fflush(stdout);
    const RunFigures many = run(configs, pids, seconds);
    printRun(many);
    std::fflush(stdout);
    runEventLoopFor(drainMs);
    // One server with the same load as each commanded server above.
    const RunFigures one = run({configs.front()}, {pids.front()}, seconds);
    printRun(one);
    const double perServerMany = many.cost.cpuMs / std::max(1, many.servers);
    std::printf("  processor time per server, %d servers / 1: %.2fx   lost: %d replies, %d "
                "commands (%d servers); %d replies, %d commands (1 server)\n",
                many.servers, one.cost.cpuMs > 0 ? perServerMany / one.cost.cpuMs : 0.0,
                many.traffic.pollsLost, many.traffic.commandsLostInAll(), many.servers,
                one.traffic.pollsLost, one.traffic.commandsLostInAll());
    return many.traffic.pollsLost + many.traffic.commandsLostInAll() == 0 ? 0 : 2;
}
