#pragma once

#include "app/KeyedTableModel.h"
#include "rcon/PlayerStatus.h"

#include <QList>

// The players table of the remote-control pane: one row per player of the last status, known
// by its slot and name, so that the view keeps its selection on a player that is still there
// and loses it when the player leaves.
class PlayersModel : public KeyedTableModel
{
    Q_OBJECT
public:
    explicit PlayersModel(QObject* parent = nullptr);

    void setPlayers(const QList<PlayerStatus>& players);
    // The slot of a row's player; -1 outside the table.
    int slotAt(int row) const;
};
