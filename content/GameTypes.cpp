#include "content/GameTypes.h"

#include "content/GameInfoParser.h"
#include "content/GameTypeMenu.h"
#include "format/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

GameTypes::GameTypes(const QString& modPath)
{
    const QString dir = QDir::cleanPath(modPath);
    const QString modDir = QFileInfo(dir).fileName();
    const QString gameInfo = dir + QStringLiteral("/gameinfo.txt");
    if (QFileInfo(gameInfo).isFile())
        setGametypesFromFile(gameInfo);
    else
        setGametypeLongnamesAndNumbersForMod(modDir);
    setGametypeShortnamesForMod(modDir);
}

void GameTypes::setGametypesFromFile(const QString& path)
{
    QFile file(path);
    if (file.size() > GameInfoParser::maximumFileSize || !file.open(QIODevice::ReadOnly))
        return;
    const GameInfoParser::Result parsed =
        GameInfoParser::parse(GameInfoParser::decode(file.read(GameInfoParser::maximumFileSize)));
    if (parsed.missingLeftBrace)
        qCWarning(lcContent, "Error: Could not find first left brace in gameinfo.txt");
    for (const GameInfoParser::Entry& entry : parsed.entries)
        addGametypeNameAndNumber(entry.name, entry.numberText);
}

void GameTypes::addGametypeNameAndNumber(const QString& name, const QString& numberText)
{
    m_gametypeNames.append(name);
    m_gametypeNumbers.append(numberText);
}

void GameTypes::setGametypeLongnamesAndNumbersForMod(const QString& modDir)
{
    const GameTypeTables::LongnamesAndNumbers builtIn =
        GameTypeTables::builtInLongnamesAndNumbers(modDir);
    m_gametypeNames = builtIn.names;
    m_gametypeNumbers = builtIn.numbers;
}

void GameTypes::setGametypeShortnamesForMod(const QString& modDir)
{
    if (std::optional<QStringList> shortnames = GameTypeTables::shortnamesForMod(modDir))
        m_gametypeShortnames = *shortnames;
    else
        m_gametypeShortnames = QStringList(m_gametypeNames.size(), QStringLiteral("all"));
}

QString GameTypes::gametypeShortnameForLongname(const QString& longname) const
{
    const qsizetype index = m_gametypeNames.indexOf(longname);
    if (index < 0 || index >= m_gametypeShortnames.size())
        return QStringLiteral("all");
    return m_gametypeShortnames.at(index);
}

QStringList GameTypes::gametypeLimitsForLongname(const QString& longname) const
{
    return GameTypeTables::lookup(gametypeLimits(), longname);
}

QStringList GameTypes::gametypeEnableFlagsForLongname(const QString& longname) const
{
    return GameTypeTables::lookup(gametypeEnableFlags(), longname);
}

void GameTypes::setGameTypeMenuItems(GameTypeMenu& menu) const
{
    menu.removeAllItems();
    for (qsizetype i = 0; i < m_gametypeNames.size(); ++i)
        menu.addItem(m_gametypeNames.at(i), integerValue(m_gametypeNumbers.value(i)));
    if (!m_gametypeNames.isEmpty())
        menu.selectItem(0);
}

int GameTypes::integerValue(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < '0' || c > '9')
            break;
        value = std::min(value * 10 + (c - '0'), limit);
    }
    if (negative)
        return int(-value);
    return int(std::min(value, limit - 1));
}
