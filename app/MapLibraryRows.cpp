#include "app/MapLibraryRows.h"

#include "content/MapLibrary.h"

#include <algorithm>

void MapLibraryRows::update(const MapLibrary* library)
{
    m_indices.clear();
    m_names.clear();
    if (!library || !library->mapLibraryKeysWithGameType())
        return;
    const int filtered = int(library->mapLibraryKeysWithGameType()->size());
    for (int index = 0; index < filtered; ++index) {
        const QString map = library->mapWithGameType(index);
        if (m_searchText.isEmpty() || map.contains(m_searchText, Qt::CaseInsensitive) ||
            library->mapTitleWithGameType(index).contains(m_searchText, Qt::CaseInsensitive))
            m_indices.append(index);
    }
    // Names that differ only in case keep a fixed order among themselves.
    std::stable_sort(m_indices.begin(), m_indices.end(), [library](int a, int b) {
        const QString first = library->mapWithGameType(a);
        const QString second = library->mapWithGameType(b);
        const int order = first.compare(second, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : first < second;
    });
    for (int index : std::as_const(m_indices))
        m_names.append(library->mapWithGameType(index));
}
