#include "ctl/ConfigFieldSetter.h"

#include "config/NetAddress.h"
#include "config/ServerConfig.h"
#include "config/VisibleText.h"
#include "content/GameTypes.h"
#include "content/ModSupport.h"

#include <QVariant>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

enum class Kind
{
    Switch,
    Integer,
    Choice, // a radio group of two: 0 or 1
    Port,
    Decimal,
    Text,
    Address, // a host name or an IP address
};

struct Field
{
    QString name;
    Kind kind;
    std::function<void(ServerConfig&, const QVariant&)> apply;
};

Field switchField(const char* name, void (ServerConfig::*setter)(bool))
{
    return {QLatin1String(name), Kind::Switch, [setter](ServerConfig& c, const QVariant& v) {
                (c.*setter)(v.toBool());
            }};
}

Field integerField(const char* name, void (ServerConfig::*setter)(int), Kind kind = Kind::Integer)
{
    return {QLatin1String(name), kind, [setter](ServerConfig& c, const QVariant& v) {
                (c.*setter)(v.toInt());
            }};
}

Field textField(const char* name, void (ServerConfig::*setter)(const QString&))
{
    return {QLatin1String(name), Kind::Text, [setter](ServerConfig& c, const QVariant& v) {
                (c.*setter)(v.toString());
            }};
}

// The rate follows the two radio fields unless it is custom, as when the editor writes them.
void rederiveRate(ServerConfig& c)
{
    c.setOptimizeNetwork(c.optimizeNetwork());
}

const QList<Field>& fields()
{
    static const QList<Field> table = {
        switchField("allowDownloads", &ServerConfig::setAllowDownloads),
        switchField("allowVoting", &ServerConfig::setAllowVoting),
        switchField("autoJoinTeams", &ServerConfig::setAutoJoinTeams),
        integerField("captureLimit", &ServerConfig::setCaptureLimit),
        {QStringLiteral("radioDedicatedType"), Kind::Choice,
         [](ServerConfig& c, const QVariant& v) {
             c.setRadioDedicatedType(v.toInt());
             rederiveRate(c);
         }},
        switchField("forceTeamBalance", &ServerConfig::setForceTeamBalance),
        integerField("fragLimit", &ServerConfig::setFragLimit),
        switchField("friendlyFire", &ServerConfig::setFriendlyFire),
        // Checked and applied by setGameTypeString(): it needs the mod's table.
        {QStringLiteral("gameTypeString"), Kind::Text, {}},
        integerField("hunkMegs", &ServerConfig::setHunkMegs),
        switchField("listAllMaps", &ServerConfig::setListAllMaps),
        integerField("maxPlayers", &ServerConfig::setMaxPlayers),
        {QStringLiteral("netIP"), Kind::Address,
         [](ServerConfig& c, const QVariant& v) {
             c.setNetIP(v.toString());
         }},
        integerField("netPort", &ServerConfig::setNetPort, Kind::Port),
        integerField("nPrivateClients", &ServerConfig::setNPrivateClients),
        integerField("optimizeNetwork", &ServerConfig::setOptimizeNetwork),
        {QStringLiteral("radioOptimizeNetwork"), Kind::Choice,
         [](ServerConfig& c, const QVariant& v) {
             c.setRadioOptimizeNetwork(v.toInt());
             rederiveRate(c);
         }},
        textField("privateClientPasswd", &ServerConfig::setPrivateClientPasswd),
        switchField("pureServer", &ServerConfig::setPureServer),
        {QStringLiteral("quadFactor"), Kind::Decimal,
         [](ServerConfig& c, const QVariant& v) {
             c.setQuadFactor(v.toFloat());
         }},
        textField("rconPassword", &ServerConfig::setRconPassword),
        switchField("rotateMaps", &ServerConfig::setRotateMaps),
        textField("serverName", &ServerConfig::setServerName),
        integerField("timeLimit", &ServerConfig::setTimeLimit),
        integerField("warmup", &ServerConfig::setWarmup),
        integerField("weaponsRespawn", &ServerConfig::setWeaponsRespawn),
        textField("welcomeText", &ServerConfig::setWelcomeText),
        integerField("knockback", &ServerConfig::setKnockback),
        integerField("inactivity", &ServerConfig::setInactivity),
        integerField("botMinPlayers", &ServerConfig::setBotMinPlayers),
        switchField("botNoChat", &ServerConfig::setBotNoChat),
        switchField("botRocketJump", &ServerConfig::setBotRocketJump),
        integerField("timeout", &ServerConfig::setTimeout),
        integerField("minPing", &ServerConfig::setMinPing),
        integerField("maxPing", &ServerConfig::setMaxPing),
        switchField("hunkMegsUse", &ServerConfig::setHunkMegsUse),
        switchField("punkBusterEnabled", &ServerConfig::setPunkBusterEnabled),
        integerField("defaultBotSkill", &ServerConfig::setDefaultBotSkill),
        switchField("botGrapple", &ServerConfig::setBotGrapple),
    };
    return table;
}

// Fields of the record that are not set this way, with the way they are set.
QString otherWayFor(const QString& field)
{
    if (field == QLatin1String("configName"))
        return QStringLiteral("it is changed with voranthctl rename");
    if (field == QLatin1String("gameType"))
        return QStringLiteral("it follows gameTypeString (set that to the game type's name)");
    if (field == QLatin1String("mapList"))
        return QStringLiteral("maps are changed with voranthctl add-maps and remove-maps");
    if (field == QLatin1String("modName"))
        return QStringLiteral("a configuration stays with the mod it was made for");
    return {};
}

std::optional<bool> switchValue(const QString& text)
{
    static const QStringList on = {QStringLiteral("yes"), QStringLiteral("true"),
                                   QStringLiteral("1")};
    static const QStringList off = {QStringLiteral("no"), QStringLiteral("false"),
                                    QStringLiteral("0")};
    if (on.contains(text, Qt::CaseInsensitive))
        return true;
    if (off.contains(text, Qt::CaseInsensitive))
        return false;
    return std::nullopt;
}

// The value of text for a field of that kind; invalid when it does not fit, with the reason.
QVariant parsedValue(Kind kind, const QString& text, QString& expected)
{
    bool ok = false;
    switch (kind) {
    case Kind::Switch:
        expected = QStringLiteral("YES or NO (true/false, 1/0)");
        if (const std::optional<bool> on = switchValue(text))
            return *on;
        return {};
    case Kind::Integer: {
        expected = QStringLiteral("a whole number");
        const int value = text.toInt(&ok);
        return ok ? QVariant(value) : QVariant();
    }
    case Kind::Choice: {
        expected = QStringLiteral("0 or 1");
        const int value = text.toInt(&ok);
        return ok && (value == 0 || value == 1) ? QVariant(value) : QVariant();
    }
    case Kind::Port: {
        expected = QStringLiteral("a port number from 1 to 65535");
        const int value = text.toInt(&ok);
        return ok && value >= 1 && value <= 65535 ? QVariant(value) : QVariant();
    }
    case Kind::Decimal: {
        expected = QStringLiteral("a decimal number such as 3.5");
        const float value = text.toFloat(&ok);
        return ok && std::isfinite(value) ? QVariant(value) : QVariant();
    }
    case Kind::Text:
        return text;
    case Kind::Address:
        expected = QStringLiteral("a host name or an IP address");
        return NetAddress::isHostNameOrAddress(text) ? QVariant(text) : QVariant();
    }
    return {};
}

bool setGameTypeString(ServerConfig& record, const QString& name, QString* error)
{
    const ModSupport modDB;
    const GameTypes* types = modDB.gameTypesForMod(record.modName());
    if (!types) {
        *error = QStringLiteral("the mod '%1' of this configuration has no map database, so its "
                                "game types are not known (voranthctl scan builds it)")
                     .arg(record.modName());
        return false;
    }
    const qsizetype index = types->gametypeNames().indexOf(name);
    if (index < 0) {
        *error =
            QStringLiteral("'%1' is no game type of %2; its game types are: %3")
                .arg(VisibleText::escaped(name), record.modName(),
                     types->gametypeNames().join(QStringLiteral(", ")));
        return false;
    }
    record.setGameTypeString(name);
    record.setGameType(GameTypes::integerValue(types->gametypeNumbers().at(index)));
    return true;
}

} // namespace

QStringList ConfigFieldSetter::fieldNames()
{
    QStringList names;
    for (const Field& field : fields())
        names.append(field.name);
    return names;
}

bool ConfigFieldSetter::setField(ServerConfig& record, const QString& field, const QString& value,
                                 QString* error)
{
    const auto found = std::find_if(fields().cbegin(), fields().cend(),
                                    [&](const Field& entry) { return entry.name == field; });
    if (found == fields().cend()) {
        const QString otherWay = otherWayFor(field);
        *error = otherWay.isEmpty()
                     ? QStringLiteral("there is no field named '%1'; the fields are: %2")
                           .arg(VisibleText::escaped(field), fieldNames().join(QStringLiteral(", ")))
                     : QStringLiteral("'%1' cannot be set: %2").arg(field, otherWay);
        return false;
    }
    if (!found->apply)
        return setGameTypeString(record, value, error);
    QString expected;
    const QVariant parsed = parsedValue(found->kind, value, expected);
    if (!parsed.isValid()) {
        *error = found->kind == Kind::Address
                     ? NetAddress::refusalMessage(value)
                     : QStringLiteral("'%1' is no value for %2: it takes %3")
                           .arg(VisibleText::escaped(value), field, expected);
        return false;
    }
    if (field == QLatin1String("optimizeNetwork") && record.radioOptimizeNetwork() == 0) {
        *error = QStringLiteral("the rate follows the connection type while radioOptimizeNetwork "
                                "is 0; set radioOptimizeNetwork to 1 for a rate of your own");
        return false;
    }
    found->apply(record, parsed);
    return true;
}
