#pragma once

#include "format/Result.h"

#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// The per-user settings store: values the user set, over built-in defaults that are held in
// memory and never written. Kept in $XDG_CONFIG_HOME/Voranth/Voranth.conf in QSettings' INI
// form (SettingsFile).
class UserDefaults
{
public:
    enum class Type
    {
        Boolean,
        Integer,
        String,
        StringList,
        Dictionary
    };
    // Every key of the settings table with its type, in the table's order.
    static const QList<QPair<QString, Type>>& keyTypes();
    static std::optional<Type> typeOf(const QString& key);
    // Converts text typed by a user to a value of the key's type; invalid when it does not fit.
    static QVariant valueFromText(Type type, const QStringList& text);

    // Installs the built-in defaults; repeating it changes nothing.
    static void registerDefaults();
    static const QVariantMap& builtInDefaults();

    // The user's value, else the built-in default, else an invalid QVariant.
    static QVariant value(const QString& key);
    static bool boolValue(const QString& key);
    static int intValue(const QString& key);
    static QString stringValue(const QString& key);
    static QStringList stringListValue(const QString& key);
    static QVariantMap dictionaryValue(const QString& key);

    static bool hasUserValue(const QString& key);
    static void setValue(const QString& key, const QVariant& value);
    static void removeValue(const QString& key);
    // Keys with a built-in default or a stored value, sorted.
    static QStringList knownKeys();
    // Writes the changes made since the last sync over what the file holds now (values other
    // programs wrote stay unless changed here); without changes, reads what others wrote.
    // When the file cannot be written, says why and keeps the changes for the next sync.
    static Result<void> sync();
    static QString settingsFilePath();
};
