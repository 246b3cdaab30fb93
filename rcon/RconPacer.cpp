#include "rcon/RconPacer.h"

#include "config/CommonData.h"
#include "format/Logging.h"
#include "rcon/RconLedger.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ledgerLockWaitMs = 500;

} // namespace

qint64 RconPacer::monotonicMs()
{
    // CLOCK_MONOTONIC on Linux: the same reference for every process of the machine.
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

RconPacer::RconPacer() : RconPacer(Allowance()) {}

RconPacer::RconPacer(Allowance allowance, Clock clock)
    : m_allowance(allowance), m_clock(std::move(clock))
{
    m_allowance.burst = std::max(1, m_allowance.burst);
    m_allowance.periodMs = std::max(1, m_allowance.periodMs);
    m_allowance.reservedForCommands =
        std::clamp(m_allowance.reservedForCommands, 0, m_allowance.burst - 1);
    m_count.stampMs = m_clock();
}

std::shared_ptr<RconPacer> RconPacer::shared(const QString& key, const QString& ledgerPath)
{
    return shared(key, ledgerPath, Allowance());
}

std::shared_ptr<RconPacer> RconPacer::shared(const QString& key, const QString& ledgerPath,
                                             Allowance allowance, Clock clock)
{
    auto pacer = std::make_shared<RconPacer>(allowance, std::move(clock));
    pacer->m_key = key;
    pacer->m_ledgerPath = ledgerPath;
    return pacer;
}

QString RconPacer::defaultLedgerPath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/RconPacing.ledger");
}

std::shared_ptr<RconPacer> RconPacer::unpaced()
{
    auto pacer = std::make_shared<RconPacer>();
    pacer->m_paced = false;
    return pacer;
}

RconPacer::Waiting::Waiting(RconPacer& pacer) : m_pacer(pacer)
{
    if (m_pacer.m_commandsWaiting++ == 0)
        m_pacer.m_waitingSinceMs = m_pacer.m_clock();
}

RconPacer::Waiting::~Waiting()
{
    --m_pacer.m_commandsWaiting;
}

RconPacer::Count RconPacer::heldToTheLimit(const Count& count, qint64 nowMs) const
{
    // A stamp after now is another clock's (the machine was restarted) or made up: the count
    // starts leaking now.
    return {std::clamp(count.level, 0.0, double(m_allowance.burst)),
            std::min(count.stampMs, nowMs)};
}

double RconPacer::levelAt(const Count& count, qint64 nowMs) const
{
    const Count held = heldToTheLimit(count, nowMs);
    const double leaked = double(nowMs - held.stampMs) / m_allowance.periodMs;
    return std::max(0.0, held.level - leaked);
}

bool RconPacer::commandOverdue(qint64 nowMs) const
{
    return m_commandsWaiting > 0 && nowMs - m_waitingSinceMs >= maximumWaitMs();
}

qint64 RconPacer::delayFor(Traffic traffic, double level, qint64 nowMs) const
{
    if (!m_paced)
        return 0;
    if (traffic == Traffic::Poll) {
        const int pollRoom = m_allowance.burst - m_allowance.reservedForCommands;
        return m_commandsWaiting == 0 && level + 1 <= pollRoom ? 0 : -1;
    }
    const double excess = level + 1 - m_allowance.burst;
    const qint64 delay = excess <= 0 ? 0 : qint64(std::ceil(excess * m_allowance.periodMs));
    if (m_commandsWaiting == 0)
        return delay;
    return std::clamp<qint64>(m_waitingSinceMs + maximumWaitMs() - nowMs, 0, delay);
}

qint64 RconPacer::delayBefore(Traffic traffic)
{
    const qint64 now = m_clock();
    return delayFor(traffic, currentLevel(now), now);
}

bool RconPacer::take(Traffic traffic)
{
    if (!m_paced)
        return true;
    const qint64 now = m_clock();
    std::unique_ptr<RconLedger::Lock> lock;
    if (!m_ledgerPath.isEmpty()) {
        Result<std::unique_ptr<RconLedger::Lock>> locked =
            RconLedger(m_ledgerPath).lock(ledgerLockWaitMs);
        if (locked.ok())
            lock = std::move(locked.value);
        else
            noteLedgerProblem(locked.error);
    }
    std::optional<LedgerCount> ledgerCount;
    const double level = currentLevel(now, &ledgerCount);
    const bool goes = delayFor(traffic, level, now) == 0 ||
                      (traffic == Traffic::Command && commandOverdue(now));
    if (goes) {
        m_count = {std::min(level + 1, double(m_allowance.burst)), now};
        if (traffic == Traffic::Command)
            m_waitingSinceMs = now;
    }
    // Without the lock the ledger is only read. A count held to the limit is written back even
    // when nothing goes, so that it leaks from now on.
    if (lock && ledgerCount && (goes || ledgerCount->heldBack))
        storeCount(goes ? m_count : ledgerCount->count, now);
    return goes;
}

double RconPacer::level()
{
    return currentLevel(m_clock());
}

double RconPacer::currentLevel(qint64 nowMs, std::optional<LedgerCount>* ledgerCount)
{
    m_count = heldToTheLimit(m_count, nowMs);
    double level = levelAt(m_count, nowMs);
    if (m_ledgerPath.isEmpty())
        return level;
    const std::optional<LedgerCount> shared = readLedgerCount(nowMs);
    if (shared)
        level = std::max(level, levelAt(shared->count, nowMs));
    if (ledgerCount)
        *ledgerCount = shared;
    return level;
}

std::optional<RconPacer::LedgerCount> RconPacer::readLedgerCount(qint64 nowMs)
{
    const Result<QList<RconLedger::Entry>> entries = RconLedger(m_ledgerPath).read();
    if (!entries.ok()) {
        noteLedgerProblem(entries.error);
        return std::nullopt;
    }
    LedgerCount found{{0, nowMs}, false};
    for (const RconLedger::Entry& entry : entries.value) {
        if (entry.key != m_key)
            continue;
        const Count held = heldToTheLimit({entry.level, entry.stampMs}, nowMs);
        if (levelAt(held, nowMs) > levelAt(found.count, nowMs))
            found = {held, held.level != entry.level || held.stampMs != entry.stampMs};
    }
    return found;
}

void RconPacer::storeCount(const Count& count, qint64 nowMs)
{
    const RconLedger ledger(m_ledgerPath);
    const Result<QList<RconLedger::Entry>> entries = ledger.read();
    if (!entries.ok()) {
        noteLedgerProblem(entries.error);
        return;
    }
    QList<RconLedger::Entry> kept{{m_key, count.level, count.stampMs}};
    // Servers whose count has leaked away are forgotten; the others are kept held to the limit.
    for (const RconLedger::Entry& entry : entries.value) {
        const Count held = heldToTheLimit({entry.level, entry.stampMs}, nowMs);
        if (entry.key != m_key && levelAt(held, nowMs) > 0)
            kept.append({entry.key, held.level, held.stampMs});
    }
    const Result<void> written = ledger.write(kept);
    if (!written.ok()) {
        noteLedgerProblem(written.error);
        return;
    }
    m_ledgerProblem.reset();
}

void RconPacer::noteLedgerProblem(const QString& problem)
{
    if (m_ledgerProblem != problem)
        qCWarning(lcRcon, "The pacing ledger cannot be used (%s); requests are paced by this "
                          "process's own count.",
                  qPrintable(problem));
    m_ledgerProblem = problem;
}
