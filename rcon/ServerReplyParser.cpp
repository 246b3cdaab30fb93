#include "rcon/ServerReplyParser.h"

#include <QStringList>

namespace {

constexpr qsizetype unterminatedNameLength = 15;

const QLatin1String mapLinePrefix("map: ");
const QLatin1String colourReset("^7");

// The two tables a status reply may hold: ioquake3's, and the classic engine's with the time
// since the last message and the qport.
enum class TableLayout
{
    Ioquake,
    Classic,
};

bool isDecimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isTrailingSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

QStringView withoutTrailingSpace(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && isTrailingSpace(text.at(end - 1)))
        --end;
    return text.first(end);
}

QList<ServerReplyParser::Range> dashRuns(QStringView line)
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

std::optional<TableLayout> layoutOfHeader(QStringView line)
{
    static const QList<QStringView> ioquake = {u"cl",   u"score",   u"ping",
                                               u"name", u"address", u"rate"};
    static const QList<QStringView> classic = {u"num",     u"score",   u"ping",  u"name",
                                               u"lastmsg", u"address", u"qport", u"rate"};
    const QList<QStringView> words =
        withoutTrailingSpace(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words == ioquake)
        return TableLayout::Ioquake;
    if (words == classic)
        return TableLayout::Classic;
    return std::nullopt;
}

// The line of dashes under the header: one run per column.
bool isDashLine(QStringView line, TableLayout layout)
{
    const QStringView dashes = withoutTrailingSpace(line);
    for (QChar c : dashes) {
        if (c != QLatin1Char('-') && c != QLatin1Char(' '))
            return false;
    }
    return dashRuns(dashes).size() == (layout == TableLayout::Ioquake ? 6 : 8);
}

// Reads a player line from the left: the right-aligned numbers before the name.
class LineFromLeft
{
public:
    explicit LineFromLeft(QStringView line) : m_line(line) {}

    qsizetype position() const { return m_position; }

    // Blanks, then digits (a minus before them when signed): the column as it stands.
    std::optional<QStringView> number(bool isSigned)
    {
        const qsizetype start = m_position;
        skipBlanks();
        if (isSigned && m_position < m_line.size() && m_line.at(m_position) == QLatin1Char('-'))
            ++m_position;
        if (!digits())
            return std::nullopt;
        return m_line.sliced(start, m_position - start);
    }
    // The ping column: a number, or the state of a client that is not playing.
    std::optional<QStringView> ping()
    {
        const qsizetype start = m_position;
        skipBlanks();
        for (QLatin1String state : {QLatin1String("CNCT"), QLatin1String("ZMBI")}) {
            if (m_line.sliced(m_position).startsWith(state)) {
                m_position += state.size();
                return m_line.sliced(start, m_position - start);
            }
        }
        m_position = start;
        return number(false);
    }
    bool blank()
    {
        if (m_position >= m_line.size() || m_line.at(m_position) != QLatin1Char(' '))
            return false;
        ++m_position;
        return true;
    }

private:
    void skipBlanks()
    {
        while (m_position < m_line.size() && m_line.at(m_position) == QLatin1Char(' '))
            ++m_position;
    }
    bool digits()
    {
        const qsizetype start = m_position;
        while (m_position < m_line.size() && isDecimalDigit(m_line.at(m_position)))
            ++m_position;
        return m_position > start;
    }

    QStringView m_line;
    qsizetype m_position = 0;
};

// Reads a player line from the right, down to a floor (the start of the name): the columns
// after the name.
class LineFromRight
{
public:
    LineFromRight(QStringView line, qsizetype floor)
        : m_line(line), m_floor(floor), m_end(withoutTrailingSpace(line).size())
    {}

    qsizetype end() const { return m_end; }

    // Digits, then at least one blank before them.
    bool numberAfterBlank()
    {
        const qsizetype digitsEnd = m_end;
        while (m_end > m_floor && isDecimalDigit(m_line.at(m_end - 1)))
            --m_end;
        return m_end < digitsEnd && blanks() > 0;
    }
    // A run without blanks, then at least one blank before it (the blank may be the last
    // character of a blank name's padding, never part of the name).
    std::optional<QStringView> tokenAfterBlank()
    {
        const qsizetype tokenEnd = m_end;
        while (m_end > m_floor && m_line.at(m_end - 1) != QLatin1Char(' '))
            --m_end;
        const QStringView token = m_line.sliced(m_end, tokenEnd - m_end);
        if (token.isEmpty() || m_end <= m_floor)
            return std::nullopt;
        return token;
    }
    qsizetype blanks()
    {
        const qsizetype start = m_end;
        while (m_end > m_floor && m_line.at(m_end - 1) == QLatin1Char(' '))
            --m_end;
        return start - m_end;
    }
    bool colourResetCode()
    {
        if (m_end - m_floor < colourReset.size() ||
            m_line.sliced(m_end - colourReset.size(), colourReset.size()) != colourReset)
            return false;
        m_end -= colourReset.size();
        return true;
    }

private:
    QStringView m_line;
    qsizetype m_floor;
    qsizetype m_end;
};

struct NameAndAddress
{
    qsizetype nameEnd = 0;
    QString address;
};

// The columns after the name, read from the end of the line: where the name ends (its
// padding dropped) and the address.
std::optional<NameAndAddress> nameAndAddress(QStringView line, qsizetype nameStart,
                                             TableLayout layout)
{
    LineFromRight reader(line, nameStart);
    if (!reader.numberAfterBlank()) // the rate
        return std::nullopt;
    if (layout == TableLayout::Classic && !reader.numberAfterBlank()) // the qport
        return std::nullopt;
    const std::optional<QStringView> token = reader.tokenAfterBlank();
    if (!token)
        return std::nullopt;
    NameAndAddress found;
    if (layout == TableLayout::Ioquake) {
        if (token->size() <= colourReset.size() || !token->startsWith(colourReset))
            return std::nullopt;
        found.address = token->sliced(colourReset.size()).toString();
    } else {
        found.address = token->toString();
        if (!reader.blanks() || !reader.numberAfterBlank() || !reader.colourResetCode())
            return std::nullopt; // the blank after the time, the time, the "^7" after the name
    }
    reader.blanks();
    found.nameEnd = reader.end();
    return found;
}

std::optional<PlayerStatus> playerFromLine(QStringView line, TableLayout layout)
{
    if (line.contains(QChar(u'\0')))
        return std::nullopt; // the server prints C strings: such a line is none of its
    LineFromLeft reader(line);
    const std::optional<QStringView> slot = reader.number(false);
    if (!slot || !reader.blank())
        return std::nullopt;
    const std::optional<QStringView> score = reader.number(true);
    if (!score || !reader.blank())
        return std::nullopt;
    const std::optional<QStringView> ping = reader.ping();
    if (!ping || !reader.blank())
        return std::nullopt;
    bool slotFits = false;
    const int slotNumber = slot->trimmed().toInt(&slotFits);
    if (!slotFits)
        return std::nullopt;
    const qsizetype nameStart = reader.position();
    const std::optional<NameAndAddress> rest = nameAndAddress(line, nameStart, layout);
    if (!rest)
        return std::nullopt;

    PlayerStatus player;
    player.setSlot(slotNumber);
    player.setScore(score->toString());
    player.setPing(ping->toString());
    player.setName(line.sliced(nameStart, rest->nameEnd - nameStart).toString());
    player.setAddress(rest->address);
    return player;
}

std::optional<QString> mapOfLine(QStringView line)
{
    if (!line.startsWith(mapLinePrefix) || line.contains(QChar(u'\0')))
        return std::nullopt;
    const QStringView map = withoutTrailingSpace(line.sliced(mapLinePrefix.size()));
    if (map.trimmed().isEmpty())
        return std::nullopt;
    return map.toString();
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

std::optional<ServerReplyParser::StatusReply> ServerReplyParser::parseStatus(const QString& text)
{
    const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    if (lines.size() < 3)
        return std::nullopt;
    std::optional<QString> map = mapOfLine(lines.at(0));
    const std::optional<TableLayout> layout = layoutOfHeader(lines.at(1));
    if (!map || !layout || !isDashLine(lines.at(2), *layout))
        return std::nullopt;
    StatusReply reply;
    reply.map = std::move(*map);
    for (qsizetype i = 3; i < lines.size(); ++i) {
        std::optional<PlayerStatus> player = playerFromLine(lines.at(i), *layout);
        if (!player)
            break;
        reply.players.append(std::move(*player));
    }
    return reply;
}

bool ServerReplyParser::isPasswordRefusal(const QByteArray& reply)
{
    qsizetype end = reply.size();
    while (end > 0 && isAsciiSpace(reply.at(end - 1)))
        --end;
    const QByteArrayView text = QByteArrayView(reply).first(end);
    return text == "Bad rconpassword." || text == "No rconpassword set on the server.";
}

std::optional<QString> ServerReplyParser::mapNameFromStatus(const QString& status)
{
    const std::optional<StatusReply> reply = parseStatus(status);
    if (!reply)
        return std::nullopt;
    return reply->map;
}

QList<PlayerStatus> ServerReplyParser::playersFromStatus(const QString& status)
{
    std::optional<StatusReply> reply = parseStatus(status);
    return reply ? std::move(reply->players) : QList<PlayerStatus>();
}

ServerReplyParser::Range ServerReplyParser::playerNameRange(const QString& line, qsizetype start)
{
    if (start >= 0 && start <= line.size()) {
        for (TableLayout layout : {TableLayout::Ioquake, TableLayout::Classic}) {
            if (const auto rest = nameAndAddress(line, start, layout))
                return {start, rest->nameEnd - start};
        }
    }
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
