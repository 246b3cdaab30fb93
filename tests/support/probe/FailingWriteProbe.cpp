// Makes a file with one of Voranth's writers, makes its directory refuse writes, tries to
// replace the file with the same writer, and reports on standard output, one "key=value" a
// line: the writer's error, whether the file still holds what it held, the directory's
// entries. Started by tests/support/RefusingFileSystem inside a mount namespace of its own,
// where it mounts a small tmpfs over the directory: full or read-only, which even root cannot
// write to. The mount goes with the namespace when the probe ends.
//
//   failing_write_probe full|readonly|readonly-chmod DIRECTORY WRITER TARGET
//
// WRITER: atomic, archive, settings, configfile (TARGET is then what it writes) or ledger.

#include "config/ConfigArchive.h"
#include "config/ServerConfig.h"
#include "config/UserDefaults.h"
#include "format/AtomicFile.h"
#include "rcon/RconPacer.h"
#include "server/ConfigFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int exitUsage = 2;
constexpr int exitNoNamespace = 3;
constexpr int exitSetupFailed = 4;
const QString fillerName = QStringLiteral("filler");

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

void report(const QString& key, const QString& value)
{
    QString line = value;
    line.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    out() << key << '=' << line << '\n';
}

int setupFailed(const QString& what)
{
    report(QStringLiteral("setup"), what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    return exitSetupFailed;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every block of the file system taken, so that the next byte written has no room.
bool fill(const QString& directory)
{
    const QByteArray name = QFile::encodeName(directory + QLatin1Char('/') + fillerName);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    // The last partial block too.
    while (::write(fd, "x", 1) > 0) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

ServerConfig configNamed(const QString& serverName)
{
    ServerConfig config = ServerConfig::blank();
    config.setConfigName(QStringLiteral("Probe"));
    config.setModName(QStringLiteral("baseq3"));
    config.setServerName(serverName);
    config.setMapList({QStringLiteral("q3dm17")});
    return config;
}

// A writer's two runs: the one that makes the file, and the one that is refused. Each answers
// the error ("" on success).
struct Writer
{
    std::function<QString(int run)> write;
};

std::map<QString, Writer> writers(const QString& target)
{
    std::map<QString, Writer> all;
    all[QStringLiteral("atomic")] = {[target](int run) {
        return AtomicFile::write(target, run == 0 ? "old contents\n" : "new contents\n",
                                 AtomicFile::privatePermissions)
            .error;
    }};
    all[QStringLiteral("archive")] = {[target](int run) {
        ConfigArchive::Store store;
        store.insert(QStringLiteral("Probe"), configNamed(run == 0 ? "old" : "new"));
        return ConfigArchive::write(target, store).error;
    }};
    all[QStringLiteral("settings")] = {[](int run) {
        UserDefaults::setValue(QStringLiteral("Probe Key"), run == 0 ? "old" : "new");
        const QString error = UserDefaults::sync().error;
        if (run == 1)
            report(QStringLiteral("kept"), UserDefaults::stringValue(QStringLiteral("Probe Key")));
        return error;
    }};
    all[QStringLiteral("configfile")] = {[](int run) {
        ConfigFiles files(GamePaths(QString(), QStringLiteral("baseq3")));
        return files.saveConfigToFile(configNamed(run == 0 ? "old" : "new"), true).error;
    }};
    // The first run makes the ledger and its lock file with one request; the second asks for
    // nine more at one instant of a frozen clock: the burst of eight goes, the ninth waits.
    all[QStringLiteral("ledger")] = {[target](int run) {
        static const auto pacer = RconPacer::shared(QStringLiteral("127.0.0.1:27960"), target,
                                                    RconPacer::Allowance(), [] { return qint64(1000000); });
        if (run == 0)
            return pacer->take(RconPacer::Traffic::Command) ? QString() : QStringLiteral("refused");
        int went = 0;
        for (int i = 0; i < 9; ++i)
            went += pacer->take(RconPacer::Traffic::Command) ? 1 : 0;
        report(QStringLiteral("went"), QString::number(went + 1));
        return pacer->ledgerProblem().value_or(QString());
    }};
    return all;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 4)
        return exitUsage;
    const QString& mode = args.at(0);
    const QString directory = QDir(args.at(1)).absolutePath();
    const QString target = args.at(3);
    const std::map<QString, Writer> all = writers(target);
    const auto writer = all.find(args.at(2));
    if (writer == all.end())
        return exitUsage;

    const QByteArray dir = QFile::encodeName(directory);
    if (mode != QLatin1String("readonly-chmod")) {
        const char* options = mode == QLatin1String("full") ? "size=64k,mode=0755" : "mode=0755";
        if (::mount("voranth-probe", dir.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options) != 0) {
            report(QStringLiteral("setup"), QStringLiteral("mount: ") +
                                                QString::fromLocal8Bit(std::strerror(errno)));
            return exitNoNamespace;
        }
    }
    if (const QString made = writer->second.write(0); !made.isEmpty()) {
        report(QStringLiteral("setup"), QStringLiteral("first write: ") + made);
        return exitSetupFailed;
    }
    const QByteArray before = contentsOf(target);
    if (mode == QLatin1String("full") && !fill(directory))
        return setupFailed(QStringLiteral("filling"));
    if (mode == QLatin1String("readonly") &&
        ::mount(nullptr, dir.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                nullptr) != 0)
        return setupFailed(QStringLiteral("remount read-only"));
    if (mode == QLatin1String("readonly-chmod") && ::chmod(dir.constData(), 0500) != 0)
        return setupFailed(QStringLiteral("chmod"));

    report(QStringLiteral("error"), writer->second.write(1));
    report(QStringLiteral("intact"), contentsOf(target) == before ? QStringLiteral("yes")
                                                                    : QStringLiteral("no"));
    QStringList entries = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                        QDir::NoDotAndDotDot,
                                                    QDir::Name);
    entries.removeAll(fillerName);
    report(QStringLiteral("entries"), entries.join(QLatin1Char(',')));
    if (mode == QLatin1String("readonly-chmod"))
        ::chmod(dir.constData(), 0700);
    out().flush();
    return 0;
}
