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
    return QStringLiteral("ioq3ded-test%1.x86_64").arg(QCoreApplication::applicationPid());
}

QString directory(QString* error)
{
    static QString made;
    static QString failure;
    if (made.isEmpty() && failure.isEmpty()) {
        const QString dir = TestEnvironment::home() + QStringLiteral("/demo-game");
        const ProgramResult result = ProgramRunner::run(
            QStringLiteral("/bin/bash"),
            {TestEnvironment::sourceDir() + QStringLiteral("/tools/make-demo-game.sh"), dir});
        if (result.exitCode == 0 &&
            QFile::link(QStringLiteral("ioq3ded.x86_64"), dir + QLatin1Char('/') + serverName()))
            made = dir;
        else
            failure =
                result.err.isEmpty() ? QStringLiteral("make-demo-game.sh failed") : result.err;
    }
    if (!made.isEmpty())
        UserDefaults::setValue(KZXDedicatedAppName, serverName());
    if (error)
        *error = failure;
    return made;
}

} // namespace DemoGame
