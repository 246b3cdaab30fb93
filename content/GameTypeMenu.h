#pragma once

#include <QString>

// A pop-up menu of game types as the game-type tables fill it: one item per long name, each
// tagged with its g_gametype number. The window layer implements it on its own widget.
class GameTypeMenu
{
public:
    virtual ~GameTypeMenu() = default;
    virtual void removeAllItems() = 0;
    virtual void addItem(const QString& title, int tag) = 0;
    virtual void selectItem(int index) = 0;
};
