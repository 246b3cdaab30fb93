#include "server/QProcessCom.h"

#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <functional>
#include <memory>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// A name of the server executable no other test on the machine uses, so that servers of
// tests running beside this one are never found.
QString serverName(const QString& stem = QStringLiteral("ioq3ded"))
{
    return QStringLiteral("%1-%2.x86_64").arg(stem).arg(::getpid());
}

QByteArray procFile(qint64 pid, const QString& file)
{
    QFile in(QStringLiteral("/proc/%1/%2").arg(pid).arg(file));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QList<qint32> childrenOf(qint64 pid)
{
    QList<qint32> children;
    const QByteArray text = procFile(pid, QStringLiteral("task/%1/children").arg(pid));
    for (const QByteArray& field : text.simplified().split(' '))
        if (!field.isEmpty())
            children.append(field.toInt());
    return children;
}

// The pid of the fake server below parent once it runs (its first argument is then ".").
qint32 serverChildOf(qint64 parent)
{
    qint32 server = -1;
    waitUntil([&] {
        for (qint32 child : childrenOf(parent))
            if (procFile(child, "cmdline").startsWith(QByteArray(".\0", 2)))
                server = child;
        return server != -1;
    });
    return server;
}

bool isRunning(qint32 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    const QByteArray fields = stat.mid(close + 1).trimmed();
    return close > 0 && !fields.isEmpty() && fields.at(0) != 'Z';
}

// Processes started by a test, each the leader of a process group of its own; every group is
// killed when the guard ends, however the test ends.
class ProcessGuard
{
public:
    ProcessGuard() = default;
    ProcessGuard(const ProcessGuard&) = delete;
    ProcessGuard& operator=(const ProcessGuard&) = delete;
    ~ProcessGuard()
    {
        for (const Started& started : m_started) {
            ::kill(-started.group, SIGKILL);
            started.process->waitForFinished(5000);
        }
    }

    QProcess& start(const QString& program, const QStringList& arguments, const QString& dir)
    {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(dir);
        process->setChildProcessModifier([] { ::setpgid(0, 0); });
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(5000)) << program.toStdString();
        m_started.push_back({process->processId(), std::move(process)});
        return *m_started.back().process;
    }

private:
    struct Started
    {
        qint64 group = 0;
        std::unique_ptr<QProcess> process;
    };
    std::vector<Started> m_started;
};

// A game directory with a stand-in for the server: one process that waits up to a minute and
// whose command line reads like the real server's (".", the executable's name, the arguments).
class FakeGame
{
public:
    FakeGame() : m_dir(TestEnvironment::makeScratchDir("game"))
    {
        EXPECT_EQ(::mkfifo(QFile::encodeName(m_dir + "/server.fifo").constData(), 0600), 0);
    }

    const QString& dir() const { return m_dir; }

    void addServerExecutable(const QString& name) const
    {
        QFile script(m_dir + '/' + name);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/bash\n"
                     "exec -a . /bin/bash -c 'read -t 60 <> server.fifo' \"${0##*/}\" \"$@\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    // The server command as the launcher writes it; "; true" keeps the shell as the parent.
    QString launchCommand(const QString& name) const
    {
        return QStringLiteral("cd '%1'; ./%2 +set fs_basepath '%1' +set dedicated 1 +set fs_game "
                              "'baseq3' +set sv_punkbuster 0 +set cl_punkbuster 0 +exec "
                              "'VO_My_Server.config'; true")
            .arg(m_dir, name);
    }

    // sh -c with the launch command; returns the shell.
    QProcess& launch(ProcessGuard& guard, const QString& name) const
    {
        return guard.start("/bin/sh", {"-c", launchCommand(name)}, m_dir);
    }

    // A process that only mentions the name, like an editor opened on the executable.
    QProcess& startEditorOn(ProcessGuard& guard, const QString& name) const
    {
        return guard.start("/bin/bash", {"-c", "read -t 60 <> server.fifo", "vi", name}, m_dir);
    }

private:
    QString m_dir;
};

void useServerName(const QString& name)
{
    UserDefaults::setValue(KZXDedicatedAppName, name);
}

} // namespace

TEST(QProcessCom, FindsTheServerBelowItsShellAndNotTheEditor)
{
    const QString name = serverName();
    useServerName(name);
    FakeGame game;
    game.addServerExecutable(name);
    ProcessGuard guard;
    game.startEditorOn(guard, name);
    const QProcess& shell = game.launch(guard, name);
    const qint32 server = serverChildOf(shell.processId());
    ASSERT_NE(server, -1);

    QProcessCom probe;
    EXPECT_EQ(probe.serverPid(), server);
    EXPECT_EQ(probe.serverState(), 1);
}

TEST(QProcessCom, ATerminalHoldingTheServerArgumentsIsNotTakenForIt)
{
    // Like "xterm -e ./server +set ... +exec file": the terminal's own arguments are the
    // server's, +exec included.
    const QString name = serverName();
    useServerName(name);
    FakeGame game;
    game.addServerExecutable(name);
    ProcessGuard guard;
    const QProcess& terminal = guard.start("/bin/bash",
                                           {"-c", "\"$@\"; true", "xterm", "./" + name, "+set",
                                            "fs_game", "baseq3", "+exec", "VO_x.config"},
                                           game.dir());
    const qint32 server = serverChildOf(terminal.processId());
    ASSERT_NE(server, -1);

    EXPECT_EQ(QProcessCom().serverPid(), server);
}

TEST(QProcessCom, WithoutServerNothingIsFoundAndNothingKilled)
{
    const QString name = serverName();
    useServerName(name);
    FakeGame game;
    game.addServerExecutable(name);
    ProcessGuard guard;
    const QProcess& editor = game.startEditorOn(guard, name);
    // A shell whose command mentions the server and +exec, but that runs no server.
    const QProcess& shell = guard.start(
        "/bin/sh", {"-c", "echo './" + name + " +exec x' >/dev/null; read -t 60 x <> server.fifo"},
        game.dir());

    QProcessCom probe;
    EXPECT_EQ(probe.serverPid(), -1);
    EXPECT_EQ(probe.serverState(), 0);
    EXPECT_FALSE(probe.killServerProcess());
    QThread::msleep(200);
    EXPECT_EQ(editor.state(), QProcess::Running);
    EXPECT_EQ(shell.state(), QProcess::Running);
}

TEST(QProcessCom, KillTerminatesTheServerAndItsShellEnds)
{
    const QString name = serverName();
    useServerName(name);
    FakeGame game;
    game.addServerExecutable(name);
    ProcessGuard guard;
    QProcess& shell = game.launch(guard, name);
    const qint32 server = serverChildOf(shell.processId());
    ASSERT_NE(server, -1);

    QProcessCom probe;
    EXPECT_TRUE(probe.killServerProcess());
    // The shell only ends once the server it waits for has ended.
    EXPECT_TRUE(shell.waitForFinished(5000));
    EXPECT_FALSE(isRunning(server));
    EXPECT_EQ(probe.serverPid(), -1);
    EXPECT_FALSE(probe.killServerProcess());
}

TEST(QProcessCom, TheSettingNamesTheServerAtEveryQuery)
{
    const QString first = serverName("ioq3ded");
    const QString second = serverName("oa_ded");
    FakeGame game;
    game.addServerExecutable(first);
    game.addServerExecutable(second);
    ProcessGuard guard;
    const qint32 firstServer = serverChildOf(game.launch(guard, first).processId());
    const qint32 secondServer = serverChildOf(game.launch(guard, second).processId());
    ASSERT_NE(firstServer, -1);
    ASSERT_NE(secondServer, -1);

    QProcessCom probe;
    useServerName(first);
    EXPECT_EQ(probe.serverPid(), firstServer);
    useServerName(second);
    EXPECT_EQ(probe.serverPid(), secondServer);
    // The name is looked for anywhere in the command line.
    useServerName(serverName("q3ded"));
    EXPECT_EQ(probe.serverPid(), firstServer);
    useServerName(serverName("quake3"));
    EXPECT_EQ(probe.serverPid(), -1);
    // An empty name is in every command line; it names no server.
    useServerName("");
    EXPECT_EQ(probe.serverPid(), -1);
    useServerName(" ");
    EXPECT_EQ(probe.serverState(), 0);
}

// A process table laid out like /proc, written by the test.
class FakeProcTable
{
public:
    FakeProcTable() : m_root(TestEnvironment::makeScratchDir("proc")) {}

    const QString& root() const { return m_root; }

    void add(qint64 pid, const QByteArray& cmdline, const QByteArray& stat) const
    {
        const QString dir = QStringLiteral("%1/%2").arg(m_root).arg(pid);
        QDir().mkpath(dir);
        write(dir + "/cmdline", cmdline);
        write(dir + "/stat", stat);
    }

    // A process whose arguments are separated by NULs, as the kernel shows them.
    void addProcess(qint64 pid, qint64 ppid, const QList<QByteArray>& arguments,
                    char state = 'S') const
    {
        QByteArray cmdline;
        for (const QByteArray& argument : arguments)
            cmdline += argument + '\0';
        add(pid, cmdline,
            QByteArray::number(pid) + " (" + arguments.value(0).left(15) + ") " + state + ' ' +
                QByteArray::number(ppid) + " 1 1 0 -1 4194304\n");
    }

    static void write(const QString& path, const QByteArray& data)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

private:
    QString m_root;
};

const QList<QByteArray> kServerArguments = {".",      "ioq3ded.x86_64", "+set",       "fs_game",
                                            "baseq3", "+exec",          "VO_x.config"};

TEST(QProcessCom, OddProcessEntriesAreSkipped)
{
    FakeProcTable table;
    // A kernel thread, an entry that vanished, a zombie server and unreadable stat lines.
    table.add(2, "", "2 (kthreadd) S 0 0 0 0 -1\n");
    QDir().mkpath(table.root() + "/3");
    table.addProcess(10, 1, kServerArguments, 'Z');
    table.add(11, QByteArray(".\0ioq3ded.x86_64\0+exec\0a", 25), "11 ioq3ded S 1\n");
    table.add(12, QByteArray(".\0ioq3ded.x86_64\0+exec\0a", 25), "12 (ioq3ded)\n");
    table.add(13, QByteArray(".\0ioq3ded.x86_64\0+exec\0a", 25), "");
    // The probe's own process, whatever its command line holds.
    table.addProcess(14, 1, kServerArguments);
    QFile::link("14", table.root() + "/self");
    QDir().mkpath(table.root() + "/sys");
    // A terminal with the server's arguments, and the server below it whose command name
    // holds blanks and parentheses.
    table.addProcess(20, 1, {"xterm", "-e", "./ioq3ded.x86_64", "+exec", "VO_x.config"});
    table.add(21, QByteArray(".\0ioq3ded.x86_64\0+EXEC\0VO_x.config\0", 35),
              "21 (q3 (ded) x) S) R 20 21 20 0 -1 4194560 0\n");

    QProcessCom probe(table.root());
    EXPECT_EQ(probe.serverPid(), 21);
    // Without its server the terminal is the innermost match.
    table.write(table.root() + "/21/stat", "21 (q3 (ded) x) S) Z 20 21 20 0\n");
    EXPECT_EQ(probe.serverPid(), 20);
}

TEST(QProcessCom, OnlyTheUsersProcessesCount)
{
    FakeProcTable table;
    table.addProcess(30, 1, kServerArguments);
    EXPECT_EQ(QProcessCom(table.root(), ::getuid()).serverPid(), 30);
    EXPECT_EQ(QProcessCom(table.root(), ::getuid() + 1).serverPid(), -1);
}

TEST(QProcessCom, OfIndependentServersTheLowestPidWins)
{
    FakeProcTable table;
    table.addProcess(500, 1, {"sh", "-c", "./ioq3ded.x86_64 +exec a"});
    table.addProcess(501, 500, kServerArguments);
    table.addProcess(400, 1, kServerArguments);
    table.addProcess(450, 400, {"sleep", "ioq3ded.x86_64"});
    table.addProcess(300, 1, {"vi", "ioq3ded.x86_64"});
    EXPECT_EQ(QProcessCom(table.root()).serverPid(), 400);
}

TEST(QProcessCom, AProbeOfAnotherTableSendsNoSignal)
{
    // The table names this test process as the server: a kill would end the test.
    FakeProcTable table;
    table.addProcess(::getpid(), 1, kServerArguments);
    QProcessCom probe(table.root());
    ASSERT_EQ(probe.serverPid(), ::getpid());
    EXPECT_FALSE(probe.killServerProcess());
}
