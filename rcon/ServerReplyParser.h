#pragma once

#include "rcon/PlayerStatus.h"

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

    // The map name of a status reply: its first line's text between the first ": " and the
    // next one. Nothing when the line has no ": " or the name is empty.
    static std::optional<QString> mapNameFromStatus(const QString& status);

    // The players of a status reply: lines 3 up to the third-last, in reply order. Lines too
    // short to hold a name are skipped.
    static QList<PlayerStatus> playersFromStatus(const QString& status);

    // The name in a player line: from start up to the first tab of the rest of the line, or
    // its first blank when it has no tab, or 15 characters when it has neither; never past
    // the end of the line.
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

    // A status reply: its map line, the table's header and dash lines, then its players.
    struct StatusReply
    {
        QString map;
        QList<PlayerStatus> players;
    };
    // Nothing when the text is not a status reply.
    static std::optional<StatusReply> parseStatus(const QString& text);
    // The server's whole answer to a wrong or missing password.
    static bool isPasswordRefusal(const QByteArray& reply);
};
