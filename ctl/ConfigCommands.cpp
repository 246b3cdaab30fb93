#include "ctl/ConfigCommands.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "config/VisibleText.h"
#include "content/MapLibrary.h"
#include "content/ModSupport.h"
#include "ctl/ConfigFieldSetter.h"
#include "ctl/ContentCommands.h"
#include "ctl/StoreAccess.h"
#include "server/ConfigDeletion.h"
#include "server/ConfigFiles.h"
#include "server/RunningConfigGuard.h"
#include "server/ServerLauncher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

int usage(CtlIo& io, const char* command, const char* arguments)
{
    io.err << "usage: voranthctl " << command << ' ' << arguments << '\n';
    return CtlUsageError;
}

// A refusal of the store, on one line.
int refuse(CtlIo& io, const ConfigStore::Outcome& outcome)
{
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*\\n\\s*"));
    QString message = outcome.message;
    message.replace(lineBreaks, QStringLiteral(" "));
    io.err << "voranthctl: " << message << '\n';
    return CtlRefused;
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
        io.err << "voranthctl: the mod '" << VisibleText::escaped(mod)
               << "' has no map database (voranthctl scan builds them, voranthctl mods lists "
                  "them)\n";
        return std::nullopt;
    }
    const qsizetype index = types->gametypeNames().indexOf(name);
    if (index < 0) {
        io.err << "voranthctl: '" << VisibleText::escaped(name) << "' is no game type of " << mod
               << "; its game types are: " << types->gametypeNames().join(QStringLiteral(", "))
               << '\n';
        return std::nullopt;
    }
    return index;
}

// What New needs of the mod's table: the game type's number and limits.
ConfigStore::NewConfig newRequest(const QString& name, const QString& mod, const QString& gameType,
                                  int gameTypeNumber, const ModSupport& modDB)
{
    ConfigStore::NewConfig request;
    request.name = name;
    request.mod = mod;
    request.gameType = gameTypeNumber;
    request.gameTypeString = gameType;
    const auto limit = [&](const char* key) {
        return modDB.defaultValueForLimit(QLatin1String(key), gameType, mod);
    };
    request.limits = ConfigStore::Limits{limit("fraglimit"), limit("timelimit"),
                                         limit("capturelimit"), limit("maxplayers")};
    return request;
}

// Positions typed by the user: whole numbers from 0; none when one does not parse.
std::optional<QList<qsizetype>> parsedPositions(const QStringList& texts, CtlIo& io)
{
    QList<qsizetype> positions;
    for (const QString& text : texts) {
        bool ok = false;
        const qlonglong position = text.toLongLong(&ok);
        if (!ok || position < 0) {
            io.err << "voranthctl: '" << VisibleText::escaped(text)
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
    if (name.isEmpty())
        return refuse(io, ConfigStore().checkName(name, mod));
    if (mod.isEmpty())
        mod = CommonData::qGameDefaultModDir();
    const ModSupport modDB;
    const std::optional<qsizetype> index = gameTypeIndex(modDB, mod, gameType, io);
    if (!index)
        return CtlRefused;
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    const int number =
        GameTypes::integerValue(modDB.gameTypesForMod(mod)->gametypeNumbers().at(*index));
    const ConfigStore::Outcome added =
        access.store().addConfig(newRequest(name, mod, gameType, number, modDB));
    if (!added.ok())
        return refuse(io, added);
    return access.save() ? CtlOk : CtlRefused;
}

int ConfigCommands::duplicate(const QStringList& args, CtlIo& io)
{
    if (args.size() != 1)
        return usage(io, "duplicate", "NAME");
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    if (!access.findOrComplain(args.first()))
        return CtlRefused;
    const ConfigStore::Outcome copied = access.store().duplicateConfig(args.first());
    if (!copied.ok())
        return refuse(io, copied);
    if (!access.save())
        return CtlRefused;
    io.out << VisibleText::escaped(copied.name) << '\n';
    return CtlOk;
}

int ConfigCommands::rename(const QStringList& args, CtlIo& io)
{
    if (args.size() != 2)
        return usage(io, "rename", "OLD NEW");
    StoreAccess access(io);
    if (!access.openForChanging())
        return CtlRefused;
    if (!access.findOrComplain(args.first()))
        return CtlRefused;
    if (const std::optional<ServerLauncher::Alert> refusal =
            RunningConfigGuard::refusal(args.first(), RunningConfigGuard::Change::Rename)) {
        io.err << "voranthctl: " << refusal->title << ' ' << refusal->message << '\n';
        return CtlRefused;
    }
    const ConfigStore::Outcome renamed = access.store().renameConfig(args.at(0), args.at(1));
    if (!renamed.ok())
        return refuse(io, renamed);
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
    if (!access.findOrComplain(name))
        return CtlRefused;
    const ConfigDeletion::Outcome deleted =
        ConfigDeletion::deleteConfig(access.store(), name, GameDirectory::settle());
    switch (deleted.kind) {
    case ConfigDeletion::Kind::Deleted:
        return CtlOk;
    case ConfigDeletion::Kind::Running:
        io.err << "voranthctl: '" << VisibleText::escaped(name)
               << "' is running! Stop the server (or run another configuration) before deleting "
                  "it.\n";
        return CtlRefused;
    case ConfigDeletion::Kind::StoreNotSaved:
        io.err << "voranthctl: the configuration store " << ConfigStore::storePath()
               << " could not be written; " << deleted.message << '\n';
        return CtlRefused;
    case ConfigDeletion::Kind::NotFound:
    case ConfigDeletion::Kind::ServerFileKept:
        break;
    }
    io.err << "voranthctl: " << (deleted.message.isEmpty() ? deleted.title : deleted.message)
           << '\n';
    return CtlRefused;
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
               << VisibleText::escaped(unknown.join(QStringLiteral(", "))) << " (voranthctl maps --mod "
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
        io.err << "voranthctl: the map list of '" << VisibleText::escaped(record->configName())
               << "' has "
               << record->mapsCount() << " entries; no entry at "
               << outside.join(QStringLiteral(", ")) << "; nothing was removed\n";
        return CtlRefused;
    }
    record->removeMapsFromIndices(*positions);
    return access.save() ? CtlOk : CtlRefused;
}
