#include "app/PlayersModel.h"

#include "app/CallbackTableModel.h"

#include <QColor>

const QStringList& PlayersModel::columns()
{
    static const QStringList names{QStringLiteral("name"), QStringLiteral("ping"),
                                   QStringLiteral("score")};
    return names;
}

PlayersModel::PlayersModel(QObject* parent) : QAbstractTableModel(parent) {}

bool PlayersModel::samePlayer(const PlayerStatus& a, const PlayerStatus& b)
{
    return a.slot() == b.slot() && a.name() == b.name();
}

int PlayersModel::rowOf(const PlayerStatus& player, int from) const
{
    for (int row = from; row < m_players.size(); ++row)
        if (samePlayer(m_players.at(row), player))
            return row;
    return -1;
}

void PlayersModel::setPlayers(const QList<PlayerStatus>& players)
{
    // Players that left go first, so that the rest is a reordering of what stays.
    for (int row = int(m_players.size()) - 1; row >= 0; --row) {
        const PlayerStatus& old = m_players.at(row);
        const bool stays = std::any_of(players.cbegin(), players.cend(), [&](const auto& player) {
            return samePlayer(player, old);
        });
        if (stays)
            continue;
        emit playerLeaving(row);
        beginRemoveRows({}, row, row);
        m_players.removeAt(row);
        endRemoveRows();
    }
    for (int row = 0; row < players.size(); ++row) {
        const PlayerStatus& player = players.at(row);
        const int found = rowOf(player, row);
        if (found < 0) {
            beginInsertRows({}, row, row);
            m_players.insert(row, player);
            endInsertRows();
            continue;
        }
        if (found != row) {
            beginMoveRows({}, found, found, {}, row);
            m_players.move(found, row);
            endMoveRows();
        }
        if (!(m_players.at(row) == player)) {
            m_players[row] = player;
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        }
    }
}

const PlayerStatus* PlayersModel::playerAt(int row) const
{
    return row >= 0 && row < m_players.size() ? &m_players.at(row) : nullptr;
}

int PlayersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_players.size());
}

int PlayersModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns().size());
}

QVariant PlayersModel::data(const QModelIndex& index, int role) const
{
    const PlayerStatus* player = playerAt(index.row());
    if (!player)
        return {};
    if (role == Qt::BackgroundRole)
        return CallbackTableModel::rowColour(index.row());
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case 0:
        return player->name();
    case 1:
        return player->ping().trimmed();
    case 2:
        return player->score().trimmed();
    default:
        return {};
    }
}

QVariant PlayersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0:
        return tr("Name");
    case 1:
        return tr("Ping");
    case 2:
        return tr("Score");
    default:
        return {};
    }
}
