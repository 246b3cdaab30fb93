#include "rcon/HistorySampler.h"
#include "rcon/QueryResponder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

using Kind = HistorySampler::Outcome::Kind;

// One sample, waited for.
HistorySampler::Outcome sampleOnce(HistorySampler& sampler, std::optional<PeopleCount> counted = std::nullopt)
{
    std::optional<HistorySampler::Outcome> outcome;
    const QMetaObject::Connection connection = QObject::connect(
        &sampler, &HistorySampler::finished, [&](const HistorySampler::Outcome& finished) { outcome = finished; });
    EXPECT_TRUE(sampler.sample(counted));
    EXPECT_FALSE(sampler.sample()) << "one at a time";
    waitUntil([&] { return outcome.has_value(); });
    QObject::disconnect(connection);
    return outcome.value_or(HistorySampler::Outcome());
}

ServerQuery::Options ownPacer()
{
    ServerQuery::Options options;
    options.timeoutMs = 400;
    options.pacer = std::make_shared<RconPacer>(ServerQuery::allowance());
    return options;
}

} // namespace

TEST(HistorySampler, RecordsWhatTheServerSaysOncePerMinute)
{
    QueryResponder server;
    qint64 minute = 28620000;
    PlayerHistory history(PlayerHistory::pathForServer("Sampled"), [&minute] { return minute * 60000; });
    HistorySampler sampler(history, QStringLiteral("localhost"), server.port(), ownPacer());

    const HistorySampler::Outcome first = sampleOnce(sampler);
    EXPECT_EQ(first.kind, Kind::Recorded) << first.message.toStdString();
    EXPECT_EQ(first.sample, (HistorySample{minute, 1, 2, "oa_dm1"}));
    EXPECT_EQ(sampleOnce(sampler).kind, Kind::AlreadyRecorded);

    // The caller's count (from the remote console) stands instead of getinfo's.
    ++minute;
    const HistorySampler::Outcome counted = sampleOnce(sampler, PeopleCount{3, 0});
    EXPECT_EQ(counted.kind, Kind::Recorded);
    EXPECT_EQ(history.readLast(10).value.samples,
              (QList<HistorySample>{{minute - 1, 1, 2, "oa_dm1"}, {minute, 3, 0, "oa_dm1"}}));
    EXPECT_EQ(server.requestsOf("getinfo"), 3);
    EXPECT_EQ(server.requestsOf("getstatus"), 0);
}

TEST(HistorySampler, AServerThatCannotTellOrDoesNotAnswerRecordsNothing)
{
    QueryResponder server;
    server.info = "\\hostname\\old engine\\clients\\2\\mapname\\q3dm17";
    qint64 minute = 28620000;
    PlayerHistory history(PlayerHistory::pathForServer("Sampled"), [&minute] { return minute * 60000; });
    HistorySampler sampler(history, QStringLiteral("127.0.0.1"), server.port(), ownPacer());
    const HistorySampler::Outcome old = sampleOnce(sampler);
    EXPECT_EQ(old.kind, Kind::NotCounted);
    EXPECT_TRUE(old.message.contains("g_humanplayers"));

    server.stayQuiet();
    const HistorySampler::Outcome silent = sampleOnce(sampler);
    EXPECT_EQ(silent.kind, Kind::NotAnswered);
    EXPECT_TRUE(silent.message.contains(QStringLiteral("127.0.0.1:%1").arg(server.port()))) << silent.message.toStdString();
    EXPECT_FALSE(history.exists());
}
