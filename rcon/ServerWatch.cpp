#include "rcon/ServerWatch.h"

#include "config/ServerConfig.h"
#include "rcon/ServerEndpoint.h"
#include "server/PlayerHistory.h"

namespace {

ServerQuery::Options pollOptions()
{
    ServerQuery::Options options;
    options.traffic = RconPacer::Traffic::Poll;
    return options;
}

} // namespace

ServerWatch::ServerWatch(const ServerConfig& config, QObject* parent)
    : ServerWatch(config.configName(), ServerEndpoint::ofServer(config), parent)
{}

ServerWatch::ServerWatch(const QString& configName, const ServerEndpoint& endpoint, QObject* parent)
    : QObject(parent), m_query(endpoint.host, endpoint.port, pollOptions(), this),
      // A sample waits its turn: it is not to be lost to other requests.
      m_sampler(PlayerHistory(PlayerHistory::pathForServer(configName)), endpoint.host,
                endpoint.port, ServerQuery::Options(), this)
{
    m_pending.endpoint = endpoint.text();
    connect(&m_query, &ServerQuery::infoReceived, this, [this](const ServerInfoReply& reply) {
        m_pending.info = reply;
        collect();
    });
    connect(&m_query, &ServerQuery::statusReceived, this, [this](const ServerStatusReply& reply) {
        m_pending.status = reply;
        collect();
    });
    connect(&m_query, &ServerQuery::failed, this, &ServerWatch::collect);
    connect(&m_sampler, &HistorySampler::finished, this,
            [this](const HistorySampler::Outcome& outcome) {
                if (outcome.kind == HistorySampler::Outcome::Kind::Recorded)
                    emit sampled();
            });
    m_refreshTimer.setInterval(refreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ServerWatch::refresh);
    m_refreshTimer.start();
    m_sampleTimer.setInterval(sampleMs);
    connect(&m_sampleTimer, &QTimer::timeout, this, [this] { m_sampler.sample(); });
    m_sampleTimer.start();
    refresh();
}

void ServerWatch::refresh()
{
    if (m_outstanding > 0)
        return;
    const QString endpoint = m_pending.endpoint;
    m_pending = QueryReport();
    m_pending.endpoint = endpoint;
    m_outstanding = int(m_query.requestInfo()) + int(m_query.requestStatus());
}

void ServerWatch::collect()
{
    if (m_outstanding == 0 || --m_outstanding > 0)
        return;
    // A query that went unanswered keeps what the last one found.
    if (!m_pending.answered())
        return;
    m_report = m_pending;
    // The first sample as soon as the server answers, then one a minute.
    if (!m_sampledOnce) {
        m_sampledOnce = true;
        m_sampler.sample();
    }
    emit reportChanged();
}
