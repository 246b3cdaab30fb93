#pragma once

#include "app/MapDropHandler.h"

#include <QStringList>

class SetupEditor;
struct ControllerState;

// Maps dragged between the library and the map list: copying library maps into the list,
// moving maps within the list, and dropping list maps on the library to remove them.
class MapListDragDrop : public MapDropHandler
{
public:
    // The private type of a drag of map names.
    static QString pasteboardType() { return QStringLiteral("MyCustomTableViewPboardType"); }

    MapListDragDrop(SetupEditor& editor, ControllerState& state) : m_editor(editor), m_state(state)
    {}

    QMimeData* writeRows(MapTableView* table, const QList<int>& rows) override;
    Operation validateDrop(MapTableView* target, MapTableView* source, const QMimeData* data,
                           int& row, Position& position) override;
    bool acceptDrop(MapTableView* target, MapTableView* source, const QMimeData* data,
                    int row) override;

    // A map list after a drop, and the rows the dropped maps took.
    struct DropResult
    {
        QStringList maps;
        int first = 0;
        int count = 0;
    };
    // The rows of the list moved to the gap above row dest (the list's size: below the last),
    // keeping their order; dest may lie inside the moved rows.
    static DropResult movedRows(const QStringList& maps, const QList<int>& rows, int dest);
    // The names inserted at the gap above row dest.
    static DropResult insertedRows(const QStringList& maps, const QStringList& names, int dest);
    static QByteArray archivedNames(const QStringList& names);
    static QStringList unarchivedNames(const QByteArray& bytes);

private:
    bool isMapList(const MapTableView* table) const;
    bool isLibrary(const MapTableView* table) const;

    SetupEditor& m_editor;
    ControllerState& m_state;
};
