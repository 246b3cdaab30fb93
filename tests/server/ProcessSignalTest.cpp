#include "server/ProcessSignal.h"

#include "server/ProcessWatcher.h"
#include "support/LiveServer.h"
#include "support/RealServer.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>

#include <signal.h>

#include <gtest/gtest.h>

namespace {

// A shell that ends with status 7 on the terminate signal (after its current sleep), and
// by the signal itself on any other.
class TermCatcher
{
public:
    TermCatcher()
    {
        m_process.start("/bin/bash",
                        {"-c", "trap 'exit 7' TERM; echo ready; while :; do sleep 0.1; done"});
        EXPECT_TRUE(m_process.waitForStarted());
        // Not before the trap is set.
        EXPECT_TRUE(waitUntil([&] {
            m_process.waitForReadyRead(100);
            return m_process.canReadLine();
        }));
    }
    ~TermCatcher()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    ProcessIdentity identity() const
    {
        return ProcessIdentity::of(qint32(m_process.processId())).value_or(ProcessIdentity());
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};

} // namespace

TEST(ProcessSignal, AProcessWhoseStartTimeOrBootDiffersIsNeverSignalled)
{
    TermCatcher catcher;
    const ProcessIdentity identity = catcher.identity();
    ASSERT_TRUE(identity.isValid());

    ProcessIdentity later = identity;
    later.startTime += 1;
    ProcessIdentity otherBoot = identity;
    otherBoot.bootId = "00000000-0000-4000-8000-000000000000";
    for (const ProcessIdentity& other : {later, otherBoot})
        EXPECT_EQ(ProcessSignal::send(other, SIGKILL), ProcessSignal::Outcome::NotThatProcess);
    for (const qint32 pid : {0, -1, -identity.pid})
        EXPECT_EQ(ProcessSignal::send({pid, identity.startTime, identity.bootId}, SIGKILL),
                  ProcessSignal::Outcome::NotThatProcess);

    // Had any of those been sent, the kill would have come first: the process ends on the
    // terminate signal alone, with its own status.
    EXPECT_EQ(ProcessSignal::send(identity, SIGTERM), ProcessSignal::Outcome::Sent);
    ASSERT_TRUE(catcher.process().waitForFinished(30000));
    EXPECT_EQ(catcher.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(catcher.process().exitCode(), 7);
    EXPECT_EQ(ProcessSignal::send(identity, SIGTERM), ProcessSignal::Outcome::NotThatProcess)
        << "it has ended";
}

TEST(ProcessSignal, NothingElseInTheSourcesSendsASignal)
{
    // Every call that can signal a process, but methods of objects (QProcess::kill()).
    static const QRegularExpression call(
        QStringLiteral("(?<![\\w.>])(::)?(kill|killpg|tkill|tgkill|sigqueue|pidfd_send_signal)\\s*\\(|"
                       "SYS_(kill|tkill|tgkill|rt_sigqueueinfo|pidfd_send_signal)\\b"));
    static const QRegularExpression comment(QStringLiteral("//[^\\n]*"));
    const QString source = TestEnvironment::sourceDir();
    QStringList offenders;
    int files = 0;
    for (const char* layer : {"format", "config", "content", "server", "rcon", "app", "ctl"}) {
        QDirIterator it(source + '/' + layer, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++files;
            const QString text = QString::fromUtf8(file.readAll()).remove(comment);
            if (path.endsWith("/server/ProcessSignal.cpp"))
                continue;
            auto match = call.globalMatch(text);
            while (match.hasNext())
                offenders.append(path.mid(source.size() + 1) + ": " + match.next().captured());
        }
    }
    EXPECT_GT(files, 100);
    EXPECT_EQ(offenders, QStringList());

    // The one function that may signal does so, and only there.
    QFile signalling(source + "/server/ProcessSignal.cpp");
    ASSERT_TRUE(signalling.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(signalling.readAll()).remove(comment);
    const qsizetype function = text.indexOf("ProcessSignal::Outcome ProcessSignal::send(");
    ASSERT_GE(function, 0);
    EXPECT_EQ(text.left(function).indexOf(call), -1) << "a signal before the one function";
}

TEST(ProcessWatcher, NoticesTheEndOfAServerKilledWithoutWarning)
{
    RealServer::Reaper reaper;
    for (const ProcessWatcher::Method method :
         {ProcessWatcher::Method::Automatic, ProcessWatcher::Method::Polling}) {
        LiveServer server(RealServer::freeUdpPort(), "watched", {"oa_dm1"});
        ASSERT_TRUE(server.start()) << server.error().toStdString();
        const std::optional<ProcessIdentity> identity = ProcessIdentity::of(qint32(server.pid()));
        ASSERT_TRUE(identity.has_value());

        ProcessWatcher watcher(*identity, nullptr, method);
        EXPECT_EQ(watcher.usesDescriptor(), method == ProcessWatcher::Method::Automatic);
        QSignalSpy ended(&watcher, &ProcessWatcher::ended);
        QCoreApplication::processEvents();
        EXPECT_TRUE(ended.isEmpty()) << "it runs";
        EXPECT_FALSE(watcher.hasEnded());

        ASSERT_EQ(ProcessSignal::send(*identity, SIGKILL), ProcessSignal::Outcome::Sent);
        EXPECT_TRUE(waitUntil([&] { return !ended.isEmpty(); }, 10000));
        EXPECT_TRUE(watcher.hasEnded());
        QCoreApplication::processEvents();
        EXPECT_EQ(ended.size(), 1) << "once";
    }
}

TEST(ProcessWatcher, AProcessThatEndedBeforeIsReportedOnceFromTheEventLoop)
{
    TermCatcher catcher;
    const ProcessIdentity identity = catcher.identity();
    ASSERT_EQ(ProcessSignal::send(identity, SIGTERM), ProcessSignal::Outcome::Sent);
    ASSERT_TRUE(catcher.process().waitForFinished(30000));
    EXPECT_TRUE(ProcessWatcher::waitForEnd(identity, 0));

    ProcessIdentity taken = identity;
    taken.startTime += 1;
    for (const ProcessIdentity& process : {identity, taken}) {
        ProcessWatcher watcher(process);
        QSignalSpy ended(&watcher, &ProcessWatcher::ended);
        EXPECT_TRUE(ended.isEmpty()) << "not before the caller could connect";
        EXPECT_TRUE(waitUntil([&] { return !ended.isEmpty(); }, 10000));
        QCoreApplication::processEvents();
        EXPECT_EQ(ended.size(), 1);
    }
}
