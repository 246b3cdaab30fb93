#include "support/RefusingFileSystem.h"

#include "support/ProgramRunner.h"
#include "support/TestEnvironment.h"

#include <QStandardPaths>

#include <unistd.h>

namespace RefusingFileSystem {

namespace {

constexpr int probeNoNamespace = 3;

QString probePath()
{
    return TestEnvironment::binaryDir() + QStringLiteral("/tests/failing_write_probe");
}

Report parse(const ProgramResult& result)
{
    Report report;
    for (const QString& line : result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            report.values.insert(line.left(equals), line.mid(equals + 1));
    }
    report.error = report.values.value(QStringLiteral("error"));
    report.intact = report.values.value(QStringLiteral("intact")) == QLatin1String("yes");
    report.entries =
        report.values.value(QStringLiteral("entries")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QString why = QStringLiteral("%1 (exit %2) %3")
                            .arg(report.values.value(QStringLiteral("setup")))
                            .arg(result.exitCode)
                            .arg(result.err.trimmed());
    // No output at all: unshare itself refused. A mount the probe may not make: no namespace
    // here either.
    if (result.exitCode == probeNoNamespace || (result.exitCode != 0 && report.values.isEmpty()))
        report.skipped = QStringLiteral("no mount namespace can be made here: ") + why;
    else if (result.exitCode != 0 || !result.finished)
        report.probeFailure = why;
    return report;
}

} // namespace

Report tryWrite(Refusal refusal, const QString& directory, const QString& writer,
                const QString& target)
{
    const QString mode =
        refusal == Refusal::Full ? QStringLiteral("full") : QStringLiteral("readonly");
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    Report report;
    report.skipped = QStringLiteral("unshare is not installed");
    if (!unshare.isEmpty()) {
        // A user other than root becomes root of a user namespace of its own to mount.
        QStringList arguments{QStringLiteral("--mount"), QStringLiteral("--propagation"),
                              QStringLiteral("private")};
        if (::geteuid() != 0)
            arguments.prepend(QStringLiteral("--map-root-user"));
        arguments << QStringLiteral("--") << probePath() << mode << directory << writer << target;
        report = parse(ProgramRunner::run(unshare, arguments));
        if (report.skipped.isEmpty())
            return report;
    }
    // Without a namespace only a user other than root has a directory that refuses writes.
    if (refusal == Refusal::Full || ::geteuid() == 0)
        return report;
    return parse(ProgramRunner::run(
        probePath(), {QStringLiteral("readonly-chmod"), directory, writer, target}));
}

} // namespace RefusingFileSystem
