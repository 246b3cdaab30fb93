#pragma once

#include "rcon/QueryReplies.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Reads the datagrams of the public status protocol: connectionless packets, four 0xFF bytes
// and a command word on the first line. Pure functions; every input, however garbled, gives a
// bounded result or nothing.
class QueryReplyParser
{
public:
    // The four bytes that start every connectionless packet.
    static QByteArray packetPrefix();
    // 0xFF x4, "getinfo " or "getstatus ", the challenge.
    static QByteArray infoRequest(const QByteArray& challenge);
    static QByteArray statusRequest(const QByteArray& challenge);

    // The reply to getinfo; nothing when the datagram is not an "infoResponse".
    static std::optional<ServerInfoReply> infoResponse(QByteArrayView datagram,
                                                       const QueryLimits& limits = {});
    // The reply to getstatus; nothing when the datagram is not a "statusResponse".
    static std::optional<ServerStatusReply> statusResponse(QByteArrayView datagram,
                                                           const QueryLimits& limits = {});

    // One player line, SCORE PING "NAME"; nothing for anything else, also a line whose
    // closing quote is missing (a datagram torn in a name).
    static std::optional<QueryPlayer> playerLine(QByteArrayView line, const QueryLimits& limits);

private:
    // The text after the prefix and the command word's line, up to the first zero byte;
    // nothing when the datagram does not carry that command.
    static std::optional<QByteArrayView> payloadOf(QByteArrayView datagram,
                                                   QByteArrayView command);
};
