#include "app/ComboBoxGameTypeMenu.h"

#include <QComboBox>

void ComboBoxGameTypeMenu::removeAllItems()
{
    m_comboBox.clear();
}

void ComboBoxGameTypeMenu::addItem(const QString& title, int tag)
{
    m_comboBox.addItem(title, tag);
}

void ComboBoxGameTypeMenu::selectItem(int index)
{
    m_comboBox.setCurrentIndex(index);
}

int ComboBoxGameTypeMenu::selectedTag(const QComboBox& comboBox)
{
    return comboBox.currentData().toInt();
}
