#include "app/KZColorView.h"
#include "app/VOSStartupController.h"
#include "content/ContentScan.h"
#include "content/ScanInteraction.h"
#include "support/Pk3Builder.h"
#include "support/TestEnvironment.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

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

namespace {

// The progress window of a scan, photographed on the screen at chosen steps: what the window
// system shows, against what the window paints of itself at that moment.
class PhotographedProgress : public VOSStartupController
{
public:
    struct Photo
    {
        QImage onScreen;
        QImage painted;
        double value = 0;
    };

    explicit PhotographedProgress(QList<int> steps) : m_steps(std::move(steps)) {}

    void updateProgressBar() override
    {
        VOSStartupController::updateProgressBar();
        if (m_steps.contains(++m_step))
            photos.append(photo());
    }

    Photo photo() const
    {
        QWidget* shown = window();
        const QImage onScreen =
            shown->screen()->grabWindow(shown->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return {onScreen, shown->grab().toImage().convertToFormat(QImage::Format_RGB32),
                progressBarValue()};
    }

    QList<Photo> photos;

private:
    QList<int> m_steps;
    int m_step = 0;
};

class PhotographingInteraction : public ScanInteraction
{
public:
    explicit PhotographingInteraction(QList<int> steps) : m_steps(std::move(steps)) {}
    std::unique_ptr<StartupProgress> makeProgress() override
    {
        auto progress = std::make_unique<PhotographedProgress>(m_steps);
        made = progress.get();
        return progress;
    }
    void showNotice(const QString&, const QString&) override {}

    PhotographedProgress* made = nullptr;

private:
    QList<int> m_steps;
};

} // namespace

TEST(VOSStartupController, TheWindowIsOnTheScreenWithBarAndTextWhileThousandsOfPaksAreScanned)
{
    const QString game = TestEnvironment::makeScratchDir("game");
    constexpr int paks = 2500;
    for (int i = 0; i < paks; ++i) {
        const QByteArray name = QByteArray::number(10000 + i);
        ASSERT_TRUE(Pk3Builder()
                        .add("scripts/m" + name + ".arena",
                             "{ map \"m" + name + "\" longname \"Map " + name + "\" type \"ffa\" }\n")
                        .write(QStringLiteral("%1/baseq3/zz%2.pk3").arg(game).arg(i)));
    }

    PhotographingInteraction interaction({1, paks / 2, paks});
    ContentScan scan(game, interaction);
    scan.run();
    ASSERT_NE(interaction.made, nullptr);
    const QList<PhotographedProgress::Photo>& photos = interaction.made->photos;
    ASSERT_EQ(photos.size(), 3);
    for (const PhotographedProgress::Photo& photo : photos) {
        ASSERT_FALSE(photo.onScreen.isNull()) << "at " << photo.value << "%";
        EXPECT_EQ(photo.onScreen, photo.painted) << "at " << photo.value << "%";
    }
    EXPECT_NE(photos.at(0).onScreen, photos.at(1).onScreen) << "the bar moved on screen";
    EXPECT_NEAR(photos.at(1).value, 50.0, 1.0);
    const QLabel* text = interaction.made->window()->findChild<QLabel*>("startupTextField");
    EXPECT_FALSE(text->text().isEmpty());
}
