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

// The map database of one mod: its maps in order, their titles, the maps of one game type,
// and their level-shot pictures under the memory policy the user chose. Opening a library
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

    // Filters the maps by a game type's short name, or "all".
    void setMapLibraryKeysWithGameType(const QString& shortName);
    const std::optional<QStringList>& mapLibraryKeysWithGameType() const
    {
        return m_mapLibraryKeysForGameType;
    }
    QString mapWithGameType(int index) const;
    std::optional<QImage> mapImageWithGameType(int index);
    QString mapTitleWithGameType(int index) const;

    bool mapLibGlobalListAllMaps() const { return m_mapLibGlobalListAllMaps; }
    void setMapLibGlobalListAllMaps(bool on) { m_mapLibGlobalListAllMaps = on; }

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
    std::optional<QStringList> m_mapLibraryKeysForGameType;
    QHash<QString, QString> m_mapLibraryTitleDict;
    QHash<QString, QString> m_mapLibraryPathToImageDict;
    QHash<QString, QImage> m_mapLibraryImageDict;
    std::unique_ptr<KZQueueCache> m_mapCache;
    bool m_mapLibGlobalListAllMaps = false;
};
