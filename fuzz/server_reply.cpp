// The game server's replies as the remote console reads them: the text of a reply (its
// datagram header dropped when it has one, zero bytes kept), read as a status table, as a
// refusal of the password and as a "nextmap" answer.
//
// Beyond not crashing, a status reply keeps these promises: every player comes from a line of
// the reply (its name and address stand in the text), has a slot and a name without colour
// codes; and the players, printed again as ioquake3 prints a status, read back the same.
#include "fuzz/FuzzSupport.h"
#include "rcon/ServerReplyParser.h"

#include <QStringList>

namespace {

using StatusReply = ServerReplyParser::StatusReply;

QByteArray replyBytes(QByteArray bytes)
{
    static const QByteArray header = QByteArrayLiteral("\xff\xff\xff\xffprint\n");
    if (bytes.startsWith(header))
        bytes.remove(0, header.size());
    return bytes;
}

// What ioquake3 counts as a character of the name when it pads the column: a caret with a
// letter or digit after it is a colour code.
qsizetype visibleLength(const QString& name)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == QLatin1Char('^') && i + 1 < name.size() &&
            name.at(i + 1).isLetterOrNumber() && name.at(i + 1).unicode() < 0x80)
            ++i;
        else
            ++length;
    }
    return length;
}

QString blanks(qsizetype count)
{
    return QString(qMax<qsizetype>(1, count), QLatin1Char(' '));
}

// The reply as ioquake3's status command prints it (sv_ccmds.c, SV_Status_f).
QString printedAsTheServerDoes(const StatusReply& reply)
{
    QString text = QStringLiteral("map: ") + reply.map + QLatin1Char('\n');
    text += QStringLiteral("cl score ping name            address                                 "
                           "rate \n"
                           "-- ----- ---- --------------- --------------------------------------- "
                           "-----\n");
    for (const PlayerStatus& player : reply.players) {
        text += QString::asprintf("%2i ", player.slot()) + player.score() + QLatin1Char(' ') +
                player.ping() + QLatin1Char(' ') + player.rawName() +
                blanks(16 - visibleLength(player.rawName())) + QStringLiteral("^7") +
                player.address() + blanks(39 - player.address().size()) +
                QStringLiteral(" 25000\n");
    }
    return text + QLatin1Char('\n');
}

void checkPlayer(const PlayerStatus& player, const QString& text)
{
    if (player.slot() < 0)
        FuzzSupport::fail("a player without a slot", player.description());
    if (player.name().contains(QLatin1Char('^')))
        FuzzSupport::fail("a colour code left in a player's name", player.description());
    if (player.name() != PlayerStatus::stringStrippedFromCaretChars(player.rawName()))
        FuzzSupport::fail("a name that is not its raw name without colour codes",
                          player.description());
    if (!text.contains(player.rawName()) || !text.contains(player.address()) ||
        player.address().isEmpty())
        FuzzSupport::fail("a player that the reply does not hold", player.description());
    if (player.rawName().endsWith(QLatin1Char(' ')) || player.address().contains(QLatin1Char(' ')))
        FuzzSupport::fail("the padding read into a name or address", player.description());
}

void readAsStatus(const QString& text)
{
    const std::optional<StatusReply> reply = ServerReplyParser::parseStatus(text);
    if (ServerReplyParser::mapNameFromStatus(text) !=
            (reply ? std::optional(reply->map) : std::nullopt) ||
        ServerReplyParser::playersFromStatus(text) !=
            (reply ? reply->players : QList<PlayerStatus>()))
        FuzzSupport::fail("the status wrappers disagree with the status reply");
    if (reply) {
        if (reply->map.trimmed().isEmpty())
            FuzzSupport::fail("a status reply without a map");
        if (reply->players.size() > text.count(QLatin1Char('\n')) - 2)
            FuzzSupport::fail("more players than lines");
        for (const PlayerStatus& player : reply->players)
            checkPlayer(player, text);
        const QString printed = printedAsTheServerDoes(*reply);
        const std::optional<StatusReply> again = ServerReplyParser::parseStatus(printed);
        if (!again || *again != *reply)
            FuzzSupport::fail("the players printed as the server does read back otherwise",
                              printed);
    }
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const ServerReplyParser::StatusColumns columns = ServerReplyParser::statusColumns(line);
        const ServerReplyParser::Range name =
            ServerReplyParser::playerNameRange(line, columns.nameStart);
        if (name.length < 0 || (name.length > 0 && name.location + name.length > line.size()))
            FuzzSupport::fail("a player name range outside its line", line);
    }
}

void readAsRefusal(const QByteArray& bytes, const QString& text)
{
    if (!ServerReplyParser::isPasswordRefusal(bytes))
        return;
    if (!bytes.startsWith("Bad rconpassword.") && !bytes.startsWith("No rconpassword set"))
        FuzzSupport::fail("a refusal that is none", text);
    if (ServerReplyParser::parseStatus(text))
        FuzzSupport::fail("a refusal taken for a status reply", text);
}

void readAsNextMap(const QString& text)
{
    if (const std::optional<QString> variable = ServerReplyParser::mapCycleVariable(text))
        ServerReplyParser::mapCycleNumber(*variable);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = replyBytes(FuzzSupport::bytes(data, size));
    const QString text = QString::fromLocal8Bit(bytes);
    readAsStatus(text);
    readAsRefusal(bytes, text);
    readAsNextMap(text);
    PlayerStatus::stringStrippedFromCaretChars(text);
    return 0;
}
