#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One row of a table looked up by keyword: the first key that occurs in a game type's long
// name selects the row's values.
struct GameTypeKeywordRow
{
    QString key;
    QStringList values;
};
using GameTypeKeywordTable = QList<GameTypeKeywordRow>;

// The built-in knowledge about the game and its mods: long names of known mods, the game
// types of mods that ship no "gameinfo.txt", the arena type words of each mod's game types,
// and the default limits and limit controls of each kind of game type.
class GameTypeTables
{
public:
    GameTypeTables() = delete;

    // Known mod directory -> long name, matched exactly.
    static std::optional<QString> knownModLongname(const QString& modDir);
    static const QList<QPair<QString, QString>>& knownMods();

    struct LongnamesAndNumbers
    {
        QStringList names;
        QStringList numbers;
    };
    // The game types of a mod without "gameinfo.txt"; the first rule that fits the directory
    // name wins, and every other mod gets the stock game's four types.
    static LongnamesAndNumbers builtInLongnamesAndNumbers(const QString& modDir);

    // The arena type words of a mod's game types, by index; none when no row fits. Each row's
    // key is a prefix of the directory name and the last row that fits wins ("q3ut2" takes
    // "q3ut").
    static std::optional<QStringList> shortnamesForMod(const QString& modDir);

    // fraglimit, timelimit, capturelimit, maxplayers.
    static const GameTypeKeywordTable& limits();
    // Frag-limit control, capture-limit control ("1" enabled, "0" disabled).
    static const GameTypeKeywordTable& enableFlags();
    // The values of the first key (in table order) that occurs in the long name, else of the
    // row "Default".
    static QStringList lookup(const GameTypeKeywordTable& table, const QString& longname);

    // Arena type words whose game types are played every one for himself.
    static const QStringList& singlePlayerTypeSuffixes();
};
