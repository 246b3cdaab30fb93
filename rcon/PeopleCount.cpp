#include "rcon/PeopleCount.h"

#include "rcon/PlayerStatus.h"

#include <QStringList>

#include <algorithm>

namespace {

// The header line names the columns: the address must come right before the rate at the end,
// as ioquake3 prints it (the classic table has more columns between them).
bool hasAddressColumn(const QString& header)
{
    const QStringList columns = header.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return columns.size() >= 2 && columns.last() == QLatin1String("rate") &&
           columns.at(columns.size() - 2) == QLatin1String("address");
}

} // namespace

std::optional<PeopleCount> PeopleCount::fromInfo(const ServerInfoReply& info)
{
    if (!info.humanPlayers || *info.humanPlayers < 0 || info.clients < 0)
        return std::nullopt;
    const int people = *info.humanPlayers;
    return PeopleCount{people, qMax(0, info.clients - people)};
}

std::optional<PeopleCount> PeopleCount::fromRconStatus(const QString& statusReply)
{
    const QStringList lines = statusReply.split(QLatin1Char('\n'));
    if (lines.size() < 3 || !lines.at(0).startsWith(QStringLiteral("map:")) ||
        !hasAddressColumn(lines.at(1)))
        return std::nullopt;
    PeopleCount count;
    for (qsizetype i = 3; i < lines.size(); ++i) {
        // The name may hold blanks; the address and the rate never do.
        const QStringList fields = lines.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 5)
            continue;
        bool rateIsNumber = false;
        fields.last().toInt(&rateIsNumber);
        if (!rateIsNumber)
            continue;
        const QString address =
            PlayerStatus::stringStrippedFromCaretChars(fields.at(fields.size() - 2));
        if (address == QLatin1String("bot"))
            ++count.bots;
        else
            ++count.people;
    }
    return count;
}

QList<PeopleCount::Kind> PeopleCount::kindsOf(const QList<QueryPlayer>& players,
                                              const std::optional<PeopleCount>& count)
{
    // The engine gives a bot ping 0, and any client that is not in the game yet (a bot just
    // added too) 999: only a ping in between is a person's for certain.
    const auto measured = [](const QueryPlayer& player) { return player.ping > 0 && player.ping < 999; };
    const qsizetype withPing = std::count_if(players.cbegin(), players.cend(), measured);
    // More players with a ping than people: the count and the list disagree (a player came
    // or went between the two replies, or a mod shows bots with a ping); nobody is told.
    const bool contradicted = count && withPing > count->people;
    const bool othersAreBots = count && withPing == count->people &&
                               players.size() - withPing == count->bots;
    QList<Kind> kinds;
    kinds.reserve(players.size());
    for (const QueryPlayer& player : players) {
        if (contradicted)
            kinds.append(Kind::PersonOrBot);
        else if (measured(player))
            kinds.append(Kind::Person);
        else
            kinds.append(othersAreBots ? Kind::Bot : Kind::PersonOrBot);
    }
    return kinds;
}

QString PeopleCount::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Person:
        return QStringLiteral("person");
    case Kind::Bot:
        return QStringLiteral("bot");
    case Kind::PersonOrBot:
        break;
    }
    return QStringLiteral("unknown");
}
