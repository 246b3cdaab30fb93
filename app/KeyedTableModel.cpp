#include "app/KeyedTableModel.h"

#include <QColor>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// The positions in the sequence of a longest strictly increasing subsequence.
QList<int> longestIncreasing(const QList<int>& sequence)
{
    QList<int> tails; // tails[k]: position of the smallest last value of a run of k + 1
    QList<int> previous(sequence.size(), -1);
    for (int i = 0; i < sequence.size(); ++i) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), sequence.at(i),
                             [&](int tail, int value) { return sequence.at(tail) < value; });
        const qsizetype length = at - tails.begin();
        if (length > 0)
            previous[i] = tails.at(length - 1);
        if (at == tails.end())
            tails.append(i);
        else
            *at = i;
    }
    QList<int> run;
    for (int i = tails.isEmpty() ? -1 : tails.last(); i >= 0; i = previous.at(i))
        run.prepend(i);
    return run;
}

} // namespace

KeyedTableModel::KeyedTableModel(QList<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{}

KeyedTableModel::Matching KeyedTableModel::match(const QList<Row>& rows) const
{
    // The longest common run of keys stays where it is (Hunt and Szymanski: the old places
    // of each new key, latest first, and the longest increasing run through them).
    QHash<QString, QList<int>> oldPlaces;
    for (int i = 0; i < m_rows.size(); ++i)
        oldPlaces[m_rows.at(i).key].append(i);
    QList<int> oldOfPair;
    QList<int> newOfPair;
    for (int j = 0; j < rows.size(); ++j) {
        const auto places = oldPlaces.constFind(rows.at(j).key);
        if (places == oldPlaces.cend())
            continue;
        for (qsizetype k = places->size() - 1; k >= 0; --k) {
            oldOfPair.append(places->at(k));
            newOfPair.append(j);
        }
    }
    Matching matching;
    matching.serials = QList<quint64>(rows.size(), 0);
    QList<bool> oldTaken(m_rows.size(), false);
    for (int pair : longestIncreasing(oldOfPair)) {
        const int oldRow = oldOfPair.at(pair);
        matching.serials[newOfPair.at(pair)] = m_serials.at(oldRow);
        matching.staying.insert(m_serials.at(oldRow));
        oldTaken[oldRow] = true;
    }
    // Another row of the same key, old and new, moves; what is left goes or comes.
    QHash<QString, QList<int>> leftOld;
    for (int i = 0; i < m_rows.size(); ++i)
        if (!oldTaken.at(i))
            leftOld[m_rows.at(i).key].append(i);
    quint64 next = m_nextSerial;
    for (int j = 0; j < rows.size(); ++j) {
        if (matching.serials.at(j) != 0)
            continue;
        QList<int>& left = leftOld[rows.at(j).key];
        matching.serials[j] = left.isEmpty() ? next++ : m_serials.at(left.takeFirst());
    }
    return matching;
}

void KeyedTableModel::setRows(const QList<Row>& rows)
{
    const Matching matching = match(rows);
    removeRowsNotIn(matching.serials);
    moveRowsInto(matching);
    insertRowsFrom(rows, matching.serials);
    updateChangedValues(rows);
}

void KeyedTableModel::removeRowsNotIn(const QList<quint64>& newSerials)
{
    const QSet<quint64> kept(newSerials.cbegin(), newSerials.cend());
    int last = int(m_serials.size()) - 1;
    while (last >= 0) {
        if (kept.contains(m_serials.at(last))) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !kept.contains(m_serials.at(first - 1)))
            --first;
        beginRemoveRows({}, first, last);
        m_rows.remove(first, last - first + 1);
        m_serials.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void KeyedTableModel::moveRowsInto(const Matching& matching)
{
    // Every row left is among the new ones; target is their new order. The staying rows are
    // in that order already; from the end of the new order back, every other row goes just
    // above the row that follows it there.
    const QSet<quint64> present(m_serials.cbegin(), m_serials.cend());
    QList<quint64> target;
    for (quint64 serial : matching.serials)
        if (present.contains(serial))
            target.append(serial);
    for (int i = int(target.size()) - 1; i >= 0; --i) {
        if (matching.staying.contains(target.at(i)))
            continue;
        const int from = int(m_serials.indexOf(target.at(i)));
        const int above = i + 1 < target.size() ? int(m_serials.indexOf(target.at(i + 1)))
                                                 : int(m_serials.size());
        if (above == from || above == from + 1)
            continue;
        beginMoveRows({}, from, from, {}, above);
        const int to = above > from ? above - 1 : above;
        m_rows.move(from, to);
        m_serials.move(from, to);
        endMoveRows();
    }
}

void KeyedTableModel::insertRowsFrom(const QList<Row>& rows, const QList<quint64>& newSerials)
{
    // The rows kept are in their new order now: a place where the serials differ is the
    // start of rows that are new.
    const QSet<quint64> kept(m_serials.cbegin(), m_serials.cend());
    int i = 0;
    while (i < newSerials.size()) {
        if (i < m_serials.size() && m_serials.at(i) == newSerials.at(i)) {
            ++i;
            continue;
        }
        int end = i;
        while (end < newSerials.size() && !kept.contains(newSerials.at(end)))
            ++end;
        beginInsertRows({}, i, end - 1);
        for (int k = i; k < end; ++k) {
            m_rows.insert(k, rows.at(k));
            m_serials.insert(k, newSerials.at(k));
            m_nextSerial = std::max(m_nextSerial, newSerials.at(k) + 1);
        }
        endInsertRows();
        i = end;
    }
}

void KeyedTableModel::updateChangedValues(const QList<Row>& rows)
{
    const int count = int(m_rows.size());
    int i = 0;
    while (i < count) {
        if (m_rows.at(i).values == rows.at(i).values) {
            ++i;
            continue;
        }
        int end = i;
        for (; end < count && m_rows.at(end).values != rows.at(end).values; ++end)
            m_rows[end].values = rows.at(end).values;
        emit dataChanged(index(i, 0), index(end - 1, columnCount() - 1));
        i = end;
    }
}

QString KeyedTableModel::key(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).key : QString();
}

int KeyedTableModel::rowOfKey(const QString& key) const
{
    for (int row = 0; row < m_rows.size(); ++row)
        if (m_rows.at(row).key == key)
            return row;
    return -1;
}

QVariant KeyedTableModel::value(int row, const QString& column) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).values.value(column) : QVariant();
}

QStringList KeyedTableModel::columnIds() const
{
    QStringList ids;
    for (const Column& column : m_columns)
        ids.append(column.id);
    return ids;
}

int KeyedTableModel::columnOf(const QString& id) const
{
    for (int column = 0; column < m_columns.size(); ++column)
        if (m_columns.at(column).id == id)
            return column;
    return -1;
}

QColor KeyedTableModel::rowColour(int row)
{
    return row % 2 == 0 ? QColor::fromRgbF(0.93f, 0.94f, 1.0f, 1.0f) : QColor(Qt::white);
}

int KeyedTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int KeyedTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant KeyedTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_rows.at(index.row()).values.value(m_columns.at(index.column()).id);
    case Qt::DecorationRole:
        return m_rows.at(index.row())
            .values.value(m_columns.at(index.column()).id + QLatin1String(iconSuffix));
    case Qt::ToolTipRole:
        return m_toolTip ? QVariant(m_toolTip(m_rows.at(index.row()))) : QVariant();
    case Qt::BackgroundRole:
        return rowColour(index.row());
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case KeyRole:
        return m_rows.at(index.row()).key;
    default:
        return {};
    }
}

bool KeyedTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_cellEditor || role != Qt::EditRole || !index.isValid() ||
        index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return false;
    const QString& column = m_columns.at(index.column()).id;
    if (!m_cellEditor(index.row(), column, value))
        return false;
    m_rows[index.row()].values.insert(column, value);
    emit dataChanged(index, index);
    return true;
}

QVariant KeyedTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    const Column& column = m_columns.at(section);
    if (role == ColumnIdRole)
        return column.id;
    if (role == Qt::DisplayRole)
        return column.title.isEmpty() ? column.id : column.title;
    return {};
}

Qt::ItemFlags KeyedTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_cellEditor && index.isValid())
        flags |= Qt::ItemIsEditable;
    if (m_dragAndDrop)
        flags |= index.isValid() ? Qt::ItemIsDragEnabled : Qt::ItemIsDropEnabled;
    return flags;
}
