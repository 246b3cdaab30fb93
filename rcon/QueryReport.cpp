#include "rcon/QueryReport.h"

#include <QJsonArray>

namespace {

QJsonValue orNull(const std::optional<int>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

std::optional<int> known(int value)
{
    return value >= 0 ? std::optional<int>(value) : std::nullopt;
}

QJsonObject variablesJson(const InfoString& info)
{
    QJsonObject variables;
    for (const InfoString::Entry& entry : info.entries())
        if (!variables.contains(entry.key))
            variables.insert(entry.key, entry.value);
    return variables;
}

} // namespace

QString QueryReport::hostName() const
{
    if (info && !info->hostName.isEmpty())
        return info->hostName;
    return status ? status->hostName() : QString();
}

QString QueryReport::mapName() const
{
    if (info && !info->mapName.isEmpty())
        return info->mapName;
    return status ? status->mapName() : QString();
}

QString QueryReport::mod() const
{
    if (info && !info->mod.isEmpty())
        return info->mod;
    return status ? status->variables.value(u"fs_game").value_or(QString()) : QString();
}

std::optional<int> QueryReport::gameType() const
{
    if (info && info->gameType >= 0)
        return info->gameType;
    return status ? status->gameType() : std::nullopt;
}

std::optional<int> QueryReport::maxClients() const
{
    if (info && info->maxClients >= 0)
        return info->maxClients;
    return status ? status->maxClients() : std::nullopt;
}

std::optional<int> QueryReport::clients() const
{
    if (info && info->clients >= 0)
        return info->clients;
    if (status)
        return int(status->players.size()) + status->playersLeftOut;
    return std::nullopt;
}

bool QueryReport::needPassword() const
{
    return info ? info->needPassword : status && status->needPassword();
}

std::optional<PeopleCount> QueryReport::count() const
{
    return info ? PeopleCount::fromInfo(*info) : std::nullopt;
}

QList<QueryPlayer> QueryReport::players() const
{
    return status ? status->players : QList<QueryPlayer>();
}

QList<PeopleCount::Kind> QueryReport::playerKinds() const
{
    return PeopleCount::kindsOf(players(), count());
}

QJsonObject QueryReport::toJson() const
{
    const std::optional<PeopleCount> people = count();
    QJsonArray playerArray;
    const QList<QueryPlayer> list = players();
    const QList<PeopleCount::Kind> kinds = playerKinds();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QueryPlayer& player = list.at(i);
        playerArray.append(QJsonObject{{QStringLiteral("name"), player.name},
                                       {QStringLiteral("plainName"), player.visibleName()},
                                       {QStringLiteral("score"), player.score},
                                       {QStringLiteral("ping"), player.ping},
                                       {QStringLiteral("kind"), PeopleCount::kindName(kinds.at(i))}});
    }
    const QString host = hostName();
    QJsonObject object{
        {QStringLiteral("server"), endpoint},
        {QStringLiteral("answered"), QJsonObject{{QStringLiteral("getinfo"), bool(info)},
                                                 {QStringLiteral("getstatus"), bool(status)}}},
        {QStringLiteral("hostName"), orNull(host)},
        {QStringLiteral("plainHostName"), orNull(InfoString::withoutColourCodes(host))},
        {QStringLiteral("map"), orNull(mapName())},
        {QStringLiteral("mapTitle"), orNull(mapTitle)},
        {QStringLiteral("mod"), orNull(mod())},
        {QStringLiteral("gameType"), orNull(gameType())},
        {QStringLiteral("gameTypeName"), orNull(gameTypeName)},
        {QStringLiteral("protocol"), orNull(info ? known(info->protocol) : std::nullopt)},
        {QStringLiteral("gameName"), orNull(info ? info->gameName : QString())},
        {QStringLiteral("clients"), orNull(clients())},
        {QStringLiteral("maxClients"), orNull(maxClients())},
        {QStringLiteral("people"), orNull(people ? std::optional<int>(people->people) : std::nullopt)},
        {QStringLiteral("bots"), orNull(people ? std::optional<int>(people->bots) : std::nullopt)},
        {QStringLiteral("needPassword"), needPassword()},
        {QStringLiteral("players"), status ? QJsonValue(playerArray) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("playersLeftOut"), status ? status->playersLeftOut : 0},
        {QStringLiteral("variables"),
         status ? QJsonValue(variablesJson(status->variables)) : QJsonValue(QJsonValue::Null)},
    };
    return object;
}
