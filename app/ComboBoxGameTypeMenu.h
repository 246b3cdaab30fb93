#pragma once

#include "content/GameTypeMenu.h"

class QComboBox;

// A game-type menu on a combo box: each item's data is its g_gametype number.
class ComboBoxGameTypeMenu : public GameTypeMenu
{
public:
    explicit ComboBoxGameTypeMenu(QComboBox& comboBox) : m_comboBox(comboBox) {}

    void removeAllItems() override;
    void addItem(const QString& title, int tag) override;
    void selectItem(int index) override;

    // The number of the chosen item; 0 when nothing is chosen.
    static int selectedTag(const QComboBox& comboBox);

private:
    QComboBox& m_comboBox;
};
