#pragma once

#include "format/Result.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// The settings file in QSettings' INI form, read and written whole. QSettings itself reads
// and prints the text, so that the file stays one QSettings reads; the file is replaced by
// AtomicFile, so that a write is whole or not at all and a failure says why.
class SettingsFile
{
public:
    SettingsFile() = delete;

    // Every value the file holds by its key ("Group/key" for a key in a group); a missing
    // file holds none.
    static Result<QVariantMap> read(const QString& path);
    // The INI text of the values, as QSettings writes it.
    static Result<QByteArray> encode(const QVariantMap& values);
    // Replaces the file by the values, keeping the permissions of the file it replaces.
    static Result<void> write(const QString& path, const QVariantMap& values);
};
