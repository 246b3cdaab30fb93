#include "app/KZColorView.h"
#include "app/VOSStartupController.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

#include <gtest/gtest.h>

TEST(VOSStartupController, StepsOfAScanEndTheBarAtItsMaximum)
{
    for (int paks : {1, 3, 8, 97}) {
        VOSStartupController progress;
        auto* bar = progress.window()->findChild<QProgressBar*>("extractMapInfoProgress");
        ASSERT_NE(bar, nullptr);
        progress.setProgressBarDelta(100.0 / (paks + 2));
        EXPECT_EQ(bar->value(), 0) << "setting the step alone does not move the bar";
        for (int i = 0; i < paks + 2; ++i)
            progress.updateProgressBar();
        EXPECT_NEAR(progress.progressBarValue(), 100.0, 1e-9);
        EXPECT_EQ(bar->value(), bar->maximum());
        progress.setBarExplicitlyToMax();
        EXPECT_EQ(progress.progressBarValue(), 100.0);
    }
    VOSStartupController eight;
    eight.setProgressBarDelta(100.0 / (8 + 2));
    eight.updateProgressBar();
    EXPECT_DOUBLE_EQ(eight.progressBarValue(), 10.0);
}

TEST(VOSStartupController, ShowsItsTextAndClosesWhenReleased)
{
    QPointer<QWidget> window;
    {
        VOSStartupController progress;
        window = progress.window();
        progress.show();
        EXPECT_TRUE(window->isVisible());
        progress.setStartupInfoField("Building map database ... please wait");
        EXPECT_EQ(window->findChild<QLabel*>("startupTextField")->text(),
                  "Building map database ... please wait");
    }
    EXPECT_TRUE(window.isNull());
}

TEST(KZColorView, FillsWithItsColourInsideAGreyFrame)
{
    KZColorView view;
    view.resize(40, 30);
    EXPECT_EQ(view.fillColor(), QColor::fromRgbF(0.85f, 0.85f, 0.85f));
    view.setFillColor(Qt::red);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(0, 15), QColor(Qt::gray));
    EXPECT_EQ(image.pixelColor(20, 0), QColor(Qt::gray));
}
