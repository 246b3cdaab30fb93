#include "app/PlayersModel.h"

namespace {

const QString slotValue = QStringLiteral("slot");

} // namespace

PlayersModel::PlayersModel(QObject* parent)
    : KeyedTableModel({{QStringLiteral("name"), tr("Name")},
                       {QStringLiteral("ping"), tr("Ping")},
                       {QStringLiteral("score"), tr("Score")}},
                      parent)
{}

void PlayersModel::setPlayers(const QList<PlayerStatus>& players)
{
    QList<Row> rows;
    for (const PlayerStatus& player : players)
        rows.append({QString::number(player.slot()) + QLatin1Char(' ') + player.name(),
                     {{QStringLiteral("name"), player.name()},
                      {QStringLiteral("ping"), player.ping().trimmed()},
                      {QStringLiteral("score"), player.score().trimmed()},
                      {slotValue, player.slot()}}});
    setRows(rows);
}

int PlayersModel::slotAt(int row) const
{
    const QVariant slot = value(row, slotValue);
    return slot.isValid() ? slot.toInt() : -1;
}
