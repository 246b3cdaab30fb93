#include "app/KZColorView.h"

#include <QPainter>

KZColorView::KZColorView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(16, 16);
}

void KZColorView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_fillColor);
    // The stroke follows the edge of the bounds, so half of it falls inside the view.
    QPen frame(QColor(Qt::gray));
    frame.setWidthF(3.0);
    painter.setPen(frame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()));
}
