#include "config/ServerConfigFields.h"

#include "config/ServerConfig.h"

#include <type_traits>

namespace {

using Kind = ServerConfigField::Kind;

template <typename Get, typename Set>
ServerConfigField field(const char* name, Kind kind, Get (ServerConfig::*get)() const,
                        void (ServerConfig::*set)(Set))
{
    using Value = std::decay_t<Set>;
    return {QLatin1String(name), kind,
            [get](const ServerConfig& c) { return QVariant::fromValue(Value((c.*get)())); },
            [set](ServerConfig& c, const QVariant& v) { (c.*set)(v.value<Value>()); }};
}

// The extra parameters as a list of (variable, value) pairs.
ServerConfigField extraParametersField()
{
    return {QStringLiteral("extraParameters"), Kind::List,
            [](const ServerConfig& c) {
                QVariantList pairs;
                for (const ExtraParameter& entry : c.extraParameters())
                    pairs.append(QStringList{entry.xvariable(), entry.xvalue()});
                return QVariant(pairs);
            },
            [](ServerConfig& c, const QVariant& v) {
                QList<ExtraParameter> entries;
                for (const QVariant& pair : v.toList()) {
                    const QStringList parts = pair.toStringList();
                    entries.append(ExtraParameter(parts.value(0), parts.value(1)));
                }
                c.setExtraParameters(entries);
            }};
}

// The start button's label: absent (a null value) until the user names one.
ServerConfigField saveAndStartButtonLabelField()
{
    return {QStringLiteral("saveAndStartButtonLabel"), Kind::Text,
            [](const ServerConfig& c) {
                return c.saveAndStartButtonLabel() ? QVariant(*c.saveAndStartButtonLabel())
                                                   : QVariant();
            },
            [](ServerConfig& c, const QVariant& v) {
                c.setSaveAndStartButtonLabel(v.isNull() ? std::nullopt
                                                        : std::optional(v.toString()));
            }};
}

} // namespace

const QList<ServerConfigField>& ServerConfigFields::all()
{
    static const QList<ServerConfigField> table = {
        field("configName", Kind::Text, &ServerConfig::configName, &ServerConfig::setConfigName),
        field("modName", Kind::Text, &ServerConfig::modName, &ServerConfig::setModName),
        field("allowDownloads", Kind::Switch, &ServerConfig::allowDownloads, &ServerConfig::setAllowDownloads),
        field("allowVoting", Kind::Switch, &ServerConfig::allowVoting, &ServerConfig::setAllowVoting),
        field("autoJoinTeams", Kind::Switch, &ServerConfig::autoJoinTeams, &ServerConfig::setAutoJoinTeams),
        field("captureLimit", Kind::Integer, &ServerConfig::captureLimit, &ServerConfig::setCaptureLimit),
        field("radioDedicatedType", Kind::Choice, &ServerConfig::radioDedicatedType, &ServerConfig::setRadioDedicatedType),
        field("forceTeamBalance", Kind::Switch, &ServerConfig::forceTeamBalance, &ServerConfig::setForceTeamBalance),
        field("fragLimit", Kind::Integer, &ServerConfig::fragLimit, &ServerConfig::setFragLimit),
        field("friendlyFire", Kind::Switch, &ServerConfig::friendlyFire, &ServerConfig::setFriendlyFire),
        field("gameType", Kind::Integer, &ServerConfig::gameType, &ServerConfig::setGameType),
        field("gameTypeString", Kind::Text, &ServerConfig::gameTypeString, &ServerConfig::setGameTypeString),
        field("hunkMegs", Kind::Integer, &ServerConfig::hunkMegs, &ServerConfig::setHunkMegs),
        field("listAllMaps", Kind::Switch, &ServerConfig::listAllMaps, &ServerConfig::setListAllMaps),
        field("maxPlayers", Kind::Integer, &ServerConfig::maxPlayers, &ServerConfig::setMaxPlayers),
        field("netIP", Kind::Address, &ServerConfig::netIP, &ServerConfig::setNetIP),
        field("netPort", Kind::Port, &ServerConfig::netPort, &ServerConfig::setNetPort),
        field("nPrivateClients", Kind::Integer, &ServerConfig::nPrivateClients, &ServerConfig::setNPrivateClients),
        field("optimizeNetwork", Kind::Integer, &ServerConfig::optimizeNetwork, &ServerConfig::setOptimizeNetworkRaw),
        field("radioOptimizeNetwork", Kind::Choice, &ServerConfig::radioOptimizeNetwork, &ServerConfig::setRadioOptimizeNetwork),
        field("privateClientPasswd", Kind::Text, &ServerConfig::privateClientPasswd, &ServerConfig::setPrivateClientPasswd),
        field("pureServer", Kind::Switch, &ServerConfig::pureServer, &ServerConfig::setPureServer),
        field("quadFactor", Kind::Decimal, &ServerConfig::quadFactor, &ServerConfig::setQuadFactor),
        field("rconPassword", Kind::Text, &ServerConfig::rconPassword, &ServerConfig::setRconPassword),
        field("rotateMaps", Kind::Switch, &ServerConfig::rotateMaps, &ServerConfig::setRotateMaps),
        field("serverName", Kind::Text, &ServerConfig::serverName, &ServerConfig::setServerName),
        field("timeLimit", Kind::Integer, &ServerConfig::timeLimit, &ServerConfig::setTimeLimit),
        field("warmup", Kind::Integer, &ServerConfig::warmup, &ServerConfig::setWarmup),
        field("weaponsRespawn", Kind::Integer, &ServerConfig::weaponsRespawn, &ServerConfig::setWeaponsRespawn),
        field("welcomeText", Kind::Text, &ServerConfig::welcomeText, &ServerConfig::setWelcomeText),
        field("knockback", Kind::Integer, &ServerConfig::knockback, &ServerConfig::setKnockback),
        field("inactivity", Kind::Integer, &ServerConfig::inactivity, &ServerConfig::setInactivity),
        field("botMinPlayers", Kind::Integer, &ServerConfig::botMinPlayers, &ServerConfig::setBotMinPlayers),
        field("botNoChat", Kind::Switch, &ServerConfig::botNoChat, &ServerConfig::setBotNoChat),
        field("botRocketJump", Kind::Switch, &ServerConfig::botRocketJump, &ServerConfig::setBotRocketJump),
        field("timeout", Kind::Integer, &ServerConfig::timeout, &ServerConfig::setTimeout),
        field("minPing", Kind::Integer, &ServerConfig::minPing, &ServerConfig::setMinPing),
        field("maxPing", Kind::Integer, &ServerConfig::maxPing, &ServerConfig::setMaxPing),
        field("hunkMegsUse", Kind::Switch, &ServerConfig::hunkMegsUse, &ServerConfig::setHunkMegsUse),
        field("punkBusterEnabled", Kind::Switch, &ServerConfig::punkBusterEnabled, &ServerConfig::setPunkBusterEnabled),
        field("defaultBotSkill", Kind::Integer, &ServerConfig::defaultBotSkill, &ServerConfig::setDefaultBotSkill),
        field("botGrapple", Kind::Switch, &ServerConfig::botGrapple, &ServerConfig::setBotGrapple),
        field("mapList", Kind::List, &ServerConfig::mapList, &ServerConfig::setMapList),
        extraParametersField(),
        field("modParameters", Kind::List, &ServerConfig::modParameters, &ServerConfig::setModParameters),
        saveAndStartButtonLabelField(),
        field("moreGUIParameters", Kind::List, &ServerConfig::moreGUIParameters, &ServerConfig::setMoreGUIParameters),
    };
    return table;
}

const ServerConfigField* ServerConfigFields::find(const QString& name)
{
    for (const ServerConfigField& entry : all())
        if (entry.name == name)
            return &entry;
    return nullptr;
}
