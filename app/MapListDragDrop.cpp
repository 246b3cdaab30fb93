#include "app/MapListDragDrop.h"

#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/MapTableView.h"
#include "app/SetupEditor.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace {

// A drag of more rows than this is cut to them.
constexpr int maximumDraggedRows = 500;

} // namespace

bool MapListDragDrop::isMapList(const MapTableView* table) const
{
    return table && table == m_editor.controls().mapListTableView;
}

bool MapListDragDrop::isLibrary(const MapTableView* table) const
{
    return table && table == m_editor.controls().mapLibraryTableView;
}

QByteArray MapListDragDrop::archivedNames(const QStringList& names)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << names;
    return bytes;
}

QStringList MapListDragDrop::unarchivedNames(const QByteArray& bytes)
{
    QDataStream in(bytes);
    QStringList names;
    in >> names;
    return in.status() == QDataStream::Ok ? names : QStringList();
}

MapListDragDrop::DropResult MapListDragDrop::movedRows(const QStringList& maps,
                                                       const QList<int>& rows, int dest)
{
    // What stays above the drop, the moved maps in their order, what stays below.
    QStringList above;
    QStringList moved;
    QStringList below;
    for (int i = 0; i < maps.size(); ++i) {
        if (rows.contains(i))
            moved.append(maps.at(i));
        else if (i < dest)
            above.append(maps.at(i));
        else
            below.append(maps.at(i));
    }
    return {above + moved + below, int(above.size()), int(moved.size())};
}

MapListDragDrop::DropResult MapListDragDrop::insertedRows(const QStringList& maps,
                                                          const QStringList& names, int dest)
{
    const int at = std::clamp(dest, 0, int(maps.size()));
    QStringList result = maps.mid(0, at);
    result.append(names);
    result.append(maps.mid(at));
    return {result, at, int(names.size())};
}

QMimeData* MapListDragDrop::writeRows(MapTableView* table, const QList<int>& rows)
{
    if (!isMapList(table) && !isLibrary(table))
        return nullptr;
    if (FormControls::selectedRows(table) != rows) {
        for (int i = 0; i < rows.size(); ++i)
            FormControls::selectRow(table, rows.at(i), i > 0);
    }
    const ServerConfig* record = m_editor.currentRecord();
    QStringList names;
    for (int row : FormControls::selectedRows(table).mid(0, maximumDraggedRows)) {
        if (isMapList(table) && record)
            names.append(record->map(row));
        else if (isLibrary(table))
            names.append(m_editor.libraryMap(row));
    }
    auto* data = new QMimeData;
    const QByteArray archive = archivedNames(names);
    data->setData(pasteboardType(), archive);
    data->setText(names.join(QLatin1Char('\n')));
    return data;
}

MapDropHandler::Operation MapListDragDrop::validateDrop(MapTableView* target, MapTableView* source,
                                                        const QMimeData* data, int& row,
                                                        Position& position)
{
    if (!data || !data->hasFormat(pasteboardType()))
        return None;
    if (isMapList(target)) {
        position = Above;
        if (row < 0)
            return None;
        return isMapList(source) ? Move : Copy;
    }
    if (isLibrary(target) && isMapList(source)) {
        if (row >= 0) {
            row = -1;
            position = On;
        }
        return Delete;
    }
    return None;
}

bool MapListDragDrop::acceptDrop(MapTableView* target, MapTableView* source, const QMimeData* data,
                                 int row)
{
    if (!data || !data->hasFormat(pasteboardType()))
        return false;
    ServerConfig* record = m_editor.currentRecord();
    if (!record)
        return false;
    const QList<int> sourceRows =
        isMapList(source) ? FormControls::selectedRows(source).mid(0, maximumDraggedRows)
                          : QList<int>();
    MapTableView* mapList = m_editor.controls().mapListTableView;

    if (isLibrary(target) && isMapList(source)) {
        record->removeMapsFromIndices(QList<qsizetype>(sourceRows.cbegin(), sourceRows.cend()));
        m_editor.reloadMapList();
        if (!sourceRows.isEmpty())
            FormControls::selectRow(mapList, sourceRows.first() - 1);
    } else if (isMapList(target)) {
        const int dest = row < 0 ? int(record->mapsCount()) : row;
        // A move takes the rows it moves from the list itself, so that each map stays once.
        const DropResult result =
            isMapList(source) ? movedRows(record->mapList(), sourceRows, dest)
                              : insertedRows(record->mapList(),
                                             unarchivedNames(data->data(pasteboardType())), dest);
        record->setMapList(result.maps);
        m_editor.reloadMapList();
        mapList->selectionModel()->clearSelection();
        for (int i = 0; i < result.count; ++i)
            FormControls::selectRow(mapList, result.first + i, true);
    } else {
        return false;
    }
    m_editor.setRecordNeedsSaving(true);
    m_editor.reloadMapList();
    if (record->mapsCount() > 0)
        m_editor.mapListTVClicked();
    else
        m_editor.mapLibraryTVClicked();
    return true;
}
