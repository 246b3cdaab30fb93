#pragma once

#include <QSortFilterProxyModel>

class KeyedTableModel;
class MapLibrary;

// The rows of the map library list: every map of a library (its name, title and map types)
// with the maps of one game type and the search text shown, sorted by name without regard to
// case. Changing the filter takes rows out and puts them back, so that a map still shown
// keeps its selection.
class MapLibraryFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit MapLibraryFilter(QObject* parent = nullptr);

    // The identifiers of the columns and of the value that holds a map's types.
    static QString nameColumn() { return QStringLiteral("mapLibrary"); }
    static QString titleColumn() { return QStringLiteral("mapTitle"); }
    static QString typesValue() { return QStringLiteral("mapTypes"); }

    // Takes the maps of a library (none without one).
    void setLibrary(const MapLibrary* library);
    // "all" or the short name of a game type whose maps are shown.
    void setGameType(const QString& shortName);
    const QString& gameType() const { return m_gameType; }
    // Shows only the maps whose name or title holds the text (any, when it is blank).
    void setSearchText(const QString& text);

    // The map of a row as the list shows it; empty outside the list.
    QString mapAt(int row) const;
    const KeyedTableModel& maps() const { return *m_maps; }

    // Rows are tinted by their place in the list as shown.
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    KeyedTableModel* m_maps;
    QString m_gameType = QStringLiteral("all");
    QString m_searchText;
};
