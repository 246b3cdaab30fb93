#pragma once

#include <QString>
#include <QStringList>

// The user-visible texts, looked up by key in one of the named tables ("VOCommon",
// "RconComm", "Maps") compiled in as resources; the built-in default is used when the
// table has no entry for the key.
class StringTable
{
public:
    static QString text(const QString& table, const QString& key, const QString& defaultText);
    // The text with its "%@" placeholders filled by the values, in order, in one pass (a value
    // holding "%@" stays as it is).
    static QString text(const QString& table, const QString& key, const QString& defaultText,
                        const QStringList& values);
    static QString filled(const QString& format, const QStringList& values);
    // Whether the table holds the key (tests and tools).
    static bool contains(const QString& table, const QString& key);
};

// Shorthands for the three tables.
inline QString voCommonText(const QString& key, const QString& defaultText,
                            const QStringList& values = {})
{
    return StringTable::text(QStringLiteral("VOCommon"), key, defaultText, values);
}
inline QString rconCommText(const QString& key, const QString& defaultText,
                            const QStringList& values = {})
{
    return StringTable::text(QStringLiteral("RconComm"), key, defaultText, values);
}
inline QString mapsText(const QString& key, const QString& defaultText,
                        const QStringList& values = {})
{
    return StringTable::text(QStringLiteral("Maps"), key, defaultText, values);
}
