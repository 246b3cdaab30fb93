#include "app/ComboBoxGameTypeMenu.h"

#include <QComboBox>
#include <QSignalBlocker>

// Filling the menu is no choice of the user's: it sends no notice of a changed item.

void ComboBoxGameTypeMenu::removeAllItems()
{
    const QSignalBlocker blocker(m_comboBox);
    m_comboBox.clear();
}

void ComboBoxGameTypeMenu::addItem(const QString& title, int tag)
{
    const QSignalBlocker blocker(m_comboBox);
    m_comboBox.addItem(title, tag);
}

void ComboBoxGameTypeMenu::selectItem(int index)
{
    const QSignalBlocker blocker(m_comboBox);
    m_comboBox.setCurrentIndex(index);
}

int ComboBoxGameTypeMenu::selectedTag(const QComboBox& comboBox)
{
    return comboBox.currentData().toInt();
}
