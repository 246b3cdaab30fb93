#include "app/MainWindow.h"
#include "app/ApplicationIcon.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

TEST(MainWindow, ShowsTitledVoranth)
{
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "Voranth");
}

TEST(VoranthApplication, StartsAndKeepsRunningUntilAskedToQuit)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryDir() + "/voranth", {});
    ASSERT_TRUE(process.waitForStarted(10000));
    EXPECT_FALSE(process.waitForFinished(3000)) << process.readAllStandardError().constData();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
}

TEST(ApplicationIcon, EachStateHasItsPicture)
{
    using S = ApplicationIcon::State;
    for (S state : {S::Orange, S::Red, S::Yellow}) {
        EXPECT_EQ(QImage(ApplicationIcon::resourcePath(state)).size(), QSize(128, 128));
        ApplicationIcon::show(state);
        EXPECT_EQ(ApplicationIcon::current(), state);
        EXPECT_FALSE(QApplication::windowIcon().isNull());
    }
    EXPECT_NE(QImage(ApplicationIcon::resourcePath(S::Orange)),
              QImage(ApplicationIcon::resourcePath(S::Red)));
}
