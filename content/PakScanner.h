#pragma once

#include "content/PakExtractor.h"
#include "content/ScriptBudget.h"

#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>

class ScanInteraction;
class StartupProgress;

// Builds the two databases of one mod from its extracted scripts.
class ModDatabaseBuilder
{
public:
    virtual ~ModDatabaseBuilder() = default;
    virtual void makePlistFromArena(const QString& mod, const QString& dataDir) = 0;
    virtual void makePlistFromBots(const QString& mod, const QString& dataDir) = 0;
};

// The scan of the game directory: finds the mods, compares their paks with the record of
// the previous run, extracts what changed into each mod's data directory and has the mod's
// map and bot databases rebuilt.
class PakScanner
{
public:
    // Versions whose databases must be rebuilt after an update.
    static const QStringList& oldVersionsNeedingRebuild();

    struct Summary
    {
        QStringList modsFound;
        QStringList modsExtracted;
        int paksExtracted = 0; // paks whose members were extracted (or tried)
        bool fullRebuild = false;
        QStringList problems; // damaged paks and skipped members
    };

    // Scans the mods of the game directory gameRoot; scriptBudget bounds what each mod's
    // extracted scripts may come to (see ScriptBudget).
    PakScanner(const QString& gameRoot, ModDatabaseBuilder& builder,
               ScanInteraction& interaction, PakExtractor extractor = PakExtractor(),
               qint64 scriptBudget = ScriptBudget::defaultModTotal);

    void checkAndExtractGamePaks();
    void rebuildArenasPlistFilesIfNeeded();
    bool paksInfoNeedsRebuild(const QStringList& oldVersions) const;
    void checkRemoveObsoleteAppSupportModDir();

    // The record of the previous scan, kept in the user settings.
    static QVariantMap paksInfo();
    static bool hasPaksInfo();
    static void setPaksInfo(const QVariantMap& info);
    static void deletePaksInfo();
    static QString paksInfoVersion();
    static void setPaksInfoVersion(const QString& version);

    // Whether a directory of the game folder is a mod (it holds pak0.pk3 or any *.pk3).
    static bool isModDirectory(const QString& path);
    // The paks of a mod, relative to its directory, in walk order (sorted by path).
    static QStringList paksOfMod(const QString& modPath);

    const Summary& summary() const { return m_summary; }
    // The progress window, when the scan made one; whoever reads the databases next
    // completes it.
    std::unique_ptr<StartupProgress>& startupController() { return m_startupController; }

private:
    struct ModScan
    {
        QString name;
        QString dataDir;
        QStringList paks;
        bool changed = false;
    };

    ModScan scanMod(const QString& mod, const QVariantMap& recorded, QVariantMap& record) const;
    void showRebuildNotice();
    void extractMods(const QList<ModScan>& toExtract, int totalPaks);
    void buildDatabases(const QList<ModScan>& mods, const QStringList& extracted);
    // Runs build; a build that fails (out of memory, say) leaves an empty database at path.
    void buildDatabase(const QString& path, const std::function<void()>& build);
    void noteFailure(const QString& problem);

    QString m_gameRoot;
    ModDatabaseBuilder& m_builder;
    ScanInteraction& m_interaction;
    PakExtractor m_extractor;
    qint64 m_scriptBudget;
    Summary m_summary;
    std::unique_ptr<StartupProgress> m_startupController;
};
