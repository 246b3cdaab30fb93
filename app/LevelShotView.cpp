#include "app/LevelShotView.h"

#include <QPainter>

namespace {

// Level shots are 4:3; the view keeps that shape while no picture is shown.
constexpr int shotWidth = 4;
constexpr int shotHeight = 3;
constexpr int smallestWidth = 160;
constexpr int largestWidth = 640;

} // namespace

LevelShotView::LevelShotView(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMaximumSize(largestWidth, largestWidth * shotHeight / shotWidth);
}

QSize LevelShotView::sizeHint() const
{
    return {smallestWidth * 2, smallestWidth * 2 * shotHeight / shotWidth};
}

QSize LevelShotView::minimumSizeHint() const
{
    return {smallestWidth, smallestWidth * shotHeight / shotWidth};
}

QRect LevelShotView::pictureRect() const
{
    const QSize shape = pixmap().isNull() ? QSize(shotWidth, shotHeight) : pixmap().size();
    const QSize size = shape.scaled(contentsRect().size(), Qt::KeepAspectRatio);
    return {contentsRect().topLeft(), size};
}

void LevelShotView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect picture = pictureRect();
    if (!pixmap().isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(picture, pixmap());
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(picture.adjusted(0, 0, -1, -1));
}
