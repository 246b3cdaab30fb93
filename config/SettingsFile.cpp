#include "config/SettingsFile.h"

#include "format/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

namespace {

constexpr QFileDevice::Permissions modeBits =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString statusText(QSettings::Status status)
{
    return status == QSettings::FormatError ? QStringLiteral("it is not in the INI form")
                                            : QStringLiteral("it cannot be accessed");
}

// What a user made of an existing file (say, readable by its owner only) stays.
QFileDevice::Permissions permissionsFor(const QString& path)
{
    const QFileInfo existing(path);
    if (existing.isFile() && !existing.isSymLink())
        return existing.permissions() & modeBits;
    return AtomicFile::publicPermissions;
}

} // namespace

Result<QVariantMap> SettingsFile::read(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return Result<QVariantMap>::success({});
    // QSettings only says that it failed; opening the file first tells why.
    if (!file.open(QIODevice::ReadOnly))
        return Result<QVariantMap>::failure(
            QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    file.close();
    // A settings object made afresh reads the file again, whatever it read before.
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return Result<QVariantMap>::failure(
            QStringLiteral("Cannot read %1: %2").arg(path, statusText(settings.status())));
    QVariantMap values;
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return Result<QVariantMap>::success(values);
}

Result<QByteArray> SettingsFile::encode(const QVariantMap& values)
{
    // QSettings prints only into a file: one of its own, in a directory of its own, so that
    // no other settings object shares what it has read.
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return Result<QByteArray>::failure(
            QStringLiteral("Cannot make a scratch directory for the settings: %1")
                .arg(scratch.errorString()));
    const QString path = scratch.filePath(QStringLiteral("settings.conf"));
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return Result<QByteArray>::failure(
                QStringLiteral("Cannot put the settings into the INI form in %1: %2")
                    .arg(scratch.path(), statusText(settings.status())));
    }
    QFile file(path);
    if (values.isEmpty() && !file.exists())
        return Result<QByteArray>::success({});
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(
            QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return Result<QByteArray>::success(file.readAll());
}

Result<void> SettingsFile::write(const QString& path, const QVariantMap& values)
{
    const Result<QByteArray> text = encode(values);
    if (!text.ok())
        return Result<void>::failure(text.error);
    if (const Result<void> directory =
            AtomicFile::makeDirectories(QFileInfo(path).absolutePath());
        !directory.ok())
        return directory;
    return AtomicFile::write(path, text.value, permissionsFor(path));
}
