#include "config/CommonData.h"
#include "content/BotLibrary.h"
#include "content/ContentScan.h"
#include "content/MapLibrary.h"
#include "format/PlistReader.h"
#include "support/DemoGame.h"
#include "support/RecordingScanInteraction.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

// The whole way from OpenArena's paks to the libraries, as the first start of Voranth goes.
TEST(DemoGameDatabase, OpenArenasMapsBotsAndLevelShotsArrive)
{
    QString error;
    const QString game = DemoGame::directory(&error);
    ASSERT_FALSE(game.isEmpty()) << error.toStdString();
    RecordingScanInteraction interaction;
    ContentScan scan(game, interaction);
    scan.run();
    MapLibrary library(GamePaths(game, "baseq3"), scan.progress());
    scan.closeProgress();

    EXPECT_EQ(scan.summary().modsFound, QStringList{"baseq3"});
    EXPECT_EQ(interaction.progressMade, 1);
    EXPECT_NEAR(interaction.finalValue, 100.0, 1e-9) << "the library completes the bar";

    const QString data = CommonData::appSupportQ3VXBaseQ3Dir();
    const PlistReader::Result arenas = PlistReader::parseFile(data + "/VOArenas.plist");
    ASSERT_TRUE(arenas.ok()) << arenas.error.toStdString();
    for (const char* map : {"oa_dm1", "oa_ctf4ish", "aggressor", "am_galmevish2"})
        EXPECT_TRUE(library.mapLibraryKeys().contains(map)) << map;
    EXPECT_GT(library.mapLibraryKeys().size(), 30);
    EXPECT_NE(library.mapTitleForMap("oa_dm1"), "oa_dm1") << "a title of its own";

    const PlistReader::Result bots = PlistReader::parseFile(data + "/VOBots.plist");
    ASSERT_TRUE(bots.ok()) << bots.error.toStdString();
    BotLibrary botLibrary(library.paths());
    for (const char* bot : {"Sarge", "Angelyss", "Kyonshi"})
        EXPECT_TRUE(botLibrary.names().contains(bot)) << bot;

    const QStringList shots = QDir(data + "/levelshots").entryList(QDir::Files);
    EXPECT_TRUE(shots.contains("aggressor.tga"));
    EXPECT_TRUE(shots.contains("am_galmevish.jpg"));
    int withPicture = 0;
    const QImage placeholder = MapLibrary::placeholderImage();
    for (const QString& map : library.mapLibraryKeys()) {
        if (!library.mapLibraryPathToImageDict().contains(map))
            continue;
        ++withPicture;
        EXPECT_NE(library.mapImageForMap(map), placeholder) << map.toStdString();
    }
    EXPECT_GT(withPicture, 30);

    const QStringList ctf = library.mapsOfGameType("ctf");
    EXPECT_TRUE(ctf.contains("oa_ctf4ish"));
    EXPECT_FALSE(ctf.contains("oa_dm1"));
}
