#pragma once

#include "format/Result.h"

#include <QString>

class ServerConfig;

// Where a game server answers, as a person writes it: "HOST", "HOST:PORT", an IPv6 address in
// brackets ("[::1]:27961") or bare ("::1", then on the default port). HOST is a host name or
// an address.
struct ServerEndpoint
{
    static constexpr quint16 standardPort = 27960;

    QString host;
    quint16 port = standardPort;

    // The endpoint that text names; a message when it names none.
    static Result<ServerEndpoint> parse(const QString& text, quint16 defaultPort = standardPort);
    // Where a server of ours started with config answers on this machine: its address (or
    // localhost, when it listens on every address) and port.
    static ServerEndpoint ofServer(const ServerConfig& config);
    // "HOST:PORT", an IPv6 address in brackets.
    QString text() const;

    bool operator==(const ServerEndpoint&) const = default;
};
