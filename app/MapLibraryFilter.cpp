#include "app/MapLibraryFilter.h"

#include "app/KeyedTableModel.h"
#include "content/MapLibrary.h"

MapLibraryFilter::MapLibraryFilter(QObject* parent)
    : QSortFilterProxyModel(parent),
      m_maps(new KeyedTableModel({{nameColumn(), tr("Map")}, {titleColumn(), tr("Title")}}, this))
{
    m_maps->setDragAndDrop(true);
    setSourceModel(m_maps);
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

void MapLibraryFilter::setLibrary(const MapLibrary* library)
{
    QList<KeyedTableModel::Row> rows;
    if (library) {
        const QStringList& names = library->mapLibraryKeys();
        rows.reserve(names.size());
        for (int index = 0; index < names.size(); ++index)
            rows.append({names.at(index),
                         {{nameColumn(), names.at(index)},
                          {titleColumn(), library->mapTitle(index)},
                          {typesValue(), library->mapTypes(index)}}});
    }
    m_maps->setRows(rows);
}

void MapLibraryFilter::setGameType(const QString& shortName)
{
    if (shortName == m_gameType)
        return;
    m_gameType = shortName;
    invalidateFilter();
}

void MapLibraryFilter::setSearchText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_searchText)
        return;
    m_searchText = trimmed;
    invalidateFilter();
}

QString MapLibraryFilter::mapAt(int row) const
{
    return index(row, 0).data().toString();
}

QVariant MapLibraryFilter::data(const QModelIndex& index, int role) const
{
    if (role == Qt::BackgroundRole && index.isValid())
        return KeyedTableModel::rowColour(index.row());
    return QSortFilterProxyModel::data(index, role);
}

bool MapLibraryFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (!MapLibrary::mapTypesMatch(m_maps->value(sourceRow, typesValue()).toString(), m_gameType))
        return false;
    return m_searchText.isEmpty() ||
           m_maps->value(sourceRow, nameColumn()).toString().contains(m_searchText,
                                                                      Qt::CaseInsensitive) ||
           m_maps->value(sourceRow, titleColumn()).toString().contains(m_searchText,
                                                                       Qt::CaseInsensitive);
}

bool MapLibraryFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QString first = m_maps->value(left.row(), nameColumn()).toString();
    const QString second = m_maps->value(right.row(), nameColumn()).toString();
    // Names that differ only in case, and a name listed twice, keep a fixed order.
    if (const int order = first.compare(second, Qt::CaseInsensitive); order != 0)
        return order < 0;
    if (const int order = first.compare(second); order != 0)
        return order < 0;
    return left.row() < right.row();
}
