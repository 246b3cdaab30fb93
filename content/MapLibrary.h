#pragma once

#include "config/GamePaths.h"
#include "content/KZQueueCache.h"
#include "content/LevelShotIndex.h"

#include <QHash>
#include <QImage>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>

class StartupProgress;

// The map database of one mod: its maps in order, their titles and map types, and their
// level-shot pictures under the memory policy the user chose. Opening a library
// only reads the databases a scan (ContentScan) built.
class MapLibrary
{
public:
    // Opens the library of a mod; a progress window, when given, is moved on while the
    // databases are read and left full.
    explicit MapLibrary(const GamePaths& paths, StartupProgress* progress = nullptr);
    ~MapLibrary();

    const GamePaths& paths() const { return m_paths; }
    const QString& mod() const { return m_mod; }
    const std::optional<QVariantList>& mapLibraryDB() const { return m_mapLibraryDB; }
    const QStringList& mapLibraryKeys() const { return m_mapLibraryKeys; }
    QString map(int index) const;
    QString mapTitle(int index) const;
    QImage mapImage(int index);
    // The title of a map, or " - " for a map the library does not know.
    QString mapTitleForMap(const QString& name) const;
    // The picture of a map under the loading method of the moment; the placeholder for
    // a map without one (and for no name at all, then not kept).
    QImage mapImageForMap(const QString& name);
    // The first map whose name contains the name the server reports.
    std::optional<QString> mapDBNameForServerMap(const QString& serverMap) const;

    // The map types of the entry of a map ("ffa tourney", say); empty when it names none.
    QString mapTypes(int index) const;
    // The maps of a game type's short name, in entry order ("all": every map).
    QStringList mapsOfGameType(const QString& shortName) const;
    // Whether an entry of those map types belongs to the game type of that short name: "all"
    // takes every entry, another name an entry whose types contain it ("ctf" is in "1fctf").
    static bool mapTypesMatch(const QString& mapTypes, const QString& shortName);

    static bool modMapsIsBaseQ3Mergable(const QString& mod);
    static QString truncatedMapName(const QString& name);
    static QString unknownMapMarker() { return QStringLiteral(" - "); }
    static QImage placeholderImage();

    // The image bookkeeping, for tools and tests.
    int numberOfImagesHeld() const { return int(m_mapLibraryImageDict.size()); }
    bool holdsImageFor(const QString& name) const { return m_mapLibraryImageDict.contains(name); }
    const KZQueueCache* mapCache() const { return m_mapCache.get(); }
    const QHash<QString, QString>& mapLibraryPathToImageDict() const
    {
        return m_mapLibraryPathToImageDict;
    }

private:
    void readMapDatabase();
    void truncateMapShortnames();
    void setMapsAndTitlesFromPlist();
    void setAppLibraryPathToImageDict();
    bool setMapLibraryImageForMap(const QString& name);
    void setMapLibraryImageDict();
    void setNoMapImageForKey(const QString& name);
    void applyCachePolicy(int method, int cacheSize, const QString& name);

    GamePaths m_paths;
    QString m_mod;
    std::optional<QVariantList> m_mapLibraryDB;
    QStringList m_mapLibraryKeys;
    QStringList m_mapLibraryTypes; // beside m_mapLibraryKeys
    QHash<QString, QString> m_mapLibraryTitleDict;
    QHash<QString, QString> m_mapLibraryPathToImageDict;
    QHash<QString, QImage> m_mapLibraryImageDict;
    std::unique_ptr<KZQueueCache> m_mapCache;
};
