#include "config/ServerConfig.h"

#include "config/ArchiveCoding.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"

#include <QDataStream>
#include <QRandomGenerator>

#include <algorithm>

namespace {

const QString passwordAlphabet =
    QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
constexpr int passwordShortest = 5;
constexpr int passwordLengths = 4; // 5 to 8 characters
constexpr int internetRate = 10000;

QString flagText(bool flag)
{
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

QString listText(const QStringList& items)
{
    return QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString variantListText(const QVariantList& list)
{
    QStringList items;
    for (const QVariant& value : list)
        items.append(value.toString());
    return listText(items);
}

} // namespace

ServerConfig::ServerConfig() : ServerConfig(CommonData::qGameDefaultModDir()) {}

ServerConfig::ServerConfig(const QString& modName) : m_modName(modName)
{
    // The connection type is LAN at this point, so the offered Internet rate derives to 0.
    setOptimizeNetwork(internetRate);
}

ServerConfig::ServerConfig(BlankTag)
    : m_allowDownloads(false), m_allowVoting(false), m_autoJoinTeams(false), m_captureLimit(0),
      m_radioDedicatedType(0), m_forceTeamBalance(false), m_fragLimit(0), m_friendlyFire(false),
      m_gameType(0), m_gameTypeString(), m_hunkMegs(0), m_listAllMaps(false), m_maxPlayers(0),
      m_netIP(), m_netPort(0), m_nPrivateClients(0), m_radioOptimizeNetwork(0), m_pureServer(false),
      m_quadFactor(0.0f), m_rotateMaps(false), m_timeLimit(0), m_warmup(0), m_weaponsRespawn(0),
      m_knockback(0), m_inactivity(0), m_botMinPlayers(0), m_botNoChat(false),
      m_botRocketJump(false), m_timeout(0), m_minPing(0), m_maxPing(0), m_hunkMegsUse(false),
      m_punkBusterEnabled(false), m_defaultBotSkill(0), m_botGrapple(false), m_optimizeNetwork(0)
{}

ServerConfig ServerConfig::blank()
{
    return ServerConfig(BlankTag{});
}

ServerConfig ServerConfig::copyOf(const ServerConfig& source)
{
    // Lists and their entries are values, so the copy shares nothing with the source.
    ServerConfig copy(source);
    copy.m_saveAndStartButtonLabel.reset();
    return copy;
}

void ServerConfig::setOptimizeNetwork(int rate)
{
    if (m_radioOptimizeNetwork == 1)
        m_optimizeNetwork = rate;
    else
        m_optimizeNetwork = m_radioDedicatedType != 0 ? internetRate : 0;
}

QString ServerConfig::map(qsizetype index) const
{
    return index >= 0 && index < m_mapList.size() ? m_mapList.at(index) : QString();
}

void ServerConfig::addMap(const QString& name)
{
    m_mapList.append(name);
}

bool ServerConfig::insertMap(const QString& name, qsizetype index)
{
    if (index < 0 || index > m_mapList.size())
        return false;
    m_mapList.insert(index, name);
    return true;
}

bool ServerConfig::removeMap(qsizetype index)
{
    if (index < 0 || index >= m_mapList.size())
        return false;
    m_mapList.removeAt(index);
    return true;
}

void ServerConfig::removeMapsInArray(const QStringList& names)
{
    m_mapList.removeIf([&names](const QString& map) { return names.contains(map); });
}

void ServerConfig::removeMapsFromIndices(const QList<qsizetype>& indices)
{
    // From the back, so that each position still means the entry it meant before the call.
    QList<qsizetype> positions = indices;
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (qsizetype position : positions)
        if (position >= 0 && position < m_mapList.size())
            m_mapList.removeAt(position);
}

QString ServerConfig::nextMap(qsizetype index) const
{
    return map(nextMapIndex(index));
}

qsizetype ServerConfig::nextMapIndex(qsizetype index) const
{
    if (index == m_mapList.size() - 1)
        return m_rotateMaps ? 0 : index;
    return index + 1;
}

void ServerConfig::addExtraParameter()
{
    m_extraParameters.append(ExtraParameter());
}

bool ServerConfig::deleteExtraParameter(qsizetype index)
{
    if (index < 0 || index >= m_extraParameters.size())
        return false;
    m_extraParameters.removeAt(index);
    return true;
}

bool ServerConfig::setExtraParameter(qsizetype index, const QString& value, const QString& column)
{
    if (index < 0 || index >= m_extraParameters.size())
        return false;
    ExtraParameter& entry = m_extraParameters[index];
    if (column == QLatin1String("xvariable"))
        entry.setXvariable(value);
    else if (column == QLatin1String("xvalue"))
        entry.setXvalue(value);
    else
        return false;
    return true;
}

QString ServerConfig::randomPassword()
{
    // The system's secure source: a password must not follow from the time it was made.
    QRandomGenerator* source = QRandomGenerator::system();
    const int length = passwordShortest + int(source->bounded(passwordLengths));
    QString characters;
    for (int i = 0; i < length; ++i)
        characters.append(passwordAlphabet.at(source->bounded(int(passwordAlphabet.size()))));
    return characters;
}

void ServerConfig::setRconPasswordAccordingToPrefs(const QString& shownPassword)
{
    const QString type = UserDefaults::stringValue(KZXRconPasswordGenerationTypeStringKey);
    if (type == QLatin1String("copy"))
        setRconPassword(shownPassword);
    else if (type == QLatin1String("empty"))
        setRconPassword(QString());
    else
        setRconPassword(randomPassword());
}

QString ServerConfig::description() const
{
    QStringList extraDescriptions;
    for (const ExtraParameter& entry : m_extraParameters)
        extraDescriptions.append(entry.description());

    const QList<QPair<const char*, QString>> lines = {
        {"configName", m_configName},
        {"modName", m_modName},
        {"allowVoting", flagText(m_allowVoting)},
        {"captureLimit", QString::number(m_captureLimit)},
        {"radioDedicatedType", QString::number(m_radioDedicatedType)},
        {"fragLimit", QString::number(m_fragLimit)},
        {"friendlyFire", flagText(m_friendlyFire)},
        {"gameType", QString::number(m_gameType)},
        {"gameTypeString", m_gameTypeString},
        {"hunkMegs", QString::number(m_hunkMegs)},
        {"listAllMaps", flagText(m_listAllMaps)},
        {"mapList", listText(m_mapList)},
        {"maxPlayers", QString::number(m_maxPlayers)},
        {"netIP", m_netIP},
        {"netPort", QString::number(m_netPort)},
        {"nPrivateClients", QString::number(m_nPrivateClients)},
        {"optimizeNetwork", QString::number(m_optimizeNetwork)},
        {"extraParameters", listText(extraDescriptions)},
        {"hunkMegsUse", flagText(m_hunkMegsUse)},
        {"modParameters", variantListText(m_modParameters)},
        {"moreGUIParameters", variantListText(m_moreGUIParameters)},
        {"punkBusterEnabled", flagText(m_punkBusterEnabled)},
    };
    QString text = QStringLiteral("<ServerConfig: 0x%1>").arg(quintptr(this), 0, 16);
    for (const auto& [name, value] : lines)
        text += QLatin1Char('\n') + QLatin1String(name) + QStringLiteral(": ") + value;
    return text;
}

void ServerConfig::encodeWithCoder(QDataStream& out, int version) const
{
    using C = ArchiveCoding;
    version = std::clamp(version, oldestClassVersion, classVersion);
    C::writeString(out, m_configName);
    C::writeString(out, m_modName);
    C::writeFlag(out, m_allowDownloads, m_allowVoting);
    C::writeFlag(out, m_allowVoting, m_autoJoinTeams);
    C::writeFlag(out, m_autoJoinTeams);
    C::writeInt(out, m_captureLimit);
    C::writeInt(out, m_radioDedicatedType);
    C::writeFlag(out, m_forceTeamBalance);
    C::writeInt(out, m_fragLimit);
    C::writeFlag(out, m_friendlyFire);
    C::writeInt(out, m_gameType);
    C::writeString(out, m_gameTypeString);
    C::writeInt(out, m_hunkMegs);
    C::writeFlag(out, m_listAllMaps);
    C::writeStringList(out, m_mapList);
    C::writeInt(out, m_maxPlayers);
    C::writeString(out, m_netIP);
    C::writeInt(out, m_netPort);
    C::writeInt(out, m_nPrivateClients);
    C::writeInt(out, m_optimizeNetwork);
    C::writeInt(out, m_radioOptimizeNetwork);
    C::writeString(out, m_privateClientPasswd);
    C::writeFlag(out, m_pureServer);
    C::writeFloat(out, m_quadFactor);
    C::writeString(out, m_rconPassword);
    C::writeFlag(out, m_rotateMaps);
    C::writeOptionalString(out, m_saveAndStartButtonLabel);
    C::writeString(out, m_serverName);
    C::writeInt(out, m_timeLimit);
    C::writeInt(out, m_warmup);
    C::writeInt(out, m_weaponsRespawn);
    C::writeString(out, m_welcomeText);
    C::writeInt(out, m_knockback);
    C::writeInt(out, m_inactivity);
    C::writeInt(out, m_botMinPlayers);
    C::writeFlag(out, m_botNoChat, m_botRocketJump);
    C::writeFlag(out, m_botRocketJump);
    C::writeInt(out, m_timeout);
    C::writeInt(out, m_minPing);
    C::writeInt(out, m_maxPing);
    C::writeExtraParameters(out, m_extraParameters);
    if (version > 1)
        C::writeFlag(out, m_hunkMegsUse);
    if (version > 2) {
        C::writeVariantList(out, m_modParameters);
        C::writeVariantList(out, m_moreGUIParameters);
    }
    if (version > 3)
        C::writeFlag(out, m_punkBusterEnabled);
    if (version > 4) {
        C::writeInt(out, m_defaultBotSkill);
        C::writeFlag(out, m_botGrapple);
    }
}

bool ServerConfig::initWithCoder(QDataStream& in, int version, ServerConfig& record)
{
    if (version < oldestClassVersion || version > classVersion)
        return false;

    // Everything goes into a record of its own first: a stream that fails half-way must not
    // leave half a record behind.
    using C = ArchiveCoding;
    ServerConfig r = blank();
    QString text;
    QStringList maps;
    QList<ExtraParameter> extras;
    std::optional<QString> label;
    auto textItem = [&](void (ServerConfig::*setter)(const QString&)) {
        if (!C::readString(in, text))
            return false;
        (r.*setter)(text);
        return true;
    };

    bool ok = textItem(&ServerConfig::setConfigName) && textItem(&ServerConfig::setModName) &&
              C::readFlag(in, r.m_allowDownloads) && C::readFlag(in, r.m_allowVoting) &&
              C::readFlag(in, r.m_autoJoinTeams) && C::readInt(in, r.m_captureLimit) &&
              C::readInt(in, r.m_radioDedicatedType) && C::readFlag(in, r.m_forceTeamBalance) &&
              C::readInt(in, r.m_fragLimit) && C::readFlag(in, r.m_friendlyFire) &&
              C::readInt(in, r.m_gameType) && textItem(&ServerConfig::setGameTypeString) &&
              C::readInt(in, r.m_hunkMegs) && C::readFlag(in, r.m_listAllMaps) &&
              C::readStringList(in, maps) && C::readInt(in, r.m_maxPlayers) &&
              textItem(&ServerConfig::setNetIP) && C::readInt(in, r.m_netPort) &&
              C::readInt(in, r.m_nPrivateClients) && C::readInt(in, r.m_optimizeNetwork) &&
              C::readInt(in, r.m_radioOptimizeNetwork) &&
              textItem(&ServerConfig::setPrivateClientPasswd) && C::readFlag(in, r.m_pureServer) &&
              C::readFloat(in, r.m_quadFactor) && textItem(&ServerConfig::setRconPassword) &&
              C::readFlag(in, r.m_rotateMaps) && C::readOptionalString(in, label) &&
              textItem(&ServerConfig::setServerName) && C::readInt(in, r.m_timeLimit) &&
              C::readInt(in, r.m_warmup) && C::readInt(in, r.m_weaponsRespawn) &&
              textItem(&ServerConfig::setWelcomeText) && C::readInt(in, r.m_knockback) &&
              C::readInt(in, r.m_inactivity) && C::readInt(in, r.m_botMinPlayers) &&
              C::readFlag(in, r.m_botNoChat) && C::readFlag(in, r.m_botRocketJump) &&
              C::readInt(in, r.m_timeout) && C::readInt(in, r.m_minPing) &&
              C::readInt(in, r.m_maxPing) && C::readExtraParameters(in, extras);
    if (ok && version > 1)
        ok = C::readFlag(in, r.m_hunkMegsUse);
    if (ok && version > 2)
        ok = C::readVariantList(in, r.m_modParameters) &&
             C::readVariantList(in, r.m_moreGUIParameters);
    if (ok && version > 3)
        ok = C::readFlag(in, r.m_punkBusterEnabled);
    if (version > 4)
        ok = ok && C::readInt(in, r.m_defaultBotSkill) && C::readFlag(in, r.m_botGrapple);
    else
        r.m_defaultBotSkill = 2;
    if (!ok)
        return false;

    r.setSaveAndStartButtonLabel(label);
    r.setMapList(maps);
    r.setExtraParameters(extras);
    record = std::move(r);
    return true;
}

quint16 ServerConfig::serverPort() const
{
    return m_netPort > 0 && m_netPort <= 65535 ? quint16(m_netPort) : defaultNetPort;
}
