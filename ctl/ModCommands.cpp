#include "ctl/ModCommands.h"

#include "config/CommonData.h"
#include "content/ModSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

void ModCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("mods"), QStringLiteral("[--json]"),
                     QStringLiteral("the mods that have a map database, with their names"), &mods});
    commands.append({QStringLiteral("gametypes"), QStringLiteral("[--mod M] [--json]"),
                     QStringLiteral("a mod's game types: number, name and map type"), &gametypes});
}

int ModCommands::mods(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    if (!arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl mods [--json]\n";
        return CtlUsageError;
    }
    const ModSupport modDB;
    if (json) {
        QJsonArray array;
        for (const QString& mod : modDB.foundMods())
            array.append(QJsonObject{{QStringLiteral("mod"), mod},
                                     {QStringLiteral("name"), modDB.modNameDict().value(mod)}});
        io.out << QJsonDocument(array).toJson();
        return CtlOk;
    }
    if (modDB.foundMods().isEmpty()) {
        io.err << "voranthctl: no mod has a map database yet (voranthctl scan builds them)\n";
        return CtlOk;
    }
    QList<QStringList> rows;
    for (const QString& mod : modDB.foundMods())
        rows.append({mod, modDB.modNameDict().value(mod)});
    printColumns(rows, io.out);
    return CtlOk;
}

int ModCommands::gametypes(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    bool ok = true;
    QString mod = arguments.takeOption(QStringLiteral("--mod"), ok);
    if (!ok || !arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl gametypes [--mod M] [--json]\n";
        return CtlUsageError;
    }
    if (mod.isEmpty())
        mod = CommonData::qGameDefaultModDir();
    const ModSupport modDB;
    const GameTypes* types = modDB.gameTypesForMod(mod);
    if (!types) {
        io.err << "voranthctl: the mod '" << mod
               << "' has no map database (voranthctl mods lists those that have one)\n";
        return CtlRefused;
    }
    QList<QStringList> rows;
    QJsonArray array;
    for (qsizetype i = 0; i < types->numberOfGameTypes(); ++i) {
        const QString name = types->gametypeNames().at(i);
        const int number = GameTypes::integerValue(types->gametypeNumbers().at(i));
        const QString shortname = types->gametypeShortnameForLongname(name);
        rows.append({QString::number(number), name, shortname});
        array.append(QJsonObject{{QStringLiteral("number"), number},
                                 {QStringLiteral("name"), name},
                                 {QStringLiteral("shortname"), shortname}});
    }
    if (json)
        io.out << QJsonDocument(array).toJson();
    else
        printColumns(rows, io.out);
    return CtlOk;
}
