#include "app/MainWindow.h"
#include "config/CommonData.h"
#include "config/UserDefaults.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(CommonData::applicationName());
    QApplication::setApplicationName(CommonData::applicationName());
    QApplication::setApplicationVersion(CommonData::applicationVersion());
    UserDefaults::registerDefaults();
    CommonData::initialize();
    CommonData::ensureDataHomeExists();

    MainWindow window;
    window.show();
    return app.exec();
}
