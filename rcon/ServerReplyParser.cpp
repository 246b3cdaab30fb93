#include "rcon/ServerReplyParser.h"

#include <QStringList>

namespace {

// The lines before the players: the map line and two header lines.
constexpr qsizetype statusHeadLines = 3;
// The lines after them: the empty line that ends the table and the empty text after the
// final line feed.
constexpr qsizetype statusTailLines = 2;
constexpr qsizetype unterminatedNameLength = 15;

bool isDecimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QList<ServerReplyParser::Range> dashRuns(const QString& line)
{
    QList<ServerReplyParser::Range> runs;
    for (qsizetype i = 0; i < line.size();) {
        if (line.at(i) != QLatin1Char('-')) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < line.size() && line.at(i) == QLatin1Char('-'))
            ++i;
        runs.append({start, i - start});
    }
    return runs;
}

QString columnText(const QString& line, ServerReplyParser::Range range)
{
    return line.mid(range.location, range.length);
}

} // namespace

ServerReplyParser::StatusColumns ServerReplyParser::classicColumns()
{
    return {{4, 5}, {10, 4}, 15};
}

ServerReplyParser::StatusColumns ServerReplyParser::statusColumns(const QString& dashLine)
{
    // The classic engine numbers clients in three columns, later engines in two; the dash
    // line follows the table in both.
    const QList<Range> runs = dashRuns(dashLine);
    if (runs.size() < 4)
        return classicColumns();
    return {runs.at(1), runs.at(2), runs.at(3).location};
}

std::optional<QString> ServerReplyParser::mapNameFromStatus(const QString& status)
{
    const QString firstLine = status.section(QLatin1Char('\n'), 0, 0);
    const QStringList pieces = firstLine.split(QStringLiteral(": "));
    if (pieces.size() < 2 || pieces.at(1).isEmpty())
        return std::nullopt;
    return pieces.at(1);
}

QList<PlayerStatus> ServerReplyParser::playersFromStatus(const QString& status)
{
    const QStringList lines = status.split(QLatin1Char('\n'));
    const qsizetype players = lines.size() - statusHeadLines - statusTailLines;
    QList<PlayerStatus> list;
    if (players <= 0)
        return list;
    const StatusColumns columns = statusColumns(lines.at(statusHeadLines - 1));
    for (qsizetype i = 0; i < players; ++i) {
        const QString& line = lines.at(statusHeadLines + i);
        if (line.size() <= columns.nameStart)
            continue;
        PlayerStatus player;
        player.setName(columnText(line, playerNameRange(line, columns.nameStart)));
        player.setPing(columnText(line, columns.ping));
        player.setScore(columnText(line, columns.score));
        bool slotOk = false;
        const int slot = line.left(columns.score.location).trimmed().toInt(&slotOk);
        player.setSlot(slotOk ? slot : -1);
        list.append(player);
    }
    return list;
}

ServerReplyParser::Range ServerReplyParser::playerNameRange(const QString& line, qsizetype start)
{
    const QStringView rest = start < line.size() ? QStringView(line).mid(start) : QStringView();
    qsizetype length = rest.indexOf(QLatin1Char('\t'));
    if (length < 0)
        length = rest.indexOf(QLatin1Char(' '));
    if (length < 0)
        length = unterminatedNameLength;
    return {start, qMin(length, rest.size())};
}

std::optional<QString> ServerReplyParser::mapCycleVariable(const QString& reply)
{
    const QStringList pieces = reply.split(QStringLiteral("vstr "));
    if (pieces.size() < 2)
        return std::nullopt;
    const QString& piece = pieces.at(1);
    const qsizetype colourCode = piece.indexOf(QStringLiteral("^7"));
    return colourCode < 0 ? piece : piece.left(colourCode);
}

std::optional<QString> ServerReplyParser::variableValue(const QString& reply)
{
    static const QString marker = QStringLiteral("is:\"");
    const qsizetype start = reply.indexOf(marker);
    if (start < 0)
        return std::nullopt;
    const qsizetype from = start + marker.size();
    const qsizetype end = reply.indexOf(QLatin1Char('"'), from);
    if (end < 0)
        return std::nullopt;
    QString value = reply.mid(from, end - from);
    if (value.endsWith(QStringLiteral("^7")))
        value.chop(2);
    return value;
}

std::optional<int> ServerReplyParser::mapCycleNumber(const QString& variable)
{
    qsizetype first = 0;
    while (first < variable.size() && !isDecimalDigit(variable.at(first)))
        ++first;
    qsizetype end = first;
    while (end < variable.size() && isDecimalDigit(variable.at(end)))
        ++end;
    bool ok = false;
    const int number = QStringView(variable).mid(first, end - first).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<ServerReplyParser::StatusReply> ServerReplyParser::parseStatus(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() < statusHeadLines || !lines.at(0).startsWith(QStringLiteral("map: ")) ||
        !lines.at(statusHeadLines - 1).startsWith(QStringLiteral("--")))
        return std::nullopt;
    const std::optional<QString> map = mapNameFromStatus(text);
    if (!map)
        return std::nullopt;
    return StatusReply{*map, playersFromStatus(text)};
}

bool ServerReplyParser::isPasswordRefusal(const QByteArray& reply)
{
    const QByteArray answer = reply.trimmed();
    return answer == "Bad rconpassword." || answer == "No rconpassword set on the server.";
}
