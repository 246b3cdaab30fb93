#include "app/DialogAlertPresenter.h"
#include "app/MainWindow.h"
#include "app/QVXController.h"
#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/UserDefaults.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(CommonData::applicationName());
    QApplication::setApplicationName(CommonData::applicationName());
    QApplication::setApplicationVersion(CommonData::applicationVersion());
    // Ties the window to the installed desktop entry (its icon and name in the task switcher).
    QApplication::setDesktopFileName(QStringLiteral(VORANTH_APP_ID));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hosts Quake III Arena dedicated servers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption gameDir(QStringLiteral("game-dir"),
                                     QStringLiteral("The game installation directory."),
                                     QStringLiteral("DIR"));
    parser.addOption(gameDir);
    parser.process(app);
    UserDefaults::registerDefaults();

    if (parser.isSet(gameDir)) {
        const QString dir = parser.value(gameDir);
        if (!GameDirectory::isValid(dir)) {
            std::fprintf(stderr, "voranth: %s is not a game directory (it has no baseq3)\n",
                         qPrintable(dir));
            return 2;
        }
        GameDirectory::choose(dir);
    }

    DialogAlertPresenter alerts;
    MainWindow window;
    QVXController controller(window, alerts);
    if (!controller.init())
        return 1;
    controller.awakeFromNib();
    window.setCloseHandler([&controller] { return controller.applicationShouldTerminate(); });
    window.show();
    controller.applicationDidFinishLaunching();
    // Not a wait for a reply: the application's own event loop.
    return app.exec();
}
