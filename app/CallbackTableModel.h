#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

// A table whose rows and cells come from the controller's functions: the controller is the
// data source of its tables. Each column has an identifier, as the table views name them.
class CallbackTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using RowCount = std::function<int()>;
    using Cell = std::function<QVariant(int row, const QString& column)>;
    using SetCell = std::function<bool(int row, const QString& column, const QString& value)>;

    CallbackTableModel(QStringList columns, RowCount rowCount, Cell cell,
                       QObject* parent = nullptr);

    // Makes the cells editable through the function.
    void setEditor(SetCell setCell) { m_setCell = std::move(setCell); }
    void setHeaders(const QStringList& headers) { m_headers = headers; }
    // Drag and drop of rows: the view asks for these flags.
    void setDragAndDrop(bool enabled) { m_dragAndDrop = enabled; }

    // Re-reads everything (the table's reloadData).
    void reload();
    const QStringList& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Even rows are tinted, odd rows white.
    static QColor rowColour(int row);

private:
    QStringList m_columns;
    QStringList m_headers;
    RowCount m_rowCount;
    Cell m_cell;
    SetCell m_setCell;
    bool m_dragAndDrop = false;
};
