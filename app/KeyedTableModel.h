#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QVariantHash>

#include <functional>

// A table that owns its rows. Each row is known by a key (a configuration's name, a map's
// name, a player's slot and name) and holds its values by column identifier; a new list of
// rows is taken in as the removals, moves, insertions and changed cells that lead from the
// rows shown to it, so that a view keeps its selection, current row and scroll position
// through any refresh. Keys may repeat (a map twice in a rotation): the longest run of keys
// the old and new rows share stays in place, and the rest moves, goes or comes.
class KeyedTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString id;    // the identifier the table's code names the column by
        QString title; // the header a person reads (and a screen reader speaks)
    };

    struct Row
    {
        QString key;
        // By column identifier; a row may hold values that no column shows.
        QVariantHash values;
    };

    // A cell shows, beside its value, the icon held under its column's identifier with this
    // suffix.
    static constexpr const char* iconSuffix = ":icon";
    // The tooltip of a row, asked for when it is shown (so it may tell how long something
    // has been going on).
    using ToolTip = std::function<QString(const Row& row)>;

    // Writes an edited cell where it belongs; false refuses the edit.
    using CellEditor = std::function<bool(int row, const QString& column, const QVariant& value)>;

    // headerData(section, Qt::Horizontal, ColumnIdRole) answers the column's identifier.
    static constexpr int ColumnIdRole = Qt::UserRole + 1;
    // data(index, KeyRole) answers the row's key.
    static constexpr int KeyRole = Qt::UserRole + 2;

    explicit KeyedTableModel(QList<Column> columns, QObject* parent = nullptr);

    // Takes in the rows, in the order given.
    void setRows(const QList<Row>& rows);
    const QList<Row>& rows() const { return m_rows; }
    // The key of a row; empty for a row outside the table.
    QString key(int row) const;
    // The first row with that key, -1 when none has it.
    int rowOfKey(const QString& key) const;
    QVariant value(int row, const QString& column) const;
    QStringList columnIds() const;
    // The column of an identifier, -1 for none.
    int columnOf(const QString& id) const;

    // Makes the cells editable: an accepted edit is kept as the cell's value.
    void setCellEditor(CellEditor editor) { m_cellEditor = std::move(editor); }
    void setToolTip(ToolTip toolTip) { m_toolTip = std::move(toolTip); }
    // Rows may be dragged and dropped; the view asks for these flags.
    void setDragAndDrop(bool enabled) { m_dragAndDrop = enabled; }

    // Even rows are tinted, odd rows white.
    static QColor rowColour(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // What the new rows are: each new row's serial (an old row's when it is that row), and
    // the serials of the old rows that keep their places.
    struct Matching
    {
        QList<quint64> serials;
        QSet<quint64> staying;
    };
    Matching match(const QList<Row>& rows) const;
    void removeRowsNotIn(const QList<quint64>& newSerials);
    void moveRowsInto(const Matching& matching);
    void insertRowsFrom(const QList<Row>& rows, const QList<quint64>& newSerials);
    void updateChangedValues(const QList<Row>& rows);

    QList<Column> m_columns;
    QList<Row> m_rows;
    // A number for each row, given once: a row keeps it through every setRows.
    QList<quint64> m_serials;
    quint64 m_nextSerial = 1;
    CellEditor m_cellEditor;
    ToolTip m_toolTip;
    bool m_dragAndDrop = false;
};
