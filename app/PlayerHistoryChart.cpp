#include "app/PlayerHistoryChart.h"

#include "config/StringTable.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int margin = 6;
constexpr int tickLength = 4;
constexpr int pickDistance = 4;
// Map changes at least this far apart get a line across the plot.
constexpr int sparseMarkSpacing = 16;
const QColor peopleColor(31, 119, 180);
const QColor botsColor(214, 96, 20);

QString spanText(PlayerHistoryChart::Span span)
{
    return span == PlayerHistoryChart::Span::Day
               ? voCommonText(QStringLiteral("HistorySpanDay"), QStringLiteral("24 hours"))
               : voCommonText(QStringLiteral("HistorySpanWeek"), QStringLiteral("7 days"));
}

QString peopleText()
{
    return voCommonText(QStringLiteral("HistoryPeople"), QStringLiteral("People"));
}

QString botsText()
{
    return voCommonText(QStringLiteral("HistoryBots"), QStringLiteral("Bots"));
}

QDateTime localTimeOf(qint64 minute)
{
    return QDateTime::fromSecsSinceEpoch(minute * 60);
}

// The step of the count axis: 1, 2 or 5 times a power of ten, at most five steps to the top.
int countStep(int maxCount)
{
    for (int power = 1;; power *= 10)
        for (const int step : {power, 2 * power, 5 * power})
            if (step * 5 >= maxCount || power > 100000)
                return step;
}

} // namespace

qint64 PlayerHistoryChart::spanMinutes(Span span)
{
    return span == Span::Day ? 24 * 60 : 7 * 24 * 60;
}

PlayerHistoryChart::PlayerHistoryChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("playerHistoryChart"));
    setAccessibleName(voCommonText(QStringLiteral("HistoryChartName"), QStringLiteral("Player history")));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    updateAccessibleDescription();
}

void PlayerHistoryChart::setSamples(QList<HistorySample> samples, qint64 endMinute)
{
    if (!std::is_sorted(samples.cbegin(), samples.cend(),
                        [](const HistorySample& a, const HistorySample& b) { return a.minute < b.minute; }))
        std::stable_sort(samples.begin(), samples.end(),
                         [](const HistorySample& a, const HistorySample& b) { return a.minute < b.minute; });
    m_samples = std::move(samples);
    m_endMinute = endMinute;
    m_columnsStale = true;
    updateTopScale();
    updateAccessibleDescription();
    update();
}

void PlayerHistoryChart::setSpan(Span span)
{
    if (span == m_span)
        return;
    m_span = span;
    m_columnsStale = true;
    updateTopScale();
    updateAccessibleDescription();
    update();
}

QSize PlayerHistoryChart::sizeHint() const
{
    return {640, 220};
}

QSize PlayerHistoryChart::minimumSizeHint() const
{
    return {240, 120};
}

QRect PlayerHistoryChart::plotRect() const
{
    const QFontMetrics metrics(font());
    const int left = margin + metrics.horizontalAdvance(QString::number(topScale())) + tickLength + 2;
    const int top = margin + metrics.height() + 4;
    const int bottom = margin + metrics.height() + tickLength;
    return QRect(QPoint(left, top), QPoint(width() - margin - 1, height() - bottom - 1));
}

const HistoryColumns& PlayerHistoryChart::columns() const
{
    // Laid out for the plot as it is now: the widget may have been resized since.
    const QRect plot = QRect(QPoint(0, 0), size()).isEmpty() ? QRect() : plotRect();
    if (m_columnsStale || plot.width() != m_columnsPlot.width()) {
        m_columns = HistoryColumns(m_samples, startMinute(), m_endMinute, qMax(0, plot.width()));
        m_columnsPlot = plot;
        m_columnsStale = false;
    }
    return m_columns;
}

int PlayerHistoryChart::topScale() const
{
    return m_topScale;
}

void PlayerHistoryChart::updateTopScale()
{
    int most = 0;
    const qint64 start = startMinute();
    for (const HistorySample& sample : m_samples)
        if (sample.minute >= start && sample.minute <= m_endMinute)
            most = qMax(most, qMax(sample.people, sample.bots));
    most = qMax(most, 4);
    const int step = countStep(most);
    m_topScale = (most + step - 1) / step * step;
}

double PlayerHistoryChart::yFor(int count, const QRect& plot) const
{
    const int top = topScale();
    return plot.bottom() + 0.5 - double(count) / top * (plot.height() - 1);
}

std::optional<HistorySample> PlayerHistoryChart::sampleAt(const QPoint& point) const
{
    const QRect plot = plotRect();
    if (point.y() < plot.top() - pickDistance || point.y() > plot.bottom() + pickDistance)
        return std::nullopt;
    const HistoryColumns& laid = columns();
    const int x = point.x() - plot.left();
    int best = -1;
    for (int distance = 0; distance <= pickDistance && best < 0; ++distance)
        for (const int candidate : {x - distance, x + distance})
            if (candidate >= 0 && candidate < laid.columns().size() &&
                laid.columns().at(candidate).hasData()) {
                best = candidate;
                break;
            }
    if (best < 0)
        return std::nullopt;
    // Within the column, the sample nearest the minute under the pointer.
    const HistoryColumns::Column& column = laid.columns().at(best);
    const qint64 minute = laid.minuteAt(qBound(0, x, int(laid.columns().size()) - 1));
    int nearest = column.firstSample;
    for (int i = column.firstSample; i <= column.lastSample; ++i)
        if (qAbs(m_samples.at(i).minute - minute) < qAbs(m_samples.at(nearest).minute - minute))
            nearest = i;
    return m_samples.at(nearest);
}

QString PlayerHistoryChart::toolTipText(const HistorySample& sample)
{
    return voCommonText(QStringLiteral("HistoryChartToolTip"),
                        QStringLiteral("%@\nPeople: %@\nBots: %@\nMap: %@"),
                        {QLocale().toString(localTimeOf(sample.minute), QStringLiteral("ddd d MMM HH:mm")),
                         QString::number(sample.people), QString::number(sample.bots),
                         sample.map.isEmpty() ? QStringLiteral("-") : sample.map});
}

bool PlayerHistoryChart::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const std::optional<HistorySample> sample = sampleAt(help->pos()))
            QToolTip::showText(help->globalPos(), toolTipText(*sample), this);
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::Resize)
        m_columnsStale = true;
    return QWidget::event(event);
}

void PlayerHistoryChart::updateAccessibleDescription()
{
    const qint64 start = startMinute();
    int people = 0;
    int bots = 0;
    int changes = 0;
    const HistorySample* last = nullptr;
    const HistorySample* previous = nullptr;
    for (const HistorySample& sample : m_samples) {
        if (sample.minute < start || sample.minute > m_endMinute)
            continue;
        people = qMax(people, sample.people);
        bots = qMax(bots, sample.bots);
        if (previous && previous->map != sample.map)
            ++changes;
        previous = last = &sample;
    }
    if (!last) {
        setAccessibleDescription(voCommonText(QStringLiteral("HistoryChartNoSamples"),
                                              QStringLiteral("No samples in the last %@."),
                                              {spanText(m_span)}));
        return;
    }
    setAccessibleDescription(voCommonText(
        QStringLiteral("HistoryChartDescription"),
        QStringLiteral("People and bots over the last %@: at most %@ people and %@ bots, %@ map "
                       "changes. Last sample %@: %@ people and %@ bots on %@."),
        {spanText(m_span), QString::number(people), QString::number(bots), QString::number(changes),
         QLocale().toString(localTimeOf(last->minute), QStringLiteral("ddd d MMM HH:mm")),
         QString::number(last->people), QString::number(last->bots),
         last->map.isEmpty() ? QStringLiteral("-") : last->map}));
}

void PlayerHistoryChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot = plotRect();
    if (plot.width() < 2 || plot.height() < 2)
        return;
    drawGrid(painter, plot);
    drawTimeAxis(painter, plot);
    drawMapChanges(painter, plot);
    if (columns().columns().isEmpty() ||
        std::none_of(columns().columns().cbegin(), columns().columns().cend(),
                     [](const HistoryColumns::Column& c) { return c.hasData(); })) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(plot, Qt::AlignCenter, accessibleDescription());
    } else {
        painter.setRenderHint(QPainter::Antialiasing, false);
        drawSeries(painter, plot, false);
        drawSeries(painter, plot, true);
    }
    drawLegend(painter, plot);
}

void PlayerHistoryChart::drawGrid(QPainter& painter, const QRect& plot) const
{
    const int top = topScale();
    const int step = countStep(top);
    const QColor grid = palette().color(QPalette::Mid);
    const QColor text = palette().color(QPalette::Text);
    const QFontMetrics metrics(font());
    for (int count = 0; count <= top; count += step) {
        const int y = int(yFor(count, plot));
        painter.setPen(QPen(grid, 0, count == 0 ? Qt::SolidLine : Qt::DotLine));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(text);
        const QRect label(margin, y - metrics.height() / 2, plot.left() - tickLength - margin - 2,
                          metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(count));
    }
}

void PlayerHistoryChart::drawTimeAxis(QPainter& painter, const QRect& plot) const
{
    const qint64 start = startMinute();
    const qint64 span = spanMinutes(m_span);
    const bool day = m_span == Span::Day;
    // Ticks at the local hours divisible by three, or at local midnights.
    const auto floored = [day](QDateTime time) {
        time.setTime(QTime(day ? time.time().hour() / 3 * 3 : 0, 0));
        return time;
    };
    const QFontMetrics metrics(font());
    int lastLabelRight = -1;
    QDateTime tick = floored(localTimeOf(start));
    for (int guard = 0; guard < 64; ++guard, tick = floored(day ? tick.addSecs(3 * 3600 + 60) : tick.addDays(1))) {
        const qint64 minute = HistorySample::minuteOf(tick);
        if (minute > m_endMinute)
            break;
        if (minute < start)
            continue;
        const int x = plot.left() + int((minute - start) * plot.width() / span);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + tickLength);
        const QString label =
            QLocale().toString(tick, day ? QStringLiteral("HH:mm") : QStringLiteral("ddd d"));
        const int labelWidth = metrics.horizontalAdvance(label);
        const int left = qBound(0, x - labelWidth / 2, qMax(0, width() - labelWidth));
        if (left <= lastLabelRight + 4)
            continue;
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(left, plot.bottom() + tickLength + metrics.ascent() + 1, label);
        lastLabelRight = left + labelWidth;
    }
}

void PlayerHistoryChart::drawMapChanges(QPainter& painter, const QRect& plot) const
{
    const HistoryColumns& laid = columns();
    QList<int> marks;
    for (int i = 0; i < laid.columns().size(); ++i)
        if (laid.columns().at(i).mapChanged)
            marks.append(i);
    const QFontMetrics metrics(font());
    QColor line = palette().color(QPalette::Dark);
    line.setAlpha(110);
    int lastLabelRight = plot.left() - 1;
    for (qsizetype m = 0; m < marks.size(); ++m) {
        const int x = plot.left() + marks.at(m);
        const int previous = m > 0 ? plot.left() + marks.at(m - 1) : plot.left() - sparseMarkSpacing;
        const int next = m + 1 < marks.size() ? plot.left() + marks.at(m + 1) : plot.right() + sparseMarkSpacing;
        // Every change has a tick at the top; a line across the plot where changes are few.
        painter.setPen(QPen(palette().color(QPalette::Dark), 1));
        painter.drawLine(x, plot.top(), x, plot.top() + tickLength + 1);
        if (x - previous >= sparseMarkSpacing && next - x >= sparseMarkSpacing) {
            painter.setPen(QPen(line, 0, Qt::DashLine));
            painter.drawLine(x, plot.top() + tickLength + 2, x, plot.bottom());
        }
        // The new map's name, where it fits before the next change.
        const QString map = m_samples.at(laid.columns().at(marks.at(m)).lastSample).map;
        const int labelWidth = metrics.horizontalAdvance(map);
        const int left = x + 3;
        if (left > lastLabelRight + 6 && left + labelWidth + 3 <= qMin(next, plot.right())) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(left, plot.top() + tickLength + metrics.ascent(), map);
            lastLabelRight = left + labelWidth;
        }
    }
}

void PlayerHistoryChart::drawSeries(QPainter& painter, const QRect& plot, bool people) const
{
    const HistoryColumns& laid = columns();
    QPainterPath path;
    qint64 previousMinute = -1;
    for (int i = 0; i < laid.columns().size(); ++i) {
        const HistoryColumns::Column& column = laid.columns().at(i);
        if (!column.hasData())
            continue;
        const HistorySample& first = m_samples.at(column.firstSample);
        const HistorySample& last = m_samples.at(column.lastSample);
        const double x = plot.left() + i + 0.5;
        const auto value = [people](const HistorySample& s) { return people ? s.people : s.bots; };
        const QPointF start(x, yFor(value(first), plot));
        if (previousMinute >= 0 && first.minute - previousMinute <= joinedGapMinutes)
            path.lineTo(start);
        else
            path.moveTo(start);
        path.lineTo(x, yFor(people ? column.minPeople : column.minBots, plot));
        path.lineTo(x, yFor(people ? column.maxPeople : column.maxBots, plot));
        path.lineTo(x, yFor(value(last), plot));
        previousMinute = last.minute;
    }
    painter.setPen(QPen(people ? peopleColor : botsColor, people ? 2 : 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void PlayerHistoryChart::drawLegend(QPainter& painter, const QRect& plot) const
{
    const QFontMetrics metrics(font());
    const int y = margin + metrics.ascent();
    int x = plot.left();
    for (const bool people : {true, false}) {
        const QString label = people ? peopleText() : botsText();
        painter.setPen(QPen(people ? peopleColor : botsColor, 3));
        painter.drawLine(x, y - metrics.ascent() / 3, x + 14, y - metrics.ascent() / 3);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(x + 18, y, label);
        x += 18 + metrics.horizontalAdvance(label) + 14;
    }
    painter.setPen(palette().color(QPalette::Text));
    const QString span = spanText(m_span);
    painter.drawText(QRect(x, margin, plot.right() - x, metrics.height()), Qt::AlignRight, span);
}
