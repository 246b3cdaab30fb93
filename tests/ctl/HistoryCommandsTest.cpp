#include "server/PlayerHistory.h"
#include "server/RunningServer.h"
#include "support/LiveServer.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

qint64 nowMinute()
{
    return QDateTime::currentSecsSinceEpoch() / 60;
}

QStringList linesOf(const QString& text)
{
    return text.split('\n', Qt::SkipEmptyParts);
}

QJsonObject jsonOf(const ProgramResult& result)
{
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(result.out.toUtf8(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    return object;
}

} // namespace

TEST(VoranthctlHistory, PrintsAServersSamplesAsTextCsvAndJson)
{
    // Two days, a sample every half hour, a quarter of an hour off the minute the command
    // reads as now, whichever minute that is.
    PlayerHistory history(PlayerHistory::pathForServer("Friday Night"));
    const qint64 now = nowMinute();
    for (qint64 k = 2 * 48 - 1; k >= 0; --k)
        ASSERT_TRUE(history.append({now - k * 30 - 15, int(k % 5), 2, k % 2 ? "oa_dm1" : "a,\"b\""}).ok());

    const ProgramResult text = ProgramRunner::voranthctl({"history", "--server", "Friday Night"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    const QStringList rows = linesOf(text.out);
    ASSERT_EQ(rows.size(), 1 + 48);
    EXPECT_TRUE(rows.first().startsWith("TIME")) << rows.first().toStdString();
    EXPECT_TRUE(rows.last().contains(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d +0 +2 +a,\"b\"$")))
        << rows.last().toStdString();

    const ProgramResult week = ProgramRunner::voranthctl({"history", "--server", "Friday Night", "--since", "7d"});
    EXPECT_EQ(linesOf(week.out).size(), 1 + 96);

    const ProgramResult csv = ProgramRunner::voranthctl({"history", "--server", "Friday Night", "--csv"});
    ASSERT_EQ(csv.exitCode, 0);
    const QStringList csvRows = linesOf(csv.out);
    EXPECT_EQ(csvRows.first(), "time,people,bots,map");
    EXPECT_TRUE(csvRows.last().endsWith("Z,0,2,\"a,\"\"b\"\"\"")) << csvRows.last().toStdString();

    const ProgramResult json = ProgramRunner::voranthctl({"history", "--server", "Friday Night", "--json", "--since", "2h"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject object = jsonOf(json);
    const QJsonArray samples = object["samples"].toArray();
    ASSERT_EQ(samples.size(), 4);
    EXPECT_EQ(samples.last()["minute"].toInteger(), now - 15);
    EXPECT_EQ(samples.last()["map"].toString(), "a,\"b\"");
    EXPECT_EQ(object["server"].toString(), "Friday Night");
}

TEST(VoranthctlHistory, RefusesWhatItCannotShow)
{
    const ProgramResult none = ProgramRunner::voranthctl({"history", "--server", "Nobody"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("no player history for 'Nobody'")) << none.err.toStdString();
    const ProgramResult notRunning = ProgramRunner::voranthctl({"history"});
    EXPECT_EQ(notRunning.exitCode, 1);
    EXPECT_TRUE(notRunning.err.contains("--server NAME"));
    for (const QStringList& args : QList<QStringList>{{"history", "--since", "3w"},
                                                      {"history", "--since", "31d"},
                                                      {"history", "--since", "0h"},
                                                      {"history", "--since", "-1d"},
                                                      {"history", "--csv", "--json"},
                                                      {"history", "extra"},
                                                      {"sample"},
                                                      {"sample", "--all", "extra"}})
        EXPECT_EQ(ProgramRunner::voranthctl(args).exitCode, 2) << args.join(' ').toStdString();
    const ProgramResult nothing = ProgramRunner::voranthctl({"sample", "--all"});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_TRUE(nothing.out.contains("nothing sampled"));
}

TEST(VoranthctlSample, RecordsOurRunningServerNeverTwiceInAMinute)
{
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("sample-secret"), {"oa_dm1"});
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    ASSERT_TRUE(server.recordAsRunning(server.config()));
    const int port = server.config().netPort();
    for (const char* bot : {"sarge", "grunt", "major"})
        ASSERT_FALSE(RealServer::rcon(port, "sample-secret", QByteArray("addbot ") + bot).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return RealServer::rcon(port, "sample-secret", "status").count("^7bot") == 3; }));

    const ProgramResult first = ProgramRunner::voranthctl({"sample", "--all"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(server.config().configName() + ": 0 people, 3 bots on oa_dm1 at "))
        << first.out.toStdString();

    // Two samplers at once, as the window and a timer may run.
    QProcess one, two;
    for (QProcess* process : {&one, &two})
        process->start(TestEnvironment::binaryDir() + "/voranthctl", {"sample", "--all"});
    for (QProcess* process : {&one, &two}) {
        ASSERT_TRUE(process->waitForFinished(30000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    const QJsonObject history =
        jsonOf(ProgramRunner::voranthctl({"history", "--server", server.config().configName(), "--json"}));
    const QJsonArray samples = history["samples"].toArray();
    ASSERT_GE(samples.size(), 1);
    ASSERT_LE(samples.size(), 3);
    QSet<qint64> minutes;
    for (const QJsonValue& sample : samples) {
        minutes.insert(sample["minute"].toInteger());
        EXPECT_EQ(sample["people"].toInt(), 0);
        EXPECT_EQ(sample["bots"].toInt(), 3);
        EXPECT_EQ(sample["map"].toString(), "oa_dm1");
    }
    EXPECT_EQ(minutes.size(), samples.size()) << "no minute twice";
    EXPECT_EQ(history["linesSkipped"].toInt(), 0);

    // A server that stopped answering is a failure of the sample, said as such.
    server.stop();
    const ProgramResult gone = ProgramRunner::voranthctl({"sample", "--all"});
    if (gone.exitCode != 0) { // the record of a server that is gone may already have been dropped
        EXPECT_TRUE(gone.err.contains("Nothing answered")) << gone.err.toStdString();
    }
}
