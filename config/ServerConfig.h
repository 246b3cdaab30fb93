#pragma once

#include "config/ExtraParameter.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

#include <optional>

class QDataStream;

// One named server configuration: every value the user sets for one dedicated-server setup.
// Plain data by value: copying a record copies its lists and their entries.
class ServerConfig
{
public:
    // A record with the defaults for a mod (the base game when none is named).
    ServerConfig();
    explicit ServerConfig(const QString& modName);
    // A record with every field zero or empty, as the archive reader starts from.
    static ServerConfig blank();

    // The duplicate of a record: everything but saveAndStartButtonLabel.
    static ServerConfig copyOf(const ServerConfig& source);

    // Accessors, one pair per field.
    const QString& configName() const { return m_configName; }
    void setConfigName(const QString& value) { m_configName = value; }
    const QString& modName() const { return m_modName; }
    void setModName(const QString& value) { m_modName = value; }
    bool allowDownloads() const { return m_allowDownloads; }
    void setAllowDownloads(bool value) { m_allowDownloads = value; }
    bool allowVoting() const { return m_allowVoting; }
    void setAllowVoting(bool value) { m_allowVoting = value; }
    bool autoJoinTeams() const { return m_autoJoinTeams; }
    void setAutoJoinTeams(bool value) { m_autoJoinTeams = value; }
    int captureLimit() const { return m_captureLimit; }
    void setCaptureLimit(int value) { m_captureLimit = value; }
    int radioDedicatedType() const { return m_radioDedicatedType; }
    void setRadioDedicatedType(int value) { m_radioDedicatedType = value; }
    bool forceTeamBalance() const { return m_forceTeamBalance; }
    void setForceTeamBalance(bool value) { m_forceTeamBalance = value; }
    int fragLimit() const { return m_fragLimit; }
    void setFragLimit(int value) { m_fragLimit = value; }
    bool friendlyFire() const { return m_friendlyFire; }
    void setFriendlyFire(bool value) { m_friendlyFire = value; }
    int gameType() const { return m_gameType; }
    void setGameType(int value) { m_gameType = value; }
    const QString& gameTypeString() const { return m_gameTypeString; }
    void setGameTypeString(const QString& value) { m_gameTypeString = value; }
    int hunkMegs() const { return m_hunkMegs; }
    void setHunkMegs(int value) { m_hunkMegs = value; }
    bool listAllMaps() const { return m_listAllMaps; }
    void setListAllMaps(bool value) { m_listAllMaps = value; }
    int maxPlayers() const { return m_maxPlayers; }
    void setMaxPlayers(int value) { m_maxPlayers = value; }
    const QString& netIP() const { return m_netIP; }
    void setNetIP(const QString& value) { m_netIP = value; }
    int netPort() const { return m_netPort; }
    void setNetPort(int value) { m_netPort = value; }
    static constexpr quint16 defaultNetPort = 27960;
    // The UDP port the server listens on: netPort, or the game's default when that is none.
    quint16 serverPort() const;
    int nPrivateClients() const { return m_nPrivateClients; }
    void setNPrivateClients(int value) { m_nPrivateClients = value; }
    int radioOptimizeNetwork() const { return m_radioOptimizeNetwork; }
    void setRadioOptimizeNetwork(int value) { m_radioOptimizeNetwork = value; }
    const QString& privateClientPasswd() const { return m_privateClientPasswd; }
    void setPrivateClientPasswd(const QString& value) { m_privateClientPasswd = value; }
    bool pureServer() const { return m_pureServer; }
    void setPureServer(bool value) { m_pureServer = value; }
    float quadFactor() const { return m_quadFactor; }
    void setQuadFactor(float value) { m_quadFactor = value; }
    const QString& rconPassword() const { return m_rconPassword; }
    void setRconPassword(const QString& value) { m_rconPassword = value; }
    bool rotateMaps() const { return m_rotateMaps; }
    void setRotateMaps(bool value) { m_rotateMaps = value; }
    const QString& serverName() const { return m_serverName; }
    void setServerName(const QString& value) { m_serverName = value; }
    int timeLimit() const { return m_timeLimit; }
    void setTimeLimit(int value) { m_timeLimit = value; }
    int warmup() const { return m_warmup; }
    void setWarmup(int value) { m_warmup = value; }
    int weaponsRespawn() const { return m_weaponsRespawn; }
    void setWeaponsRespawn(int value) { m_weaponsRespawn = value; }
    const QString& welcomeText() const { return m_welcomeText; }
    void setWelcomeText(const QString& value) { m_welcomeText = value; }
    int knockback() const { return m_knockback; }
    void setKnockback(int value) { m_knockback = value; }
    int inactivity() const { return m_inactivity; }
    void setInactivity(int value) { m_inactivity = value; }
    int botMinPlayers() const { return m_botMinPlayers; }
    void setBotMinPlayers(int value) { m_botMinPlayers = value; }
    bool botNoChat() const { return m_botNoChat; }
    void setBotNoChat(bool value) { m_botNoChat = value; }
    bool botRocketJump() const { return m_botRocketJump; }
    void setBotRocketJump(bool value) { m_botRocketJump = value; }
    int timeout() const { return m_timeout; }
    void setTimeout(int value) { m_timeout = value; }
    int minPing() const { return m_minPing; }
    void setMinPing(int value) { m_minPing = value; }
    int maxPing() const { return m_maxPing; }
    void setMaxPing(int value) { m_maxPing = value; }
    bool hunkMegsUse() const { return m_hunkMegsUse; }
    void setHunkMegsUse(bool value) { m_hunkMegsUse = value; }
    bool punkBusterEnabled() const { return m_punkBusterEnabled; }
    void setPunkBusterEnabled(bool value) { m_punkBusterEnabled = value; }
    int defaultBotSkill() const { return m_defaultBotSkill; }
    void setDefaultBotSkill(int value) { m_defaultBotSkill = value; }
    bool botGrapple() const { return m_botGrapple; }
    void setBotGrapple(bool value) { m_botGrapple = value; }

    int optimizeNetwork() const { return m_optimizeNetwork; }
    // Stores the rate when it is custom; otherwise derives it from the connection type.
    void setOptimizeNetwork(int rate);
    // Stores the rate as given, without the rule (the archive reader).
    void setOptimizeNetworkRaw(int rate) { m_optimizeNetwork = rate; }

    const std::optional<QString>& saveAndStartButtonLabel() const
    {
        return m_saveAndStartButtonLabel;
    }
    void setSaveAndStartButtonLabel(const std::optional<QString>& value)
    {
        m_saveAndStartButtonLabel = value;
    }

    // The map rotation.
    const QStringList& mapList() const { return m_mapList; }
    void setMapList(const QStringList& maps) { m_mapList = maps; }
    QString map(qsizetype index) const;
    void addMap(const QString& name);
    // Inserts before index; index == mapsCount() appends. False when out of range.
    bool insertMap(const QString& name, qsizetype index);
    bool removeMap(qsizetype index);
    void removeMapsInArray(const QStringList& names);
    // Removes the entries at the given positions of the list as it was before the call.
    void removeMapsFromIndices(const QList<qsizetype>& indices);
    qsizetype mapsCount() const { return m_mapList.size(); }
    // The map, or its position, that follows position index in the rotation.
    QString nextMap(qsizetype index) const;
    qsizetype nextMapIndex(qsizetype index) const;

    // Extra parameters.
    const QList<ExtraParameter>& extraParameters() const { return m_extraParameters; }
    void setExtraParameters(const QList<ExtraParameter>& parameters)
    {
        m_extraParameters = parameters;
    }
    void addExtraParameter();
    bool deleteExtraParameter(qsizetype index);
    // Sets the field named column ("xvariable" or "xvalue") of entry index.
    // False, and nothing changed, for another column or a position outside the list.
    bool setExtraParameter(qsizetype index, const QString& value, const QString& column);

    const QVariantList& modParameters() const { return m_modParameters; }
    void setModParameters(const QVariantList& list) { m_modParameters = list; }
    const QVariantList& moreGUIParameters() const { return m_moreGUIParameters; }
    void setMoreGUIParameters(const QVariantList& list) { m_moreGUIParameters = list; }

    // 5 to 8 letters and digits drawn from the system's secure random source.
    static QString randomPassword();
    // rconPassword from the setting "Rcon Password Generation Type String".
    void setRconPasswordAccordingToPrefs(const QString& shownPassword);

    QString description() const;

    // Sequential coding, class version 5. An older version (1 to 4) writes only the items
    // that version holds, as a record archived by it would look.
    static constexpr int classVersion = 5;
    static constexpr int oldestClassVersion = 1;
    void encodeWithCoder(QDataStream& out, int version = classVersion) const;
    // Reads the items of an archived class version (1 to 5) into record; false, with record
    // unchanged, when the stream runs short or holds something else than the items.
    static bool initWithCoder(QDataStream& in, int version, ServerConfig& record);

    bool operator==(const ServerConfig&) const = default;

private:
    struct BlankTag
    {
    };
    explicit ServerConfig(BlankTag);

    QString m_configName;
    QString m_modName;
    bool m_allowDownloads = false;
    bool m_allowVoting = true;
    bool m_autoJoinTeams = false;
    int m_captureLimit = 0;
    int m_radioDedicatedType = 0;
    bool m_forceTeamBalance = false;
    int m_fragLimit = 20;
    bool m_friendlyFire = false;
    int m_gameType = 0;
    QString m_gameTypeString = QStringLiteral("Free For All");
    int m_hunkMegs = 56;
    bool m_listAllMaps = true;
    int m_maxPlayers = 8;
    QString m_netIP = QStringLiteral("localhost");
    int m_netPort = defaultNetPort;
    int m_nPrivateClients = 0;
    int m_radioOptimizeNetwork = 0;
    QString m_privateClientPasswd;
    bool m_pureServer = true;
    float m_quadFactor = 3.0f;
    QString m_rconPassword;
    bool m_rotateMaps = true;
    QString m_serverName;
    int m_timeLimit = 0;
    int m_warmup = 20;
    int m_weaponsRespawn = 5;
    QString m_welcomeText;
    int m_knockback = 1000;
    int m_inactivity = 0;
    int m_botMinPlayers = 0;
    bool m_botNoChat = false;
    bool m_botRocketJump = true;
    int m_timeout = 120;
    int m_minPing = 0;
    int m_maxPing = 0;
    bool m_hunkMegsUse = false;
    bool m_punkBusterEnabled = false;
    int m_defaultBotSkill = 2;
    bool m_botGrapple = false;
    int m_optimizeNetwork = 0;
    std::optional<QString> m_saveAndStartButtonLabel;
    QStringList m_mapList;
    QList<ExtraParameter> m_extraParameters;
    QVariantList m_modParameters;
    QVariantList m_moreGUIParameters;
};
