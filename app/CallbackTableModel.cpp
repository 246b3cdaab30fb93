#include "app/CallbackTableModel.h"

#include "app/KeyedTableModel.h"

#include <QColor>

CallbackTableModel::CallbackTableModel(QStringList columns, RowCount rowCount, Cell cell,
                                       QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_rowCount(std::move(rowCount)),
      m_cell(std::move(cell))
{}

void CallbackTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

int CallbackTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_rowCount());
}

int CallbackTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QColor CallbackTableModel::rowColour(int row)
{
    return row % 2 == 0 ? QColor::fromRgbF(0.93f, 0.94f, 1.0f, 1.0f) : QColor(Qt::white);
}

QVariant CallbackTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_cell(index.row(), m_columns.value(index.column()));
    case Qt::BackgroundRole:
        return rowColour(index.row());
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    default:
        return {};
    }
}

bool CallbackTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_setCell || role != Qt::EditRole || !index.isValid())
        return false;
    if (!m_setCell(index.row(), m_columns.value(index.column()), value.toString()))
        return false;
    emit dataChanged(index, index);
    return true;
}

QVariant CallbackTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == KeyedTableModel::ColumnIdRole)
        return m_columns.value(section);
    if (role != Qt::DisplayRole)
        return {};
    return m_headers.value(section, m_columns.value(section));
}

Qt::ItemFlags CallbackTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_setCell && index.isValid())
        flags |= Qt::ItemIsEditable;
    if (m_dragAndDrop)
        flags |= index.isValid() ? Qt::ItemIsDragEnabled : Qt::ItemIsDropEnabled;
    return flags;
}
