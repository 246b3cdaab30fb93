// The player history: the time to draw seven days of minute samples (10080) in the chart
// beside the time to read them from a history file that holds thirty days, median of several
// runs of each, side by side in one run. Also the time of one append, and of the 24-hour
// reading and drawing. With --png DIR it writes what it drew as pictures there
// (history-week.png, history-day.png).
//
//   build/bench/HistoryBench [runs=15] [--png DIR]
//
// Runs off screen (QT_QPA_PLATFORM=offscreen unless set), below a scratch directory.

#include "app/PlayerHistoryChart.h"
#include "app/PlayerHistoryPicture.h"
#include "bench/support/BenchEnvironment.h"
#include "bench/support/Stopwatch.h"
#include "server/PlayerHistory.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>

namespace {

constexpr qint64 day = 24 * 60;
constexpr qint64 week = 7 * day;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// The median wall-clock time of runs of work, in milliseconds.
double timed(int runs, const std::function<void()>& work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        const Stopwatch watch;
        work();
        times.append(watch.elapsed().wallMs);
    }
    return median(times);
}

double drawTime(int runs, const QList<HistorySample>& samples, qint64 end,
                PlayerHistoryChart::Span span, QSize size)
{
    PlayerHistoryChart chart;
    chart.setAttribute(Qt::WA_DontShowOnScreen);
    chart.setSpan(span);
    chart.resize(size);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    // Each run hands the chart the samples anew and paints it whole, as after a reading.
    return timed(runs, [&] {
        chart.setSamples(samples, end);
        chart.render(&image);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir scratch;
    BenchEnvironment::useScratchHome(scratch.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchEnvironment::nameApplication();

    QStringList args = QCoreApplication::arguments().mid(1);
    QString png;
    if (const qsizetype at = args.indexOf(QStringLiteral("--png")); at >= 0 && at + 1 < args.size()) {
        png = args.at(at + 1);
        args.remove(at, 2);
    }
    const int runs = qMax(1, args.value(0, QStringLiteral("15")).toInt());

    // Thirty days of one sample a minute, appended as the samplers append them, on a clock
    // that runs a minute per sample.
    const qint64 end = HistorySample::minuteOf(QDateTime(QDate(2024, 6, 1), QTime(0, 0), Qt::UTC));
    qint64 clockMinute = end - PlayerHistory::keptMinutes + 1;
    PlayerHistory history(PlayerHistory::pathForServer(QStringLiteral("Bench")),
                          [&clockMinute] { return clockMinute * 60000; });
    const QList<HistorySample> made = PlayerHistoryPicture::madeUpSamples(end, PlayerHistory::keptMinutes);
    QList<double> appendTimes;
    for (const HistorySample& sample : made) {
        clockMinute = sample.minute;
        const Stopwatch watch;
        if (!history.append(sample).ok()) {
            std::fprintf(stderr, "the history could not be written\n");
            return 1;
        }
        appendTimes.append(watch.elapsed().wallMs);
    }
    clockMinute = end;
    const qint64 fileSize = QFileInfo(history.path()).size();

    QList<HistorySample> weekSamples;
    const double readWeek = timed(runs, [&] { weekSamples = history.readLast(week).value.samples; });
    QList<HistorySample> daySamples;
    const double readDay = timed(runs, [&] { daySamples = history.readLast(day).value.samples; });

    const QSize small(720, 260);
    const QSize large(1600, 400);
    const double drawWeek = drawTime(runs, weekSamples, end, PlayerHistoryChart::Span::Week, small);
    const double drawWeekLarge = drawTime(runs, weekSamples, end, PlayerHistoryChart::Span::Week, large);
    const double drawDay = drawTime(runs, daySamples, end, PlayerHistoryChart::Span::Day, small);

    std::printf("player history, median of %d runs (the file: %lld samples over 30 days, %lld bytes)\n",
                runs, qlonglong(made.size()), qlonglong(fileSize));
    std::printf("  append one sample:          %8.3f ms (median of %lld)\n", median(appendTimes),
                qlonglong(appendTimes.size()));
    std::printf("  %-28s %10s %12s %12s\n", "span", "read", "draw 720x260", "draw 1600x400");
    std::printf("  %-28s %7.2f ms %9.2f ms %12s\n",
                qPrintable(QStringLiteral("24 hours (%1 samples)").arg(daySamples.size())), readDay,
                drawDay, "-");
    std::printf("  %-28s %7.2f ms %9.2f ms %9.2f ms\n",
                qPrintable(QStringLiteral("7 days (%1 samples)").arg(weekSamples.size())), readWeek,
                drawWeek, drawWeekLarge);
    std::printf("  drawing 7 days takes %.2f times as long as reading them\n",
                readWeek > 0 ? drawWeek / readWeek : 0.0);
    std::printf("  peak memory %lld KiB, load %s\n", qlonglong(BenchEnvironment::peakResidentKiB()),
                qPrintable(BenchEnvironment::loadAverage()));

    if (!png.isEmpty()) {
        for (const auto& [name, samples, span] :
             {std::tuple{QStringLiteral("history-week.png"), weekSamples, PlayerHistoryChart::Span::Week},
              std::tuple{QStringLiteral("history-day.png"), daySamples, PlayerHistoryChart::Span::Day}}) {
            const QString path = png + QLatin1Char('/') + name;
            const Result<void> saved = PlayerHistoryPicture::save(path, samples, end, span, small);
            if (!saved.ok()) {
                std::fprintf(stderr, "%s\n", qPrintable(saved.error));
                return 1;
            }
            std::printf("  drawn: %s\n", qPrintable(path));
        }
    }
    return 0;
}
