#include "support/PrivateServiceManager.h"

#include "support/WaitUntil.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int appearMs = 30000;

// The manager runs in control groups of its own ($1 in every hierarchy it may join): it keeps
// its units' groups below its own, and two managers of one user in the same group would take
// each other's units' groups for their own (stopping a unit there kills the other's server).
const char* managerInNamespace =
    "for root in /sys/fs/cgroup /sys/fs/cgroup/*; do"
    "  [ -f \"$root/cgroup.procs\" ] || continue;"
    "  mkdir -p \"$root/$1\" 2>/dev/null && echo $$ > \"$root/$1/cgroup.procs\" 2>/dev/null;"
    "done;"
    "mount -t tmpfs none /run/systemd && mkdir -p /run/systemd/system && "
    "exec /lib/systemd/systemd --user";

// Removes the control groups below /sys/fs/cgroup named name, deepest first (a group goes only
// once it is empty).
void removeControlGroups(const QString& name)
{
    const QDir cgroups(QStringLiteral("/sys/fs/cgroup"));
    QStringList roots{cgroups.path()};
    for (const QString& hierarchy : cgroups.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        roots.append(cgroups.filePath(hierarchy));
    for (const QString& root : roots) {
        const QString top = root + QLatin1Char('/') + name;
        if (!QFileInfo(top).isDir())
            continue;
        QStringList groups{top};
        QDirIterator below(top, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (below.hasNext())
            groups.append(below.next());
        std::sort(groups.begin(), groups.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        for (const QString& group : groups)
            QDir().rmdir(group);
    }
}

bool socketExists(const QString& path)
{
    return QFileInfo(path).exists();
}

QString outputOf(QProcess& process)
{
    return QString::fromLocal8Bit(process.readAllStandardError() + process.readAllStandardOutput())
        .trimmed();
}

} // namespace

PrivateServiceManager::PrivateServiceManager()
    // A short path: the sockets' paths must fit a socket address.
    : m_runtime(QStringLiteral("/tmp/voranth-sd-XXXXXX")),
      m_savedRuntime(qgetenv("XDG_RUNTIME_DIR")), m_savedBus(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
{
    if (!m_runtime.isValid()) {
        m_error = QStringLiteral("no temporary runtime directory: ") + m_runtime.errorString();
        return;
    }
    QFile::setPermissions(m_runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", busAddress().toLocal8Bit());
    if (startBus())
        startManager();
}

PrivateServiceManager::~PrivateServiceManager()
{
    // The manager stops its units (and their servers) when it is told to end.
    if (m_manager.state() != QProcess::NotRunning) {
        m_manager.terminate();
        if (!m_manager.waitForFinished(20000)) {
            m_manager.kill();
            m_manager.waitForFinished(5000);
        }
    }
    if (!m_controlGroup.isEmpty())
        removeControlGroups(m_controlGroup);
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        if (!m_bus.waitForFinished(5000)) {
            m_bus.kill();
            m_bus.waitForFinished(5000);
        }
    }
    qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_savedBus);
}

QString PrivateServiceManager::busAddress() const
{
    return QStringLiteral("unix:path=") + m_runtime.path() + QStringLiteral("/bus");
}

namespace {

// The bus and the manager end with the test process, also one that crashes: the manager
// then stops its units, and no server of the test outlives it.
void endWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

} // namespace

bool PrivateServiceManager::startBus()
{
    endWithTheTest(m_bus);
    m_bus.setProgram(QStringLiteral("dbus-daemon"));
    m_bus.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--nopidfile"),
                        QStringLiteral("--address=") + busAddress()});
    m_bus.start();
    const QString socket = m_runtime.path() + QStringLiteral("/bus");
    if (!m_bus.waitForStarted(appearMs) ||
        !waitUntil([&] { return socketExists(socket) || m_bus.state() == QProcess::NotRunning; },
                   appearMs) ||
        !socketExists(socket)) {
        m_error = QStringLiteral("the session bus did not start: ") + m_bus.errorString() +
                  QLatin1Char(' ') + outputOf(m_bus);
        return false;
    }
    return true;
}

bool PrivateServiceManager::startManager()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress());
    m_manager.setProcessEnvironment(environment);
    endWithTheTest(m_manager);
    m_manager.setWorkingDirectory(QDir::homePath());
    if (QFileInfo(QStringLiteral("/run/systemd/system")).isDir()) {
        m_manager.setProgram(QStringLiteral("/lib/systemd/systemd"));
        m_manager.setArguments({QStringLiteral("--user")});
    } else if (::geteuid() == 0) {
        m_manager.setProgram(QStringLiteral("unshare"));
        m_controlGroup = QStringLiteral("voranth-test-") + QFileInfo(m_runtime.path()).fileName();
        m_manager.setArguments({QStringLiteral("--mount"), QStringLiteral("sh"),
                                QStringLiteral("-c"), QString::fromLatin1(managerInNamespace),
                                QStringLiteral("sh"), m_controlGroup});
    } else {
        m_error = QStringLiteral("systemd --user needs /run/systemd/system, which this machine "
                                 "lacks, and only root can make it in a namespace of its own");
        return false;
    }
    m_manager.start();
    const QString socket = m_runtime.path() + QStringLiteral("/systemd/private");
    if (!m_manager.waitForStarted(appearMs) ||
        !waitUntil(
            [&] { return socketExists(socket) || m_manager.state() == QProcess::NotRunning; },
            appearMs) ||
        !socketExists(socket)) {
        m_error = QStringLiteral("the user manager did not start: ") + m_manager.errorString() +
                  QLatin1Char(' ') + outputOf(m_manager);
        return false;
    }
    // The socket is there before the manager takes calls on it.
    if (!waitUntil(
            [&] {
                return !systemctl({QStringLiteral("show"), QStringLiteral("--property=Version")})
                            .isEmpty();
            },
            appearMs)) {
        m_error = QStringLiteral("the user manager does not answer");
        return false;
    }
    return true;
}

QString PrivateServiceManager::systemctl(const QStringList& arguments) const
{
    QProcess process;
    process.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + arguments);
    if (!process.waitForFinished(20000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool PrivateServiceManager::run(const QStringList& arguments) const
{
    QProcess process;
    process.start(QStringLiteral("systemd-run"), QStringList{QStringLiteral("--user")} + arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QString PrivateServiceManager::property(const QString& unit, const QString& name) const
{
    return systemctl({QStringLiteral("show"), QStringLiteral("--property=") + name,
                      QStringLiteral("--value"), QStringLiteral("--"), unit})
        .trimmed();
}
