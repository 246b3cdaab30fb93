#include "ctl/ConfigCommands.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/MapLibrary.h"
#include "content/ModSupport.h"
#include "ctl/ConfigFieldSetter.h"
#include "ctl/ContentCommands.h"
#include "ctl/StoreAccess.h"
#include "server/ConfigFiles.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

int usage(CtlIo& io, const char* command, const char* arguments)
{
    io.err << "usage: voranthctl " << command << ' ' << arguments << '\n';
    return CtlUsageError;
}

int refuseTakenName(CtlIo& io, const QString& name, const ServerConfig& existing)
{
    io.err << "voranthctl: Server config name: '" << name
           << "' already exists (with mod: " << existing.modName()
           << "). Please find a unique name.\n";
    return CtlRefused;
}

// Whether the server Voranth started runs (or is starting) with this configuration.
bool isRunning(const QString& name)
{
    const std::optional<RunningServer::Record> running = ServerLauncher::runningServer();
    return running && running->config.configName() == name;
}

// The server configuration files are written for the mod of the record.
ConfigFiles configFilesForMod(const QString& mod)
{
    return ConfigFiles(GamePaths(GameDirectory::settle(), mod));
}

// The index of the game type named name in the mod's table, with a message when there is none.
std::optional<qsizetype> gameTypeIndex(const ModSupport& modDB, const QString& mod,
                                       const QString& name, CtlIo& io)
{
    const GameTypes* types = modDB.gameTypesForMod(mod);
    if (!types) {
        io.err << "voranthctl: the mod '" << mod
               << "' has no map database (voranthctl scan builds them, voranthctl mods lists "
                  "them)\n";
        return std::nullopt;
    }
    const qsizetype index = types->gametypeNames().indexOf(name);
    if (index < 0) {
        io.err << "voranthctl: '" << name << "' is no game type of " << mod
               << "; its game types are: " << types->gametypeNames().join(QStringLiteral(", "))
               << '\n';
        return std::nullopt;
    }
    return index;
}

// A new configuration as the store makes it: the defaults, the game type and its limits,
// the password the settings ask for and PunkBuster as the settings say.
ServerConfig newRecord(const QString& name, const QString& mod, const QString& gameType,
                       int gameTypeNumber, const ModSupport& modDB)
{
    ServerConfig record;
    record.setConfigName(name);
    record.setModName(mod);
    record.setGameType(gameTypeNumber);
    record.setGameTypeString(gameType);
    record.setFragLimit(modDB.defaultValueForLimit(QStringLiteral("fraglimit"), gameType, mod));
    record.setTimeLimit(modDB.defaultValueForLimit(QStringLiteral("timelimit"), gameType, mod));
    record.setCaptureLimit(
        modDB.defaultValueForLimit(QStringLiteral("capturelimit"), gameType, mod));
    record.setMaxPlayers(modDB.defaultValueForLimit(QStringLiteral("maxplayers"), gameType, mod));
    record.setRconPasswordAccordingToPrefs(QString());
    if (UserDefaults::boolValue(KZXEnablePunkBusterByDefaultKey))
        record.setPunkBusterEnabled(true);
    return record;
}

// Positions typed by the user: whole numbers from 0; none when one does not parse.
std::optional<QList<qsizetype>> parsedPositions(const QStringList& texts, CtlIo& io)
{
    QList<qsizetype> positions;
    for (const QString& text : texts) {
        bool ok = false;
        const qlonglong position = text.toLongLong(&ok);
        if (!ok || position < 0) {
            io.err << "voranthctl: '" << text
                   << "' is no position in the map list (0 is the first map)\n";
            return std::nullopt;
        }
        positions.append(qsizetype(position));
    }
    return positions;
}

} // namespace

void ConfigCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("configs"), QStringLiteral("[--mod M] [--json]"),
                     QStringLiteral("the server configurations, with mod and game type"),
                     &configs});
    commands.append({QStringLiteral("show"), QStringLiteral("NAME"),
                     QStringLiteral("the server configuration file a start would write"), &show});
    commands.append({QStringLiteral("new"), QStringLiteral("NAME --game-type NAME [--mod M]"),
                     QStringLiteral("a new configuration with the game type's limits"),
                     &newConfig});
    commands.append({QStringLiteral("duplicate"), QStringLiteral("NAME"),
                     QStringLiteral("a copy under the next free numbered name, printed"),
                     &duplicate});
    commands.append({QStringLiteral("rename"), QStringLiteral("OLD NEW"),
                     QStringLiteral("gives a configuration another name"), &rename});
    commands.append({QStringLiteral("delete"), QStringLiteral("NAME"),
                     QStringLiteral("removes a configuration and its server file"), &deleteConfig});
    commands.append({QStringLiteral("set-field"), QStringLiteral("NAME FIELD VALUE"),
                     QStringLiteral("changes one field (fragLimit, netPort, serverName, ...)"),
                     &setField});
    commands.append({QStringLiteral("add-maps"), QStringLiteral("NAME MAP..."),
                     QStringLiteral("appends maps of the mod's library to the map list"),
                     &addMaps});
    commands.append({QStringLiteral("remove-maps"), QStringLiteral("NAME INDEX..."),
                     QStringLiteral("removes map-list entries by position (0 is the first)"),
                     &removeMaps});
}

int ConfigCommands::configs(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    const QString mod = arguments.takeOption(QStringLiteral("--mod"), ok);
    if (!ok || !arguments.rest().isEmpty())
        return usage(io, "configs", "[--mod M] [--json]");
    StoreAccess access(io);
    if (!access.openForReading())
        return CtlRefused;
    QList<QStringList> rows;
    QJsonArray array;
    for (const QString& name : access.store().sortedKeysCaseInsensitive()) {
        const ServerConfig& record = *access.store().find(name);
        if (!mod.isEmpty() && record.modName() != mod)
            continue;
        rows.append({name, record.modName(), record.gameTypeString()});
        array.append(QJsonObject{{QStringLiteral("name"), name},
                                 {QStringLiteral("mod"), record.modName()},
                                 {QStringLiteral("gameType"), record.gameTypeString()},
                                 {QStringLiteral("gameTypeNumber"), record.gameType()}});
    }
    if (json)
        io.out << QJsonDocument(array).toJson();
    else
        printColumns(rows, io.out);
    return CtlOk;
}

int ConfigCommands::show(const QStringList& args, CtlIo& io)
{
    if (args.size() != 1)
        return usage(io, "show", "NAME");
    StoreAccess access(io);
    if (!access.openForReading())
        return CtlRefused;
    const ServerConfig* record = access.findOrComplain(args.first());
    if (!record)
        return CtlRefused;
    ConfigFiles files = configFilesForMod(record->modName());
    io.out << QString::fromLatin1(files.configFileContents(*record, true));
    return CtlOk;
}

int ConfigCommands::newConfig(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const QString gameType = arguments.takeOption(QStringLiteral("--game-type"), ok);
    QString mod = arguments.takeOption(QStringLiteral("--mod"), ok);
    if (!ok || gameType.isEmpty() || arguments.rest().size() != 1 ||
        !arguments.firstUnknownOption().isEmpty())
        return usage(io, "new", "NAME --game-type NAME [--mod M]");
    const QString name = arguments.rest().first();
    if (name.isEmpty()) {
        io.err << "voranthctl: a configuration needs a name\n";
        return CtlRefused;
    }
    if (mod.isEmpty())
        mod = CommonData::qGameDefaultModDir();
    const ModSupport modDB;
    const std::optional<qsizetype> index = gameTypeIndex(modDB, mod, gameType, io);
    if (!index)
        return CtlRefused;
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    if (const ServerConfig* existing = access.store().find(name))
        return refuseTakenName(io, name, *existing);
    const int number =
        GameTypes::integerValue(modDB.gameTypesForMod(mod)->gametypeNumbers().at(*index));
    access.store().insert(newRecord(name, mod, gameType, number, modDB));
    return access.save() ? CtlOk : CtlRefused;
}

int ConfigCommands::duplicate(const QStringList& args, CtlIo& io)
{
    if (args.size() != 1)
        return usage(io, "duplicate", "NAME");
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    const ServerConfig* source = access.findOrComplain(args.first());
    if (!source)
        return CtlRefused;
    const std::optional<QString> copyName = access.store().duplicateNameFor(source->configName());
    if (!copyName) {
        io.err << "voranthctl: every numbered name from 2 to 99 for a copy of '"
               << source->configName() << "' is taken; nothing was duplicated\n";
        return CtlRefused;
    }
    ServerConfig copy = ServerConfig::copyOf(*source);
    copy.setConfigName(*copyName);
    access.store().insert(copy);
    if (!access.save())
        return CtlRefused;
    io.out << *copyName << '\n';
    return CtlOk;
}

int ConfigCommands::rename(const QStringList& args, CtlIo& io)
{
    if (args.size() != 2)
        return usage(io, "rename", "OLD NEW");
    const QString& newName = args.at(1);
    if (newName.isEmpty()) {
        io.err << "voranthctl: a configuration needs a name\n";
        return CtlRefused;
    }
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    const ServerConfig* old = access.findOrComplain(args.first());
    if (!old)
        return CtlRefused;
    if (const ServerConfig* existing = access.store().find(newName))
        return refuseTakenName(io, newName, *existing);
    ServerConfig renamed = *old;
    renamed.setConfigName(newName);
    access.store().remove(args.first());
    access.store().insert(renamed);
    return access.save() ? CtlOk : CtlRefused;
}

int ConfigCommands::deleteConfig(const QStringList& args, CtlIo& io)
{
    if (args.size() != 1)
        return usage(io, "delete", "NAME");
    const QString& name = args.first();
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    const ServerConfig* found = access.findOrComplain(name);
    if (!found)
        return CtlRefused;
    if (isRunning(name)) {
        io.err << "voranthctl: '" << name
               << "' is running! Stop the server (or run another configuration) before deleting "
                  "it.\n";
        return CtlRefused;
    }
    const ServerConfig record = *found;
    access.store().remove(name);
    if (!access.save())
        return CtlRefused;
    const ConfigFiles files = configFilesForMod(record.modName());
    if (!files.deleteConfigFile(record)) {
        io.err << "voranthctl: '" << name << "' was deleted, but its server configuration file "
               << files.configFileWithPathReplacedSpaces(name) << " could not be removed\n";
        return CtlRefused;
    }
    return CtlOk;
}

int ConfigCommands::setField(const QStringList& args, CtlIo& io)
{
    if (args.size() != 3)
        return usage(io, "set-field", "NAME FIELD VALUE");
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    ServerConfig* record = access.findOrComplain(args.at(0));
    if (!record)
        return CtlRefused;
    QString error;
    if (!ConfigFieldSetter::setField(*record, args.at(1), args.at(2), &error)) {
        io.err << "voranthctl: " << error << '\n';
        return CtlRefused;
    }
    return access.save() ? CtlOk : CtlRefused;
}

int ConfigCommands::addMaps(const QStringList& args, CtlIo& io)
{
    if (args.size() < 2)
        return usage(io, "add-maps", "NAME MAP...");
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    ServerConfig* record = access.findOrComplain(args.first());
    if (!record)
        return CtlRefused;
    const std::unique_ptr<MapLibrary> library = ContentCommands::openLibrary(record->modName());
    if (!ContentCommands::knownMod(record->modName(), io))
        return CtlRefused;
    const QStringList maps = args.mid(1);
    QStringList unknown;
    for (const QString& map : maps)
        if (!library->mapLibraryKeys().contains(map) && !unknown.contains(map))
            unknown.append(map);
    if (!unknown.isEmpty()) {
        io.err << "voranthctl: not in the map library of " << record->modName() << ": "
               << unknown.join(QStringLiteral(", ")) << " (voranthctl maps --mod "
               << record->modName() << " lists its maps); nothing was added\n";
        return CtlRefused;
    }
    for (const QString& map : maps)
        record->addMap(map);
    return access.save() ? CtlOk : CtlRefused;
}

int ConfigCommands::removeMaps(const QStringList& args, CtlIo& io)
{
    if (args.size() < 2)
        return usage(io, "remove-maps", "NAME INDEX...");
    const std::optional<QList<qsizetype>> positions = parsedPositions(args.mid(1), io);
    if (!positions)
        return CtlRefused;
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    ServerConfig* record = access.findOrComplain(args.first());
    if (!record)
        return CtlRefused;
    QStringList outside;
    for (qsizetype position : *positions)
        if (position >= record->mapsCount())
            outside.append(QString::number(position));
    if (!outside.isEmpty()) {
        io.err << "voranthctl: the map list of '" << record->configName() << "' has "
               << record->mapsCount() << " entries; no entry at "
               << outside.join(QStringLiteral(", ")) << "; nothing was removed\n";
        return CtlRefused;
    }
    record->removeMapsFromIndices(*positions);
    return access.save() ? CtlOk : CtlRefused;
}
