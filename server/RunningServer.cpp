#include "server/RunningServer.h"

#include "config/CommonData.h"
#include "config/ConfigArchive.h"
#include "config/DataDirectory.h"
#include "format/AtomicFile.h"
#include "format/PlistReader.h"
#include "format/PlistWriter.h"
#include "server/ConfigFiles.h"
#include "server/LaunchToken.h"

#include <QFile>
#include <QVariantMap>

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
            {configurationKey, QString::fromLatin1(ConfigArchive::encode(store).toBase64())}};
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
    if (record.execFile.isEmpty())
        return std::nullopt;
    return record;
}

std::optional<ProcessIdentity> identityOf(qint32 pid, quint64 startTime, const QString& bootId)
{
    const ProcessIdentity identity{pid, startTime, bootId};
    return identity.isValid() ? std::optional<ProcessIdentity>(identity) : std::nullopt;
}

// Changes the record of the launch with that token and writes it back.
bool changeRecordOf(const QString& launchToken, const std::function<void(RunningServer::Record&)>& change)
{
    std::optional<RunningServer::Record> found = RunningServer::read();
    if (!found || launchToken.isEmpty() || found->launchToken != launchToken)
        return false;
    change(*found);
    return RunningServer::write(*found);
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

QString RunningServer::recordPath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/RunningServer.plist");
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
    const Result<void> directory = DataDirectory::prepare();
    if (!directory.ok())
        return directory;
    return AtomicFile::write(recordPath(), PlistWriter::write(encodeRecord(record)).toUtf8(),
                             AtomicFile::privatePermissions);
}

std::optional<RunningServer::Record> RunningServer::read()
{
    if (!QFile::exists(recordPath()))
        return std::nullopt;
    const PlistReader::Result parsed = PlistReader::parseFile(recordPath());
    if (!parsed.ok() || parsed.value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return decodeRecord(parsed.value.toMap());
}

std::optional<ServerConfig> RunningServer::running()
{
    const std::optional<Record> found = read();
    if (!found)
        return std::nullopt;
    return found->config;
}

bool RunningServer::noteServerProcess(const QString& launchToken, const ProcessIdentity& server)
{
    return changeRecordOf(launchToken, [&](Record& record) {
        record.pid = server.pid;
        record.processStartTime = server.startTime;
    });
}

bool RunningServer::noteLauncherProcess(const QString& launchToken,
                                        const ProcessIdentity& launcher)
{
    return changeRecordOf(launchToken, [&](Record& record) {
        record.launcherPid = launcher.pid;
        record.launcherStartTime = launcher.startTime;
    });
}

bool RunningServer::switchConfiguration(const ServerConfig& config)
{
    std::optional<Record> found = read();
    if (!found)
        return false;
    ServerConfig switched = ServerConfig::copyOf(config);
    // The server reads its socket and password at start only (the file it executes now is
    // written without the password).
    switched.setRconPassword(found->config.rconPassword());
    switched.setNetIP(found->config.netIP());
    switched.setNetPort(found->config.netPort());
    found->config = switched;
    return write(*found);
}

void RunningServer::forget(const QString& launchToken)
{
    const std::optional<Record> found = read();
    if (!found || found->launchToken == launchToken)
        clear();
}

void RunningServer::clear()
{
    QFile::remove(recordPath());
}
