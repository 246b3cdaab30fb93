#pragma once

#include "rcon/PeopleCount.h"
#include "rcon/ServerQuery.h"
#include "server/PlayerHistory.h"

#include <QObject>

#include <optional>

// Records one sample of a server's player history: asks the server (getinfo) how many people
// and bots play which map, and appends that at the clock's minute. The window and a timer's
// "voranthctl sample" both sample through it; the history's lock keeps them from writing a
// minute twice.
class HistorySampler : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        enum class Kind
        {
            Recorded,
            // This minute was sampled already (by another sampler).
            AlreadyRecorded,
            // The server did not answer (message says how).
            NotAnswered,
            // The server does not tell people from bots (no g_humanplayers).
            NotCounted,
            // The history file could not be written (message says why).
            NotWritten,
        };
        Kind kind = Kind::NotAnswered;
        HistorySample sample;
        QString message;
    };

    HistorySampler(PlayerHistory history, const QString& host, quint16 port,
                   ServerQuery::Options options = {}, QObject* parent = nullptr);

    // Starts a sample; its outcome comes as finished(), never before this returns. counted,
    // when given, is the count the caller has at hand (from the remote console's status) and
    // stands instead of getinfo's. False while a sample runs.
    bool sample(std::optional<PeopleCount> counted = std::nullopt);
    bool isRunning() const { return m_running; }
    const PlayerHistory& history() const { return m_history; }

signals:
    void finished(const HistorySampler::Outcome& outcome);

private:
    void infoReceived(const ServerInfoReply& reply);
    void queryFailed(ServerQuery::Request request, ServerQuery::Failure failure);
    void finish(const Outcome& outcome);

    PlayerHistory m_history;
    ServerQuery m_query;
    std::optional<PeopleCount> m_counted;
    bool m_running = false;
};
