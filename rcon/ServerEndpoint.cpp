#include "rcon/ServerEndpoint.h"

#include "config/ServerConfig.h"

#include "config/NetAddress.h"
#include "config/StringTable.h"
#include "config/VisibleText.h"

namespace {

Result<ServerEndpoint> refused(const QString& text)
{
    return Result<ServerEndpoint>::failure(rconCommText(
        QStringLiteral("QueryEndpointInvalid"),
        QStringLiteral("'%@' is not a server address: give HOST or HOST:PORT (an IPv6 address "
                       "in brackets, [ADDRESS]:PORT)."),
        {VisibleText::escaped(text)}));
}

std::optional<quint16> portOf(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int port = text.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

Result<ServerEndpoint> ServerEndpoint::parse(const QString& text, quint16 defaultPort)
{
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return refused(text);
        host = text.mid(1, close - 1);
        const QString after = text.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':')))
                return refused(text);
            port = after.mid(1);
            if (port.isEmpty())
                return refused(text);
        }
        if (!host.contains(QLatin1Char(':')))
            return refused(text);
    } else if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        host = text.left(colon);
        port = text.mid(colon + 1);
        if (port.isEmpty())
            return refused(text);
    }
    if (host.isEmpty() || !NetAddress::isHostNameOrAddress(host))
        return refused(text);
    ServerEndpoint endpoint{host, defaultPort};
    if (!port.isEmpty()) {
        const std::optional<quint16> number = portOf(port);
        if (!number)
            return refused(text);
        endpoint.port = *number;
    }
    return Result<ServerEndpoint>::success(endpoint);
}

QString ServerEndpoint::text() const
{
    const QString shownHost = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shownHost + QLatin1Char(':') + QString::number(port);
}

ServerEndpoint ServerEndpoint::ofServer(const ServerConfig& config)
{
    const QString address = config.netIP().trimmed();
    const bool everyAddress =
        address.isEmpty() || address == QLatin1String("0.0.0.0") || address == QLatin1String("::");
    return {everyAddress ? QStringLiteral("localhost") : address, config.serverPort()};
}
