#pragma once

#include "app/PlayerHistoryChart.h"
#include "format/Result.h"

#include <QImage>
#include <QSize>

// The chart as a picture, for the documentation's screenshots and the benchmark: rendered
// off screen from any samples, or from a made-up history that looks like a server's.
class PlayerHistoryPicture
{
public:
    PlayerHistoryPicture() = delete;

    // A history ending at endMinute, one sample a minute over the given minutes: quiet
    // mornings, busy evenings, bots filling up to four players, a map change every twenty
    // minutes, and the server down for two hours in the middle. The same every time.
    static QList<HistorySample> madeUpSamples(qint64 endMinute, qint64 minutes);

    static QImage render(const QList<HistorySample>& samples, qint64 endMinute,
                         PlayerHistoryChart::Span span, QSize size = {720, 260});
    // Renders and writes a PNG; the reason when the file cannot be written.
    static Result<void> save(const QString& path, const QList<HistorySample>& samples,
                             qint64 endMinute, PlayerHistoryChart::Span span,
                             QSize size = {720, 260});
};
