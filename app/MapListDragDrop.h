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

    // The number of entries of sortedRows below row.
    static int numberOfRemovedMapsAboveRow(int row, const QList<int>& sortedRows);
    static QByteArray archivedNames(const QStringList& names);
    static QStringList unarchivedNames(const QByteArray& bytes);

private:
    bool isMapList(const MapTableView* table) const;
    bool isLibrary(const MapTableView* table) const;

    SetupEditor& m_editor;
    ControllerState& m_state;
};
