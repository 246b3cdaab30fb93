#pragma once

#include "content/ArenaScriptParser.h"
#include "content/KZQueueCache.h"
#include "content/LevelShotIndex.h"
#include "content/PakScanner.h"

#include <QHash>
#include <QImage>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>

class ScanInteraction;
class StartupProgress;

// The map database of one mod: its maps in order, their titles, the maps of one game type,
// and their level-shot pictures under the memory policy the user chose. The first library
// of a process also scans the game's paks and rebuilds the databases that need it.
class MapLibrary : private ModDatabaseBuilder
{
public:
    // Opens the library of a mod and makes that mod the current one. interaction is asked
    // for the progress window and the rebuild notice when the scan runs.
    MapLibrary(const QString& mod, ScanInteraction& interaction);
    ~MapLibrary() override;

    // The scan runs in the first library of a process only; tests and tools reset it.
    static bool appLaunchInit();
    static void setAppLaunchInit(bool pending);

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

    // The maps whose scripts could not be parsed, over every mod this library built.
    bool foundUnparsableMaps() const { return m_parser.unparsable().foundUnparsableMaps(); }
    QString unparsableMapsPrintoutTable() const
    {
        return m_parser.unparsable().unparsableMapsPrintoutTable();
    }
    bool saveUnparsableMapsLog() const { return m_parser.unparsable().saveUnparsableMapsLog(); }
    const UnparsableMaps& unparsable() const { return m_parser.unparsable(); }

    // What the scan of this library did (empty when another library ran it).
    const PakScanner::Summary& scanSummary() const { return m_scanSummary; }

    // The image bookkeeping, for tools and tests.
    int numberOfImagesHeld() const { return int(m_mapLibraryImageDict.size()); }
    bool holdsImageFor(const QString& name) const { return m_mapLibraryImageDict.contains(name); }
    const KZQueueCache* mapCache() const { return m_mapCache.get(); }
    const QHash<QString, QString>& mapLibraryPathToImageDict() const
    {
        return m_mapLibraryPathToImageDict;
    }

private:
    void makePlistFromArena(const QString& mod, const QString& dataDir) override;
    void makePlistFromBots(const QString& mod, const QString& dataDir) override;

    void recordCurrentMod();
    void runScanOnce(ScanInteraction& interaction);
    void advanceProgress();
    void readMapDatabase();
    void truncateMapShortnames();
    void setMapsAndTitlesFromPlist();
    void setAppLibraryPathToImageDict();
    bool setMapLibraryImageForMap(const QString& name);
    void setMapLibraryImageDict();
    void setNoMapImageForKey(const QString& name);
    void applyCachePolicy(int method, int cacheSize, const QString& name);

    QString m_mod;
    ArenaScriptParser m_parser;
    std::optional<QVariantList> m_mapLibraryDB;
    QStringList m_mapLibraryKeys;
    std::optional<QStringList> m_mapLibraryKeysForGameType;
    QHash<QString, QString> m_mapLibraryTitleDict;
    QHash<QString, QString> m_mapLibraryPathToImageDict;
    QHash<QString, QImage> m_mapLibraryImageDict;
    std::unique_ptr<KZQueueCache> m_mapCache;
    std::unique_ptr<StartupProgress> m_startupController;
    PakScanner::Summary m_scanSummary;
    bool m_mapLibGlobalListAllMaps = false;
};
