#include "server/PlayerHistory.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr qint64 day = 24 * 60;
// 2024-06-01 00:00 UTC, in minutes.
constexpr qint64 june = 28620000;

// A clock the test moves, a minute at a time.
struct FakeClock
{
    qint64 minute = june;
    PlayerHistory::Clock clock()
    {
        return [this] { return minute * 60000; };
    }
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString historyPath()
{
    return PlayerHistory::pathForServer(QStringLiteral("Friday Night"));
}

} // namespace

TEST(PlayerHistory, AWeekOfMinutesReadsBackByRangeAndStaysCompact)
{
    FakeClock clock;
    PlayerHistory history(historyPath(), clock.clock());
    EXPECT_FALSE(history.exists());
    EXPECT_TRUE(history.readLast(day).value.samples.isEmpty()) << "no file reads as no samples";

    for (qint64 i = 0; i < 7 * day; ++i, ++clock.minute) {
        const Result<PlayerHistory::Recorded> written =
            history.record(int(i % 7), int(4 - i % 5), i / 20 % 2 ? QStringLiteral("oa_dm1") : QStringLiteral("oa_dm2"));
        ASSERT_TRUE(written.ok()) << written.error.toStdString();
        ASSERT_EQ(written.value, PlayerHistory::Recorded::Written);
    }
    --clock.minute; // the last sample's minute is now
    const Result<PlayerHistory::Reading> lastDay = history.readLast(day);
    ASSERT_TRUE(lastDay.ok());
    ASSERT_EQ(lastDay.value.samples.size(), day);
    EXPECT_EQ(lastDay.value.samples.last().minute, clock.minute);
    EXPECT_EQ(lastDay.value.samples.first().minute, clock.minute - day + 1);
    EXPECT_EQ(lastDay.value.linesSkipped, 0);
    const HistorySample& last = lastDay.value.samples.last();
    const qint64 i = 7 * day - 1;
    EXPECT_EQ(last, (HistorySample{clock.minute, int(i % 7), int(4 - i % 5), i / 20 % 2 ? "oa_dm1" : "oa_dm2"}));
    EXPECT_EQ(history.readLast(7 * day).value.samples.size(), 7 * day);
    EXPECT_EQ(history.read(june + 10, june + 19).value.samples.size(), 10);

    // About twenty bytes a sample, and only the owner reads it.
    EXPECT_LE(QFileInfo(history.path()).size(), 7 * day * 24);
    EXPECT_EQ(QFileInfo(history.path()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());
}

TEST(PlayerHistory, ThirtyDaysAreKeptAndOlderSamplesGoWhenTheFileIsRotated)
{
    FakeClock clock;
    PlayerHistory history(historyPath(), clock.clock());
    // Forty days, a sample every ten minutes.
    for (qint64 i = 0; i < 40 * day / 10; ++i, clock.minute += 10)
        ASSERT_TRUE(history.record(1, 2, QStringLiteral("oa_dm1")).ok());
    clock.minute -= 10;
    const Result<PlayerHistory::Reading> all = history.read(0, clock.minute);
    ASSERT_TRUE(all.ok());
    const qint64 oldestKept = clock.minute - PlayerHistory::keptMinutes - PlayerHistory::rotationSlackMinutes;
    EXPECT_GE(all.value.samples.first().minute, oldestKept);
    EXPECT_LE(all.value.samples.size(), (PlayerHistory::keptMinutes + PlayerHistory::rotationSlackMinutes) / 10 + 1);
    EXPECT_GE(all.value.samples.size(), PlayerHistory::keptMinutes / 10 - 1);
    EXPECT_EQ(all.value.samples.last().minute, clock.minute);
    // The rotation leaves nothing beside the file but its lock.
    const QStringList files = QDir(PlayerHistory::directory()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& file : files)
        EXPECT_TRUE(file == QFileInfo(history.path()).fileName() || file.endsWith(".lock")) << file.toStdString();
}

TEST(PlayerHistory, ATornOrCorruptLineIsSkippedAndTheTornEndCutBeforeTheNextAppend)
{
    FakeClock clock;
    PlayerHistory history(historyPath(), clock.clock());
    for (int i = 0; i < 3; ++i, ++clock.minute)
        ASSERT_TRUE(history.record(i, 0, QStringLiteral("oa_dm1")).ok());
    // A crash in the middle of a line, after garbage in the middle of the file.
    QByteArray bytes = contents(history.path());
    bytes.insert(bytes.indexOf('\n', bytes.indexOf('\n') + 1) + 1, "\x01garbage \xff\n12 x y z\n");
    QFile file(history.path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes + QByteArray::number(clock.minute) + " 9 9 oa_d");
    file.close();

    Result<PlayerHistory::Reading> read = history.read(0, clock.minute + 10);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value.samples.size(), 3);
    EXPECT_EQ(read.value.linesSkipped, 3);

    // The same minute as the torn line: the torn line never counted.
    ASSERT_EQ(history.record(7, 1, QStringLiteral("oa_dm4")).value, PlayerHistory::Recorded::Written);
    EXPECT_TRUE(contents(history.path()).endsWith(QByteArray::number(clock.minute) + " 7 1 oa_dm4\n"));
    read = history.read(0, clock.minute);
    EXPECT_EQ(read.value.samples.size(), 4);
    EXPECT_EQ(read.value.linesSkipped, 2);

    // A file that is nothing but a torn line starts afresh.
    QFile torn(history.path());
    ASSERT_TRUE(torn.open(QIODevice::WriteOnly | QIODevice::Truncate));
    torn.write("# Voranth pla");
    torn.close();
    ++clock.minute;
    ASSERT_TRUE(history.record(1, 1, QString()).ok());
    EXPECT_TRUE(contents(history.path()).startsWith(PlayerHistory::header()));
    EXPECT_EQ(history.readLast(5).value.samples, (QList<HistorySample>{{clock.minute, 1, 1, QString()}}));
}

TEST(PlayerHistory, TwoSamplersOfTheSameMinuteWriteItOnce)
{
    FakeClock clock;
    PlayerHistory window(historyPath(), clock.clock());
    PlayerHistory timer(historyPath(), clock.clock());
    EXPECT_EQ(window.record(2, 2, QStringLiteral("oa_dm1")).value, PlayerHistory::Recorded::Written);
    EXPECT_EQ(timer.record(3, 1, QStringLiteral("oa_dm1")).value, PlayerHistory::Recorded::AlreadyRecorded);
    EXPECT_EQ(window.append({clock.minute - 5, 1, 1, QString()}).value, PlayerHistory::Recorded::AlreadyRecorded)
        << "never before the last minute either";

    // Many at once, each with a history of its own, all in the next minute.
    ++clock.minute;
    std::atomic<int> written = 0;
    std::atomic<int> failed = 0;
    std::vector<std::thread> samplers;
    for (int i = 0; i < 8; ++i)
        samplers.emplace_back([&, i] {
            PlayerHistory history(historyPath(), [minute = clock.minute] { return minute * 60000; });
            const Result<PlayerHistory::Recorded> result = history.record(i, 0, QStringLiteral("oa_dm2"));
            if (!result.ok())
                ++failed;
            else if (result.value == PlayerHistory::Recorded::Written)
                ++written;
        });
    for (std::thread& sampler : samplers)
        sampler.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(written, 1);
    EXPECT_EQ(window.read(0, clock.minute).value.samples.size(), 2);
}

TEST(PlayerHistory, AClockThatWentBackDropsTheSamplesFromTheFuture)
{
    FakeClock clock;
    PlayerHistory history(historyPath(), clock.clock());
    clock.minute += 3 * day;
    ASSERT_TRUE(history.record(5, 0, QStringLiteral("oa_dm1")).ok());
    clock.minute -= 3 * day; // the clock is set right again
    EXPECT_EQ(history.record(1, 1, QStringLiteral("oa_dm2")).value, PlayerHistory::Recorded::Written);
    EXPECT_EQ(history.read(0, clock.minute + 4 * day).value.samples,
              (QList<HistorySample>{{clock.minute, 1, 1, QStringLiteral("oa_dm2")}}));
}

TEST(PlayerHistory, MapsOfAnyTextAndNamesOfAnyServerAreSafe)
{
    for (const QString& map : {QStringLiteral("oa_dm1"), QString(), QStringLiteral("-"), QStringLiteral("a b%c"),
                               QString::fromUtf8("k\xc3\xa4rt\n\x1b[2J"), QStringLiteral("%2D")}) {
        const HistorySample sample{june, 3, 4, map};
        const QByteArray line = PlayerHistory::encodedLine(sample);
        EXPECT_EQ(line.count('\n'), 1);
        EXPECT_EQ(line.count(' '), 3) << line.toStdString();
        EXPECT_EQ(PlayerHistory::decodedLine(line), sample) << line.toStdString();
    }
    EXPECT_EQ(PlayerHistory::decodedLine(PlayerHistory::encodedLine({june, 1, 1, QString(200, 'm')}))->map.size(),
              PlayerHistory::mapLength);
    for (const char* bad : {"", "x 1 1 m", "1 1 1", "1 1 1 ", "1 -1 1 m", "1 1 1 m m", "1 1 1 %zz", "1 1 1 %4",
                            "99999999999 1 1 m", "1  1 1 m"})
        EXPECT_FALSE(PlayerHistory::decodedLine(bad)) << bad;

    QSet<QString> paths;
    for (const QString& name : {QStringLiteral("Friday Night"), QStringLiteral("../../etc/passwd"),
                                QStringLiteral("a/b"), QStringLiteral(".."), QStringLiteral("Fr\u00e9"),
                                QString(500, 'x'), QString(499, 'x') + 'y'}) {
        const QString path = PlayerHistory::pathForServer(name);
        EXPECT_EQ(QFileInfo(path).path(), PlayerHistory::directory()) << path.toStdString();
        EXPECT_FALSE(QFileInfo(path).fileName().startsWith('.'));
        EXPECT_LE(QFileInfo(path).fileName().size(), 160);
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), 7);
}

TEST(PlayerHistory, ALockHeldElsewhereOrALinkInTheWayIsRefusedWithAReason)
{
    FakeClock clock;
    PlayerHistory history(historyPath(), clock.clock());
    ASSERT_TRUE(history.record(1, 1, QStringLiteral("oa_dm1")).ok());
    {
        QLockFile other(history.path() + ".lock");
        ASSERT_TRUE(other.tryLock());
        ++clock.minute;
        const Result<PlayerHistory::Recorded> refused = history.record(1, 1, QStringLiteral("oa_dm1"));
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error.contains("locked")) << refused.error.toStdString();
    }
    EXPECT_TRUE(history.record(1, 1, QStringLiteral("oa_dm1")).ok()) << "free again";

    const QString target = TestEnvironment::makeScratchDir("elsewhere") + "/target";
    PlayerHistory linked(PlayerHistory::pathForServer("Linked"), clock.clock());
    QDir().mkpath(PlayerHistory::directory());
    ASSERT_TRUE(QFile::link(target, linked.path()));
    const Result<PlayerHistory::Recorded> refused = linked.record(1, 1, QStringLiteral("oa_dm1"));
    EXPECT_FALSE(refused.ok());
    EXPECT_FALSE(QFileInfo::exists(target));
}
