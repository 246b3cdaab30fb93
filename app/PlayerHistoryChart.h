#pragma once

#include "app/HistoryColumns.h"
#include "server/HistorySample.h"

#include <QList>
#include <QWidget>

#include <optional>

// A server's people and bots over the last 24 hours or 7 days, drawn with Qt's own painting:
// the samples are laid over the chart's pixel columns (the least and the most of each
// column), so a week of minute samples draws as fast as an hour. Map changes are marked; the
// tooltip of a point tells its time, people, bots and map. Gaps (no samples: the server was
// not running) stay gaps.
class PlayerHistoryChart : public QWidget
{
    Q_OBJECT

public:
    enum class Span
    {
        Day,
        Week,
    };
    static qint64 spanMinutes(Span span);
    // Samples further apart than this are not joined by a line.
    static constexpr qint64 joinedGapMinutes = 5;

    explicit PlayerHistoryChart(QWidget* parent = nullptr);

    // The samples (in any order) and the minute at the right edge of the chart (now).
    void setSamples(QList<HistorySample> samples, qint64 endMinute);
    void setSpan(Span span);
    Span span() const { return m_span; }
    const QList<HistorySample>& samples() const { return m_samples; }
    qint64 endMinute() const { return m_endMinute; }
    qint64 startMinute() const { return m_endMinute - spanMinutes(m_span) + 1; }

    // Where the curves are drawn, and the columns as they are drawn there.
    QRect plotRect() const;
    const HistoryColumns& columns() const;
    // The sample nearest to a point of the plot, within a few pixels of a column with samples.
    std::optional<HistorySample> sampleAt(const QPoint& point) const;
    static QString toolTipText(const HistorySample& sample);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateAccessibleDescription();
    int topScale() const;
    void updateTopScale();
    double yFor(int count, const QRect& plot) const;
    void drawGrid(QPainter& painter, const QRect& plot) const;
    void drawTimeAxis(QPainter& painter, const QRect& plot) const;
    void drawMapChanges(QPainter& painter, const QRect& plot) const;
    void drawSeries(QPainter& painter, const QRect& plot, bool people) const;
    void drawLegend(QPainter& painter, const QRect& plot) const;

    QList<HistorySample> m_samples;
    qint64 m_endMinute = 0;
    Span m_span = Span::Day;
    int m_topScale = 4;
    mutable HistoryColumns m_columns;
    mutable QRect m_columnsPlot;
    mutable bool m_columnsStale = true;
};
