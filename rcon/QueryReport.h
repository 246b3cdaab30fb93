#pragma once

#include "rcon/PeopleCount.h"
#include "rcon/QueryReplies.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// What one query of a server found: the getinfo and getstatus replies that came, and what the
// caller knows beside them (the map's title and the game type's name from the mod's
// databases). The fields read the getinfo reply first and the getstatus reply where it has
// none.
class QueryReport
{
public:
    QString endpoint;
    std::optional<ServerInfoReply> info;
    std::optional<ServerStatusReply> status;
    QString mapTitle;
    QString gameTypeName;

    bool answered() const { return info || status; }
    // As the server sends them (colour codes kept).
    QString hostName() const;
    QString mapName() const;
    QString mod() const;
    std::optional<int> gameType() const;
    std::optional<int> maxClients() const;
    std::optional<int> clients() const;
    bool needPassword() const;
    // People and bots, from getinfo's g_humanplayers.
    std::optional<PeopleCount> count() const;
    QList<QueryPlayer> players() const;
    QList<PeopleCount::Kind> playerKinds() const;

    // Every field; what is not known is null. Always a valid document, whatever the server
    // sent (its texts were read as UTF-8 or byte for byte).
    QJsonObject toJson() const;
};
