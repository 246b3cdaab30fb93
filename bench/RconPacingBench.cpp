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

constexpr int pollIntervalMs = 1000;
constexpr int commandIntervalMs = 2000;
// Commands fall between the polls, as a person's clicks do not wait for a timer.
constexpr int commandOffsetMs = 300;
constexpr int previewRepeatMs = 75;
constexpr int previewHoldMs = 1500;
constexpr int tickMs = 5;
// The server forgets a sender's count after ten quiet seconds; the runs wait a little more.
constexpr int drainMs = 12000;

struct Figures
{
    int pollsAsked = 0;
    int pollsLost = 0;
    int pollsGaveWay = 0;
    int pollsSkippedBusy = 0;
    int commandsAsked = 0;
    int commandsLost = 0;
    qint64 longestCommandWaitMs = 0;
    int previewQueries = 0;
    int previewsLost = 0;
    int previewsShown = 0;
    qint64 worstTimerDelayNs = 0;
    int lost() const { return pollsLost + commandsLost + previewsLost; }
};

// One run of the schedule against the server with a client of its own. Every request is
// queued on the client, which sends one at a time; the run counts what came back.
class ScheduleRun
{
public:
    ScheduleRun(RemoteControl& client, int seconds) : m_client(client)
    {
        m_durationMs = seconds * 1000;
    }

    Figures run()
    {
        QTimer poll;
        poll.setTimerType(Qt::PreciseTimer);
        QObject::connect(&poll, &QTimer::timeout, [this] { automaticStatus(); });
        QTimer command;
        command.setTimerType(Qt::PreciseTimer);
        QObject::connect(&command, &QTimer::timeout, [this] { askCommand(); });
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [this] { measureTick(); });

        m_clock.start();
        m_lastTickNs = m_clock.nsecsElapsed();
        tick.start(tickMs);
        poll.start(pollIntervalMs);
        QTimer::singleShot(commandOffsetMs, [&] {
            askCommand();
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
        return m_figures;
    }

private:
    void measureTick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_figures.worstTimerDelayNs =
            std::max(m_figures.worstTimerDelayNs, now - m_lastTickNs - tickMs * 1000000LL);
        m_lastTickNs = now;
    }

    void automaticStatus()
    {
        // The window skips a tick while its last refresh is still out.
        if (m_pollOut) {
            ++m_figures.pollsSkippedBusy;
            return;
        }
        m_pollOut = true;
        RemoteCommands(m_client, nullptr)
            .refreshStatus(RconPacer::Traffic::Poll, [this](RemoteCommands::Refresh refresh) {
                m_pollOut = false;
                if (refresh == RemoteCommands::Refresh::GaveWay) {
                    ++m_figures.pollsGaveWay;
                    return;
                }
                ++m_figures.pollsAsked;
                if (refresh == RemoteCommands::Refresh::NoReply)
                    ++m_figures.pollsLost;
            });
    }

    // Chat (after which the server's requests pause for 0.5 s) and a limit read in turn.
    void askCommand()
    {
        const int number = m_nextCommand++;
        const qint64 askedAtMs = m_clock.elapsed();
        const RemoteCommands::Done done = [this, askedAtMs](const RemoteCommands::Sent& result) {
            ++m_figures.commandsAsked;
            if (!result.answered)
                ++m_figures.commandsLost;
            m_figures.longestCommandWaitMs =
                std::max(m_figures.longestCommandWaitMs, m_clock.elapsed() - askedAtMs);
        };
        RemoteCommands commands(m_client, nullptr);
        if (number % 2 == 0)
            commands.say(QStringLiteral("bench %1").arg(number), done);
        else
            commands.readLimit(RemoteCommands::LimitType::Frag, done);
    }

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

    RemoteControl& m_client;
    int m_durationMs = 60000;
    QElapsedTimer m_clock;
    qint64 m_lastTickNs = 0;
    bool m_pollOut = false;
    int m_nextCommand = 0;
    Figures m_figures;
};

void printFigures(const char* label, const Figures& figures)
{
    std::printf("  %s\n", label);
    std::printf("    automatic status  asked %4d  lost %3d  gave way %3d  skipped (busy) %3d\n",
                figures.pollsAsked, figures.pollsLost, figures.pollsGaveWay,
                figures.pollsSkippedBusy);
    std::printf("    commands          asked %4d  lost %3d  longest wait %6lld ms\n",
                figures.commandsAsked, figures.commandsLost,
                static_cast<long long>(figures.longestCommandWaitMs));
    std::printf("    preview queries   asked %4d  lost %3d  shown %d of 2 holds\n",
                figures.previewQueries, figures.previewsLost, figures.previewsShown);
    std::printf("    replies lost in all: %d    worst event-loop delay: %.1f ms\n", figures.lost(),
                double(figures.worstTimerDelayNs) / 1e6);
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
