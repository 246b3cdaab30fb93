#pragma once

#include <QWidget>

// The remote-control pane: the running server's name, map, players and limits, bots to add,
// and a console; every control named by its outlet.
class RemoteControlView : public QWidget
{
    Q_OBJECT
public:
    explicit RemoteControlView(QWidget* parent = nullptr);

private:
    QWidget* makeServerBox();
    QWidget* makePlayersBox();
    QWidget* makeBotsBox();
    QWidget* makeConsoleBox();
};
