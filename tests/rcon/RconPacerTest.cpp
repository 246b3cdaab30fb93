#include "rcon/RconPacer.h"

#include "rcon/RconResponder.h"
#include "support/WaitUntil.h"
#include "rcon/ServerRateLimit.h"
#include "rcon/RemoteControl.h"
#include "support/RefusingFileSystem.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QTest>

#include <deque>
#include <random>

#include <gtest/gtest.h>

using Traffic = RconPacer::Traffic;

namespace {

struct FakeClock
{
    qint64 now = 5000000;
    RconPacer::Clock clock()
    {
        return [this] {
            return now;
        };
    }
};

const RconPacer::Allowance standard; // 8 at once, one each 1100 ms, 3 kept for commands
const QByteArray key = "127.0.0.1:27960";

void writeLedger(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
}

QByteArray readLedger(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Outcome
{
    int commandsSent = 0;
    int pollsSent = 0;
    int pollsGaveWay = 0;
    int dropped = 0;
};

// Ten minutes of a pane: an automatic poll every second, bursts of commands from the user
// at random moments, each command sent as soon as the pacer lets it; the server sees each
// request up to one of its frames later and applies its rate limit.
Outcome simulate(const std::shared_ptr<RconPacer>& pacer, FakeClock& clock, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> frameDelay(0, 50);
    std::uniform_int_distribution<int> burstSize(1, 12);
    std::uniform_int_distribution<int> pause(2000, 20000);
    ServerRateLimit server(RconPacer::serverBurst, RconPacer::serverPeriodMs);
    Outcome outcome;
    std::deque<qint64> queued; // when each waiting command was asked for
    qint64 lastArrival = 0;
    const auto deliver = [&] {
        lastArrival = std::max(lastArrival, clock.now + frameDelay(random));
        if (!server.accepts(lastArrival))
            ++outcome.dropped;
    };
    const qint64 start = clock.now;
    qint64 nextPoll = start;
    qint64 nextBurst = start + pause(random);
    for (; clock.now < start + 600000; clock.now += 10) {
        // The last minute drains what still waits.
        if (clock.now >= nextBurst && clock.now < start + 540000) {
            for (int i = burstSize(random); i > 0; --i)
                queued.push_back(clock.now);
            nextBurst = clock.now + pause(random);
        }
        while (!queued.empty() && pacer->take(Traffic::Command)) {
            queued.pop_front();
            ++outcome.commandsSent;
            deliver();
        }
        if (clock.now >= nextPoll) {
            nextPoll += 1000;
            // A poll gives way while commands wait.
            if (!queued.empty() || !pacer->take(Traffic::Poll)) {
                ++outcome.pollsGaveWay;
            } else {
                ++outcome.pollsSent;
                deliver();
            }
        }
    }
    EXPECT_TRUE(queued.empty());
    return outcome;
}

} // namespace

TEST(RconPacer, CommandsGoInABurstThenOneAPeriodAndPollsLeaveTheReserve)
{
    FakeClock clock;
    RconPacer pacer(standard, clock.clock());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(pacer.take(Traffic::Poll)) << i;
    EXPECT_EQ(pacer.delayBefore(Traffic::Poll), -1) << "the reserve is the commands'";
    EXPECT_FALSE(pacer.take(Traffic::Poll));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pacer.take(Traffic::Command)) << i;
    EXPECT_EQ(pacer.delayBefore(Traffic::Command), 1100);
    EXPECT_FALSE(pacer.take(Traffic::Command));

    clock.now += 1099;
    EXPECT_FALSE(pacer.take(Traffic::Command));
    clock.now += 1;
    EXPECT_TRUE(pacer.take(Traffic::Command));
    EXPECT_FALSE(pacer.take(Traffic::Command));

    // Polls come back once the count has fallen below the reserve.
    clock.now += 3 * 1100;
    EXPECT_EQ(pacer.delayBefore(Traffic::Poll), -1);
    clock.now += 1100;
    EXPECT_EQ(pacer.delayBefore(Traffic::Poll), 0);
    {
        const RconPacer::Waiting waiting(pacer);
        EXPECT_EQ(pacer.delayBefore(Traffic::Poll), -1) << "a waiting command goes first";
        EXPECT_EQ(pacer.delayBefore(Traffic::Command), 0);
    }
    EXPECT_TRUE(pacer.take(Traffic::Poll));

    // Idle long enough, the whole burst is there again.
    clock.now += 60000;
    EXPECT_DOUBLE_EQ(pacer.level(), 0);

    const std::shared_ptr<RconPacer> unpaced = RconPacer::unpaced();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(unpaced->take(i % 2 ? Traffic::Poll : Traffic::Command));
    EXPECT_EQ(unpaced->delayBefore(Traffic::Command), 0);
}

TEST(RconPacer, WhatItLetsGoTheServersRateLimitAccepts)
{
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        FakeClock clock;
        const Outcome paced =
            simulate(std::make_shared<RconPacer>(standard, clock.clock()), clock, seed);
        EXPECT_EQ(paced.dropped, 0) << "seed " << seed;
        EXPECT_GT(paced.commandsSent, 200) << "seed " << seed;
        EXPECT_GT(paced.pollsSent, 100);
        EXPECT_GT(paced.pollsGaveWay, 0);

        const Outcome unpaced = simulate(RconPacer::unpaced(), clock, seed);
        EXPECT_GT(unpaced.dropped, 0) << "seed " << seed << ": the schedule needs pacing";
    }
}

TEST(RconPacer, TheLedgerSharesTheCountOfAServerBetweenPacers)
{
    FakeClock clock;
    const QString ledger = TestEnvironment::makeScratchDir("ledger") + "/RconPacing.ledger";
    const auto window = RconPacer::shared("127.0.0.1:27960", ledger, standard, clock.clock());
    const auto voranthctl = RconPacer::shared("127.0.0.1:27960", ledger, standard, clock.clock());
    const auto otherServer = RconPacer::shared("127.0.0.1:27961", ledger, standard, clock.clock());
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(window->take(Traffic::Poll));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(voranthctl->take(Traffic::Command));
    EXPECT_FALSE(voranthctl->take(Traffic::Command));
    EXPECT_FALSE(window->take(Traffic::Command));
    EXPECT_EQ(window->delayBefore(Traffic::Command), 1100);
    EXPECT_TRUE(otherServer->take(Traffic::Command)) << "each server counts on its own";

    // A clock behind the ledger's (a restarted machine) counts the ledger's requests from now:
    // they leak away within a burst's time instead of never.
    clock.now = 10;
    EXPECT_DOUBLE_EQ(voranthctl->level(), 8);
    EXPECT_FALSE(voranthctl->take(Traffic::Command));
    clock.now += 1100;
    EXPECT_TRUE(voranthctl->take(Traffic::Command));

    // Without the ledger a pacer still paces, on its own count, and says why.
    const auto unshared = RconPacer::shared("127.0.0.1:27960", "/proc/no-ledger-here/ledger",
                                            standard, clock.clock());
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(unshared->take(Traffic::Command));
    EXPECT_FALSE(unshared->take(Traffic::Command));
    EXPECT_TRUE(unshared->ledgerProblem().value_or("").contains("/proc/no-ledger-here"));
    EXPECT_FALSE(window->ledgerProblem());
}

TEST(RconPacer, WhatTheLedgerSaysIsHeldToTheServersLimit)
{
    FakeClock clock;
    const QString ledger = TestEnvironment::makeScratchDir("ledger") + "/RconPacing.ledger";
    const auto pacer = RconPacer::shared(key, ledger, standard, clock.clock());

    // A level no server allows would make every command wait for ever: it counts as a full
    // burst, which leaks away in its time. The first refusal writes it back held to the limit.
    writeLedger(ledger, key + "\t1e9\t" + QByteArray::number(clock.now) + "\n");
    EXPECT_DOUBLE_EQ(pacer->level(), 8);
    EXPECT_FALSE(pacer->take(Traffic::Command));
    EXPECT_EQ(pacer->delayBefore(Traffic::Command), 1100);
    clock.now += 1100;
    EXPECT_TRUE(pacer->take(Traffic::Command));

    // A stamp far in the future starts leaking now.
    const QByteArray future = QByteArray::number(clock.now + 1000000000);
    writeLedger(ledger, key + "\t8\t" + future + "\n");
    EXPECT_FALSE(pacer->take(Traffic::Command));
    EXPECT_EQ(pacer->delayBefore(Traffic::Command), 1100);
    clock.now += 1100;
    EXPECT_TRUE(pacer->take(Traffic::Command));
    EXPECT_FALSE(readLedger(ledger).contains(future));

    // A negative level counts nothing, and lines that are no entries are skipped.
    clock.now += 60000;
    writeLedger(ledger, "garbage\n" + key + "\t-50\t" + QByteArray::number(clock.now) +
                            "\n\t\t\n" + key + "\tnan\t1\n");
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(pacer->take(Traffic::Command)) << i;
    EXPECT_FALSE(pacer->take(Traffic::Command));
    EXPECT_FALSE(pacer->ledgerProblem());
}

TEST(RconPacer, ALedgerThatCannotBeUsedIsReportedAndPacingGoesOn)
{
    for (const QString& blocked : {QString("RconPacing.ledger"), QString("RconPacing.ledger.lock")}) {
        FakeClock clock;
        const QString dir = TestEnvironment::makeScratchDir("ledger");
        const QString ledger = dir + "/RconPacing.ledger";
        ASSERT_TRUE(QDir().mkpath(dir + "/" + blocked + "/inside"));
        const auto pacer = RconPacer::shared(key, ledger, standard, clock.clock());
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(pacer->take(Traffic::Command)) << blocked.toStdString() << ' ' << i;
        EXPECT_FALSE(pacer->take(Traffic::Command)) << blocked.toStdString();
        EXPECT_EQ(pacer->delayBefore(Traffic::Command), 1100);
        const QString problem = pacer->ledgerProblem().value_or("");
        EXPECT_TRUE(problem.contains(dir + "/" + blocked) && problem.contains("Is a directory"))
            << problem.toStdString();

        // Once the ledger can be used again, the problem is gone.
        ASSERT_TRUE(QDir(dir + "/" + blocked).removeRecursively());
        clock.now += 1100;
        EXPECT_TRUE(pacer->take(Traffic::Command));
        EXPECT_FALSE(pacer->ledgerProblem()) << pacer->ledgerProblem()->toStdString();
    }

    // A ledger on a file system that refuses writes (as root too): the burst goes, the next
    // request waits, and the ledger's problem names the system's reason.
    using RefusingFileSystem::Refusal;
    for (const auto& [refusal, reason] :
         {std::pair{Refusal::ReadOnly, QString("Read-only file system")},
          std::pair{Refusal::Full, QString("No space left on device")}}) {
        const QString dir = TestEnvironment::makeScratchDir("refusing");
        const RefusingFileSystem::Report report =
            RefusingFileSystem::tryWrite(refusal, dir, "ledger", dir + "/RconPacing.ledger");
        if (!report.skipped.isEmpty())
            GTEST_SKIP() << report.skipped.toStdString();
        ASSERT_TRUE(report.probeFailure.isEmpty()) << report.probeFailure.toStdString();
        EXPECT_EQ(report.values.value("went"), "8");
        EXPECT_TRUE(report.error.contains(dir) &&
                    (report.error.contains(reason) || report.error.contains("Permission denied")))
            << report.error.toStdString();
    }
}

TEST(RconPacer, ALinkAtTheLedgerOrItsLockIsReplacedNotWrittenThrough)
{
    FakeClock clock;
    const QString dir = TestEnvironment::makeScratchDir("ledger");
    const QString outside = TestEnvironment::makeScratchDir("outside");
    const QString ledger = dir + "/RconPacing.ledger";
    writeLedger(outside + "/ledger", "someone else's file\n");
    writeLedger(outside + "/lock", "another file\n");
    ASSERT_TRUE(QFile::link(outside + "/ledger", ledger));
    ASSERT_TRUE(QFile::link(outside + "/lock", ledger + ".lock"));

    const auto pacer = RconPacer::shared(key, ledger, standard, clock.clock());
    ASSERT_TRUE(pacer->take(Traffic::Command));
    EXPECT_FALSE(pacer->ledgerProblem()) << pacer->ledgerProblem()->toStdString();
    EXPECT_FALSE(QFileInfo(ledger).isSymLink());
    EXPECT_FALSE(QFileInfo(ledger + ".lock").isSymLink());
    EXPECT_TRUE(readLedger(ledger).startsWith(key + "\t1\t"));
    EXPECT_EQ(readLedger(outside + "/ledger"), "someone else's file\n");
    EXPECT_EQ(readLedger(outside + "/lock"), "another file\n");
}

TEST(RconPacer, AWaitingCommandGoesWithinTheTimeAFullBurstTakesToLeak)
{
    FakeClock clock;
    const QString ledger = TestEnvironment::makeScratchDir("ledger") + "/RconPacing.ledger";
    const auto pacer = RconPacer::shared(key, ledger, standard, clock.clock());
    EXPECT_EQ(pacer->maximumWaitMs(), 8 * 1100);
    // Other programs keep the count full for as long as the command waits.
    const auto keepFull = [&] {
        writeLedger(ledger, key + "\t8\t" + QByteArray::number(clock.now) + "\n");
    };
    const qint64 start = clock.now;
    const RconPacer::Waiting waiting(*pacer);
    int rounds = 0;
    for (keepFull(); !pacer->take(Traffic::Command); keepFull()) {
        const qint64 delay = pacer->delayBefore(Traffic::Command);
        ASSERT_GT(delay, 0);
        ASSERT_LE(clock.now + delay, start + pacer->maximumWaitMs());
        clock.now += delay;
        ASSERT_LT(++rounds, 20);
    }
    EXPECT_EQ(clock.now - start, pacer->maximumWaitMs());
    EXPECT_GT(rounds, 1);
}

TEST(RconPacer, APacedClientLosesNothingWhereAnUnpacedOneLosesReplies)
{
    // The server's rate limit and the pacer, ten times faster than the real ones.
    const RconPacer::Allowance fast{8, 110, 3};
    const auto exchangeMany = [&](const std::shared_ptr<RconPacer>& pacer, int rounds,
                                  RconResponder& server) {
        server.answerEveryRequestWith("ok\n");
        server.limitRate(RconPacer::serverBurst, RconPacer::serverPeriodMs / 10);
        RemoteControlServices services;
        services.pacer = pacer;
        auto client = server.client(services);
        int answered = 0;
        int pollsGaveWay = 0;
        int done = 0;
        // A poll and a command each round, all asked for at once.
        for (int i = 0; i < rounds; ++i) {
            client->sendRCon(
                QStringLiteral("status"), 5000, nullptr,
                [&](const RemoteControl::Reply& reply) {
                    pollsGaveWay += reply.gaveWay ? 1 : 0;
                    ++done;
                },
                Traffic::Poll);
            client->sendRCon(QStringLiteral("say %1").arg(i), 5000, nullptr,
                             [&](const RemoteControl::Reply& reply) {
                                 answered += reply.text == "ok\n" ? 1 : 0;
                                 ++done;
                             });
        }
        EXPECT_TRUE(waitUntil([&] { return done == 2 * rounds; }, 60000));
        return std::make_pair(answered, pollsGaveWay);
    };

    RconResponder pacedServer;
    const auto [answered, pollsGaveWay] =
        exchangeMany(std::make_shared<RconPacer>(fast), 30, pacedServer);
    EXPECT_EQ(answered, 30);
    EXPECT_TRUE(pacedServer.dropped().isEmpty());
    EXPECT_GT(pollsGaveWay, 0);
    QList<QByteArray> said;
    for (const QByteArray& request : pacedServer.requests())
        if (RconResponder::commandOf(request).startsWith("say "))
            said.append(RconResponder::commandOf(request));
    ASSERT_EQ(said.size(), 30);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(said.at(i), "say " + QByteArray::number(i)) << "in the order asked";

    RconResponder unpacedServer;
    const auto [unpacedAnswered, unpacedGaveWay] =
        exchangeMany(RconPacer::unpaced(), 12, unpacedServer);
    EXPECT_FALSE(unpacedServer.dropped().isEmpty()) << "the responder enforces the limit";
    EXPECT_LT(unpacedAnswered, 12);
    EXPECT_EQ(unpacedGaveWay, 0);
}
