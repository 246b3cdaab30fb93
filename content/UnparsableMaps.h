#pragma once

#include "format/Result.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

// The maps whose script blocks could not be parsed, gathered over every mod a map library
// builds: the names in the order found (duplicates and empty names stay), and per name the
// mod it was found in and the pak that holds it (the last finding wins).
class UnparsableMaps
{
public:
    void addMap(const QString& name, const QString& mod, const QString& pak);

    bool foundUnparsableMaps() const { return !m_unparsableMaps.isEmpty(); }
    const QStringList& unparsableMaps() const { return m_unparsableMaps; }
    const QHash<QString, QString>& unparsableMapModDict() const { return m_modDict; }
    const QHash<QString, QString>& unparsableMapPakDict() const { return m_pakDict; }

    // One line per map, "Map: NAME  Pak: PAK    (Mod: MOD)", or the all-clear sentence.
    QString unparsableMapsPrintoutTable() const;
    // Writes the table into the application's data directory under a dated name; says why
    // when the file could not be written.
    Result<void> saveUnparsableMapsLog() const;
    Result<void> saveUnparsableMapsLog(const QString& directory, const QDateTime& now) const;
    // "UnparsableMaps-2006-05-12 14:03:27 +0200.txt" for that local time and UTC offset.
    static QString logFileName(const QDateTime& now);

private:
    QStringList m_unparsableMaps;
    QHash<QString, QString> m_modDict;
    QHash<QString, QString> m_pakDict;
};
