#include "config/CommonData.h"
#include "config/UserDefaults.h"
#include "ctl/Voranthctl.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(CommonData::applicationName());
    QCoreApplication::setApplicationName(CommonData::applicationName());
    UserDefaults::registerDefaults();

    QTextStream out(stdout);
    QTextStream err(stderr);
    Voranthctl ctl;
    const int status = ctl.run(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
