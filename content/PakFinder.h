#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Tells which pak of a mod holds a map: the first pk3 archive of the mod's directory in the
// game folder, in the pak scan's order, one of whose member names contains the map name
// (case-sensitive, as plain text). The archives are listed in-process; the map name is only
// ever compared, never handed to a program. Each mod's paks are listed once, on the first
// question about that mod, and kept for the life of the finder.
class PakFinder
{
public:
    // Searches the mods of the game directory gameRoot; with none, every map is "Unknown".
    explicit PakFinder(const QString& gameRoot = QString()) : m_gameRoot(gameRoot) {}

    // The pak's path relative to gameRoot/mod, or "Unknown".
    QString findPakWithMap(const QString& map, const QString& mod);

    // The member names of one pk3 archive; empty when it cannot be opened as a zip archive.
    static QStringList pakEntryNames(const QString& pakPath);
    static QString unknownPak() { return QStringLiteral("Unknown"); }

    // How many archives have been listed so far (each is listed once).
    int listedPakCount() const { return m_listedPakCount; }

private:
    struct ModListing
    {
        QStringList paks;         // relative paths, in walk order
        QString names;            // every member name followed by "\n", pak after pak
        QList<qsizetype> pakEnds; // where each pak's names end in `names`
        QHash<QString, QString> answers;
    };
    ModListing listModPaks(const QString& modDir);

    QString m_gameRoot;
    QHash<QString, ModListing> m_listings; // by the mod's directory in the game folder
    int m_listedPakCount = 0;
};
