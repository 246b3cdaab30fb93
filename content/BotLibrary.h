#pragma once

#include "config/GamePaths.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// The bot names of one mod, read from its "VOBots.plist" (botsPlistFileWithPath).
// A mod whose database cannot be read falls back to the stock game's through a link; when
// no database can be read at all, the stock game's 32 bots stand in, except for Q3 Fortress
// 2, which has no bots. A list that was read and is empty stays empty.
class BotLibrary
{
public:
    explicit BotLibrary(const GamePaths& paths);

    const std::optional<QVariantList>& botLibraryDB() const { return m_botLibraryDB; }
    const QStringList& names() const { return m_names; }
    int numberOfBots() const { return int(m_names.size()); }
    // The name at that index; empty outside the list.
    QString botNameAtIndex(int index) const;

    // Rebuilds the names from the database: the "name" of each dictionary, in order;
    // dictionaries without a name are skipped.
    void setBotsFromPlist();
    // Replaces the mod's database by a link to the stock game's; false when the mod is the
    // stock game itself or the link could not be made.
    static bool replaceBotsPlistFileWithLink(const GamePaths& paths);

    static const QStringList& stockBotNames();
    static std::optional<QVariantList> readBotsPlist(const QString& path);

    bool debug = false;

private:
    QString m_mod;
    std::optional<QVariantList> m_botLibraryDB;
    QStringList m_names;
};
