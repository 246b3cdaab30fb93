// Status exchanges with a real dedicated server of the demo game, made two ways in the same
// event loop as a 5 ms repeating timer (standing in for painting and input):
//   - RemoteControl, which collects the reply from the socket's notifications and a
//     quiet-gap timer while the event loop goes on;
//   - a reference collection whose read handler blocks in select() until the server has been
//     quiet for the quiet gap (the collection loop as first designed).
// The two take turns, each from a loopback address of its own and once every 1.1 s, as the
// server answers one address only about once a second after a burst of ten requests. Prints
// the worst delay of the timer during each side's exchanges, their ratio, and the median time
// from request to parsed status.
//
//   build/bench/RconBench [exchanges=50] [port=27990]
//
// Needs ioquake3 and OpenArena's data (tools/setup-debian.sh); the demo game directory is
// made in a scratch directory.

#include "bench/support/BenchEnvironment.h"
#include "bench/support/BenchServer.h"
#include "config/ServerConfig.h"
#include "rcon/RconTransport.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerReplyParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int tickMs = 5;
constexpr int statusTimeoutUs = 100000; // the quiet gap the window's status refresh uses
constexpr int firstDatagramWaitMs = 1100;

// The reference: a plain UDP socket whose read handler collects the whole reply in a
// blocking select() loop, one full quiet gap per pass, before the event loop runs again.
class BlockingSelectRcon
{
public:
    ~BlockingSelectRcon()
    {
        m_notifier.reset();
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool open(const QString& source, quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (m_fd < 0)
            return false;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = inet_addr(source.toLatin1().constData());
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
            return false;
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(port);
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0)
            return false;
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { collect(); });
        return true;
    }

    bool send(const QByteArray& command, int quietGapUs)
    {
        m_reply.clear();
        m_gotResponse = false;
        m_selectTimeout = quietGapUs;
        const std::optional<QByteArray> request = RconTransport::requestDatagram(BenchServer::password, command);
        return request && ::send(m_fd, request->constData(), size_t(request->size()), 0) ==
                              ssize_t(request->size());
    }

    // One bounded pass of the event loop, in which the read handler may run.
    QByteArray receive()
    {
        if (!m_gotResponse) {
            QEventLoop loop;
            QTimer::singleShot(firstDatagramWaitMs, &loop, &QEventLoop::quit);
            m_waitLoop = &loop;
            loop.exec();
            m_waitLoop = nullptr;
        }
        m_gotResponse = false;
        return m_reply;
    }

private:
    void collect()
    {
        m_reply.clear();
        int total = 0;
        for (;;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_fd, &readable);
            timeval wait{m_selectTimeout / 1000000, m_selectTimeout % 1000000};
            if (::select(m_fd + 1, &readable, nullptr, nullptr, &wait) <= 0)
                break;
            const ssize_t n = ::recv(m_fd, m_buffer, sizeof m_buffer, 0);
            total += int(n);
            if (total > RconTransport::replyResetTotal) {
                m_reply.clear();
                total = 0;
            }
            if (n > RconTransport::replyHeaderSize)
                m_reply.append(m_buffer + RconTransport::replyHeaderSize,
                               qsizetype(strnlen(m_buffer + RconTransport::replyHeaderSize,
                                                 size_t(n) - RconTransport::replyHeaderSize)));
            else if (n == RconTransport::replyHeaderSize)
                break;
        }
        m_gotResponse = true;
        if (m_waitLoop)
            m_waitLoop->quit();
    }

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    char m_buffer[RconTransport::requestBufferSize];
    QByteArray m_reply;
    bool m_gotResponse = false;
    int m_selectTimeout = 400000;
    QEventLoop* m_waitLoop = nullptr;
};

// The worst lateness of a 5 ms repeating timer, charged to the side whose exchange was
// running when the tick was due.
class TickWatch
{
public:
    TickWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_worstNs)
                *m_worstNs = std::max(*m_worstNs, now - m_lastNs - tickMs * 1000000LL);
            m_lastNs = now;
        });
        m_clock.start();
        m_timer.start(tickMs);
    }
    void chargeTo(qint64* worstNs) { m_worstNs = worstNs; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64* m_worstNs = nullptr;
};

struct Side
{
    qint64 worstDelayNs = 0;
    std::vector<double> exchangeMs;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void runEventLoopUntil(const QElapsedTimer& clock, qint64 ms)
{
    const qint64 left = ms - clock.elapsed();
    if (left <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(int(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void exchangeOnce(Side& side, TickWatch& watch, const std::function<bool()>& exchange)
{
    watch.chargeTo(&side.worstDelayNs);
    QElapsedTimer clock;
    clock.start();
    if (exchange())
        side.exchangeMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    // A tick held up by the exchange fires now and is charged to it.
    QCoreApplication::processEvents();
    watch.chargeTo(nullptr);
}

// The server answers one address about once a second once a burst of ten requests is spent;
// each side asks from an address of its own, once every roundMs.
constexpr int roundMs = 1100;

void measure(int exchanges, Side& voranth, const std::function<bool()>& voranthExchange,
             Side& reference, const std::function<bool()>& referenceExchange)
{
    QTimer::singleShot(0, [&] {
        TickWatch watch;
        for (int i = 0; i < exchanges; ++i) {
            QElapsedTimer round;
            round.start();
            exchangeOnce(voranth, watch, voranthExchange);
            runEventLoopUntil(round, roundMs / 2);
            exchangeOnce(reference, watch, referenceExchange);
            runEventLoopUntil(round, roundMs);
        }
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    // Never the real home: every path of the application and the server's own files go below
    // a scratch directory.
    QTemporaryDir scratch;
    BenchEnvironment::useScratchHome(scratch.path());
    QCoreApplication app(argc, argv);
    BenchEnvironment::nameApplication();
    const int exchanges = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const quint16 port = argc > 2 ? quint16(atoi(argv[2])) : 27990;

    const ServerConfig config = BenchServer::config(
        QStringLiteral("Bench"), port,
        {QStringLiteral("oa_dm1"), QStringLiteral("oa_dm2"), QStringLiteral("oa_dm3")});
    BenchServer server;
    if (!server.start(scratch.path(), config))
        return 1;

    // Voranth's client.
    RemoteControlServices services;
    services.serverPid = [&server] {
        return server.pid();
    };
    std::unique_ptr<RemoteControl> client = RemoteControl::create(config, std::move(services));
    if (!client) {
        std::fprintf(stderr, "RconBench: no remote control\n");
        return 1;
    }
    int playersSeen = 0;
    Side voranth;
    const auto voranthExchange = [&] {
        // The bench waits for the reply; the client itself never does.
        QEventLoop wait;
        RemoteControl::StatusRead read = RemoteControl::StatusRead::NoReply;
        client->setServerStatus(statusTimeoutUs, RconPacer::Traffic::Command, &wait,
                                [&](RemoteControl::StatusRead status) {
                                    read = status;
                                    wait.quit();
                                });
        wait.exec();
        const bool ok = read == RemoteControl::StatusRead::Read && client->setCurrentMap() &&
                        client->setPlayersStatus();
        playersSeen = ok ? int(client->playersStatus()->size()) : playersSeen;
        return ok;
    };

    // The reference collection.
    BlockingSelectRcon blocking;
    if (!blocking.open(QStringLiteral("127.0.0.2"), port)) {
        std::fprintf(stderr, "RconBench: no reference socket\n");
        return 1;
    }
    Side reference;
    const auto referenceExchange = [&] {
        if (!blocking.send("status", statusTimeoutUs))
            return false;
        const QString reply = QString::fromLocal8Bit(blocking.receive());
        return ServerReplyParser::mapNameFromStatus(reply).has_value() &&
               !ServerReplyParser::playersFromStatus(reply).isEmpty();
    };
    measure(exchanges, voranth, voranthExchange, reference, referenceExchange);

    const auto worstMs = [](const Side& side) {
        return double(side.worstDelayNs) / 1e6;
    };
    std::printf("Status exchanges with the demo game's server (%d players, quiet gap %d ms), "
                "%d each, a %d ms timer beside them:\n",
                playersSeen, statusTimeoutUs / 1000, exchanges, tickMs);
    std::printf("  %-34s worst timer delay %8.1f ms   median request to parsed status %7.1f ms"
                "   (%d parsed)\n",
                "RemoteControl (notifications):", worstMs(voranth), median(voranth.exchangeMs),
                int(voranth.exchangeMs.size()));
    std::printf("  %-34s worst timer delay %8.1f ms   median request to parsed status %7.1f ms"
                "   (%d parsed)\n",
                "reference (blocking select):", worstMs(reference), median(reference.exchangeMs),
                int(reference.exchangeMs.size()));
    std::printf("  worst delay, reference / RemoteControl: %.1fx\n",
                worstMs(voranth) > 0 ? worstMs(reference) / worstMs(voranth) : 0.0);
    return 0;
}
