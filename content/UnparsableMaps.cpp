#include "content/UnparsableMaps.h"

#include "config/CommonData.h"
#include "format/AtomicFile.h"

#include <QDir>

#include <cstdlib>

void UnparsableMaps::addMap(const QString& name, const QString& mod, const QString& pak)
{
    m_unparsableMaps.append(name);
    m_modDict.insert(name, mod);
    m_pakDict.insert(name, pak);
}

QString UnparsableMaps::unparsableMapsPrintoutTable() const
{
    if (m_unparsableMaps.isEmpty())
        return QStringLiteral("All maps were successfully parsed.");
    QString table;
    for (const QString& name : m_unparsableMaps) {
        table += QStringLiteral("Map: %1  Pak: %2    (Mod: %3)\n")
                     .arg(name, m_pakDict.value(name), m_modDict.value(name));
    }
    return table;
}

QString UnparsableMaps::logFileName(const QDateTime& now)
{
    const int offsetMinutes = now.offsetFromUtc() / 60;
    const int magnitude = std::abs(offsetMinutes);
    const QString offset = QStringLiteral("%1%2%3")
                               .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
                               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("UnparsableMaps-%1 %2.txt")
        .arg(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), offset);
}

Result<void> UnparsableMaps::saveUnparsableMapsLog() const
{
    return saveUnparsableMapsLog(CommonData::appSupportQ3VXDir(), QDateTime::currentDateTime());
}

Result<void> UnparsableMaps::saveUnparsableMapsLog(const QString& directory,
                                                   const QDateTime& now) const
{
    if (const Result<void> made = AtomicFile::makeDirectories(directory); !made.ok())
        return made;
    return AtomicFile::write(directory + QLatin1Char('/') + logFileName(now),
                             unparsableMapsPrintoutTable().toUtf8());
}
