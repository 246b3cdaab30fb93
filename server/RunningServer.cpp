#include "server/RunningServer.h"

#include "config/CommonData.h"
#include "config/ConfigArchive.h"
#include "config/DataDirectory.h"
#include "format/PlistReader.h"
#include "format/PlistWriter.h"
#include "server/ConfigFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVariantMap>

namespace {

const QString execFileKey = QStringLiteral("ExecFile");
const QString processIdKey = QStringLiteral("ProcessId");
const QString startedAtKey = QStringLiteral("StartedAt");
const QString configurationKey = QStringLiteral("Configuration");

QVariantMap encodeRecord(const RunningServer::Record& record)
{
    ConfigArchive::Store store;
    store.insert(record.config.configName(), record.config);
    return {{execFileKey, record.execFile},
            {processIdKey, QString::number(record.pid)},
            {startedAtKey, record.startedAt.toUTC().toString(Qt::ISODateWithMs)},
            {configurationKey, QString::fromLatin1(ConfigArchive::encode(store).toBase64())}};
}

std::optional<RunningServer::Record> decodeRecord(const QVariantMap& map)
{
    const Result<ConfigArchive::Store> store = ConfigArchive::decode(
        QByteArray::fromBase64(map.value(configurationKey).toString().toLatin1()));
    if (!store.ok() || store.value.size() != 1)
        return std::nullopt;
    bool pidOk = false;
    const qint32 pid = map.value(processIdKey).toString().toInt(&pidOk);
    RunningServer::Record record;
    record.config = store.value.first();
    record.execFile = map.value(execFileKey).toString();
    record.pid = pidOk && pid > 0 ? pid : -1;
    record.startedAt = QDateTime::fromString(map.value(startedAtKey).toString(), Qt::ISODateWithMs);
    if (record.execFile.isEmpty())
        return std::nullopt;
    return record;
}

} // namespace

QString RunningServer::recordPath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/RunningServer.plist");
}

bool RunningServer::record(const ServerConfig& config)
{
    return write({config, ConfigFiles::configFileReplacedSpaces(config.configName()), -1,
                  QDateTime::currentDateTimeUtc()});
}

bool RunningServer::write(const Record& record)
{
    if (!DataDirectory::prepare().ok())
        return false;
    const QByteArray bytes = PlistWriter::write(encodeRecord(record)).toUtf8();
    QSaveFile file(recordPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The record holds the remote-console password: readable by its owner only.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size())
        return false;
    return file.commit();
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

bool RunningServer::setProcessId(qint32 pid)
{
    std::optional<Record> found = read();
    if (!found)
        return false;
    found->pid = pid;
    return write(*found);
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

void RunningServer::clear()
{
    QFile::remove(recordPath());
}
