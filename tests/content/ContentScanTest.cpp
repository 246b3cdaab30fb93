#include "content/ContentScan.h"
#include "content/MapLibrary.h"
#include "support/Pk3Builder.h"
#include "support/RecordingScanInteraction.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

// A first start: the scan extracts three paks, then the library of the default mod opens.
// The bar moves once per pak and twice for the library, and reaches its end with the last.
TEST(ContentScan, TheProgressBarEndsWithTheLibrarysLastStep)
{
    const QString game = TestEnvironment::makeScratchDir("game");
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Pk3Builder()
                        .add(QString("scripts/m%1.arena").arg(i),
                             QString("{ map \"m%1\" type \"ffa\" }\n").arg(i).toUtf8())
                        .write(QString("%1/baseq3/pak%2.pk3").arg(game).arg(i + 10)));
    RecordingScanInteraction interaction;
    ContentScan scan(game, interaction);
    scan.run();
    ASSERT_NE(scan.progress(), nullptr);
    EXPECT_DOUBLE_EQ(interaction.delta, 20.0) << "100 / (3 paks + 2)";
    EXPECT_EQ(interaction.steps.size(), 3) << "the scan takes one step per pak, no more";

    MapLibrary library(GamePaths(game, "baseq3"), scan.progress());
    scan.closeProgress();
    ASSERT_EQ(interaction.steps.size(), 5);
    for (int i = 0; i < 4; ++i)
        EXPECT_LT(interaction.steps.at(i), 100.0 - 1e-9) << "full before step " << i + 1 << " of 5";
    EXPECT_NEAR(interaction.steps.last(), 100.0, 1e-9);
    EXPECT_EQ(interaction.finalValue, 100.0);
    EXPECT_EQ(library.mapLibraryKeys().size(), 3);
}
