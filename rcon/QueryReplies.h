#pragma once

#include "rcon/InfoString.h"

#include <QList>
#include <QString>

#include <optional>

// What a reply of the public status protocol may hold at most. A real ioquake3 reply stays
// far below every bound (at most 64 players, names of 31 bytes, one datagram of about 17 KB);
// a reply past one is not taken whole.
struct QueryLimits
{
    // A datagram larger than this ends the exchange.
    qsizetype replyBytes = 32768;
    // Players past this many are left out (and counted).
    int players = 128;
    // A name longer than this many characters is cut.
    int nameLength = 128;
    InfoString::Limits info;
    // Datagrams from the server in one exchange beyond this many end it: a flood.
    int datagramsPerExchange = 16;
};

// One player line of a getstatus reply.
struct QueryPlayer
{
    int score = 0;
    int ping = 0;
    // As the server sends it, colour codes kept; cut at the name limit.
    QString name;
    bool nameCut = false;

    // The name as a person reads it: without colour codes.
    QString visibleName() const { return InfoString::withoutColourCodes(name); }
    bool operator==(const QueryPlayer&) const = default;
};

// The answer to "getinfo": a short summary the engine builds for server browsers.
struct ServerInfoReply
{
    InfoString info;
    QString challenge;
    QString hostName;
    QString mapName;
    QString gameName;
    // The mod directory ("game", absent for the base game).
    QString mod;
    int protocol = -1;
    int gameType = -1;
    int clients = -1;
    int maxClients = -1;
    // People among the clients, as the engine counts them (bots left out); ioquake3 sends it,
    // older engines do not.
    std::optional<int> humanPlayers;
    bool needPassword = false;
};

// The answer to "getstatus": every server-info variable, then one line per player.
struct ServerStatusReply
{
    InfoString variables;
    QString challenge;
    QList<QueryPlayer> players;
    // Player lines past the player limit.
    int playersLeftOut = 0;
    // Lines that were no player line (garbled, or torn at the end of the datagram).
    int linesSkipped = 0;

    QString hostName() const { return variables.value(u"sv_hostname").value_or(QString()); }
    QString mapName() const { return variables.value(u"mapname").value_or(QString()); }
    std::optional<int> maxClients() const { return variables.integer(u"sv_maxclients"); }
    std::optional<int> gameType() const { return variables.integer(u"g_gametype"); }
    bool needPassword() const { return variables.integer(u"g_needpass").value_or(0) != 0; }
};
