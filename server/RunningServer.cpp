#include "server/RunningServer.h"

#include "config/CommonData.h"
#include "config/ConfigArchive.h"
#include "config/DataDirectory.h"
#include "format/AtomicFile.h"
#include "format/PlistReader.h"
#include "format/PlistWriter.h"
#include "server/ConfigFiles.h"
#include "server/LaunchToken.h"
#include "server/ServiceUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QVariantMap>

#include <algorithm>
#include <functional>

#include <time.h>

namespace {

const QString execFileKey = QStringLiteral("ExecFile");
const QString launchTokenKey = QStringLiteral("LaunchToken");
const QString bootIdKey = QStringLiteral("BootId");
const QString launchedAtBootKey = QStringLiteral("LaunchedAtBootMs");
const QString launcherIdKey = QStringLiteral("LauncherId");
const QString launcherStartKey = QStringLiteral("LauncherStartTime");
const QString processIdKey = QStringLiteral("ProcessId");
const QString processStartKey = QStringLiteral("ProcessStartTime");
const QString startedAtKey = QStringLiteral("StartedAt");
const QString configurationKey = QStringLiteral("Configuration");
const QString unitNameKey = QStringLiteral("ServiceUnit");
const QString logFileKey = QStringLiteral("LogFile");

QVariantMap encodeRecord(const RunningServer::Record& record)
{
    ConfigArchive::Store store;
    store.insert(record.config.configName(), record.config);
    return {{execFileKey, record.execFile},
            {launchTokenKey, record.launchToken},
            {bootIdKey, record.bootId},
            {launchedAtBootKey, QString::number(record.launchedAtBootMs)},
            {launcherIdKey, QString::number(record.launcherPid)},
            {launcherStartKey, QString::number(record.launcherStartTime)},
            {processIdKey, QString::number(record.pid)},
            {processStartKey, QString::number(record.processStartTime)},
            {startedAtKey, record.startedAt.toUTC().toString(Qt::ISODateWithMs)},
            {configurationKey, QString::fromLatin1(ConfigArchive::encode(store).toBase64())},
            {unitNameKey, record.unitName},
            {logFileKey, record.logFile}};
}

qint32 positivePid(const QVariant& value)
{
    bool ok = false;
    const qint32 pid = value.toString().toInt(&ok);
    return ok && pid > 0 ? pid : -1;
}

std::optional<RunningServer::Record> decodeRecord(const QVariantMap& map)
{
    const Result<ConfigArchive::Store> store = ConfigArchive::decode(
        QByteArray::fromBase64(map.value(configurationKey).toString().toLatin1()));
    if (!store.ok() || store.value.size() != 1)
        return std::nullopt;
    RunningServer::Record record;
    record.config = store.value.first();
    record.execFile = map.value(execFileKey).toString();
    record.launchToken = map.value(launchTokenKey).toString();
    record.bootId = map.value(bootIdKey).toString();
    bool launchedOk = false;
    record.launchedAtBootMs = map.value(launchedAtBootKey).toString().toLongLong(&launchedOk);
    if (!launchedOk || record.launchedAtBootMs < 0)
        record.launchedAtBootMs = -1;
    record.launcherPid = positivePid(map.value(launcherIdKey));
    record.launcherStartTime = map.value(launcherStartKey).toString().toULongLong();
    record.pid = positivePid(map.value(processIdKey));
    record.processStartTime = map.value(processStartKey).toString().toULongLong();
    record.startedAt = QDateTime::fromString(map.value(startedAtKey).toString(), Qt::ISODateWithMs);
    record.unitName = map.value(unitNameKey).toString();
    record.logFile = map.value(logFileKey).toString();
    if (record.execFile.isEmpty() ||
        (!record.unitName.isEmpty() && !ServiceUnit::isVoranthUnit(record.unitName)))
        return std::nullopt;
    return record;
}

std::optional<ProcessIdentity> identityOf(qint32 pid, quint64 startTime, const QString& bootId)
{
    const ProcessIdentity identity{pid, startTime, bootId};
    return identity.isValid() ? std::optional<ProcessIdentity>(identity) : std::nullopt;
}

// How long a change waits for the registry's lock; a stale lock of a process that died is
// taken over at once.
constexpr int registryLockWaitMs = 2000;

// The registry's lock, held while a record is read, changed and written back.
class RegistryLock
{
public:
    RegistryLock() : m_lock(RunningServer::registryDirectory() + QStringLiteral("/.lock"))
    {
        m_lock.setStaleLockTime(0);
        m_locked = m_lock.tryLock(registryLockWaitMs);
    }
    bool locked() const { return m_locked; }

private:
    QLockFile m_lock;
    bool m_locked = false;
};

// A token names one file of the registry and nothing else.
bool isTokenShaped(const QString& token)
{
    return !token.isEmpty() && token.size() <= 64 &&
           std::all_of(token.cbegin(), token.cend(), [](QChar c) {
               return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                      (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
           });
}

std::optional<RunningServer::Record> readRecordFile(const QString& path)
{
    const PlistReader::Result parsed = PlistReader::parseFile(path);
    if (!parsed.ok() || parsed.value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return decodeRecord(parsed.value.toMap());
}

// Changes the record of the launch with that token and writes it back.
bool changeRecordOf(const QString& launchToken,
                    const std::function<void(RunningServer::Record&)>& change)
{
    if (!isTokenShaped(launchToken))
        return false;
    const RegistryLock lock;
    std::optional<RunningServer::Record> found = RunningServer::read(launchToken);
    if (!found)
        return false;
    change(*found);
    return RunningServer::write(*found);
}

// The single record of an earlier version of the registry, moved into it.
void takeInTheSingleRecord()
{
    const QString single = CommonData::appSupportQ3VXDir() + QStringLiteral("/RunningServer.plist");
    if (!QFileInfo(single).isFile())
        return;
    std::optional<RunningServer::Record> record = readRecordFile(single);
    // A record of a version before launch tokens names a launch of its own now; no process
    // carries its token, so it is judged as a launch whose server is not found.
    if (record && !isTokenShaped(record->launchToken))
        record->launchToken = LaunchToken::generate();
    if (!record || RunningServer::save(*record).ok())
        QFile::remove(single);
}

} // namespace

std::optional<ProcessIdentity> RunningServer::Record::serverProcess() const
{
    return identityOf(pid, processStartTime, bootId);
}

std::optional<ProcessIdentity> RunningServer::Record::launcherProcess() const
{
    return identityOf(launcherPid, launcherStartTime, bootId);
}

QString RunningServer::registryDirectory()
{
    return CommonData::appSupportServersDir();
}

QString RunningServer::recordPath(const QString& launchToken)
{
    return registryDirectory() + QLatin1Char('/') + launchToken + QStringLiteral(".plist");
}

qint64 RunningServer::bootTimeMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

RunningServer::Record RunningServer::launchRecord(const ServerConfig& config)
{
    Record record;
    record.config = config;
    record.execFile = ConfigFiles::configFileReplacedSpaces(config.configName());
    record.launchToken = LaunchToken::generate();
    record.bootId = ProcessTable().bootId();
    record.launchedAtBootMs = bootTimeMs();
    record.startedAt = QDateTime::currentDateTimeUtc();
    return record;
}

bool RunningServer::record(const ServerConfig& config)
{
    return write(launchRecord(config));
}

Result<void> RunningServer::save(const Record& record)
{
    if (!isTokenShaped(record.launchToken))
        return Result<void>::failure(QStringLiteral("A server record needs its launch token."));
    const Result<void> directory = DataDirectory::prepare();
    if (!directory.ok())
        return directory;
    const Result<void> registry = AtomicFile::makeDirectories(
        registryDirectory(),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!registry.ok())
        return registry;
    return AtomicFile::write(recordPath(record.launchToken),
                             PlistWriter::write(encodeRecord(record)).toUtf8(),
                             AtomicFile::privatePermissions);
}

QList<RunningServer::Record> RunningServer::readAll()
{
    takeInTheSingleRecord();
    QList<Record> records;
    const QStringList files =
        QDir(registryDirectory()).entryList({QStringLiteral("*.plist")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        if (std::optional<Record> record = read(QFileInfo(file).completeBaseName()))
            records.append(*record);
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.startedAt < b.startedAt; });
    return records;
}

std::optional<RunningServer::Record> RunningServer::read(const QString& launchToken)
{
    if (!isTokenShaped(launchToken))
        return std::nullopt;
    const QString path = recordPath(launchToken);
    // A record is a plain file of the registry; a link or anything else there is not one.
    if (!QFileInfo(path).isFile() || QFileInfo(path).isSymLink())
        return std::nullopt;
    std::optional<Record> record = readRecordFile(path);
    if (!record || record->launchToken != launchToken)
        return std::nullopt;
    return record;
}

std::optional<RunningServer::Record> RunningServer::read()
{
    const QList<Record> records = readAll();
    if (records.isEmpty())
        return std::nullopt;
    return records.first();
}

bool RunningServer::noteServerProcess(const QString& launchToken, const ProcessIdentity& server)
{
    return changeRecordOf(launchToken, [&](Record& record) {
        record.pid = server.pid;
        record.processStartTime = server.startTime;
        // A service enabled at login starts its server in a later boot.
        record.bootId = server.bootId;
    });
}

bool RunningServer::forgetServerProcess(const QString& launchToken)
{
    return changeRecordOf(launchToken, [](Record& record) {
        record.pid = -1;
        record.processStartTime = 0;
    });
}

bool RunningServer::noteLauncherProcess(const QString& launchToken, const ProcessIdentity& launcher)
{
    return changeRecordOf(launchToken, [&](Record& record) {
        record.launcherPid = launcher.pid;
        record.launcherStartTime = launcher.startTime;
    });
}

bool RunningServer::switchConfiguration(const QString& launchToken, const ServerConfig& config)
{
    return changeRecordOf(launchToken, [&](Record& record) {
        ServerConfig switched = ServerConfig::copyOf(config);
        // The server reads its socket and password at start only (the file it executes now
        // is written without the password).
        switched.setRconPassword(record.config.rconPassword());
        switched.setNetIP(record.config.netIP());
        switched.setNetPort(record.config.netPort());
        record.config = switched;
    });
}

void RunningServer::forget(const QString& launchToken)
{
    if (isTokenShaped(launchToken))
        QFile::remove(recordPath(launchToken));
}

void RunningServer::clear()
{
    takeInTheSingleRecord();
    const QDir registry(registryDirectory());
    for (const QString& file : registry.entryList({QStringLiteral("*.plist")}, QDir::Files))
        if (isTokenShaped(QFileInfo(file).completeBaseName()))
            QFile::remove(registry.filePath(file));
}
