#include "app/PlayerHistoryPicture.h"

#include "format/AtomicFile.h"

#include <QBuffer>
#include <QtMath>

QList<HistorySample> PlayerHistoryPicture::madeUpSamples(qint64 endMinute, qint64 minutes)
{
    static const QStringList maps{QStringLiteral("oa_dm1"), QStringLiteral("oa_dm2"),
                                  QStringLiteral("oa_dm4"), QStringLiteral("oa_ctf2")};
    QList<HistorySample> samples;
    samples.reserve(minutes);
    const qint64 start = endMinute - minutes + 1;
    const qint64 downFrom = start + minutes / 2;
    for (qint64 minute = start; minute <= endMinute; ++minute) {
        if (minute >= downFrom && minute < downFrom + 120)
            continue;
        const double hour = double(minute % (24 * 60)) / 60.0;
        // Busiest at 21:00, empty before dawn; a slow wobble so no two evenings look alike.
        const double evening = qMax(0.0, qCos((hour - 21.0) / 24.0 * 2 * M_PI));
        const double wobble = 0.5 + 0.5 * qSin(double(minute) / 47.0);
        const int people = int(qRound(evening * evening * (5 + 3 * wobble)));
        const int bots = qMax(0, 4 - people);
        samples.append({minute, people, bots, maps.at(int((minute / 20) % maps.size()))});
    }
    return samples;
}

QImage PlayerHistoryPicture::render(const QList<HistorySample>& samples, qint64 endMinute,
                                    PlayerHistoryChart::Span span, QSize size)
{
    PlayerHistoryChart chart;
    chart.setAttribute(Qt::WA_DontShowOnScreen);
    chart.setSpan(span);
    chart.setSamples(samples, endMinute);
    chart.resize(size);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    chart.render(&image);
    return image;
}

Result<void> PlayerHistoryPicture::save(const QString& path, const QList<HistorySample>& samples,
                                        qint64 endMinute, PlayerHistoryChart::Span span, QSize size)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!render(samples, endMinute, span, size).save(&buffer, "PNG"))
        return Result<void>::failure(QStringLiteral("the picture could not be made"));
    return AtomicFile::write(path, png);
}
