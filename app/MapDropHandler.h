#pragma once

#include <QList>

class MapTableView;
class QMimeData;

// What the map tables ask when maps are dragged out of them and dropped on them.
class MapDropHandler
{
public:
    enum Operation
    {
        None = 0,
        Copy = 1,
        Move = 16,
        Delete = 32
    };
    enum Position
    {
        On = 0,
        Above = 1
    };

    virtual ~MapDropHandler() = default;
    // The data of a drag of these rows (ascending), or nullptr to refuse the drag.
    virtual QMimeData* writeRows(MapTableView* table, const QList<int>& rows) = 0;
    // The operation a drop would do; may move the drop to another row or position.
    virtual Operation validateDrop(MapTableView* target, MapTableView* source,
                                   const QMimeData* data, int& row, Position& position) = 0;
    // Does the drop validateDrop allowed, at the row it settled on.
    virtual bool acceptDrop(MapTableView* target, MapTableView* source, const QMimeData* data,
                            int row) = 0;
};
