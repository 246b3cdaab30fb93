#include "content/ModSupport.h"

#include "config/CommonData.h"
#include "content/GameTypeMenu.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QStringList& limitNames()
{
    static const QStringList names = {QStringLiteral("fraglimit"), QStringLiteral("timelimit"),
                                      QStringLiteral("capturelimit"), QStringLiteral("maxplayers")};
    return names;
}

const QStringList& limitControlNames()
{
    static const QStringList names = {QStringLiteral("fraglimit"), QStringLiteral("capturelimit")};
    return names;
}

} // namespace

const QString& ModSupport::arenasPlistName()
{
    static const QString name = QStringLiteral("VOArenas.plist");
    return name;
}

ModSupport::ModSupport()
{
    const QDir supportDir(CommonData::appSupportQ3VXDir());
    const QStringList entries = supportDir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        const QString path = supportDir.filePath(entry);
        if (!QFileInfo(path).isDir() ||
            !QFileInfo(path + QLatin1Char('/') + arenasPlistName()).isFile())
            continue;
        m_foundMods.append(entry);
        addModNameForMod(entry);
        m_modGameTypesDict.insert(entry, GameTypes(path));
    }
}

void ModSupport::addModNameForMod(const QString& mod)
{
    m_modNameDict.insert(mod, GameTypeTables::knownModLongname(mod).value_or(mod));
}

const GameTypes* ModSupport::gameTypesForMod(const QString& mod) const
{
    const auto found = m_modGameTypesDict.constFind(mod);
    return found == m_modGameTypesDict.cend() ? nullptr : &found.value();
}

QString ModSupport::modNameAtIndex(int index) const
{
    if (unsigned(index) < unsigned(m_foundMods.size()))
        return m_foundMods.at(index);
    return QStringLiteral("?");
}

std::optional<QString> ModSupport::longnameForMod(const QString& mod) const
{
    const auto found = m_modNameDict.constFind(mod);
    if (found == m_modNameDict.cend())
        return std::nullopt;
    return found.value();
}

QString ModSupport::modForLongname(const QString& longname) const
{
    for (const QString& mod : m_foundMods)
        if (m_modNameDict.value(mod) == longname)
            return mod;
    return CommonData::qGameDefaultModDir();
}

void ModSupport::setGameTypesMenu(GameTypeMenu& menu, const QString& mod) const
{
    if (const GameTypes* types = gameTypesForMod(mod))
        types->setGameTypeMenuItems(menu);
}

std::optional<QString> ModSupport::shortNameForGameTypeString(const QString& gameType,
                                                              const QString& mod) const
{
    if (const GameTypes* types = gameTypesForMod(mod))
        return types->gametypeShortnameForLongname(gameType);
    return std::nullopt;
}

std::optional<QStringList> ModSupport::limitsForGameType(const QString& gameType,
                                                         const QString& mod) const
{
    if (const GameTypes* types = gameTypesForMod(mod))
        return types->gametypeLimitsForLongname(gameType);
    return std::nullopt;
}

std::optional<QStringList> ModSupport::controlEnableForGameType(const QString& gameType,
                                                                const QString& mod) const
{
    if (const GameTypes* types = gameTypesForMod(mod))
        return types->gametypeEnableFlagsForLongname(gameType);
    return std::nullopt;
}

int ModSupport::defaultValueForLimit(const QString& limit, const QString& gameType,
                                     const QString& mod) const
{
    const std::optional<QStringList> limits = limitsForGameType(gameType, mod);
    const qsizetype position = limitNames().indexOf(limit);
    if (!limits || position < 0)
        return 0;
    return GameTypes::integerValue(limits->value(position));
}

bool ModSupport::enableForLimitControl(const QString& limit, const QString& gameType,
                                       const QString& mod) const
{
    const std::optional<QStringList> flags = controlEnableForGameType(gameType, mod);
    const qsizetype position = limitControlNames().indexOf(limit);
    if (!flags || position < 0)
        return false;
    return GameTypes::integerValue(flags->value(position)) != 0;
}

bool ModSupport::gameTypeIsTeamBased(const QString& gameType, const QString& mod) const
{
    const std::optional<QString> shortname = shortNameForGameTypeString(gameType, mod);
    if (!shortname)
        return true;
    const QStringList& suffixes = GameTypeTables::singlePlayerTypeSuffixes();
    return std::none_of(suffixes.cbegin(), suffixes.cend(), [&](const QString& suffix) {
        return shortname->endsWith(suffix, Qt::CaseSensitive);
    });
}

QStringList ModSupport::serverConfigKeysModFiltered(const ConfigArchive::Store& configs,
                                                    const QString& mod)
{
    QStringList names;
    for (auto it = configs.cbegin(); it != configs.cend(); ++it)
        if (it.value().modName() == mod)
            names.append(it.key());
    std::sort(names.begin(), names.end());
    return names;
}
