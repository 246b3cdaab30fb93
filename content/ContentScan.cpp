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
    // The bar's last two steps are the library's, which the caller opens next.
    m_progress = std::move(scanner.startupController());
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
