#include "config/UserDefaults.h"

#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "format/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>

#include <iterator>

namespace {

constexpr int settingsLockWaitMs = 2000;

QString settingsFile()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/Voranth/Voranth.conf");
}

// The user's values as the settings file held them when last read or written, with the
// changes made since, which the next sync() writes over what the file holds by then.
struct Settings
{
    QString path;
    QVariantMap values;
    // A key changed since the last write: its new value, or none for a removed key.
    QMap<QString, std::optional<QVariant>> changes;
};

Settings& settingsState()
{
    static Settings settings;
    return settings;
}

bool isKeyOrBelow(const QString& candidate, const QString& key)
{
    return candidate == key ||
           (candidate.startsWith(key) && candidate.at(key.size()) == QLatin1Char('/'));
}

// Removing a key removes the keys of the group it names too, as QSettings does.
void removeKeyAndBelow(QVariantMap& values, const QString& key)
{
    for (auto it = values.begin(); it != values.end();)
        it = isKeyOrBelow(it.key(), key) ? values.erase(it) : std::next(it);
}

void applyChanges(QVariantMap& values, const QMap<QString, std::optional<QVariant>>& changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.value())
            values.insert(it.key(), *it.value());
        else
            removeKeyAndBelow(values, it.key());
    }
}

Result<void> writeChanges(Settings& settings)
{
    if (settings.changes.isEmpty())
        return Result<void>::success();
    if (const Result<void> directory =
            AtomicFile::makeDirectories(QFileInfo(settings.path).absolutePath());
        !directory.ok())
        return directory;
    // Other programs of the user (voranthctl, another window) may have written since: their
    // values stay unless changed here. The lock is the one QSettings takes for its writes;
    // without it (it is held too long, or cannot be made) the write goes ahead, whole.
    QLockFile lock(settings.path + QStringLiteral(".lock"));
    lock.tryLock(settingsLockWaitMs);
    const Result<QVariantMap> onDisk = SettingsFile::read(settings.path);
    QVariantMap merged = onDisk.ok() ? onDisk.value : settings.values;
    applyChanges(merged, settings.changes);
    const Result<void> written = SettingsFile::write(settings.path, merged);
    if (!written.ok())
        return written;
    settings.values = merged;
    settings.changes.clear();
    return written;
}

// The settings file follows XDG_CONFIG_HOME of the moment, as every other path does: changes
// made for another file go there first.
Settings& store()
{
    Settings& settings = settingsState();
    const QString file = settingsFile();
    if (settings.path != file) {
        if (!settings.path.isEmpty())
            writeChanges(settings);
        settings = Settings{file, SettingsFile::read(file).value, {}};
    }
    return settings;
}

QVariantMap makeBuiltInDefaults()
{
    QVariantMap d;
    d.insert(KZXUseDefaultMasterServersKey, true);
    d.insert(KZXGameMasterServKey, QStringList{QStringLiteral("master3.idsoftware.com"), QString(),
                                               QString(), QString(), QString()});
    d.insert(KZXQGameRootDir, QString());
    d.insert(KZXDedicatedAppName, QStringLiteral("ioq3ded.x86_64"));
    d.insert(KZXPreserveServerNameKey, true);
    d.insert(KZXPreserveWelcomeTextKey, true);
    d.insert(KZXPreserveNetIPAddressKey, false);
    d.insert(KZXPreserveNetPortKey, false);
    d.insert(KZXPreservePrivateClientsPasswordKey, false);
    d.insert(KZXRconPasswordGenerationTypeStringKey, QStringLiteral("random"));
    d.insert(KZXEnablePunkBusterByDefaultKey, false);
    d.insert(KZXPutTerminalBackKey, true);
    d.insert(KZXMapImageLoadingKey, 1);
    d.insert(KZXMapImageCacheSizeKey, 30);
    d.insert(KZXTerminalEmulatorKey, QStringLiteral("automatic"));
    d.insert(KZXServerHostingKey, QStringLiteral("terminal"));
    return d;
}

QVariantMap& registeredDefaults()
{
    static QVariantMap defaults;
    return defaults;
}

} // namespace

const QList<QPair<QString, UserDefaults::Type>>& UserDefaults::keyTypes()
{
    static const QList<QPair<QString, Type>> types = {
        {KZXUseDefaultMasterServersKey, Type::Boolean},
        {KZXGameMasterServKey, Type::StringList},
        {KZXQGameRootDir, Type::String},
        {KZXDedicatedAppName, Type::String},
        {KZXPreserveServerNameKey, Type::Boolean},
        {KZXPreserveWelcomeTextKey, Type::Boolean},
        {KZXPreserveNetIPAddressKey, Type::Boolean},
        {KZXPreserveNetPortKey, Type::Boolean},
        {KZXPreservePrivateClientsPasswordKey, Type::Boolean},
        {KZXRconPasswordGenerationTypeStringKey, Type::String},
        {KZXRconPasswordGenerationType, Type::Integer},
        {KZXEnablePunkBusterByDefaultKey, Type::Boolean},
        {KZXPutTerminalBackKey, Type::Boolean},
        {KZXMapImageLoadingKey, Type::Integer},
        {KZXMapImageCacheSizeKey, Type::Integer},
        {KZXDedicatedAppType, Type::Integer},
        {KZXCustomDedicatedAppname, Type::String},
        {KZXGamePaksInfoKey, Type::Dictionary},
        {KZXPaksInfoVersion, Type::String},
        {KZXTerminalEmulatorKey, Type::String},
        {KZXServerHostingKey, Type::String},
    };
    return types;
}

std::optional<UserDefaults::Type> UserDefaults::typeOf(const QString& key)
{
    for (const auto& [name, type] : keyTypes())
        if (name == key)
            return type;
    return std::nullopt;
}

QVariant UserDefaults::valueFromText(Type type, const QStringList& text)
{
    if (type == Type::StringList)
        return text;
    if (text.size() != 1)
        return {};
    const QString& word = text.first();
    switch (type) {
    case Type::Boolean: {
        const QString lower = word.toLower();
        if (lower == QLatin1String("yes") || lower == QLatin1String("true") ||
            lower == QLatin1String("1"))
            return true;
        if (lower == QLatin1String("no") || lower == QLatin1String("false") ||
            lower == QLatin1String("0"))
            return false;
        return {};
    }
    case Type::Integer: {
        bool ok = false;
        const int number = word.toInt(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case Type::String:
        return word;
    case Type::StringList:
    case Type::Dictionary:
        break;
    }
    return {};
}

void UserDefaults::registerDefaults()
{
    if (registeredDefaults().isEmpty())
        registeredDefaults() = makeBuiltInDefaults();
}

const QVariantMap& UserDefaults::builtInDefaults()
{
    static const QVariantMap defaults = makeBuiltInDefaults();
    return defaults;
}

QVariant UserDefaults::value(const QString& key)
{
    QVariant stored = store().values.value(key);
    if (stored.isValid())
        return stored;
    return registeredDefaults().value(key);
}

bool UserDefaults::boolValue(const QString& key)
{
    return value(key).toBool();
}

int UserDefaults::intValue(const QString& key)
{
    return value(key).toInt();
}

QString UserDefaults::stringValue(const QString& key)
{
    return value(key).toString();
}

QStringList UserDefaults::stringListValue(const QString& key)
{
    return value(key).toStringList();
}

QVariantMap UserDefaults::dictionaryValue(const QString& key)
{
    return value(key).toMap();
}

bool UserDefaults::hasUserValue(const QString& key)
{
    return store().values.contains(key);
}

void UserDefaults::setValue(const QString& key, const QVariant& value)
{
    Settings& settings = store();
    settings.values.insert(key, value);
    settings.changes.insert(key, value);
}

void UserDefaults::removeValue(const QString& key)
{
    Settings& settings = store();
    removeKeyAndBelow(settings.values, key);
    // A removal replaces the changes below the key it removes.
    for (auto it = settings.changes.begin(); it != settings.changes.end();)
        it = isKeyOrBelow(it.key(), key) ? settings.changes.erase(it) : std::next(it);
    settings.changes.insert(key, std::nullopt);
}

QStringList UserDefaults::knownKeys()
{
    QStringList keys = store().values.keys();
    for (auto it = registeredDefaults().cbegin(); it != registeredDefaults().cend(); ++it)
        if (!keys.contains(it.key()))
            keys.append(it.key());
    keys.sort();
    return keys;
}

Result<void> UserDefaults::sync()
{
    Settings& settings = store();
    if (!settings.changes.isEmpty())
        return writeChanges(settings);
    // Nothing to write: what other programs wrote since is read.
    Result<QVariantMap> onDisk = SettingsFile::read(settings.path);
    if (onDisk.ok())
        settings.values = std::move(onDisk.value);
    return Result<void>::success();
}

QString UserDefaults::settingsFilePath()
{
    return store().path;
}
