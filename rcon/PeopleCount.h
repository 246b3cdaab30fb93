#pragma once

#include "rcon/QueryReplies.h"

#include <QList>
#include <QString>

#include <optional>

// How many of a server's clients are people and how many bots.
//
// Never by ping alone: a person playing on the server's own machine has ping 0, exactly like
// a bot. The engine's own count (g_humanplayers in the getinfo reply) and, where the remote
// console is at hand, the address column of its status table ("bot" for a bot) tell them apart.
struct PeopleCount
{
    int people = 0;
    int bots = 0;

    enum class Kind
    {
        Person,
        Bot,
        // Ping 0 (or 999, joining) while a person may have it too: either.
        PersonOrBot,
    };

    // From getinfo: g_humanplayers people among the clients; nothing from a server that does
    // not send g_humanplayers or a number that cannot be.
    static std::optional<PeopleCount> fromInfo(const ServerInfoReply& info);

    // From the reply to the remote console's "status": one player line per client, its
    // address column before the rate column at the end of the line. Nothing when the reply is
    // not such a table.
    static std::optional<PeopleCount> fromRconStatus(const QString& statusReply);

    // Which player of a getstatus reply is which, given the count: the engine gives bots
    // ping 0 (999 while they join, like anyone joining), so a player with a ping between is
    // a person; the others are bots when the people with such a ping are all the people
    // there are, else either. With a count the players contradict, nobody is told.
    static QList<Kind> kindsOf(const QList<QueryPlayer>& players,
                               const std::optional<PeopleCount>& count);

    // "person", "bot" or "unknown": the word scripts read.
    static QString kindName(Kind kind);

    bool operator==(const PeopleCount&) const = default;
};
