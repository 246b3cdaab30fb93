#include "rcon/RconExchanges.h"

#include <algorithm>

int RconExchanges::longestTurnWaitMs(const RconPacer& pacer)
{
    return pacer.allowance().burst * pacer.allowance().periodMs;
}

RconExchanges::RconExchanges(std::shared_ptr<RconPacer> pacer, RconTransport& transport,
                             QObject* parent)
    : QObject(parent), m_pacer(std::move(pacer)), m_transport(transport)
{
    m_turnTimer.setSingleShot(true);
    m_turnTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_turnTimer, &QTimer::timeout, this, &RconExchanges::pump);
    connect(&m_transport, &RconTransport::replied, this, &RconExchanges::replied);
}

RconExchanges::~RconExchanges() = default;

void RconExchanges::enqueue(Request request)
{
    Queued queued;
    queued.context = request.context;
    if (request.traffic == RconPacer::Traffic::Command)
        queued.waiting = std::make_unique<RconPacer::Waiting>(*m_pacer);
    queued.request = std::move(request);
    m_queue.push_back(std::move(queued));
    pump();
}

void RconExchanges::pauseFor(int ms)
{
    if (m_pausedUntil.hasExpired() || m_pausedUntil.remainingTime() < ms)
        m_pausedUntil.setRemainingTime(ms, Qt::PreciseTimer);
}

void RconExchanges::clear()
{
    m_queue.clear();
    m_inFlight.reset();
    m_turnTimer.stop();
}

int RconExchanges::commandsQueued() const
{
    return int(std::count_if(m_queue.cbegin(), m_queue.cend(), [](const Queued& queued) {
        return queued.request.traffic == RconPacer::Traffic::Command;
    }));
}

void RconExchanges::pump()
{
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_inFlight && !m_transport.busy() && !m_queue.empty()) {
        if (!m_pausedUntil.hasExpired()) {
            scheduleRetry(m_pausedUntil.remainingTime());
            break;
        }
        std::optional<Queued> next = takeNext();
        if (!next)
            break;
        sendNow(std::move(*next));
    }
    m_pumping = false;
}

std::optional<RconExchanges::Queued> RconExchanges::takeNext()
{
    while (!m_queue.empty()) {
        const bool poll = m_queue.front().request.traffic == RconPacer::Traffic::Poll;
        if (poll) {
            // A poll goes only when no command waits and the pacer leaves it room; without
            // pacing, every request goes.
            const bool commandsFirst = m_pacer->isPaced() && commandsQueued() > 0;
            if (!commandsFirst && m_pacer->take(RconPacer::Traffic::Poll)) {
                Queued queued = std::move(m_queue.front());
                m_queue.pop_front();
                return queued;
            }
            Queued gaveWay = std::move(m_queue.front());
            m_queue.pop_front();
            Outcome outcome;
            outcome.gaveWay = true;
            finishLater(std::move(gaveWay), outcome);
            continue;
        }
        if (!m_queue.front().request.sendable) {
            Queued queued = std::move(m_queue.front());
            m_queue.pop_front();
            return queued;
        }
        const qint64 delay = m_pacer->delayBefore(RconPacer::Traffic::Command);
        if (delay > 0 || !m_pacer->take(RconPacer::Traffic::Command)) {
            scheduleRetry(std::clamp<qint64>(delay, 1, longestTurnWaitMs(*m_pacer)));
            return std::nullopt;
        }
        Queued queued = std::move(m_queue.front());
        m_queue.pop_front();
        return queued;
    }
    return std::nullopt;
}

void RconExchanges::sendNow(Queued queued)
{
    queued.waiting.reset();
    const bool sent = queued.request.sendable &&
                      m_transport.send(m_password, queued.request.command,
                                       queued.request.quietGapMicroseconds);
    m_inFlight = std::move(queued);
    const quint64 exchange = ++m_exchange;
    // A request that could not go holds its place until its failure is reported.
    if (!sent)
        QMetaObject::invokeMethod(
            this, [this, exchange] { failInFlight(exchange); }, Qt::QueuedConnection);
}

void RconExchanges::failInFlight(quint64 exchange)
{
    if (!m_inFlight || exchange != m_exchange)
        return;
    Queued failed = std::move(*m_inFlight);
    m_inFlight.reset();
    const QPointer<RconExchanges> self(this);
    finish(std::move(failed), Outcome());
    if (self)
        pump();
}

void RconExchanges::replied(const RconReply& reply)
{
    if (!m_inFlight)
        return;
    Queued done = std::move(*m_inFlight);
    m_inFlight.reset();
    const QPointer<RconExchanges> self(this);
    finish(std::move(done), Outcome{true, false, reply});
    if (self)
        pump();
}

void RconExchanges::finish(Queued queued, const Outcome& outcome)
{
    queued.waiting.reset();
    const bool guarded = queued.request.context != nullptr;
    const bool drainedNow = !m_inFlight && m_queue.empty();
    const QPointer<RconExchanges> self(this);
    if (queued.request.done && (!guarded || queued.context))
        queued.request.done(outcome);
    if (self && drainedNow && !m_inFlight && m_queue.empty())
        emit drained();
}

void RconExchanges::finishLater(Queued queued, const Outcome& outcome)
{
    queued.waiting.reset();
    auto held = std::make_shared<Queued>(std::move(queued));
    QMetaObject::invokeMethod(
        this, [this, held, outcome] { finish(std::move(*held), outcome); }, Qt::QueuedConnection);
}

void RconExchanges::scheduleRetry(qint64 ms)
{
    m_turnTimer.start(int(std::max<qint64>(1, ms)));
}
