#include "support/RealServer.h"

#include "support/DemoGame.h"

#include "server/ProcessSignal.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "server/ServerLauncher.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QUdpSocket>

#include <signal.h>
#include <unistd.h>

namespace RealServer {

namespace {

QByteArray procFile(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<qint64> processesMentioning(const QByteArray& text)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid != ::getpid() && procFile(pid, "cmdline").contains(text))
            found.append(pid);
    }
    return found;
}

} // namespace

void useGame(const QString& dir, const QString& terminal)
{
    GameDirectory::choose(dir);
    UserDefaults::setValue(KZXDedicatedAppName, DemoGame::serverName());
    UserDefaults::setValue(KZXTerminalEmulatorKey, terminal);
    UserDefaults::sync();
}

ServerConfig config(const QString& name, const QString& password, int port)
{
    ServerConfig config;
    config.setConfigName(name);
    config.setModName(CommonData::qGameDefaultModDir());
    config.setMapList({QStringLiteral("oa_dm4"), QStringLiteral("oa_dm1")});
    config.setRconPassword(password);
    config.setNetPort(port);
    return config;
}

int freeUdpPort()
{
    QUdpSocket socket;
    socket.bind(QHostAddress::AnyIPv4, 0);
    return socket.localPort();
}

QByteArray rcon(int port, const QByteArray& password, const QByteArray& command, int timeoutMs)
{
    static const QByteArray header("\xff\xff\xff\xffprint\n");
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    const QByteArray request = QByteArray("\xff\xff\xff\xffrcon ") + password + ' ' + command;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        socket.writeDatagram(request, QHostAddress::LocalHost, quint16(port));
        if (socket.waitForReadyRead(300)) {
            QByteArray reply(int(socket.pendingDatagramSize()), '\0');
            socket.readDatagram(reply.data(), reply.size());
            if (reply.startsWith(header))
                return reply.mid(header.size());
        }
    }
    return {};
}

QList<QByteArray> arguments(qint64 pid)
{
    QList<QByteArray> list = procFile(pid, "cmdline").split('\0');
    if (!list.isEmpty() && list.constLast().isEmpty())
        list.removeLast();
    return list;
}

qint64 parentOf(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : -1;
}

QByteArray commandName(qint64 pid)
{
    return procFile(pid, "comm").trimmed();
}

bool isRunning(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    const QByteArray fields = stat.mid(close + 1).trimmed();
    return close > 0 && !fields.isEmpty() && fields.at(0) != 'Z' && fields.at(0) != 'X';
}

char stateOf(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    const QByteArray fields = stat.mid(close + 1).trimmed();
    return close > 0 && !fields.isEmpty() ? fields.at(0) : '\0';
}

bool becomesEngine(qint64 pid, int timeoutMs)
{
    bool engine = false;
    waitUntil(
        [&] {
            engine = commandName(pid) == "ioq3ded" && arguments(pid).value(0) == ".";
            return engine || !isRunning(pid);
        },
        timeoutMs);
    return engine;
}

Reaper::~Reaper()
{
    const QByteArray name = QFile::encodeName(DemoGame::serverName());
    const QList<qint64> processes = processesMentioning(name);
    for (qint64 pid : processes)
        if (const std::optional<ProcessIdentity> process = ProcessIdentity::of(qint32(pid)))
            ProcessSignal::send(*process, SIGKILL);
    const QDeadlineTimer deadline(5000);
    for (qint64 pid : processes)
        while (isRunning(pid) && !deadline.hasExpired())
            QThread::msleep(20);
}

void Test::SetUp()
{
    QString error;
    const QString dir = DemoGame::directory(&error);
    ASSERT_FALSE(dir.isEmpty()) << error.toStdString();
    useGame(dir);
}

} // namespace RealServer

bool RealServer::endsWithin(qint64 pid, int timeoutMs)
{
    return waitUntil([pid] { return ServerLauncher::waitForEnd(qint32(pid), 0); }, timeoutMs);
}
