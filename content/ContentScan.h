#pragma once

#include "content/ArenaScriptParser.h"
#include "content/PakScanner.h"

#include <QString>

#include <memory>

class ScanInteraction;
class StartupProgress;

// The scan of a game directory that a start runs once, before any map library is opened:
// extracts what changed from every mod's paks and rebuilds the map and bot databases that
// need it, recording the maps whose scripts could not be parsed.
class ContentScan : private ModDatabaseBuilder
{
public:
    // interaction is asked for the progress window and the rebuild notice.
    ContentScan(const QString& gameRoot, ScanInteraction& interaction);
    ~ContentScan() override;

    void run();

    const PakScanner::Summary& summary() const { return m_summary; }
    const UnparsableMaps& unparsable() const { return m_parser.unparsable(); }
    bool foundUnparsableMaps() const { return unparsable().foundUnparsableMaps(); }
    QString unparsableMapsPrintoutTable() const
    {
        return unparsable().unparsableMapsPrintoutTable();
    }
    Result<void> saveUnparsableMapsLog() const { return unparsable().saveUnparsableMapsLog(); }

    // The progress window the scan showed, or none; the library opened next moves it on.
    StartupProgress* progress() const { return m_progress.get(); }
    void closeProgress() { m_progress.reset(); }

private:
    void makePlistFromArena(const QString& mod, const QString& dataDir) override;
    void makePlistFromBots(const QString& mod, const QString& dataDir) override;

    QString m_gameRoot;
    ScanInteraction& m_interaction;
    ArenaScriptParser m_parser;
    PakScanner::Summary m_summary;
    std::unique_ptr<StartupProgress> m_progress;
};
