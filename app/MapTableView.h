#pragma once

#include "app/MapDropHandler.h"

#include <QTableView>

// A list of map names that maps are dragged from and dropped on: the map library and the
// map rotation of the setup editor. What a drag carries and what a drop does is the
// handler's business.
class MapTableView : public QTableView
{
    Q_OBJECT
public:
    explicit MapTableView(QWidget* parent = nullptr);

    void setDropHandler(MapDropHandler* handler) { m_handler = handler; }
    // Where a drop at a point of the viewport lands: above a row, or below the last.
    int proposedRowAt(const QPoint& point) const;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    MapDropHandler::Operation validate(QDropEvent* event, int& row,
                                       MapDropHandler::Position& position);

    MapDropHandler* m_handler = nullptr;
};
