#include "app/HistoryColumns.h"

HistoryColumns::HistoryColumns(const QList<HistorySample>& samples, qint64 startMinute,
                               qint64 endMinute, int columnCount)
    : m_columns(qMax(0, columnCount)), m_startMinute(startMinute),
      m_endMinute(qMax(startMinute, endMinute))
{
    if (m_columns.isEmpty())
        return;
    const QString* previousMap = nullptr;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const HistorySample& sample = samples.at(i);
        const int index = columnOf(sample.minute);
        const bool changed = previousMap && *previousMap != sample.map;
        previousMap = &sample.map;
        if (index < 0)
            continue;
        Column& column = m_columns[index];
        if (!column.hasData()) {
            column.firstSample = int(i);
            column.minPeople = column.maxPeople = sample.people;
            column.minBots = column.maxBots = sample.bots;
        } else {
            column.minPeople = qMin(column.minPeople, sample.people);
            column.maxPeople = qMax(column.maxPeople, sample.people);
            column.minBots = qMin(column.minBots, sample.bots);
            column.maxBots = qMax(column.maxBots, sample.bots);
        }
        column.lastSample = int(i);
        if (changed) {
            column.mapChanged = true;
            ++m_mapChanges;
        }
        m_maxCount = qMax(m_maxCount, qMax(sample.people, sample.bots));
    }
}

int HistoryColumns::columnOf(qint64 minute) const
{
    if (minute < m_startMinute || minute > m_endMinute || m_columns.isEmpty())
        return -1;
    const qint64 span = m_endMinute - m_startMinute + 1;
    return int((minute - m_startMinute) * m_columns.size() / span);
}

qint64 HistoryColumns::minuteAt(int column) const
{
    const qint64 span = m_endMinute - m_startMinute + 1;
    if (m_columns.isEmpty())
        return m_startMinute;
    return m_startMinute + (2 * qint64(column) + 1) * span / (2 * m_columns.size());
}
