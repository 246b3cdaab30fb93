#include "config/ConfigArchive.h"

#include "config/ArchiveCoding.h"
#include "format/AtomicFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QByteArray magic = QByteArrayLiteral("VOKZVR\r\n");
constexpr QCryptographicHash::Algorithm checksumAlgorithm = QCryptographicHash::Sha256;
constexpr qsizetype checksumSize = 32;
constexpr qsizetype versionOffset = 8;
constexpr qsizetype lengthOffset = versionOffset + 4;
constexpr qsizetype checksumOffset = lengthOffset + 8;
constexpr qsizetype headerSize = checksumOffset + checksumSize;
constexpr QDataStream::Version streamVersion = QDataStream::Qt_6_0;

const QString serverConfigClassName = QStringLiteral("ServerConfig");
const QString extraParameterClassName = QStringLiteral("ExtraParameter");

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

void prepare(QDataStream& stream)
{
    stream.setVersion(streamVersion);
    stream.setByteOrder(QDataStream::BigEndian);
}

QString truncatedText()
{
    return QStringLiteral("The archive ends too early: it was cut short.");
}

QString damagedText(const QString& detail)
{
    return QStringLiteral("The archive is damaged: %1.").arg(detail);
}

} // namespace

QByteArray ConfigArchive::encodePayload(const Store& store, int serverConfigVersion)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    prepare(out);

    ArchiveCoding::writeCount(out, 2);
    ArchiveCoding::writeRawString(out, serverConfigClassName);
    ArchiveCoding::writeInt(out, serverConfigVersion);
    ArchiveCoding::writeRawString(out, extraParameterClassName);
    ArchiveCoding::writeInt(out, ExtraParameter::classVersion);

    ArchiveCoding::writeCount(out, store.size());
    for (auto it = store.cbegin(); it != store.cend(); ++it) {
        ArchiveCoding::writeRawString(out, it.key());
        it.value().encodeWithCoder(out, serverConfigVersion);
    }
    return payload;
}

QByteArray ConfigArchive::encode(const Store& store, int serverConfigVersion)
{
    serverConfigVersion = std::clamp(serverConfigVersion, ServerConfig::oldestClassVersion,
                                     ServerConfig::classVersion);
    const QByteArray payload = encodePayload(store, serverConfigVersion);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out);
    out.writeRawData(magic.constData(), int(magic.size()));
    out << quint32(containerVersion) << quint64(payload.size());
    const QByteArray checksum = QCryptographicHash::hash(payload, checksumAlgorithm);
    out.writeRawData(checksum.constData(), int(checksum.size()));
    out.writeRawData(payload.constData(), int(payload.size()));
    return bytes;
}

Result<ConfigArchive::Store> ConfigArchive::decode(const QByteArray& bytes)
{
    QString reason;
    std::optional<Store> store = decodeBytes(bytes, &reason);
    if (!store)
        return Result<Store>::failure(reason);
    return Result<Store>::success(std::move(*store));
}

std::optional<ConfigArchive::Store> ConfigArchive::decodeBytes(const QByteArray& bytes,
                                                               QString* error)
{
    if (!bytes.startsWith(magic)) {
        if (magic.startsWith(bytes))
            fail(error, truncatedText());
        else
            fail(error, QStringLiteral("The file is not a configuration archive."));
        return std::nullopt;
    }
    if (bytes.size() < lengthOffset) {
        fail(error, truncatedText());
        return std::nullopt;
    }

    QDataStream header(bytes);
    prepare(header);
    header.skipRawData(int(versionOffset));
    quint32 version = 0;
    header >> version;
    if (version > containerVersion) {
        fail(error, QStringLiteral("The archive was written by a newer version of the program "
                                   "(container version %1; this one reads up to %2).")
                        .arg(version)
                        .arg(containerVersion));
        return std::nullopt;
    }
    if (version == 0) {
        fail(error, damagedText(QStringLiteral("the container version is 0")));
        return std::nullopt;
    }
    if (bytes.size() < headerSize) {
        fail(error, truncatedText());
        return std::nullopt;
    }

    quint64 payloadLength = 0;
    header >> payloadLength;
    const quint64 bytesAfterHeader = quint64(bytes.size() - headerSize);
    if (payloadLength > bytesAfterHeader) {
        fail(error, truncatedText());
        return std::nullopt;
    }
    if (payloadLength < bytesAfterHeader) {
        fail(error, damagedText(QStringLiteral("there are bytes after its end")));
        return std::nullopt;
    }

    const QByteArray payload = bytes.mid(headerSize);
    const QByteArray storedChecksum = bytes.mid(checksumOffset, checksumSize);
    if (QCryptographicHash::hash(payload, checksumAlgorithm) != storedChecksum) {
        fail(error, damagedText(QStringLiteral("its checksum does not match its contents")));
        return std::nullopt;
    }
    return decodePayload(payload, error);
}

std::optional<ConfigArchive::Store> ConfigArchive::decodePayload(const QByteArray& payload,
                                                                 QString* error)
{
    QBuffer buffer;
    buffer.setData(payload);
    buffer.open(QIODevice::ReadOnly);
    QDataStream in(&buffer);
    prepare(in);

    ClassVersions versions;
    Store store;
    if (!readClassTable(in, versions, error) ||
        !readRootDictionary(in, versions.serverConfig, store, error))
        return std::nullopt;
    if (!in.atEnd()) {
        fail(error, damagedText(QStringLiteral("there are bytes after the last configuration")));
        return std::nullopt;
    }
    return store;
}

bool ConfigArchive::readClassTable(QDataStream& in, ClassVersions& versions, QString* error)
{
    qsizetype count = 0;
    // A class takes its name's length and its version at least.
    if (!ArchiveCoding::readCount(in, 8, count))
        return fail(error, damagedText(QStringLiteral("its class table cannot be read")));
    for (qsizetype i = 0; i < count; ++i) {
        QString name;
        int version = 0;
        if (!ArchiveCoding::readRawString(in, name) || !ArchiveCoding::readInt(in, version))
            return fail(error, damagedText(QStringLiteral("its class table cannot be read")));

        int* slot = nullptr;
        int newestKnown = 0;
        int oldestKnown = 0;
        if (name == serverConfigClassName) {
            slot = &versions.serverConfig;
            newestKnown = ServerConfig::classVersion;
            oldestKnown = ServerConfig::oldestClassVersion;
        } else if (name == extraParameterClassName) {
            slot = &versions.extraParameter;
            newestKnown = oldestKnown = ExtraParameter::classVersion;
        } else {
            return fail(error, damagedText(QStringLiteral("it holds objects of the unknown "
                                                          "class \"%1\"")
                                               .arg(name.left(64))));
        }
        if (*slot != -1)
            return fail(error,
                        damagedText(QStringLiteral("its class table names %1 twice").arg(name)));
        if (version > newestKnown)
            return fail(error, QStringLiteral("The archive holds %1 objects of version %2, written "
                                              "by a newer version of the program (this one "
                                              "reads up to version %3).")
                                   .arg(name)
                                   .arg(version)
                                   .arg(newestKnown));
        if (version < oldestKnown)
            return fail(error, damagedText(QStringLiteral("it gives %1 the impossible version %2")
                                               .arg(name)
                                               .arg(version)));
        *slot = version;
    }
    if (versions.serverConfig == -1 || versions.extraParameter == -1)
        return fail(error, damagedText(QStringLiteral("its class table is incomplete")));
    return true;
}

bool ConfigArchive::readRootDictionary(QDataStream& in, int serverConfigVersion, Store& store,
                                       QString* error)
{
    qsizetype count = 0;
    // An entry takes its key's length and a record's items, each of which is a byte or more.
    if (!ArchiveCoding::readCount(in, 4 + 41, count))
        return fail(error, damagedText(QStringLiteral("its number of configurations is wrong")));
    for (qsizetype i = 0; i < count; ++i) {
        QString name;
        ServerConfig record = ServerConfig::blank();
        if (!ArchiveCoding::readRawString(in, name) ||
            !ServerConfig::initWithCoder(in, serverConfigVersion, record))
            return fail(
                error,
                damagedText(
                    QStringLiteral("configuration %1 of %2 cannot be read").arg(i + 1).arg(count)));
        if (store.contains(name))
            return fail(
                error,
                damagedText(QStringLiteral("it holds the name \"%1\" twice").arg(name.left(64))));
        store.insert(name, record);
    }
    return true;
}

Result<void> ConfigArchive::write(const QString& path, const Store& store)
{
    if (const Result<void> directory = AtomicFile::makeDirectories(QFileInfo(path).absolutePath());
        !directory.ok())
        return directory;
    // Every password of the user is in here: the file is its owner's alone, also when an
    // earlier version left it readable to others.
    return AtomicFile::write(path, encode(store), AtomicFile::privatePermissions);
}

Result<ConfigArchive::Store> ConfigArchive::read(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return Result<Store>::failure(QStringLiteral("%1 does not exist.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return Result<Store>::failure(
            QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    if (file.size() > maximumFileSize)
        return Result<Store>::failure(
            QStringLiteral("Cannot read %1: it is too large to be a configuration archive.")
                .arg(path));
    Result<Store> store = decode(file.readAll());
    if (!store.ok())
        store.error = QStringLiteral("Cannot read %1: %2").arg(path, store.error);
    return store;
}
