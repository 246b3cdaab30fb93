#pragma once

#include "rcon/PlayerStatus.h"

#include <QAbstractTableModel>
#include <QList>

// The players table of the remote-control pane: one row per player of the last status, known
// by its slot and name. A new status changes only what changed (rows removed, inserted, moved,
// cells updated), so that the view keeps its selection on a player that is still there and
// loses it when the player leaves.
class PlayersModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The columns, named as the table's identifiers.
    static const QStringList& columns();

    explicit PlayersModel(QObject* parent = nullptr);

    void setPlayers(const QList<PlayerStatus>& players);
    const QList<PlayerStatus>& players() const { return m_players; }
    // The player of a row; none outside the table.
    const PlayerStatus* playerAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The player of the row is about to go (it left the server).
    void playerLeaving(int row);

private:
    static bool samePlayer(const PlayerStatus& a, const PlayerStatus& b);
    int rowOf(const PlayerStatus& player, int from) const;

    QList<PlayerStatus> m_players;
};
