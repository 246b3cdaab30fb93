#pragma once

#include <QHash>
#include <QString>

// The level-shot files of one directory, found by name without regard to letter case (the
// game's archives were made on file systems that ignore it). The directory is listed once.
class LevelShotIndex
{
public:
    explicit LevelShotIndex(const QString& directory);
    // The path of the file "<map>.<extension>" in any letter case; empty when there is none.
    QString find(const QString& map, const QString& extension) const;
    const QString& directory() const { return m_directory; }

private:
    QString m_directory;
    QHash<QString, QString> m_pathsByLowerName;
};
