#include "content/LevelShotIndex.h"

#include <QDir>

LevelShotIndex::LevelShotIndex(const QString& directory) : m_directory(directory)
{
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString key = name.toLower();
        // Of two files that differ only in case, the first by name wins, always the same one.
        if (!m_pathsByLowerName.contains(key))
            m_pathsByLowerName.insert(key, dir.filePath(name));
    }
}

QString LevelShotIndex::find(const QString& map, const QString& extension) const
{
    return m_pathsByLowerName.value((map + QLatin1Char('.') + extension).toLower());
}
