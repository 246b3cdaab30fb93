#include "support/DemoGame.h"

#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "support/ProgramRunner.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>

namespace DemoGame {

QString serverName()
{
    return QStringLiteral("ioq3ded-%1.x86_64").arg(QCoreApplication::applicationPid());
}

bool make(const QString& dir, QString* error)
{
    const ProgramResult made = ProgramRunner::run(
        QStringLiteral("/bin/bash"),
        {TestEnvironment::sourceDir() + QStringLiteral("/tools/make-demo-game.sh"), dir});
    const QString server = dir + QLatin1Char('/') + serverName();
    QFile::remove(server);
    const bool ok = made.exitCode == 0 && QFile::link(QStringLiteral("ioq3ded.x86_64"), server);
    if (!ok && error)
        *error = made.err.isEmpty() ? QStringLiteral("make-demo-game.sh failed") : made.err;
    return ok;
}

QString directory(QString* error)
{
    static QString made;
    static QString failure;
    if (made.isEmpty() && failure.isEmpty()) {
        const QString dir = TestEnvironment::root() + QStringLiteral("/demo-game");
        if (make(dir, &failure))
            made = dir;
    }
    if (!made.isEmpty())
        UserDefaults::setValue(KZXDedicatedAppName, serverName());
    if (error)
        *error = failure;
    return made;
}

} // namespace DemoGame
