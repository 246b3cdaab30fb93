#include "content/ContentScan.h"

#include "content/BotScriptParser.h"
#include "content/StartupProgress.h"
#include "format/Logging.h"

ContentScan::ContentScan(const QString& gameRoot, ScanInteraction& interaction)
    : m_gameRoot(gameRoot), m_interaction(interaction), m_parser(gameRoot)
{
}

ContentScan::~ContentScan() = default;

void ContentScan::run()
{
    PakScanner scanner(m_gameRoot, *this, m_interaction);
    scanner.checkAndExtractGamePaks();
    scanner.rebuildArenasPlistFilesIfNeeded();
    m_summary = scanner.summary();
    m_progress = std::move(scanner.startupController());
    if (m_progress)
        m_progress->updateProgressBar();
    if (foundUnparsableMaps())
        qCInfo(lcContent, "%s", qPrintable(unparsableMapsPrintoutTable()));
}

void ContentScan::makePlistFromArena(const QString& mod, const QString& dataDir)
{
    m_parser.makePlistFromArena(mod, dataDir);
}

void ContentScan::makePlistFromBots(const QString& mod, const QString& dataDir)
{
    BotScriptParser::makePlistFromBots(mod, dataDir);
}
