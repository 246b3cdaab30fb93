#pragma once

#include "config/ServerConfig.h"
#include "format/Result.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The file that holds every server configuration: a container of its own on QDataStream.
//
//   magic "VOKZVR\r\n" | container version (quint32) | payload length (quint64)
//   | SHA-256 of the payload (32 bytes) | payload
//
// The payload is the class table (count, then each class name with its class version) and
// the root dictionary (count, then each name with its ServerConfig items, coded in the
// version the class table gives). Reading refuses whatever it cannot read completely, with
// a text that says why; it never returns part of an archive.
class ConfigArchive
{
public:
    using Store = QMap<QString, ServerConfig>;

    static constexpr quint32 containerVersion = 1;
    // Nothing near this size is a configuration archive; it is not read into memory.
    static constexpr qint64 maximumFileSize = 64 * 1024 * 1024;

    // The archive of the store; serverConfigVersion 1 to 4 writes records as those older
    // versions did.
    static QByteArray encode(const Store& store,
                             int serverConfigVersion = ServerConfig::classVersion);
    static Result<Store> decode(const QByteArray& bytes);

    // Replaces the file atomically, readable and writable by its owner only (mode 0600),
    // creating its directory when missing.
    static Result<void> write(const QString& path, const Store& store);
    static Result<Store> read(const QString& path);

private:
    struct ClassVersions
    {
        int serverConfig = -1;
        int extraParameter = -1;
    };
    static QByteArray encodePayload(const Store& store, int serverConfigVersion);
    static std::optional<Store> decodeBytes(const QByteArray& bytes, QString* error);
    static std::optional<Store> decodePayload(const QByteArray& payload, QString* error);
    static bool readClassTable(QDataStream& in, ClassVersions& versions, QString* error);
    static bool readRootDictionary(QDataStream& in, int serverConfigVersion, Store& store,
                                   QString* error);
};
