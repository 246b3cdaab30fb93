#pragma once

#include "content/GameTypeTables.h"

#include <QStringList>

class GameTypeMenu;

// The game types of one mod in menu order: long name, g_gametype number (as text) and arena
// type word ("ffa", "ctf"), plus the default limits and limit controls of each game type.
// The names and numbers come from the mod's "gameinfo.txt" when its data directory holds
// one, else from the built-in tables.
class GameTypes
{
public:
    // modPath is the mod's data directory; its last component is the mod's directory name.
    explicit GameTypes(const QString& modPath);

    const QStringList& gametypeNames() const { return m_gametypeNames; }
    const QStringList& gametypeNumbers() const { return m_gametypeNumbers; }
    const QStringList& gametypeShortnames() const { return m_gametypeShortnames; }
    static const GameTypeKeywordTable& gametypeLimits() { return GameTypeTables::limits(); }
    static const GameTypeKeywordTable& gametypeEnableFlags()
    {
        return GameTypeTables::enableFlags();
    }
    int numberOfGameTypes() const { return int(m_gametypeNames.size()); }

    // The arena type word at the long name's index; "all" when the long name is unknown or
    // has no type word.
    QString gametypeShortnameForLongname(const QString& longname) const;
    // Four texts: fraglimit, timelimit, capturelimit, maxplayers.
    QStringList gametypeLimitsForLongname(const QString& longname) const;
    // Two texts "0"/"1": frag-limit control, capture-limit control.
    QStringList gametypeEnableFlagsForLongname(const QString& longname) const;
    // Replaces the menu's items by the long names, tagged with their numbers; selects the
    // first.
    void setGameTypeMenuItems(GameTypeMenu& menu) const;

    // The value of a number text: leading white space, an optional sign and the decimal
    // digits that follow; 0 without digits, clamped to the int range.
    static int integerValue(const QString& text);

private:
    void setGametypesFromFile(const QString& path);
    void addGametypeNameAndNumber(const QString& name, const QString& numberText);
    void setGametypeLongnamesAndNumbersForMod(const QString& modDir);
    void setGametypeShortnamesForMod(const QString& modDir);

    QStringList m_gametypeNames;
    QStringList m_gametypeNumbers;
    QStringList m_gametypeShortnames;
};
