#include "rcon/QueryReplyParser.h"

namespace {

constexpr char prefix[] = "\xff\xff\xff\xff";
constexpr qsizetype prefixSize = 4;

bool sameWordIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] + 32) : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// A whole decimal number (an optional minus and at most nine digits) at from; from moves past
// it.
std::optional<int> numberAt(QByteArrayView text, qsizetype& from)
{
    qsizetype at = from;
    const bool negative = at < text.size() && text[at] == '-';
    if (negative)
        ++at;
    const qsizetype digitsStart = at;
    qint64 value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (at - digitsStart >= 9)
            return std::nullopt;
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at == digitsStart)
        return std::nullopt;
    from = at;
    return int(negative ? -value : value);
}

void skipBlanks(QByteArrayView text, qsizetype& at)
{
    while (at < text.size() && isBlank(text[at]))
        ++at;
}

} // namespace

QByteArray QueryReplyParser::packetPrefix()
{
    return QByteArray(prefix, prefixSize);
}

QByteArray QueryReplyParser::infoRequest(const QByteArray& challenge)
{
    return packetPrefix() + "getinfo " + challenge;
}

QByteArray QueryReplyParser::statusRequest(const QByteArray& challenge)
{
    return packetPrefix() + "getstatus " + challenge;
}

std::optional<QByteArrayView> QueryReplyParser::payloadOf(QByteArrayView datagram,
                                                          QByteArrayView command)
{
    if (!datagram.startsWith(QByteArrayView(prefix, prefixSize)))
        return std::nullopt;
    QByteArrayView rest = datagram.sliced(prefixSize);
    const qsizetype zero = rest.indexOf('\0');
    if (zero >= 0)
        rest = rest.first(zero);
    const qsizetype lineEnd = rest.indexOf('\n');
    QByteArrayView word = lineEnd < 0 ? rest : rest.first(lineEnd);
    while (!word.isEmpty() && isBlank(word.back()))
        word.chop(1);
    if (!sameWordIgnoringCase(word, command))
        return std::nullopt;
    return lineEnd < 0 ? QByteArrayView() : rest.sliced(lineEnd + 1);
}

std::optional<ServerInfoReply> QueryReplyParser::infoResponse(QByteArrayView datagram,
                                                              const QueryLimits& limits)
{
    const std::optional<QByteArrayView> payload = payloadOf(datagram, "infoResponse");
    if (!payload)
        return std::nullopt;
    ServerInfoReply reply;
    reply.info = InfoString::parse(*payload, limits.info);
    const InfoString& info = reply.info;
    reply.challenge = info.value(u"challenge").value_or(QString());
    reply.hostName = info.value(u"hostname").value_or(QString());
    reply.mapName = info.value(u"mapname").value_or(QString());
    reply.gameName = info.value(u"gamename").value_or(QString());
    reply.mod = info.value(u"game").value_or(QString());
    reply.protocol = info.integer(u"protocol").value_or(-1);
    reply.gameType = info.integer(u"gametype").value_or(-1);
    reply.clients = info.integer(u"clients").value_or(-1);
    reply.maxClients = info.integer(u"sv_maxclients").value_or(-1);
    reply.humanPlayers = info.integer(u"g_humanplayers");
    reply.needPassword = info.integer(u"g_needpass").value_or(0) != 0;
    return reply;
}

std::optional<ServerStatusReply> QueryReplyParser::statusResponse(QByteArrayView datagram,
                                                                  const QueryLimits& limits)
{
    const std::optional<QByteArrayView> payload = payloadOf(datagram, "statusResponse");
    if (!payload)
        return std::nullopt;
    ServerStatusReply reply;
    const qsizetype infoEnd = payload->indexOf('\n');
    reply.variables = InfoString::parse(*payload, limits.info);
    reply.challenge = reply.variables.value(u"challenge").value_or(QString());
    if (infoEnd < 0)
        return reply;
    QByteArrayView rest = payload->sliced(infoEnd + 1);
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.trimmed().isEmpty())
            continue;
        const std::optional<QueryPlayer> player = playerLine(line, limits);
        if (!player)
            ++reply.linesSkipped;
        else if (reply.players.size() >= limits.players)
            ++reply.playersLeftOut;
        else
            reply.players.append(*player);
    }
    return reply;
}

std::optional<QueryPlayer> QueryReplyParser::playerLine(QByteArrayView line,
                                                        const QueryLimits& limits)
{
    qsizetype at = 0;
    skipBlanks(line, at);
    const std::optional<int> score = numberAt(line, at);
    if (!score || at >= line.size() || !isBlank(line[at]))
        return std::nullopt;
    skipBlanks(line, at);
    const std::optional<int> ping = numberAt(line, at);
    if (!ping || at >= line.size() || !isBlank(line[at]))
        return std::nullopt;
    skipBlanks(line, at);
    QByteArrayView name = line.sliced(at);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    if (name.startsWith('"')) {
        // The engine's names hold no quote; a missing closing one is a line cut short.
        if (name.size() < 2 || !name.endsWith('"'))
            return std::nullopt;
        name = name.sliced(1, name.size() - 2);
    }
    QueryPlayer player;
    player.score = *score;
    player.ping = *ping;
    const QString text = InfoString::decoded(name);
    player.name = InfoString::cut(text, limits.nameLength);
    player.nameCut = player.name.size() < text.size();
    return player;
}
