#include "support/ProgramRunner.h"

#include "support/TestEnvironment.h"

#include <QProcess>

namespace ProgramRunner {

ProgramResult run(const QString& program, const QStringList& arguments, int timeoutMs,
                  const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramResult result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

ProgramResult voranthctl(const QStringList& arguments)
{
    return run(TestEnvironment::binaryDir() + QStringLiteral("/voranthctl"), arguments);
}

} // namespace ProgramRunner
