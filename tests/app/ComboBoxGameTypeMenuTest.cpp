#include "app/ComboBoxGameTypeMenu.h"
#include "config/CommonData.h"
#include "content/ModSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(ComboBoxGameTypeMenu, TheComboBoxShowsTheModsGameTypesWithTheirNumbers)
{
    const QString modDir = CommonData::appSupportQ3VXDir() + QStringLiteral("/baseq3");
    ASSERT_TRUE(QDir().mkpath(modDir));
    QFile database(modDir + QStringLiteral("/VOArenas.plist"));
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.close();

    QComboBox comboBox;
    comboBox.addItem(QStringLiteral("left over"), 99);
    ComboBoxGameTypeMenu menu(comboBox);
    const ModSupport modDB;
    modDB.setGameTypesMenu(menu, QStringLiteral("baseq3"));
    ASSERT_EQ(comboBox.count(), 4);
    EXPECT_EQ(comboBox.currentIndex(), 0);
    EXPECT_EQ(comboBox.itemText(2), QStringLiteral("Team Deathmatch"));
    comboBox.setCurrentIndex(2);
    EXPECT_EQ(ComboBoxGameTypeMenu::selectedTag(comboBox), 3);

    comboBox.clear();
    EXPECT_EQ(ComboBoxGameTypeMenu::selectedTag(comboBox), 0);
}
