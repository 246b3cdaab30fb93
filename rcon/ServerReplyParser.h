#pragma once

#include "rcon/PlayerStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Reads the game server's text replies: the status table and the map-cycle variable.
// Every function copes with short, empty or garbled replies.
class ServerReplyParser
{
public:
    struct Range
    {
        qsizetype location = 0;
        qsizetype length = 0;
        bool operator==(const Range&) const = default;
    };

    // Where the fields of a player line stand.
    struct StatusColumns
    {
        Range score;
        Range ping;
        qsizetype nameStart = 0;
        bool operator==(const StatusColumns&) const = default;
    };

    // The columns of the classic table: score 4 to 8, ping 10 to 13, name from 15.
    static StatusColumns classicColumns();
    // The columns as the dash line under the table header marks them (score, ping and name
    // are its second, third and fourth run of dashes); the classic ones when it marks fewer.
    static StatusColumns statusColumns(const QString& dashLine);

    // A status reply: its map and its players in reply order.
    struct StatusReply
    {
        QString map;
        QList<PlayerStatus> players;
        bool operator==(const StatusReply&) const = default;
    };

    // The text as a status reply, or nothing when it is none. A status reply starts with the
    // line "map: NAME", the column header line and the dash line under it (ioquake3's
    // "cl score ping name address rate" table, or the classic engine's
    // "num score ping name lastmsg address qport rate"). Its players are the lines after the
    // dash line up to the first line that is not a player line; what follows that line is
    // not read. A player line reads, as the server prints it: the slot, the score, the ping
    // (or CNCT / ZMBI), each right-aligned and followed by one blank; the name as the player
    // chose it, colour codes and blanks included, from the column the dash line marks for it
    // (a number wider than its column pushes the name right, as it does in the server's
    // output); blank padding; then "^7" and the address,
    // padding and the rate (the classic table: "^7", padding, the time since the last
    // message, the address, the qport and the rate). The name ends where the padding before
    // the address begins, found from the end of the line, so that blanks inside a name and a
    // name longer than its column are read whole; the padding is dropped.
    static std::optional<StatusReply> parseStatus(const QString& text);

    // Whether the reply is the server's refusal of the password: the whole reply is
    // "Bad rconpassword." or "No rconpassword set on the server.", trailing white space
    // allowed. A reply that only contains these words (a player of that name, a chat line)
    // is none.
    static bool isPasswordRefusal(const QByteArray& reply);

    // The map name of a status reply; nothing when the text is no status reply.
    static std::optional<QString> mapNameFromStatus(const QString& status);

    // The players of a status reply; none when the text is no status reply.
    static QList<PlayerStatus> playersFromStatus(const QString& status);

    // The name in a player line that starts at start: up to the padding before the address
    // when the line is a player line of either table. Otherwise up to the first tab of the
    // rest of the line, or its first blank when it has no tab, or 15 characters when it has
    // neither. Never past the end of the line.
    static Range playerNameRange(const QString& line, qsizetype start);

    // The map-cycle variable a "nextmap" reply names after "vstr ", up to a "^7" colour
    // code. Nothing when the reply has no "vstr ".
    static std::optional<QString> mapCycleVariable(const QString& reply);
    // The value of a console variable as the server reports it when asked for the variable
    // alone ("fraglimit" is:"30^7" default:"20^7" gives 30): the text between the quotes
    // after "is:", without the colour code that ends it. Nothing when the reply has none.
    static std::optional<QString> variableValue(const QString& reply);

    // The number in a map-cycle variable ("d12" gives 12): the first run of decimal digits.
    // Nothing when it has no digit or the number is too large.
    static std::optional<int> mapCycleNumber(const QString& variable);
};
