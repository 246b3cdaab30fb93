#include "ctl/ContentCommands.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/VisibleText.h"
#include "content/BotLibrary.h"
#include "content/GameTypes.h"
#include "content/ContentScan.h"
#include "content/MapLibrary.h"
#include "content/ModSupport.h"
#include "format/PlistReader.h"
#include "ctl/StderrScanInteraction.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

// What a database holds as the maps and bots commands list it: its dictionaries that give
// the key a name. Entries without one are not counted (a script of empty blocks is no
// collection of bots).
int countNamed(const QString& plistPath, const QString& key)
{
    const PlistReader::Result result = PlistReader::parseFile(plistPath);
    if (!result.ok())
        return 0;
    int count = 0;
    for (const QVariant& entry : result.value.toList()) {
        const QVariant name = entry.toMap().value(key);
        if (name.typeId() == QMetaType::QString && !name.toString().isEmpty())
            ++count;
    }
    return count;
}

} // namespace

std::unique_ptr<MapLibrary> ContentCommands::openLibrary(const QString& mod)
{
    return std::make_unique<MapLibrary>(GamePaths(GameDirectory::settle(), mod));
}

bool ContentCommands::knownMod(const QString& mod, CtlIo& io)
{
    const ModSupport modDB;
    if (modDB.foundMods().contains(mod))
        return true;
    io.err << "voranthctl: no map database for the mod '" << VisibleText::escaped(mod) << "'";
    if (!modDB.foundMods().isEmpty())
        io.err << " (known: " << modDB.foundMods().join(QStringLiteral(", ")) << ")";
    io.err << '\n';
    return false;
}

namespace {

// The library of the mod (the default mod when none is named); none, with a message, for a
// mod without a database.
std::unique_ptr<MapLibrary> openModLibrary(QString& mod, CtlIo& io)
{
    if (mod.isEmpty())
        mod = CommonData::qGameDefaultModDir();
    std::unique_ptr<MapLibrary> library = ContentCommands::openLibrary(mod);
    if (!ContentCommands::knownMod(mod, io))
        return nullptr;
    return library;
}

} // namespace

void ContentCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("scan"), QStringLiteral("[--game-dir DIR]"),
                     QStringLiteral("scan the game's paks and build the map and bot databases"),
                     &scan});
    commands.append({QStringLiteral("maps"),
                     QStringLiteral("[--mod M] [--game-type NAME] [--json]"),
                     QStringLiteral("a mod's maps: name, title and level-shot file"), &maps});
    commands.append({QStringLiteral("bots"), QStringLiteral("[--mod M] [--json]"),
                     QStringLiteral("a mod's bots"), &bots});
}

int ContentCommands::scan(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const QString gameDir = arguments.takeOption(QStringLiteral("--game-dir"), ok);
    if (!ok || !arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl scan [--game-dir DIR]\n";
        return CtlUsageError;
    }
    if (!gameDir.isEmpty()) {
        if (!GameDirectory::isValid(gameDir)) {
            io.err << "voranthctl: " << gameDir << " is not a game directory: it should at least "
                   << "contain the '" << CommonData::qGameDefaultModDir() << "' directory\n";
            return CtlRefused;
        }
        GameDirectory::choose(gameDir);
    }
    const QString gameRoot = GameDirectory::settle();
    if (gameRoot.isEmpty()) {
        io.err << "voranthctl: the game directory is not known; name it with --game-dir DIR\n";
        return CtlRefused;
    }
    StderrScanInteraction interaction(io.err);
    ContentScan library(gameRoot, interaction);
    library.run();
    library.closeProgress();
    const PakScanner::Summary& summary = library.summary();

    QList<QStringList> rows{{QStringLiteral("MOD"), QStringLiteral("MAPS"), QStringLiteral("BOTS"),
                             QStringLiteral("EXTRACTED")}};
    for (const QString& mod : summary.modsFound) {
        const QString dir = CommonData::appSupportQ3VXDir() + QLatin1Char('/') + mod;
        rows.append(
            {mod,
             QString::number(countNamed(dir + QStringLiteral("/VOArenas.plist"),
                                        QStringLiteral("map"))),
             QString::number(countNamed(dir + QStringLiteral("/VOBots.plist"),
                                        QStringLiteral("name"))),
             summary.modsExtracted.contains(mod) ? QStringLiteral("yes") : QStringLiteral("no")});
    }
    printColumns(rows, io.out);
    io.out << summary.modsFound.size() << " mods, " << summary.paksExtracted << " paks extracted, "
           << library.unparsable().unparsableMaps().size() << " maps could not be parsed\n";
    const UnparsableMaps& unparsable = library.unparsable();
    for (const QString& name : unparsable.unparsableMaps())
        io.out << "Map: " << VisibleText::escaped(name) << "  Pak: "
               << VisibleText::escaped(unparsable.unparsableMapPakDict().value(name))
               << "    (Mod: " << VisibleText::escaped(unparsable.unparsableMapModDict().value(name))
               << ")\n";
    for (const QString& problem : summary.problems)
        io.err << VisibleText::escaped(problem) << '\n';
    return CtlOk;
}

int ContentCommands::maps(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    QString mod = arguments.takeOption(QStringLiteral("--mod"), ok);
    const QString gameType = arguments.takeOption(QStringLiteral("--game-type"), ok);
    if (!ok || !arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl maps [--mod M] [--game-type NAME] [--json]\n";
        return CtlUsageError;
    }
    std::unique_ptr<MapLibrary> library = openModLibrary(mod, io);
    if (!library)
        return CtlRefused;
    QString shortName = QStringLiteral("all");
    if (!gameType.isEmpty()) {
        const ModSupport modDB;
        const GameTypes* types = modDB.gameTypesForMod(mod);
        if (!types || !types->gametypeNames().contains(gameType)) {
            io.err << "voranthctl: '" << VisibleText::escaped(gameType) << "' is no game type of "
                   << VisibleText::escaped(mod)
                   << " (voranthctl gametypes --mod " << mod << " lists them)\n";
            return CtlRefused;
        }
        shortName = types->gametypeShortnameForLongname(gameType);
    }
    const QStringList names = library->mapsOfGameType(shortName);
    QList<QStringList> rows;
    QJsonArray array;
    for (const QString& name : names) {
        const QString shot = library->mapLibraryPathToImageDict().value(name);
        rows.append(
            {name, library->mapTitleForMap(name), shot.isEmpty() ? QStringLiteral("-") : shot});
        array.append(QJsonObject{{QStringLiteral("map"), name},
                                 {QStringLiteral("title"), library->mapTitleForMap(name)},
                                 {QStringLiteral("levelshot"), shot}});
    }
    if (json)
        io.out << QJsonDocument(array).toJson();
    else
        printColumns(rows, io.out);
    return CtlOk;
}

int ContentCommands::bots(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    QString mod = arguments.takeOption(QStringLiteral("--mod"), ok);
    if (!ok || !arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl bots [--mod M] [--json]\n";
        return CtlUsageError;
    }
    const std::unique_ptr<MapLibrary> library = openModLibrary(mod, io);
    if (!library)
        return CtlRefused;
    const BotLibrary bots(library->paths());
    if (json) {
        io.out << QJsonDocument(QJsonArray::fromStringList(bots.names())).toJson();
        return CtlOk;
    }
    for (const QString& name : bots.names())
        io.out << VisibleText::escaped(name) << '\n';
    return CtlOk;
}
