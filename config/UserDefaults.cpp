#include "config/UserDefaults.h"

#include "config/SettingsKeys.h"

#include <QDir>
#include <QSettings>

#include <memory>

namespace {

QString settingsFile()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/Voranth/Voranth.conf");
}

std::unique_ptr<QSettings>& settingsObject()
{
    static std::unique_ptr<QSettings> settings;
    return settings;
}

// The settings file follows XDG_CONFIG_HOME of the moment, as every other path does; Qt's
// own lookup would keep the directory it saw first for the rest of the process.
QSettings& store()
{
    std::unique_ptr<QSettings>& settings = settingsObject();
    const QString file = settingsFile();
    if (!settings || settings->fileName() != file) {
        if (settings)
            settings->sync();
        settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    return *settings;
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
    QVariant stored = store().value(key);
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
    return store().contains(key);
}

void UserDefaults::setValue(const QString& key, const QVariant& value)
{
    store().setValue(key, value);
}

void UserDefaults::removeValue(const QString& key)
{
    store().remove(key);
}

QStringList UserDefaults::knownKeys()
{
    QStringList keys = store().allKeys();
    for (auto it = registeredDefaults().cbegin(); it != registeredDefaults().cend(); ++it)
        if (!keys.contains(it.key()))
            keys.append(it.key());
    keys.sort();
    return keys;
}

bool UserDefaults::sync()
{
    // A settings object keeps its first error for good: after a failure the values move to
    // a fresh object, made once the cause may be gone, so that a later sync can succeed.
    static bool failed = false;
    if (failed) {
        QVariantMap values;
        for (const QString& key : store().allKeys())
            values.insert(key, store().value(key));
        std::unique_ptr<QSettings>& settings = settingsObject();
        settings = std::make_unique<QSettings>(settings->fileName(), QSettings::IniFormat);
        for (const QString& key : settings->allKeys())
            if (!values.contains(key))
                settings->remove(key);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings->setValue(it.key(), it.value());
    }
    store().sync();
    failed = store().status() != QSettings::NoError;
    return !failed;
}

QString UserDefaults::settingsFilePath()
{
    return store().fileName();
}
