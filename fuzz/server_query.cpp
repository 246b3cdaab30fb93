// The public status protocol's replies as the query client reads them: any datagram read as
// an "infoResponse" and as a "statusResponse" (a datagram without the connectionless prefix
// gets one, with the command word its first byte picks), then the report of both as JSON, and
// the text read as the remote console's status table.
//
// Promises beyond not crashing: every count and text of a reply stays within the limits, and
// the JSON of any reply is a valid document that reads back to the same object.
#include "fuzz/FuzzSupport.h"
#include "rcon/PeopleCount.h"
#include "rcon/QueryReplyParser.h"
#include "rcon/QueryReport.h"

#include <QJsonDocument>

namespace {

QByteArray datagramOf(const QByteArray& input)
{
    if (input.startsWith(QueryReplyParser::packetPrefix()))
        return input;
    const QByteArray word = !input.isEmpty() && (uchar(input.at(0)) & 1) ? "statusResponse\n" : "infoResponse\n";
    return QueryReplyParser::packetPrefix() + word + input.mid(1);
}

void checkInfo(const InfoString& info, const QueryLimits& limits)
{
    if (info.entries().size() > limits.info.entries)
        FuzzSupport::fail("more variables than the limit");
    for (const InfoString::Entry& entry : info.entries()) {
        if (entry.key.isEmpty())
            FuzzSupport::fail("a variable without a name");
        if (entry.key.size() > limits.info.textLength || entry.value.size() > limits.info.textLength)
            FuzzSupport::fail("a variable longer than the limit", entry.key);
    }
}

void checkStatus(const ServerStatusReply& status, const QueryLimits& limits)
{
    checkInfo(status.variables, limits);
    if (status.players.size() > limits.players)
        FuzzSupport::fail("more players than the limit");
    for (const QueryPlayer& player : status.players) {
        if (player.name.size() > limits.nameLength)
            FuzzSupport::fail("a name longer than the limit", player.name);
        if (player.visibleName().size() > player.name.size())
            FuzzSupport::fail("a visible name longer than the name", player.name);
    }
}

void checkJson(const QueryReport& report)
{
    const QJsonObject object = report.toJson();
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QJsonParseError error;
    const QJsonDocument back = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        FuzzSupport::fail("the JSON of a report does not parse", error.errorString());
    if (back.object() != object)
        FuzzSupport::fail("the JSON of a report reads back as something else", QString::fromUtf8(json));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    const QByteArray datagram = datagramOf(input);
    const QueryLimits limits;
    QueryReport report;
    report.endpoint = QStringLiteral("127.0.0.1:27960");
    report.info = QueryReplyParser::infoResponse(datagram, limits);
    report.status = QueryReplyParser::statusResponse(datagram, limits);
    if (report.info)
        checkInfo(report.info->info, limits);
    if (report.status)
        checkStatus(*report.status, limits);
    if (report.playerKinds().size() != report.players().size())
        FuzzSupport::fail("a kind for each player");
    checkJson(report);

    const QString text = QString::fromLatin1(input);
    if (const std::optional<PeopleCount> count = PeopleCount::fromRconStatus(text))
        if (count->people < 0 || count->bots < 0 || count->people + count->bots > text.count(QLatin1Char('\n')))
            FuzzSupport::fail("more players counted than the table has lines");
    return 0;
}
