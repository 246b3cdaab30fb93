// The game server's replies as the remote console reads them: the text of a reply datagram
// (its header dropped when it has one, cut at the first zero byte), read as a status table
// and as a "nextmap" answer.
#include "rcon/ServerReplyParser.h"
#include "fuzz/FuzzSupport.h"

#include <QStringList>

namespace {

QString replyText(QByteArray bytes)
{
    static const QByteArray header = QByteArrayLiteral("\xff\xff\xff\xffprint\n");
    if (bytes.startsWith(header))
        bytes.remove(0, header.size());
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return QString::fromLocal8Bit(bytes);
}

void readAsStatus(const QString& text)
{
    ServerReplyParser::mapNameFromStatus(text);
    for (const PlayerStatus& player : ServerReplyParser::playersFromStatus(text)) {
        if (player.name().size() > text.size())
            FuzzSupport::fail("a player name longer than the reply");
        player.description();
    }
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const ServerReplyParser::StatusColumns columns = ServerReplyParser::statusColumns(line);
        const ServerReplyParser::Range name =
            ServerReplyParser::playerNameRange(line, columns.nameStart);
        if (name.length < 0 || (name.length > 0 && name.location + name.length > line.size()))
            FuzzSupport::fail("a player name range outside its line", line);
    }
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
    const QString text = replyText(FuzzSupport::bytes(data, size));
    readAsStatus(text);
    readAsNextMap(text);
    PlayerStatus::stringStrippedFromCaretChars(text);
    return 0;
}
