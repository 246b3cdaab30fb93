#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// Runs one of the built programs with the test process's temporary home.
struct ProgramResult
{
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
};

namespace ProgramRunner {

ProgramResult
run(const QString& program, const QStringList& arguments, int timeoutMs = 30000,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
ProgramResult voranthctl(const QStringList& arguments);

} // namespace ProgramRunner
