#include "server/QProcessCom.h"

#include "server/LaunchToken.h"
#include "server/RunningServer.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const QString bootId = QStringLiteral("5c1b7d0e-0000-4000-8000-000000000001");
const QString token = QStringLiteral("0123456789abcdef0123456789abcdef");

// A process table laid out like /proc, written by the test: processes with their command
// line, stat line, environment and open sockets, the UDP socket tables and the boot id.
class FakeProcTable
{
public:
    struct Process
    {
        qint32 pid = 0;
        qint32 ppid = 1;
        QList<QByteArray> arguments;
        bool carriesToken = false;
        QList<quint64> sockets;
        char state = 'S';
        quint64 startTime = 5000;
    };

    FakeProcTable() : m_root(TestEnvironment::makeScratchDir("proc"))
    {
        QDir().mkpath(m_root + "/sys/kernel/random");
        QDir().mkpath(m_root + "/net");
        setBootId(bootId);
        write("net/udp", header);
        write("net/udp6", header);
    }

    const QString& root() const { return m_root; }

    void setBootId(const QString& id) const { write("sys/kernel/random/boot_id", id.toLatin1() + '\n'); }

    void add(const Process& process) const
    {
        const QString dir = QString::number(process.pid);
        QDir(m_root + '/' + dir + "/fd").removeRecursively();
        QDir().mkpath(m_root + '/' + dir + "/fd");
        QByteArray cmdline;
        for (const QByteArray& argument : process.arguments)
            cmdline += argument + '\0';
        write(dir + "/cmdline", cmdline);
        write(dir + "/stat", statLine(process));
        QByteArray environment = QByteArray("HOME=/home/someone") + '\0' + "PATH=/usr/bin" + '\0';
        if (process.carriesToken)
            environment += LaunchToken::environmentEntry(token) + '\0';
        write(dir + "/environ", environment);
        QFile::link("pipe:[17]", m_root + '/' + dir + "/fd/0");
        int fd = 3;
        for (quint64 inode : process.sockets)
            QFile::link(QStringLiteral("socket:[%1]").arg(inode),
                        QStringLiteral("%1/%2/fd/%3").arg(m_root, dir).arg(fd++));
    }

    // A UDP socket bound to 0.0.0.0:port (or [::]:port).
    void bind(quint64 inode, quint16 port, bool ipv6 = false)
    {
        const QByteArray address = ipv6 ? "00000000000000000000000000000000" : "00000000";
        const QByteArray line = QByteArray::number(m_sockets++).rightJustified(5) + ": " + address +
                                ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0') +
                                ' ' + address + ":0000 07 00000000:00000000 00:00000000 00000000  "
                                "1000        0 " + QByteArray::number(inode) +
                                " 2 0000000000000000 0\n";
        const QString table = ipv6 ? "net/udp6" : "net/udp";
        QFile file(m_root + '/' + table);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(line);
    }

    void write(const QString& path, const QByteArray& data) const
    {
        QFile file(m_root + '/' + path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }

    static QByteArray statLine(const Process& process)
    {
        QByteArray line = QByteArray::number(process.pid) + " (" +
                          process.arguments.value(0).left(15) + ") " + process.state + ' ' +
                          QByteArray::number(process.ppid);
        // Fields 5 to 21, then the start time (22) and a few more.
        for (int field = 5; field <= 21; ++field)
            line += " 0";
        return line + ' ' + QByteArray::number(process.startTime) + " 3133440 394 0\n";
    }

private:
    static constexpr const char* header =
        "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
        "timeout inode ref pointer drops\n";
    QString m_root;
    int m_sockets = 0;
};

const QList<QByteArray> serverArguments = {".", "ioq3ded.x86_64", "+set", "net_port", "27961",
                                           "+exec", "\"VO_x.config\""};

// A launch as a terminal makes it: the terminal holding the server's arguments, the shell,
// and the server below them listening on its port; all three carry the launch's token.
FakeProcTable launchedTable()
{
    FakeProcTable table;
    table.add({100, 1, {"xterm", "-e", "./ioq3ded.x86_64", "+exec", "VO_x.config"}, true, {}});
    table.add({101, 100, {"/bin/sh", "-c", "cd '/g'; ./ioq3ded.x86_64 +exec '\"VO_x.config\"'"}, true, {}});
    table.add({102, 101, serverArguments, true, {7001, 7002}});
    table.bind(7001, 27961);
    return table;
}

QProcessCom::Target launchTarget(const QString& execFile = "VO_x.config", quint16 port = 27961)
{
    return {token, execFile, port, std::nullopt};
}

qint32 serverPidIn(const FakeProcTable& table, const QProcessCom::Target& target = launchTarget())
{
    return QProcessCom::forServer(target, table.root()).serverPid();
}

} // namespace

TEST(QProcessCom, TheServerIsTheInnermostProcessOfTheLaunchThatListensOnItsPort)
{
    FakeProcTable table = launchedTable();
    // Servers of the same program and file that Voranth did not launch, started before ours:
    // one on another port, one that holds our port on IPv6 only.
    table.add({50, 1, serverArguments, false, {6001}});
    table.bind(6001, 27981);
    table.add({51, 1, serverArguments, false, {6002}});
    table.bind(6002, 27961, true);

    const std::optional<ProcessIdentity> found =
        QProcessCom::forServer(launchTarget(), table.root()).serverProcess();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, (ProcessIdentity{102, 5000, bootId}));
    EXPECT_EQ(serverPidIn(table, launchTarget("VO_y.config")), -1) << "another file";
    EXPECT_EQ(serverPidIn(table, launchTarget("VO_x.config", 27962)), -1) << "another port";
    QProcessCom::Target otherLaunch = launchTarget();
    otherLaunch.launchToken = LaunchToken::generate();
    EXPECT_EQ(serverPidIn(table, otherLaunch), -1) << "another launch";
    EXPECT_EQ(QProcessCom::forServer(launchTarget(), table.root(), ::getuid() + 1).serverPid(), -1)
        << "another user's";

    // The server without the token: neither it nor the terminal above it is ours.
    table.add({102, 101, serverArguments, false, {7001}});
    EXPECT_EQ(serverPidIn(table), -1);
    // Bound on IPv6, with the token: ours.
    table.add({102, 101, serverArguments, true, {6003}});
    table.bind(6003, 27961, true);
    EXPECT_EQ(serverPidIn(table), 102);
    // Ended, but not yet reaped.
    table.add({102, 101, serverArguments, true, {6003}, 'Z'});
    EXPECT_EQ(serverPidIn(table), -1);
}

TEST(QProcessCom, AFoundServerIsThatProcessOnlyWhileItsStartTimeAndBootHold)
{
    FakeProcTable table = launchedTable();
    QProcessCom::Target target = launchTarget();
    target.server = ProcessIdentity{102, 5000, bootId};
    EXPECT_EQ(serverPidIn(table, target), 102);

    // The id now belongs to a process that started later, even one of the launch that listens
    // on the port: not the server that was found.
    table.add({102, 101, serverArguments, true, {7001}, 'S', 5001});
    EXPECT_EQ(serverPidIn(table, target), -1);
    table.add({102, 101, serverArguments, true, {7001}});
    EXPECT_EQ(serverPidIn(table, target), 102);
    table.setBootId("5c1b7d0e-0000-4000-8000-000000000002");
    EXPECT_EQ(serverPidIn(table, target), -1) << "another boot";
    table.setBootId(bootId);

    // Its arguments and its sockets no longer matter once it was found.
    table.add({102, 101, {"something", "else"}, false, {}});
    EXPECT_EQ(serverPidIn(table, target), 102);
}

TEST(QProcessCom, OddProcessEntriesAreSkipped)
{
    FakeProcTable table = launchedTable();
    // A kernel thread, an entry that vanished, unreadable stat lines, and a stat line without
    // a start time.
    QDir().mkpath(table.root() + "/2");
    table.write("2/cmdline", "");
    QDir().mkpath(table.root() + "/3");
    const QList<QPair<qint32, QByteArray>> brokenStats = {
        {11, "11 ioq3ded S 1\n"}, {12, "12 (ioq3ded)\n"}, {13, ""}, {14, "14 (ioq3ded) S 1 1 1\n"}};
    for (const auto& [pid, stat] : brokenStats) {
        table.add({pid, 1, serverArguments, true, {7001}});
        table.write(QString::number(pid) + "/stat", stat);
    }
    // The probe's own process, whatever its command line and sockets hold.
    table.add({15, 1, serverArguments, true, {7001}});
    QFile::link("15", table.root() + "/self");
    QDir().mkpath(table.root() + "/sys");
    // The server, whose command name holds blanks and parentheses.
    table.write("102/stat", FakeProcTable::statLine({102, 101, {"q3 (ded) x) S"}, true, {}}));

    EXPECT_EQ(serverPidIn(table), 102);
}

TEST(QProcessCom, TheProbeOfTheRecordFollowsTheRecordAndStopsOnlyItsProcess)
{
    QProcess process;
    process.start("/bin/sleep", {"60"});
    ASSERT_TRUE(process.waitForStarted());
    const std::optional<ProcessIdentity> identity = ProcessIdentity::of(qint32(process.processId()));
    ASSERT_TRUE(identity.has_value());

    const QProcessCom probe;
    EXPECT_EQ(probe.serverPid(), -1) << "no record";
    EXPECT_FALSE(probe.killServerProcess());

    ServerConfig config;
    config.setConfigName("Sleeper");
    RunningServer::Record record = RunningServer::launchRecord(config);
    record.pid = identity->pid;
    record.processStartTime = identity->startTime + 1;
    ASSERT_TRUE(RunningServer::write(record));
    EXPECT_EQ(probe.serverPid(), -1) << "the id is another process's";
    EXPECT_FALSE(probe.killServerProcess());
    EXPECT_EQ(process.state(), QProcess::Running);

    record.processStartTime = identity->startTime;
    ASSERT_TRUE(RunningServer::write(record));
    EXPECT_EQ(probe.serverPid(), identity->pid);
    EXPECT_EQ(probe.serverState(), 1);
    EXPECT_TRUE(probe.killServerProcess());
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(probe.serverPid(), -1);
    EXPECT_FALSE(probe.killServerProcess());
}

TEST(QProcessCom, AProbeOfAnotherTableSendsNoSignal)
{
    // The table names this test process as the server: a signal would end the test.
    FakeProcTable table;
    const std::optional<ProcessIdentity> self = ProcessIdentity::of(::getpid());
    ASSERT_TRUE(self.has_value());
    table.setBootId(self->bootId);
    table.add({self->pid, 1, serverArguments, true, {}, 'S', self->startTime});
    QProcessCom::Target target = launchTarget();
    target.server = self;
    const QProcessCom probe = QProcessCom::forServer(target, table.root());
    ASSERT_EQ(probe.serverPid(), ::getpid());
    EXPECT_FALSE(probe.killServerProcess());
}
