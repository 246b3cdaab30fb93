#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class MapLibrary;

// The rows of the map library list: the maps of the library's game-type filter whose name or
// title holds the search text, sorted by name without regard to case. Each row stands for an
// index of the library's filtered list (mapWithGameType).
class MapLibraryRows
{
public:
    void setSearchText(const QString& text) { m_searchText = text.trimmed(); }
    const QString& searchText() const { return m_searchText; }
    // Takes the rows afresh from the library's filtered list; none without a library.
    void update(const MapLibrary* library);

    int count() const { return int(m_indices.size()); }
    // The library's filtered index of a row; -1 for a row outside the list.
    int filteredIndex(int row) const { return m_indices.value(row, -1); }
    const QString& name(int row) const { return m_names.at(row); }
    // The row of a map, -1 when the list does not show it.
    int rowOf(const QString& map) const { return int(m_names.indexOf(map)); }

private:
    QString m_searchText;
    QList<int> m_indices;
    QStringList m_names;
};
