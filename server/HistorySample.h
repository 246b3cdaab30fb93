#pragma once

#include <QDateTime>
#include <QString>

// One sample of a server's player history: who played at one minute.
struct HistorySample
{
    // Minutes since 1970-01-01 00:00 UTC.
    qint64 minute = 0;
    int people = 0;
    int bots = 0;
    QString map;

    static qint64 minuteOf(const QDateTime& time) { return time.toSecsSinceEpoch() / 60; }
    QDateTime time() const { return QDateTime::fromSecsSinceEpoch(minute * 60, Qt::UTC); }

    bool operator==(const HistorySample&) const = default;
};
