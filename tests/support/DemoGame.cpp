#include "support/DemoGame.h"

#include "support/ProgramRunner.h"
#include "support/TestEnvironment.h"

namespace DemoGame {

QString directory(QString* error)
{
    static QString made;
    static QString failure;
    if (made.isEmpty() && failure.isEmpty()) {
        const QString dir = TestEnvironment::home() + QStringLiteral("/demo-game");
        const ProgramResult result = ProgramRunner::run(
            QStringLiteral("/bin/bash"),
            {TestEnvironment::sourceDir() + QStringLiteral("/tools/make-demo-game.sh"), dir});
        if (result.exitCode == 0)
            made = dir;
        else
            failure =
                result.err.isEmpty() ? QStringLiteral("make-demo-game.sh failed") : result.err;
    }
    if (error)
        *error = failure;
    return made;
}

} // namespace DemoGame
