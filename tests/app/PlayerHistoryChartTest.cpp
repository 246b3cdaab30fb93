#include "app/HistoryColumns.h"
#include "app/PlayerHistoryChart.h"
#include "app/PlayerHistoryPicture.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

constexpr qint64 end = 28630080; // some Saturday evening, in minutes
constexpr qint64 week = 7 * 24 * 60;

QList<HistorySample> runOf(qint64 from, qint64 to, int people, int bots, const QString& map)
{
    QList<HistorySample> samples;
    for (qint64 minute = from; minute <= to; ++minute)
        samples.append({minute, people, bots, map});
    return samples;
}

} // namespace

TEST(HistoryColumns, EachColumnHoldsTheLeastAndMostOfItsSamples)
{
    // Ten minutes over five columns: two minutes a column.
    QList<HistorySample> samples;
    const int people[] = {1, 5, 2, 2, 0, 7, 3, 3, 4, 1};
    for (int i = 0; i < 10; ++i)
        samples.append({100 + i, people[i], 10 - people[i], i < 6 ? "oa_dm1" : "oa_dm2"});
    samples.removeAt(3); // a minute without a sample
    const HistoryColumns columns(samples, 100, 109, 5);
    ASSERT_EQ(columns.columns().size(), 5);
    const HistoryColumns::Column& first = columns.columns().at(0);
    EXPECT_EQ(first.minPeople, 1);
    EXPECT_EQ(first.maxPeople, 5);
    EXPECT_EQ(first.minBots, 5);
    EXPECT_EQ(first.maxBots, 9);
    EXPECT_EQ(columns.columns().at(1).firstSample, columns.columns().at(1).lastSample) << "one sample left";
    EXPECT_EQ(columns.columns().at(2).maxPeople, 7);
    EXPECT_EQ(columns.maxCount(), 10);
    EXPECT_EQ(columns.mapChanges(), 1);
    EXPECT_TRUE(columns.columns().at(3).mapChanged);
    EXPECT_FALSE(columns.columns().at(2).mapChanged);
    EXPECT_EQ(columns.columnOf(99), -1);
    EXPECT_EQ(columns.columnOf(109), 4);
    EXPECT_EQ(columns.columnOf(110), -1);

    // More columns than minutes: samples fall in columns of their own, the rest stay empty.
    const HistoryColumns wide(samples, 100, 109, 40);
    int withData = 0;
    for (const HistoryColumns::Column& column : wide.columns())
        withData += column.hasData();
    EXPECT_EQ(withData, samples.size());
    EXPECT_TRUE(HistoryColumns(samples, 100, 109, 0).columns().isEmpty());
}

TEST(PlayerHistoryChart, AWeekOfSamplesShowsWithToolTipsAndASpokenSummary)
{
    // Two maps, then four hours of downtime, then a third map until the end.
    QList<HistorySample> samples = runOf(end - week + 1, end - 3000, 2, 4, "oa_dm1");
    samples += runOf(end - 2999, end - 720, 6, 0, "oa_dm2");
    samples += runOf(end - 479, end, 3, 1, "oa_dm4");
    PlayerHistoryChart chart;
    chart.setSpan(PlayerHistoryChart::Span::Week);
    chart.setSamples(samples, end);
    chart.resize(800, 260);
    chart.show();
    ASSERT_TRUE(waitUntil([&] { return chart.isVisible(); }));
    QApplication::processEvents();

    EXPECT_EQ(chart.accessibleName(), "Player history");
    const QString description = chart.accessibleDescription();
    EXPECT_TRUE(description.contains("7 days")) << description.toStdString();
    EXPECT_TRUE(description.contains("at most 6 people and 4 bots")) << description.toStdString();
    EXPECT_TRUE(description.contains("2 map changes"));
    EXPECT_TRUE(description.contains("3 people and 1 bots on oa_dm4"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&chart);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->text(QAccessible::Description), description);

    const QRect plot = chart.plotRect();
    ASSERT_GT(plot.width(), 600);
    EXPECT_EQ(chart.columns().columns().size(), plot.width()) << "one column per pixel";
    EXPECT_EQ(chart.columns().mapChanges(), 2);

    // The tooltip of the last column tells its sample.
    const QPoint lastPoint(plot.right() - 1, plot.center().y());
    const std::optional<HistorySample> last = chart.sampleAt(lastPoint);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->map, "oa_dm4");
    EXPECT_GE(last->minute, end - 20);
    QHelpEvent help(QEvent::ToolTip, lastPoint, chart.mapToGlobal(lastPoint));
    QApplication::sendEvent(&chart, &help);
    EXPECT_EQ(QToolTip::text(), PlayerHistoryChart::toolTipText(*last));
    EXPECT_TRUE(QToolTip::text().contains("People: 3\nBots: 1\nMap: oa_dm4")) << QToolTip::text().toStdString();

    // In the middle of the downtime there is no point to tell of.
    const int gapColumn = chart.columns().columnOf(end - 600);
    EXPECT_FALSE(chart.sampleAt(QPoint(plot.left() + gapColumn, plot.center().y())));
    QHelpEvent gapHelp(QEvent::ToolTip, QPoint(plot.left() + gapColumn, plot.center().y()), QPoint());
    QApplication::sendEvent(&chart, &gapHelp);
    EXPECT_TRUE(waitUntil([] { return !QToolTip::isVisible(); }));

    // The last 24 hours of the same samples: the downtime and one change.
    chart.setSpan(PlayerHistoryChart::Span::Day);
    EXPECT_EQ(chart.columns().mapChanges(), 1);
    EXPECT_TRUE(chart.accessibleDescription().contains("24 hours"));
    EXPECT_TRUE(chart.accessibleDescription().contains("at most 6 people and 1 bots"));
}

TEST(PlayerHistoryChart, NoSamplesSaySoAndThePictureShowsTheCurves)
{
    PlayerHistoryChart empty;
    empty.setSamples({}, end);
    EXPECT_EQ(empty.accessibleDescription(), "No samples in the last 24 hours.");
    EXPECT_FALSE(empty.sampleAt(QPoint(100, 100)));

    const QString png = TestEnvironment::makeScratchDir("chart") + "/week.png";
    const QList<HistorySample> samples = PlayerHistoryPicture::madeUpSamples(end, week);
    ASSERT_TRUE(PlayerHistoryPicture::save(png, samples, end, PlayerHistoryChart::Span::Week).ok());
    const QImage picture(png);
    ASSERT_EQ(picture.size(), QSize(720, 260));
    // The people's blue and the bots' orange are both drawn in the plot (not only the legend).
    PlayerHistoryChart sameSize;
    sameSize.resize(picture.size());
    const QRect plot = sameSize.plotRect();
    bool blue = false;
    bool orange = false;
    for (int y = plot.top(); y <= plot.bottom(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            blue = blue || (c.blue() > 150 && c.red() < 80);
            orange = orange || (c.red() > 180 && c.blue() < 60 && c.green() > 60 && c.green() < 140);
        }
    EXPECT_TRUE(blue && orange);
    EXPECT_FALSE(PlayerHistoryPicture::save(TestEnvironment::home() + "/no/such/dir/x.png", samples, end,
                                            PlayerHistoryChart::Span::Week)
                     .ok());
}
