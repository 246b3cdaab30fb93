#pragma once

#include "config/ConfigArchive.h"
#include "content/GameTypes.h"

#include <QMap>
#include <QStringList>

#include <optional>

class GameTypeMenu;

// The mods that have a map database in the application's data directory, their display
// names and the game types of each. Built once per run; every question about a mod's game
// types goes through it.
class ModSupport
{
public:
    // Finds the mods: each directory of the data directory (links followed) that holds
    // "VOArenas.plist".
    ModSupport();

    static const QString& arenasPlistName();

    const QStringList& foundMods() const { return m_foundMods; }
    const QMap<QString, QString>& modNameDict() const { return m_modNameDict; }
    const QMap<QString, GameTypes>& modGameTypesDict() const { return m_modGameTypesDict; }
    // The table of a found mod; nullptr for any other name.
    const GameTypes* gameTypesForMod(const QString& mod) const;

    // The found mod at that index, "?" when there is none.
    QString modNameAtIndex(int index) const;
    std::optional<QString> longnameForMod(const QString& mod) const;
    // The first found mod with that long name, else the default mod.
    QString modForLongname(const QString& longname) const;

    // Leaves the menu unchanged for a mod that was not found.
    void setGameTypesMenu(GameTypeMenu& menu, const QString& mod) const;
    std::optional<QString> shortNameForGameTypeString(const QString& gameType,
                                                      const QString& mod) const;
    std::optional<QStringList> limitsForGameType(const QString& gameType, const QString& mod) const;
    std::optional<QStringList> controlEnableForGameType(const QString& gameType,
                                                        const QString& mod) const;
    // limit is "fraglimit", "timelimit", "capturelimit" or "maxplayers"; 0 for anything
    // else or a mod that was not found.
    int defaultValueForLimit(const QString& limit, const QString& gameType,
                             const QString& mod) const;
    // limit is "fraglimit" or "capturelimit"; false for anything else or a mod that was not
    // found.
    bool enableForLimitControl(const QString& limit, const QString& gameType,
                               const QString& mod) const;
    // Team-based unless the arena type word ends in "ffa", "1v1", "tourney" or "q3dm"; a mod
    // that was not found counts as team-based.
    bool gameTypeIsTeamBased(const QString& gameType, const QString& mod) const;

    // The names of the configurations of a mod, sorted case-sensitively.
    static QStringList serverConfigKeysModFiltered(const ConfigArchive::Store& configs,
                                                   const QString& mod);

private:
    void addModNameForMod(const QString& mod);

    QStringList m_foundMods;
    QMap<QString, QString> m_modNameDict;
    QMap<QString, GameTypes> m_modGameTypesDict;
};
