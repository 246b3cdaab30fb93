#include "server/ConfigFiles.h"

#include "config/CommonData.h"
#include "config/ConfigFileName.h"
#include "config/DataDirectory.h"
#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "format/AtomicFile.h"
#include "format/Logging.h"
#include "format/PlistReader.h"
#include "format/PlistWriter.h"
#include "server/ConsoleText.h"
#include "server/RunningServer.h"
#include "server/ServerCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

const QString urbanTerrorModDir = QStringLiteral("q3ut2");
const QString addbotCommand = QStringLiteral("addbot");
const QString mapListFileName = QStringLiteral("VO_maplist.txt");
constexpr int rconPasswordRow = 8;

QString quotedLine(const QString& head, const QString& value)
{
    return ConsoleText::line(head + QStringLiteral(" \""), ConsoleText::quotedValue(value),
                             QStringLiteral("\""));
}

QString integerLine(const QString& name, int value)
{
    return name + QLatin1Char(' ') + QString::number(value) + QLatin1Char('\n');
}

// The value of a console variable written as a number.
int integerValue(int index, const ServerConfig& c)
{
    switch (index) {
    case 0:
        return c.gameType();
    case 1:
        return c.fragLimit();
    case 2:
        return c.timeLimit();
    case 3:
        return c.maxPlayers();
    case 6:
        return c.nPrivateClients();
    case 9:
        return c.pureServer();
    case 10:
        return c.optimizeNetwork();
    case 11:
        return c.weaponsRespawn();
    case 12:
        return c.allowVoting();
    case 14:
        return c.captureLimit();
    case 15:
        return c.radioDedicatedType() + 1;
    case 16:
        return c.friendlyFire();
    case 17:
        return c.hunkMegs();
    case 19:
        return c.netPort();
    case 20:
        return c.warmup();
    case 21:
        return c.allowDownloads();
    case 22:
        return c.autoJoinTeams();
    case 23:
        return c.forceTeamBalance();
    case 24:
        return c.knockback();
    case 25:
        return c.inactivity();
    case 26:
        return c.botMinPlayers();
    case 27:
        return c.botNoChat();
    case 28:
        return c.botRocketJump();
    case 29:
        return c.timeout();
    case 30:
        return c.maxPing();
    case 31:
        return c.minPing();
    case 32:
        return c.defaultBotSkill();
    case 33:
        return c.botGrapple();
    default:
        return 0;
    }
}

// One extra parameter as the command line the user wrote.
QString extraParameterLine(const QString& variable, const QString& value)
{
    return ConsoleText::line({}, ConsoleText::command(variable + QLatin1Char(' ') + value));
}

} // namespace

ConfigFiles::ConfigFiles(const GamePaths& paths)
    : m_gameRoot(paths.qGameRootDir()), m_modDir(paths.qGameModDir()),
      m_configStorePath(paths.appSupportQGameModDir()),
      m_terminalFile(CommonData::appSupportQ3VXDir() + QStringLiteral("/VOTerminal.term"))
{
    const QString templatePath = m_termFileDir + QStringLiteral("DefaultTerminal.term");
    const PlistReader::Result terminal = PlistReader::parseFile(templatePath);
    if (terminal.ok())
        m_defaultTerminalDict = terminal.value.toMap();
    else
        qCWarning(lcServer, "Could not find terminal file at location: %s",
                  qPrintable(templatePath));
}

const QStringList& ConfigFiles::cvarList()
{
    static const QStringList names = {
        QStringLiteral("set g_gametype"),
        QStringLiteral("fraglimit"),
        QStringLiteral("timelimit"),
        QStringLiteral("sv_maxclients"),
        QStringLiteral("sv_hostname"),
        QStringLiteral("set g_motd"),
        QStringLiteral("sv_privateClients"),
        QStringLiteral("sv_privatePassword"),
        QStringLiteral("rconpassword"),
        QStringLiteral("sv_pure"),
        QStringLiteral("sv_maxRate"),
        QStringLiteral("set g_weaponrespawn"),
        QStringLiteral("g_allowvote"),
        QStringLiteral("set g_quadfactor"),
        QStringLiteral("capturelimit"),
        QStringLiteral("set dedicated"),
        QStringLiteral("g_friendlyFire"),
        QStringLiteral("com_hunkmegs"),
        QStringLiteral("net_ip"),
        QStringLiteral("net_port"),
        QStringLiteral("g_warmup"),
        QStringLiteral("sv_allowDownload"),
        QStringLiteral("set g_teamAutoJoin"),
        QStringLiteral("set g_teamForceBalance"),
        QStringLiteral("set g_knockback"),
        QStringLiteral("set g_inactivity"),
        QStringLiteral("bot_minplayers"),
        QStringLiteral("bot_nochat"),
        QStringLiteral("bot_rocketjump"),
        QStringLiteral("sv_timeout"),
        QStringLiteral("sv_maxping"),
        QStringLiteral("sv_minping"),
        QStringLiteral("g_spskill"),
        QStringLiteral("bot_grapple"),
    };
    return names;
}

Result<void> ConfigFiles::saveConfigToFile(const ServerConfig& config, bool saveRconPasswd)
{
    const QByteArray contents = configFileContents(config, saveRconPasswd);
    Result<void> written = makeConfigStoreDirectory();
    // The file holds the remote-console password: its owner alone may read it.
    if (written.ok())
        written = AtomicFile::write(configFileWithPathReplacedSpaces(config.configName()), contents,
                                    AtomicFile::privatePermissions);
    if (isUrbanTerror()) {
        const Result<void> mapList = saveMapListToFile(config);
        if (written.ok())
            written = mapList;
    }
    return written;
}

QByteArray ConfigFiles::configFileContents(const ServerConfig& config, bool saveRconPasswd)
{
    QString text = QStringLiteral("// Server Config File created by ") +
                   CommonData::applicationName() + QLatin1Char('\n');
    text += ConsoleText::line(QStringLiteral("set gamename "), ConsoleText::bareValue(m_modDir));
    for (int index = 0; index < cvarCount; ++index)
        text += getConfigLineForCvar(index, config, saveRconPasswd);
    if (!UserDefaults::boolValue(KZXUseDefaultMasterServersKey))
        text += customMasterServerList();
    text += extraParametersList(config);
    // Bots join a running map: their lines come after the map commands.
    if (isUrbanTerror())
        text += mapcycleCvarAndStartMap(config);
    else
        text += createMapListString(config);
    text += extraParametersAddbotList(config);
    return ConsoleText::toAscii(text).toLatin1();
}

QString ConfigFiles::getConfigLineForCvar(int index, const ServerConfig& config,
                                          bool saveRconPasswd) const
{
    if (index < 0 || index >= cvarCount)
        return {};
    const QString& name = cvarList().at(index);
    switch (index) {
    case 4:
        return quotedLine(name, config.serverName());
    case 5:
        return quotedLine(name, config.welcomeText());
    case 7:
        return quotedLine(name, config.privateClientPasswd());
    case rconPasswordRow:
        return saveRconPasswd ? quotedLine(QStringLiteral("set ") + name, config.rconPassword())
                              : QString();
    case 13:
        return name + QLatin1Char(' ') + QString::number(double(config.quadFactor()), 'f', 2) +
               QLatin1Char('\n');
    // Only a comment: the value reaches the server on its command line.
    case 17:
        return QStringLiteral("//") + integerLine(name, config.hunkMegs());
    case 18:
        return quotedLine(name, config.netIP());
    default:
        return integerLine(name, integerValue(index, config));
    }
}

QString ConfigFiles::customMasterServerList() const
{
    const QStringList servers = UserDefaults::stringListValue(KZXGameMasterServKey);
    if (servers.isEmpty())
        return {};
    // Always the five lines; a shorter stored list gives empty values.
    QString text;
    for (int i = 0; i < 5; ++i)
        text += ConsoleText::line(QStringLiteral("sv_master%1 ").arg(i + 1),
                                  ConsoleText::command(servers.value(i)));
    return text;
}

QString ConfigFiles::extraParametersList(const ServerConfig& config) const
{
    QString text;
    for (const ExtraParameter& parameter : config.extraParameters()) {
        if (parameter.xvariable() != addbotCommand)
            text += extraParameterLine(parameter.xvariable(), parameter.xvalue());
    }
    return text;
}

QString ConfigFiles::extraParametersAddbotList(const ServerConfig& config) const
{
    QString text;
    for (const ExtraParameter& parameter : config.extraParameters()) {
        if (parameter.xvariable() == addbotCommand)
            text += extraParameterLine(addbotCommand, parameter.xvalue());
    }
    return text;
}

const QString& ConfigFiles::createMapListString(const ServerConfig& config)
{
    const QStringList& maps = config.mapList();
    const qsizetype count = maps.size();
    m_mapListString.clear();
    for (qsizetype k = 1; k <= count; ++k) {
        const QString head = QStringLiteral("set d%1 \"map ").arg(k);
        const QString map = ConsoleText::bareValue(maps.at(k - 1));
        if (k < count || config.rotateMaps()) {
            const qsizetype next = k < count ? k + 1 : 1;
            m_mapListString +=
                ConsoleText::line(head, map, QStringLiteral(" ; set nextmap vstr d%1\"").arg(next));
        } else {
            m_mapListString += ConsoleText::line(head, map, QStringLiteral("\""));
        }
    }
    if (count > 0)
        m_mapListString += QStringLiteral("vstr d1\n");
    return m_mapListString;
}

QString ConfigFiles::mapcycleCvarAndStartMap(const ServerConfig& config) const
{
    QString text = QStringLiteral("g_mapcycle \"%1\" \n").arg(mapListFileName);
    if (!config.mapList().isEmpty())
        text += ConsoleText::line(QStringLiteral("map "),
                                  ConsoleText::bareValue(config.mapList().first()));
    return text;
}

Result<void> ConfigFiles::saveMapListToFile(const ServerConfig& config) const
{
    if (const Result<void> directory = makeConfigStoreDirectory(); !directory.ok())
        return directory;
    return AtomicFile::write(mapListFileWithPath(), mapListFileContents(config).toLocal8Bit());
}

QString ConfigFiles::mapListFileContents(const ServerConfig& config) const
{
    // One name a line: a line break inside a name would make two entries of it.
    QStringList names = config.mapList();
    for (QString& name : names) {
        for (QChar& c : name) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                c = QLatin1Char(' ');
        }
    }
    return names.join(QLatin1Char('\n'));
}

QString ConfigFiles::configFileReplacedSpaces(const QString& name)
{
    return ConfigFileName::forConfigName(name);
}

QString ConfigFiles::configFileWithPathReplacedSpaces(const QString& name) const
{
    return m_configStorePath + QLatin1Char('/') + configFileReplacedSpaces(name);
}

QString ConfigFiles::mapListFileWithPath() const
{
    return m_configStorePath + QLatin1Char('/') + mapListFileName;
}

bool ConfigFiles::deleteConfigFile(const ServerConfig& config) const
{
    const QString fileName = configFileReplacedSpaces(config.configName());
    // A store of an older version may hold two names with one file ("a b", "a_b"): the file of
    // a configuration that runs now stays.
    for (const RunningServer::Record& record : RunningServer::readAll()) {
        const ServerConfig& running = record.config;
        if (running.configName() != config.configName() && running.modName() == m_modDir &&
            configFileReplacedSpaces(running.configName()) == fileName)
            return true;
    }
    const QString path = m_configStorePath + QLatin1Char('/') + fileName;
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return true;
    return QFile::remove(path);
}

Result<void> ConfigFiles::makeConfigStoreDirectory() const
{
    return AtomicFile::makeDirectories(m_configStorePath);
}

bool ConfigFiles::isUrbanTerror() const
{
    return m_modDir == urbanTerrorModDir;
}

ServerCommand::Inputs ConfigFiles::commandInputs(const ServerConfig& config) const
{
    ServerCommand::Inputs inputs;
    inputs.gameRoot = m_gameRoot;
    inputs.appName = UserDefaults::stringValue(KZXDedicatedAppName);
    if (ServerCommand::isApplicationBundle(inputs.appName))
        inputs.bundleExecutable = ServerCommand::bundleExecutableName(
            inputs.gameRoot + QLatin1Char('/') + inputs.appName);
    inputs.configFile = configFileReplacedSpaces(config.configName());
    return inputs;
}

Result<void> ConfigFiles::runConfigFile(const ServerConfig& config, const QString& launchedByApp)
{
    m_serverCommand = ServerCommand::build(config, commandInputs(config));

    QVariantMap window =
        m_defaultTerminalDict.value(QStringLiteral("WindowSettings")).toList().value(0).toMap();
    window.insert(QStringLiteral("CustomTitle"), launchedByApp + QStringLiteral(" Game Server"));
    window.insert(QStringLiteral("TitleBits"), QStringLiteral("10"));
    window.insert(QStringLiteral("ExecutionString"), m_serverCommand);
    if (const Result<void> directory = DataDirectory::prepare(); !directory.ok())
        return directory;
    return PlistWriter::writeFile(
        m_terminalFile, QVariantMap{{QStringLiteral("WindowSettings"), QVariantList{window}}});
}
