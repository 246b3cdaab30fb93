#pragma once

#include "rcon/RconPacer.h"
#include "rcon/RconTransport.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <QDeadlineTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

// The requests to one game server, one exchange at a time, each in its turn under the
// server's rate limit (RconPacer).
//
// A command someone asked for waits in the queue until the pacer lets it go and is never
// dropped; commands go in the order they were asked for. An automatic poll goes only when no
// command waits and the pacer leaves it room; otherwise it gives way, unsent. The outcome of
// every request arrives later through its callback, from the event loop; a callback whose
// context object is gone is not called.
class RconExchanges : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        // The request went out; false when it gave way or could not be sent.
        bool sent = false;
        // A poll that gave way to commands or to the rate limit.
        bool gaveWay = false;
        RconReply reply;
    };
    using Done = std::function<void(const Outcome&)>;

    struct Request
    {
        QByteArray command;
        int quietGapMicroseconds = 0;
        RconPacer::Traffic traffic = RconPacer::Traffic::Command;
        // Called with the outcome while context lives (always, without a context).
        QObject* context = nullptr;
        Done done;
        // False for a request that can never go (the channel is closed, it does not fit):
        // it fails without waiting for a turn.
        bool sendable = true;
    };

    // The longest one wait for the pacer's turn lasts before the pacer is asked again: the
    // time a full burst takes to leak away.
    static int longestTurnWaitMs(const RconPacer& pacer);

    RconExchanges(std::shared_ptr<RconPacer> pacer, RconTransport& transport,
                  QObject* parent = nullptr);
    ~RconExchanges() override;

    void setPassword(const QByteArray& password) { m_password = password; }
    const std::shared_ptr<RconPacer>& pacer() const { return m_pacer; }

    // Queues a request; it goes once every request before it is done.
    void enqueue(Request request);
    // The next request goes no sooner than ms from now (another request's pause).
    void pauseFor(int ms);
    // Drops every queued request without calling back; one in flight ends unreported.
    void clear();

    // An exchange is on the wire.
    bool inFlight() const { return m_inFlight.has_value(); }
    // Commands asked for that have not gone yet.
    int commandsQueued() const;
    bool idle() const { return !inFlight() && m_queue.empty(); }

signals:
    // Every request asked for is done.
    void drained();

private:
    struct Queued
    {
        Request request;
        QPointer<QObject> context;
        // A command waiting for its turn: polls give way to it meanwhile.
        std::unique_ptr<RconPacer::Waiting> waiting;
    };

    void pump();
    // Takes the next request that may go now off the queue; none when it must wait.
    std::optional<Queued> takeNext();
    void sendNow(Queued queued);
    void failInFlight(quint64 exchange);
    void finish(Queued queued, const Outcome& outcome);
    // The same from the event loop: no callback runs inside enqueue().
    void finishLater(Queued queued, const Outcome& outcome);
    void replied(const RconReply& reply);
    void scheduleRetry(qint64 ms);

    std::shared_ptr<RconPacer> m_pacer;
    RconTransport& m_transport;
    QByteArray m_password;
    std::deque<Queued> m_queue;
    std::optional<Queued> m_inFlight;
    quint64 m_exchange = 0;
    QTimer m_turnTimer;
    QDeadlineTimer m_pausedUntil;
    bool m_pumping = false;
};
