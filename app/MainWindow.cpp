#include "app/MainWindow.h"

#include "config/CommonData.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(CommonData::applicationName());
    resize(1000, 700);
}
