// The remote-control pane's traffic against a real dedicated server of the demo game, with
// the paced sender and, on the same schedule, with a sender that does not pace (every request
// goes out at once, as the sender was first designed):
//   - the automatic status every second;
//   - a command every 2 s, chat ("say", after which the server's requests pause for 0.5 s)
//     and a limit read ("fraglimit") in turn, queued behind whatever is out;
//   - the next-map preview held twice for 1.5 s, its action repeated every 0.075 s: one
//     query per hold, asked again on the next action while no next map could be read.
// Exchanges never overlap (the client's queue). Prints per run the requests asked and the
// replies lost ("No response from server"), the automatic polls that gave way, the longest
// wait of a command, and the worst delay of a 5 ms timer beside it all.
//
//   build/bench/RconPacingBench [seconds=60] [port=27991]
//
// Needs ioquake3 and OpenArena's data (tools/setup-debian.sh); everything runs below a
// scratch directory.

#include "bench/support/BenchEnvironment.h"
#include "bench/support/BenchServer.h"
#include "bench/support/EventLoopDelay.h"
#include "bench/support/PaneTraffic.h"
#include "config/ServerConfig.h"
#include "rcon/RconPacer.h"
#include "rcon/RconTransport.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

constexpr int commandIntervalMs = PaneTraffic::commandIntervalMs;
constexpr int commandOffsetMs = PaneTraffic::commandOffsetMs;
constexpr int drainMs = PaneTraffic::drainMs;
constexpr int pollIntervalMs = PaneTraffic::pollIntervalMs;
constexpr int previewRepeatMs = 75;
constexpr int previewHoldMs = 1500;

struct Figures
{
    PaneTraffic::Figures traffic;
    int previewQueries = 0;
    int previewsLost = 0;
    int previewsShown = 0;
    double worstTimerDelayMs = 0;
    int lost() const { return traffic.pollsLost + traffic.commandsLostInAll() + previewsLost; }
};

// One run of the schedule against the server with a client of its own. Every request is
// queued on the client, which sends one at a time; the run counts what came back.
class ScheduleRun
{
public:
    ScheduleRun(RemoteControl& client, int seconds)
        : m_client(client), m_traffic(client, m_clock), m_durationMs(seconds * 1000)
    {}

    Figures run()
    {
        QTimer poll;
        poll.setTimerType(Qt::PreciseTimer);
        QObject::connect(&poll, &QTimer::timeout, [this] { m_traffic.automaticStatus(); });
        QTimer command;
        command.setTimerType(Qt::PreciseTimer);
        QObject::connect(&command, &QTimer::timeout, [this] { m_traffic.askCommand(); });
        const EventLoopDelay delay;

        m_clock.start();
        poll.start(pollIntervalMs);
        QTimer::singleShot(commandOffsetMs, [&] {
            m_traffic.askCommand();
            command.start(commandIntervalMs);
        });
        for (const int at : {m_durationMs / 3, 2 * m_durationMs / 3})
            QTimer::singleShot(at, [this] { holdPreview(); });
        QEventLoop loop;
        QTimer::singleShot(m_durationMs, &loop, &QEventLoop::quit);
        loop.exec();
        poll.stop();
        command.stop();
        // What is still queued is answered before the run ends.
        while (m_client.busy()) {
            QEventLoop rest;
            QTimer::singleShot(20, &rest, &QEventLoop::quit);
            rest.exec();
        }
        m_figures.traffic = m_traffic.figures();
        m_figures.worstTimerDelayMs = delay.worstMs();
        return m_figures;
    }

private:
    // Pressed, the preview's action repeats while held: one query per hold, asked again on the
    // next action while none could be read.
    void holdPreview()
    {
        auto repeat = std::make_shared<QTimer>();
        auto shown = std::make_shared<bool>(false);
        auto asking = std::make_shared<bool>(false);
        const auto action = [this, shown, asking] {
            if (*shown || *asking)
                return;
            *asking = true;
            ++m_figures.previewQueries;
            m_client.sendRCon(QStringLiteral("nextmap"), RemoteCommands::nextMapTimeout, nullptr,
                              [this, shown, asking](const RemoteControl::Reply& reply) {
                                  *asking = false;
                                  if (!reply.answered) {
                                      ++m_figures.previewsLost;
                                      return;
                                  }
                                  ++m_figures.previewsShown;
                                  *shown = true;
                              });
        };
        QObject::connect(repeat.get(), &QTimer::timeout, action);
        action();
        repeat->start(previewRepeatMs);
        QTimer::singleShot(previewHoldMs, [repeat] { repeat->stop(); });
    }

    QElapsedTimer m_clock;
    RemoteControl& m_client;
    PaneTraffic m_traffic;
    int m_durationMs;
    Figures m_figures;
};

void printFigures(const char* label, const Figures& figures)
{
    std::printf("  %s\n", label);
    std::printf("    automatic status  asked %4d  lost %3d  gave way %3d  skipped (busy) %3d\n",
                figures.traffic.pollsAsked, figures.traffic.pollsLost, figures.traffic.pollsGaveWay,
                figures.traffic.pollsSkippedBusy);
    std::printf("    commands          asked %4d  lost %3d  longest wait %6lld ms\n",
                figures.traffic.commandsAsked, figures.traffic.commandsLostInAll(),
                static_cast<long long>(figures.traffic.longestCommandWaitMs));
    std::printf("    preview queries   asked %4d  lost %3d  shown %d of 2 holds\n",
                figures.previewQueries, figures.previewsLost, figures.previewsShown);
    std::printf("    replies lost in all: %d    worst event-loop delay: %.1f ms\n", figures.lost(),
                figures.worstTimerDelayMs);
}

Figures runWith(const ServerConfig& config, qint32 serverPid,
                const std::shared_ptr<RconPacer>& pacer, int seconds)
{
    RemoteControlServices services;
    services.serverPid = [serverPid] {
        return serverPid;
    };
    services.pacer = pacer;
    const std::unique_ptr<RemoteControl> client = RemoteControl::create(config, services);
    if (!client) {
        std::fprintf(stderr, "RconPacingBench: no remote control\n");
        return {};
    }
    return ScheduleRun(*client, seconds).run();
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir scratch;
    BenchEnvironment::useScratchHome(scratch.path());
    QCoreApplication app(argc, argv);
    BenchEnvironment::nameApplication();
    const int seconds = argc > 1 ? std::max(3, atoi(argv[1])) : 60;
    const quint16 port = argc > 2 ? quint16(atoi(argv[2])) : 27991;

    const ServerConfig config = BenchServer::config(
        QStringLiteral("Pacing Bench"), port, {QStringLiteral("oa_dm1"), QStringLiteral("oa_dm2")});
    BenchServer server;
    if (!server.start(scratch.path(), config))
        return 1;
    const qint32 pid = server.pid();

    std::printf("The remote-control pane's schedule for %d s against the demo game's server "
                "(automatic status every %d ms, a command every %d ms, the preview held twice), "
                "load %s:\n",
                seconds, pollIntervalMs, commandIntervalMs,
                qPrintable(BenchEnvironment::loadAverage()));
    std::fflush(stdout);
    const Figures unpaced = runWith(config, pid, RconPacer::unpaced(), seconds);
    printFigures("unpaced sender (every request at once):", unpaced);
    std::fflush(stdout);
    waitMs(drainMs);
    const Figures paced = runWith(config, pid, std::make_shared<RconPacer>(), seconds);
    printFigures("paced sender:", paced);
    std::printf("  replies lost: unpaced %d, paced %d\n", unpaced.lost(), paced.lost());
    return 0;
}
