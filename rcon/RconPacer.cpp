#include "rcon/RconPacer.h"

#include "config/CommonData.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <cmath>

namespace {

constexpr int ledgerLockWaitMs = 500;

struct LedgerLine
{
    QString key;
    double level = 0;
    qint64 stampMs = 0;
};

QList<LedgerLine> readLedger(const QString& path)
{
    QList<LedgerLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() != 3)
            continue;
        bool levelOk = false;
        bool stampOk = false;
        const LedgerLine line{QString::fromUtf8(fields.at(0)), fields.at(1).toDouble(&levelOk),
                              fields.at(2).toLongLong(&stampOk)};
        if (levelOk && stampOk && std::isfinite(line.level))
            lines.append(line);
    }
    return lines;
}

bool writeLedger(const QString& path, const QList<LedgerLine>& lines)
{
    QByteArray bytes;
    for (const LedgerLine& line : lines)
        bytes += line.key.toUtf8() + '\t' + QByteArray::number(line.level, 'g', 12) + '\t' +
                 QByteArray::number(line.stampMs) + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

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

double RconPacer::levelAt(const Count& count, qint64 nowMs) const
{
    // A clock behind the stamp is another clock (the machine was restarted): nothing counted.
    if (nowMs < count.stampMs)
        return 0;
    const double leaked = double(nowMs - count.stampMs) / m_allowance.periodMs;
    return std::max(0.0, count.level - leaked);
}

qint64 RconPacer::delayFor(Traffic traffic, double level) const
{
    if (!m_paced)
        return 0;
    if (traffic == Traffic::Poll) {
        const int pollRoom = m_allowance.burst - m_allowance.reservedForCommands;
        return m_commandsWaiting == 0 && level + 1 <= pollRoom ? 0 : -1;
    }
    const double excess = level + 1 - m_allowance.burst;
    return excess <= 0 ? 0 : qint64(std::ceil(excess * m_allowance.periodMs));
}

qint64 RconPacer::delayBefore(Traffic traffic)
{
    return delayFor(traffic, levelAt(loadCount(), m_clock()));
}

bool RconPacer::take(Traffic traffic)
{
    if (!m_paced)
        return true;
    std::unique_ptr<QLockFile> lock;
    if (!m_ledgerPath.isEmpty()) {
        QDir().mkpath(QFileInfo(m_ledgerPath).path());
        lock = std::make_unique<QLockFile>(m_ledgerPath + QStringLiteral(".lock"));
        // Without the lock the count is this process's own: still paced, just not shared.
        if (!lock->tryLock(ledgerLockWaitMs))
            lock.reset();
    }
    const qint64 now = m_clock();
    const double level = levelAt(lock ? loadCount() : m_count, now);
    if (delayFor(traffic, level) != 0)
        return false;
    const Count taken{level + 1, now};
    m_count = taken;
    if (lock)
        storeCount(taken);
    return true;
}

double RconPacer::level()
{
    return levelAt(loadCount(), m_clock());
}

RconPacer::Count RconPacer::loadCount()
{
    if (m_ledgerPath.isEmpty())
        return m_count;
    for (const LedgerLine& line : readLedger(m_ledgerPath))
        if (line.key == m_key)
            return {line.level, line.stampMs};
    return {};
}

void RconPacer::storeCount(const Count& count)
{
    const qint64 now = m_clock();
    QList<LedgerLine> kept{{m_key, count.level, count.stampMs}};
    // Servers whose count has leaked away are forgotten.
    for (const LedgerLine& line : readLedger(m_ledgerPath))
        if (line.key != m_key && levelAt({line.level, line.stampMs}, now) > 0)
            kept.append(line);
    writeLedger(m_ledgerPath, kept);
}
