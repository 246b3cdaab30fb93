#include "app/MainWindow.h"
#include "app/AlertPresenter.h"
#include "app/ApplicationIcon.h"
#include "app/QVXController.h"
#include "config/CommonData.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST(VoranthApplication, ADataDirectoryThatCannotBeMadeIsReportedAndNothingRemoved)
{
    // The user's data home is a link to a volume that is not mounted.
    const QString dataHome = QFileInfo(CommonData::appSupportQ3VXDir()).path();
    QDir(dataHome).removeRecursively();
    QDir().mkpath(QFileInfo(dataHome).path());
    const QString volume = TestEnvironment::home() + "/media/usb/share";
    ASSERT_TRUE(QFile::link(volume, dataHome));

    QList<AlertRequest> alerts;
    AlertPresenter::setAnswerer([&alerts](const AlertRequest& request) {
        alerts.append(request);
        return 0;
    });
    MainWindow window;
    QVXController controller(window);
    EXPECT_FALSE(controller.init());
    AlertPresenter::setAnswerer({});
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Voranth's data directory cannot be made!");
    EXPECT_TRUE(alerts.first().message.contains(volume)) << alerts.first().message.toStdString();
    EXPECT_TRUE(QFileInfo(dataHome).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(TestEnvironment::home() + "/media"));
    QFile::remove(dataHome);
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
