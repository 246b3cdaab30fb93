#include "content/PakScanner.h"

#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "format/AtomicFile.h"
#include "format/PlistReader.h"
#include "content/ScanInteraction.h"
#include "format/Logging.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

const QString arenasFile = QStringLiteral("VOArenas.plist");
const QString botsFile = QStringLiteral("VOBots.plist");
const QString storeFile = QStringLiteral("ServerConfigs.kzvr");
const QString skippedPak = QStringLiteral("half-RUCAB.pk3");

QStringList sortedModDirectories(const QString& gameRoot)
{
    QStringList mods;
    if (gameRoot.isEmpty())
        return mods;
    const QDir root(gameRoot);
    const QStringList entries =
        root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries)
        if (PakScanner::isModDirectory(root.filePath(entry)))
            mods.append(entry);
    return mods;
}

bool removeDirectory(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QFile::remove(path);
    return QDir(path).removeRecursively();
}

} // namespace

const QStringList& PakScanner::oldVersionsNeedingRebuild()
{
    static const QStringList versions = {QStringLiteral("1.0"), QStringLiteral("1.0.1"),
                                         QStringLiteral("1.0.2"), QStringLiteral("1.0.3"),
                                         QStringLiteral("1.0.4")};
    return versions;
}

PakScanner::PakScanner(const QString& gameRoot, ModDatabaseBuilder& builder,
                       ScanInteraction& interaction, PakExtractor extractor, qint64 scriptBudget)
    : m_gameRoot(gameRoot), m_builder(builder), m_interaction(interaction), m_extractor(extractor),
      m_scriptBudget(scriptBudget)
{}

QVariantMap PakScanner::paksInfo()
{
    return UserDefaults::dictionaryValue(KZXGamePaksInfoKey);
}

bool PakScanner::hasPaksInfo()
{
    return UserDefaults::value(KZXGamePaksInfoKey).isValid();
}

void PakScanner::setPaksInfo(const QVariantMap& info)
{
    UserDefaults::setValue(KZXGamePaksInfoKey, info);
}

void PakScanner::deletePaksInfo()
{
    UserDefaults::removeValue(KZXGamePaksInfoKey);
}

QString PakScanner::paksInfoVersion()
{
    return UserDefaults::stringValue(KZXPaksInfoVersion);
}

void PakScanner::setPaksInfoVersion(const QString& version)
{
    UserDefaults::setValue(KZXPaksInfoVersion, version);
}

bool PakScanner::paksInfoNeedsRebuild(const QStringList& oldVersions) const
{
    if (!hasPaksInfo())
        return false;
    if (!UserDefaults::value(KZXPaksInfoVersion).isValid())
        return true;
    const QString recorded = paksInfoVersion();
    if (recorded == CommonData::applicationVersion())
        return false;
    return oldVersions.contains(recorded);
}

bool PakScanner::isModDirectory(const QString& path)
{
    if (QFileInfo(path + QStringLiteral("/pak0.pk3")).isFile())
        return true;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().suffix() == QLatin1String("pk3"))
            return true;
    }
    return false;
}

QStringList PakScanner::paksOfMod(const QString& modPath)
{
    QStringList paks;
    const QDir mod(modPath);
    QDirIterator it(modPath, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().suffix().toLower() == QLatin1String("pk3"))
            paks.append(mod.relativeFilePath(it.filePath()));
    }
    paks.sort();
    return paks;
}

PakScanner::ModScan PakScanner::scanMod(const QString& mod, const QVariantMap& recorded,
                                        QVariantMap& record) const
{
    ModScan scan;
    scan.name = mod;
    scan.dataDir = CommonData::appSupportQ3VXDir() + QLatin1Char('/') + mod;
    if (!QFileInfo(scan.dataDir).isDir())
        QDir().mkpath(scan.dataDir);

    const QString modPath = m_gameRoot + QLatin1Char('/') + mod;
    const QVariantMap recordedPaks = recorded.value(mod).toMap();
    QVariantMap paks;
    for (const QString& pak : paksOfMod(modPath)) {
        scan.paks.append(pak);
        const QDateTime date = QFileInfo(modPath + QLatin1Char('/') + pak).lastModified();
        const QVariant known = recordedPaks.value(pak);
        if (known.isValid() && known.toDateTime() == date) {
            paks.insert(pak, known);
        } else {
            paks.insert(pak, date);
            scan.changed = true;
        }
    }
    record.insert(mod, paks);

    if (scan.changed && QFileInfo(scan.dataDir).isDir() && !removeDirectory(scan.dataDir))
        qCWarning(lcContent, "- Alert! Could not remove dir: %s", qPrintable(scan.dataDir));
    const QStringList listing = QDir(scan.dataDir).entryList(QDir::Files);
    if (!listing.contains(arenasFile) || !listing.contains(botsFile))
        scan.changed = true;
    return scan;
}

void PakScanner::showRebuildNotice()
{
    m_interaction.showNotice(
        mapsText(QStringLiteral("VODatabaseNeedsRebuildTitle"),
                 QStringLiteral("Voranth now at version %@!"), {CommonData::applicationVersion()}),
        mapsText(QStringLiteral("VODatabaseNeedsRebuildMsg"),
                 QStringLiteral("Voranth needs to recreate its map & bot database for this "
                                "update. This procedure will not be needed next time you start "
                                "Voranth.")));
}

void PakScanner::checkAndExtractGamePaks()
{
    m_summary = Summary();
    DataDirectory::prepare();

    if (paksInfoNeedsRebuild(oldVersionsNeedingRebuild())) {
        m_summary.fullRebuild = true;
        showRebuildNotice();
        deletePaksInfo();
        checkRemoveObsoleteAppSupportModDir();
    }
    // Values equal to the stored ones are not set again: an unchanged start then leaves the
    // settings file alone instead of rewriting and flushing it.
    if (!UserDefaults::hasUserValue(KZXPaksInfoVersion) ||
        paksInfoVersion() != CommonData::applicationVersion())
        setPaksInfoVersion(CommonData::applicationVersion());

    const QVariantMap recorded = paksInfo();
    QVariantMap record;
    QList<ModScan> mods;
    QList<ModScan> toExtract;
    int totalPaks = 0;
    for (const QString& mod : sortedModDirectories(m_gameRoot)) {
        ModScan scan = scanMod(mod, recorded, record);
        m_summary.modsFound.append(mod);
        if (scan.changed) {
            toExtract.append(scan);
            totalPaks += int(scan.paks.size());
        }
        mods.append(scan);
    }
    if (!hasPaksInfo() || record != recorded)
        setPaksInfo(record);
    UserDefaults::sync();
    checkRemoveObsoleteAppSupportModDir();

    if (!toExtract.isEmpty())
        extractMods(toExtract, totalPaks);
    buildDatabases(mods, m_summary.modsExtracted);
}

void PakScanner::extractMods(const QList<ModScan>& toExtract, int totalPaks)
{
    if (!m_startupController)
        m_startupController = m_interaction.makeProgress();
    m_startupController->setProgressBarDelta(100.0 / (totalPaks + 2));
    m_startupController->show();

    const QString& gameRoot = m_gameRoot;
    for (const ModScan& mod : toExtract) {
        m_summary.modsExtracted.append(mod.name);
        QDir().mkpath(mod.dataDir);
        PakExtractor::removeLeftoverParts(mod.dataDir);
        ScriptBudget budget(m_scriptBudget);
        for (const QString& pak : mod.paks) {
            m_startupController->updateProgressBar();
            if (pak == skippedPak)
                continue;
            const QString pakPath = gameRoot + QLatin1Char('/') + mod.name + QLatin1Char('/') + pak;
            ++m_summary.paksExtracted;
            try {
                const PakExtractor::Report report = m_extractor.extract(pakPath, mod.dataDir, &budget);
                for (const QString& problem : report.problems)
                    qCWarning(lcContent, "%s", qPrintable(problem));
                m_summary.problems += report.problems;
            } catch (const std::exception& e) {
                noteFailure(QStringLiteral("%1: extraction stopped: %2")
                                .arg(pakPath, QString::fromLocal8Bit(e.what())));
            }
        }
    }
    m_startupController->setStartupInfoField(
        mapsText(QStringLiteral("BuildingMapDBInfo"),
                 QStringLiteral("Building map database ... please wait")));
}

void PakScanner::buildDatabases(const QList<ModScan>& mods, const QStringList& extracted)
{
    for (const ModScan& mod : mods) {
        // A mod whose paks yielded nothing still gets its (empty) databases.
        QDir().mkpath(mod.dataDir);
        const bool wasExtracted = extracted.contains(mod.name);
        const QString arenas = mod.dataDir + QLatin1Char('/') + arenasFile;
        const QString bots = mod.dataDir + QLatin1Char('/') + botsFile;
        if (wasExtracted || !QFileInfo::exists(arenas))
            buildDatabase(arenas, [&] { m_builder.makePlistFromArena(mod.name, mod.dataDir); });
        if (wasExtracted || !QFileInfo::exists(bots))
            buildDatabase(bots, [&] { m_builder.makePlistFromBots(mod.name, mod.dataDir); });
    }
}

void PakScanner::buildDatabase(const QString& path, const std::function<void()>& build)
{
    try {
        build();
    } catch (const std::exception& e) {
        // An empty database in its place: the next start finds it and does not try again
        // (and fail again) until the mod's paks change.
        AtomicFile::write(path, "(\n)\n");
        noteFailure(QStringLiteral("%1 could not be built (%2); it is left empty")
                        .arg(path, QString::fromLocal8Bit(e.what())));
    }
}

void PakScanner::noteFailure(const QString& problem)
{
    qWarning("%s", qPrintable(problem));
    m_summary.problems.append(problem);
}

void PakScanner::rebuildArenasPlistFilesIfNeeded()
{
    const QVariantMap record = paksInfo();
    for (auto it = record.cbegin(); it != record.cend(); ++it) {
        const QString dataDir = CommonData::appSupportQ3VXDir() + QLatin1Char('/') + it.key();
        const QString path = dataDir + QLatin1Char('/') + arenasFile;
        const PlistReader::Result arenas = PlistReader::parseFile(path);
        if (!arenas.ok() || arenas.value.typeId() != QMetaType::QVariantList)
            buildDatabase(path, [&] { m_builder.makePlistFromArena(it.key(), dataDir); });
    }
}

void PakScanner::checkRemoveObsoleteAppSupportModDir()
{
    const QString supportDir = CommonData::appSupportQ3VXDir();
    if (!QFileInfo(supportDir).isDir())
        return;
    const QVariantMap record = paksInfo();
    const QDir dir(supportDir);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name == storeFile || record.contains(name) || CommonData::isOwnDataDirectory(name))
            continue;
        if (entry.isSymLink() || entry.isDir())
            removeDirectory(entry.filePath());
    }
}
