#pragma once

#include "server/HistorySample.h"

#include <QList>

// The samples of a span of time laid over the pixel columns of a chart: per column the least
// and the most people and bots, the first and last sample, and whether the map changed. A
// chart of any number of samples then draws a fixed number of points per column.
class HistoryColumns
{
public:
    struct Column
    {
        // Indices into the samples; -1 for a column without any.
        int firstSample = -1;
        int lastSample = -1;
        int minPeople = 0;
        int maxPeople = 0;
        int minBots = 0;
        int maxBots = 0;
        // A sample of the column plays another map than the sample before it.
        bool mapChanged = false;
        bool hasData() const { return firstSample >= 0; }
    };

    HistoryColumns() = default;
    // samples oldest first; the span runs from startMinute to endMinute, both included.
    HistoryColumns(const QList<HistorySample>& samples, qint64 startMinute, qint64 endMinute,
                   int columnCount);

    const QList<Column>& columns() const { return m_columns; }
    qint64 startMinute() const { return m_startMinute; }
    qint64 endMinute() const { return m_endMinute; }
    // The column a minute falls in; -1 outside the span.
    int columnOf(qint64 minute) const;
    // The minute at the middle of a column.
    qint64 minuteAt(int column) const;
    // The most people or bots of any column.
    int maxCount() const { return m_maxCount; }
    int mapChanges() const { return m_mapChanges; }

private:
    QList<Column> m_columns;
    qint64 m_startMinute = 0;
    qint64 m_endMinute = 0;
    int m_maxCount = 0;
    int m_mapChanges = 0;
};
