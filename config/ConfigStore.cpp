#include "config/ConfigStore.h"

#include "format/Logging.h"

#include "config/CommonData.h"
#include "config/ConfigFileName.h"
#include "config/DataDirectory.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "config/VisibleText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

// The base of a name for its duplicates: without its last word when that word starts with
// a positive number.
QString duplicateBase(const QString& name)
{
    QStringList words = name.split(QLatin1Char(' '));
    const QString& last = words.last();
    qsizetype digits = 0;
    while (digits < last.size() && last.at(digits).isDigit() && last.at(digits).unicode() < 128)
        ++digits;
    bool positive = false;
    for (qsizetype i = 0; i < digits; ++i)
        positive = positive || last.at(i) != QLatin1Char('0');
    if (!positive)
        return name;
    words.removeLast();
    return words.join(QLatin1Char(' '));
}

QString asidePathFor(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QFileInfo info(path);
    QString aside =
        info.path() +
        QStringLiteral("/%1-unreadable-%2.%3").arg(info.completeBaseName(), stamp, info.suffix());
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = info.path() + QStringLiteral("/%1-unreadable-%2-%3.%4")
                                  .arg(info.completeBaseName(), stamp)
                                  .arg(n)
                                  .arg(info.suffix());
    return aside;
}

} // namespace

QString ConfigStore::storePath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/ServerConfigs.kzvr");
}

void ConfigStore::load()
{
    m_serverConfigDict.clear();
    m_movedAsidePath.clear();
    m_loadError.clear();
    const QString path = storePath();
    if (!QFileInfo::exists(path))
        return;
    Result<ConfigArchive::Store> store = ConfigArchive::read(path);
    if (store.ok()) {
        m_serverConfigDict = std::move(store.value);
        return;
    }
    m_loadError = store.error;
    const QString aside = asidePathFor(path);
    if (QFile::rename(path, aside))
        m_movedAsidePath = aside;
    qCWarning(lcConfig, "The configuration store %s could not be read (%s); %s", qPrintable(path),
              qPrintable(store.error),
              m_movedAsidePath.isEmpty() ? "it could not be moved aside either"
                                         : qPrintable(QStringLiteral("kept as ") + aside));
}

Result<void> ConfigStore::save() const
{
    if (const Result<void> directory = DataDirectory::prepare(); !directory.ok())
        return directory;
    return ConfigArchive::write(storePath(), m_serverConfigDict);
}

const ServerConfig* ConfigStore::find(const QString& name) const
{
    const auto it = m_serverConfigDict.constFind(name);
    return it == m_serverConfigDict.cend() ? nullptr : &*it;
}

ServerConfig* ConfigStore::find(const QString& name)
{
    const auto it = m_serverConfigDict.find(name);
    return it == m_serverConfigDict.end() ? nullptr : &*it;
}

void ConfigStore::insert(const ServerConfig& record)
{
    m_serverConfigDict.insert(record.configName(), record);
}

bool ConfigStore::remove(const QString& name)
{
    return m_serverConfigDict.remove(name) > 0;
}

QStringList ConfigStore::sortedKeysCaseInsensitive() const
{
    QStringList keys = m_serverConfigDict.keys();
    keys.sort(Qt::CaseInsensitive);
    return keys;
}

ConfigStore::Outcome ConfigStore::checkName(const QString& name, const QString& mod,
                                            const QString& replacing) const
{
    if (name.isEmpty())
        return refusal(Refusal::EmptyName, {},
                       voCommonText(QStringLiteral("ServerConfigNameEmptyMsg"),
                                    QStringLiteral("A server config needs a name.")));
    if (const ServerConfig* existing = find(name))
        return nameTaken(name, *existing);
    const QString fileName = ConfigFileName::forConfigName(name);
    if (!ConfigFileName::isExecutable(fileName))
        return refusal(
            Refusal::FileNameTooLong,
            voCommonText(QStringLiteral("ServerConfigNameTooLongTitle"),
                         QStringLiteral("Server config name too long!")),
            voCommonText(QStringLiteral("ServerConfigNameTooLongMsg"),
                         QStringLiteral("Server config name: '%@' gives the server file name "
                                        "'%@', %@ characters long. \n\nThe game server runs "
                                        "only files whose names have at most %@ characters: "
                                        "please find a shorter name."),
                         {VisibleText::escaped(name), fileName,
                          QString::number(ConfigFileName::execLength(fileName)),
                          QString::number(ConfigFileName::maxExecNameLength)}));
    for (const ServerConfig& other : m_serverConfigDict) {
        if (other.configName() == replacing || other.modName() != mod ||
            ConfigFileName::forConfigName(other.configName()) != fileName)
            continue;
        return refusal(
            Refusal::FileNameShared,
            voCommonText(QStringLiteral("ServerConfigFileTakenTitle"),
                         QStringLiteral("Server config name too close to another!")),
            voCommonText(QStringLiteral("ServerConfigFileTakenMsg"),
                         QStringLiteral("Server config name: '%@' gives the server file name "
                                        "'%@', which the config '%@' of the mod %@ already has. "
                                        "\n\nPlease find a name that differs in more than "
                                        "blanks or punctuation."),
                         {VisibleText::escaped(name), fileName,
                          VisibleText::escaped(other.configName()), mod}));
    }
    Outcome accepted;
    accepted.name = name;
    return accepted;
}

ConfigStore::Outcome ConfigStore::addConfig(const NewConfig& request)
{
    Outcome outcome = checkName(request.name, request.mod);
    if (!outcome.ok())
        return outcome;
    ServerConfig record;
    record.setConfigName(request.name);
    record.setModName(request.mod);
    record.setGameType(request.gameType);
    record.setGameTypeString(request.gameTypeString);
    if (request.limits) {
        record.setFragLimit(request.limits->fragLimit);
        record.setTimeLimit(request.limits->timeLimit);
        record.setCaptureLimit(request.limits->captureLimit);
        record.setMaxPlayers(request.limits->maxPlayers);
    }
    if (request.shown)
        carryOver(*request.shown, record);
    record.setRconPasswordAccordingToPrefs(request.shownRconPassword);
    if (UserDefaults::boolValue(KZXEnablePunkBusterByDefaultKey))
        record.setPunkBusterEnabled(true);
    insert(record);
    return outcome;
}

void ConfigStore::carryOver(const ShownValues& shown, ServerConfig& record)
{
    if (UserDefaults::boolValue(KZXPreserveNetIPAddressKey))
        record.setNetIP(shown.netIP);
    if (UserDefaults::boolValue(KZXPreserveNetPortKey))
        record.setNetPort(shown.netPort);
    if (UserDefaults::boolValue(KZXPreservePrivateClientsPasswordKey))
        record.setPrivateClientPasswd(shown.privateClientPasswd);
    if (UserDefaults::boolValue(KZXPreserveServerNameKey))
        record.setServerName(shown.serverName);
    if (UserDefaults::boolValue(KZXPreserveWelcomeTextKey))
        record.setWelcomeText(shown.welcomeText);
}

std::optional<QString> ConfigStore::duplicateNameFor(const QString& name, const QString& mod) const
{
    const ServerConfig* source = find(name);
    const QString copyMod = !mod.isEmpty() ? mod : source ? source->modName() : QString();
    const QString base = duplicateBase(name);
    for (int n = 2; n <= 99; ++n) {
        const QString candidate = base + QLatin1Char(' ') + QString::number(n);
        if (checkName(candidate, copyMod).ok())
            return candidate;
    }
    return std::nullopt;
}

ConfigStore::Outcome ConfigStore::duplicateConfig(const QString& name)
{
    const ServerConfig* source = find(name);
    if (!source)
        return notFound(name);
    const std::optional<QString> copyName = duplicateNameFor(name, source->modName());
    if (!copyName)
        return refusal(
            Refusal::NoFreeCopyName,
            voCommonText(QStringLiteral("DuplicateNoFreeNameTitle"),
                         QStringLiteral("No name left for a copy!")),
            voCommonText(QStringLiteral("DuplicateNoFreeNameMsg"),
                         QStringLiteral("Every numbered name from 2 to 99 for a copy of '%@' is "
                                        "taken or too long; nothing was duplicated."),
                         {VisibleText::escaped(name)}));
    ServerConfig copy = ServerConfig::copyOf(*source);
    copy.setConfigName(*copyName);
    insert(copy);
    Outcome outcome;
    outcome.name = *copyName;
    return outcome;
}

ConfigStore::Outcome ConfigStore::renameConfig(const QString& oldName, const QString& newName,
                                               const std::function<void(ServerConfig&)>& edit)
{
    const ServerConfig* old = find(oldName);
    if (!old)
        return notFound(oldName);
    Outcome outcome = checkName(newName, old->modName(), oldName);
    if (!outcome.ok())
        return outcome;
    ServerConfig renamed = *old;
    if (edit)
        edit(renamed);
    renamed.setConfigName(newName);
    remove(oldName);
    insert(renamed);
    return outcome;
}

ConfigStore::Outcome ConfigStore::refusal(Refusal why, const QString& title,
                                          const QString& message)
{
    Outcome outcome;
    outcome.refusal = why;
    outcome.title = title;
    outcome.message = message;
    return outcome;
}

ConfigStore::Outcome ConfigStore::nameTaken(const QString& name, const ServerConfig& existing)
{
    return refusal(
        Refusal::NameTaken,
        voCommonText(QStringLiteral("ServerConfigNameTakenTitle"),
                     QStringLiteral("Server config name already taken!")),
        voCommonText(QStringLiteral("ServerConfigNameTakenMsg"),
                     QStringLiteral("Server config name: '%@' already exists \n(with mod: %@). "
                                    "\n\nPlease find a unique name and do New again."),
                     {VisibleText::escaped(name), existing.modName()}));
}

ConfigStore::Outcome ConfigStore::notFound(const QString& name)
{
    return refusal(Refusal::NotFound, {},
                   voCommonText(QStringLiteral("ServerConfigNotFoundMsg"),
                                QStringLiteral("There is no server config named '%@'."),
                                {VisibleText::escaped(name)}));
}
