#include "rcon/HistorySampler.h"

#include "config/StringTable.h"
#include "rcon/ServerEndpoint.h"

HistorySampler::HistorySampler(PlayerHistory history, const QString& host, quint16 port,
                               ServerQuery::Options options, QObject* parent)
    : QObject(parent), m_history(std::move(history)), m_query(host, port, std::move(options))
{
    connect(&m_query, &ServerQuery::infoReceived, this, &HistorySampler::infoReceived);
    connect(&m_query, &ServerQuery::failed, this, &HistorySampler::queryFailed);
}

bool HistorySampler::sample(std::optional<PeopleCount> counted)
{
    if (m_running || !m_query.requestInfo())
        return false;
    m_running = true;
    m_counted = counted;
    return true;
}

void HistorySampler::infoReceived(const ServerInfoReply& reply)
{
    Outcome outcome;
    const std::optional<PeopleCount> count = m_counted ? m_counted : PeopleCount::fromInfo(reply);
    outcome.sample = HistorySample{m_history.nowMinute(), count ? count->people : 0,
                                   count ? count->bots : 0, reply.mapName};
    if (!count) {
        outcome.kind = Outcome::Kind::NotCounted;
        outcome.message = rconCommText(
            QStringLiteral("SampleNotCounted"),
            QStringLiteral("The server does not say how many of its players are people "
                           "(no g_humanplayers); nothing was recorded."));
        finish(outcome);
        return;
    }
    const Result<PlayerHistory::Recorded> written = m_history.append(outcome.sample);
    if (!written.ok()) {
        outcome.kind = Outcome::Kind::NotWritten;
        outcome.message = written.error;
    } else {
        outcome.kind = written.value == PlayerHistory::Recorded::Written
                           ? Outcome::Kind::Recorded
                           : Outcome::Kind::AlreadyRecorded;
    }
    finish(outcome);
}

void HistorySampler::queryFailed(ServerQuery::Request, ServerQuery::Failure failure)
{
    Outcome outcome;
    outcome.kind = Outcome::Kind::NotAnswered;
    outcome.sample.minute = m_history.nowMinute();
    outcome.message = ServerQuery::failureText(
        failure, ServerEndpoint{m_query.host(), m_query.port()}.text(), m_query.options().timeoutMs);
    finish(outcome);
}

void HistorySampler::finish(const Outcome& outcome)
{
    m_running = false;
    m_counted.reset();
    emit finished(outcome);
}
