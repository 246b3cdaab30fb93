#pragma once

#include "rcon/HistorySampler.h"
#include "rcon/QueryReport.h"
#include "rcon/ServerQuery.h"

#include <QObject>
#include <QTimer>

class ServerConfig;
struct ServerEndpoint;

// The public side of one running server of ours, as the window keeps it while the server
// runs: what it tells anyone over the public status protocol (who plays, of how many, on
// which map; asked every refreshMs, giving way to other requests), and a sample of its player
// history once it first answers and then once a minute. Everything arrives through signals.
class ServerWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int refreshMs = 10000;
    static constexpr int sampleMs = 60000;

    explicit ServerWatch(const ServerConfig& config, QObject* parent = nullptr);

    // The last query that was answered (empty before).
    const QueryReport& report() const { return m_report; }
    const PlayerHistory& history() const { return m_sampler.history(); }
    // Asks the server now.
    void refresh();

signals:
    void reportChanged();
    // A sample of this minute was added to the history.
    void sampled();

private:
    ServerWatch(const QString& configName, const ServerEndpoint& endpoint, QObject* parent);
    void collect();

    ServerQuery m_query;
    HistorySampler m_sampler;
    QTimer m_refreshTimer;
    QTimer m_sampleTimer;
    QueryReport m_pending;
    QueryReport m_report;
    int m_outstanding = 0;
    bool m_sampledOnce = false;
};
