#include "config/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // Before Qt or any test reads a path: never the real home directory.
    const QString home = TestEnvironment::home();
    qputenv("VORANTH_TEST_HOME", home.toLocal8Bit());
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("VORANTH_GAME_PREFS_DIR", (home + QStringLiteral("/gameprefs")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Voranth"));
    QApplication::setApplicationName(QStringLiteral("Voranth"));
    UserDefaults::registerDefaults();

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
