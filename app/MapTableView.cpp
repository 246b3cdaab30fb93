#include "app/MapTableView.h"

#include "app/FormControls.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>

namespace {

Qt::DropAction dropAction(MapDropHandler::Operation operation)
{
    switch (operation) {
    case MapDropHandler::Copy:
        return Qt::CopyAction;
    case MapDropHandler::Move:
    case MapDropHandler::Delete:
        return Qt::MoveAction;
    case MapDropHandler::None:
        break;
    }
    return Qt::IgnoreAction;
}

} // namespace

MapTableView::MapTableView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    verticalHeader()->hide();
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setShowGrid(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    FormControls::useCompactRows(this);
}

int MapTableView::proposedRowAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return model() ? model()->rowCount() : 0;
    const QRect rect = visualRect(index);
    return point.y() < rect.center().y() ? index.row() : index.row() + 1;
}

void MapTableView::startDrag(Qt::DropActions)
{
    if (!m_handler)
        return;
    QMimeData* data = m_handler->writeRows(this, FormControls::selectedRows(this));
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

MapDropHandler::Operation MapTableView::validate(QDropEvent* event, int& row,
                                                 MapDropHandler::Position& position)
{
    if (!m_handler)
        return MapDropHandler::None;
    row = proposedRowAt(event->position().toPoint());
    position = MapDropHandler::Above;
    auto* source = qobject_cast<MapTableView*>(event->source());
    return m_handler->validateDrop(this, source, event->mimeData(), row, position);
}

void MapTableView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void MapTableView::dragMoveEvent(QDragMoveEvent* event)
{
    int row = 0;
    MapDropHandler::Position position = MapDropHandler::Above;
    const MapDropHandler::Operation operation = validate(event, row, position);
    if (operation == MapDropHandler::None) {
        event->ignore();
        return;
    }
    event->setDropAction(dropAction(operation));
    event->accept();
}

void MapTableView::dropEvent(QDropEvent* event)
{
    int row = 0;
    MapDropHandler::Position position = MapDropHandler::Above;
    const MapDropHandler::Operation operation = validate(event, row, position);
    auto* source = qobject_cast<MapTableView*>(event->source());
    if (operation == MapDropHandler::None ||
        !m_handler->acceptDrop(this, source, event->mimeData(), row)) {
        event->ignore();
        return;
    }
    event->setDropAction(dropAction(operation));
    event->accept();
}
