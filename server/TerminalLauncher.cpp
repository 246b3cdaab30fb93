#include "server/TerminalLauncher.h"

#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "format/PlistReader.h"
#include "server/LaunchToken.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

QString shell()
{
    return QStringLiteral("/bin/sh");
}

} // namespace

const QStringList& TerminalLauncher::knownTerminals()
{
    static const QStringList terminals = {
        QStringLiteral("x-terminal-emulator"), QStringLiteral("gnome-terminal"),
        QStringLiteral("konsole"), QStringLiteral("xfce4-terminal"), QStringLiteral("xterm")};
    return terminals;
}

bool TerminalLauncher::hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString TerminalLauncher::chosenTerminal()
{
    QString choice = UserDefaults::stringValue(KZXTerminalEmulatorKey).trimmed();
    if (choice == noTerminalChoice() || !hasDisplay())
        return {};
    if (choice.isEmpty() || choice == automaticChoice()) {
        for (const QString& terminal : knownTerminals())
            if (!QStandardPaths::findExecutable(terminal).isEmpty())
                return terminal;
        return {};
    }
    if (QFileInfo(choice).isAbsolute())
        return QFileInfo(choice).isExecutable() ? choice : QString();
    return QStandardPaths::findExecutable(choice).isEmpty() ? QString() : choice;
}

QString TerminalLauncher::serverLogFile()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/VOServer.log");
}

TerminalLauncher::Launch TerminalLauncher::launchFor(const QString& terminal, const QString& title,
                                                     const QString& command)
{
    Launch launch;
    const QStringList shellCommand{shell(), QStringLiteral("-c"), command};
    if (terminal.isEmpty()) {
        launch.program = shell();
        launch.arguments = shellCommand.mid(1);
        launch.logFile = serverLogFile();
        return launch;
    }
    launch.program = terminal;
    const QString name = QFileInfo(terminal).fileName();
    if (name == QLatin1String("gnome-terminal"))
        launch.arguments =
            QStringList{QStringLiteral("--title=") + title, QStringLiteral("--")} + shellCommand;
    else if (name == QLatin1String("konsole"))
        launch.arguments =
            QStringList{QStringLiteral("--qwindowtitle"), title, QStringLiteral("-e")} +
            shellCommand;
    else if (name == QLatin1String("xfce4-terminal"))
        launch.arguments =
            QStringList{QStringLiteral("--title=") + title, QStringLiteral("-x")} + shellCommand;
    else
        launch.arguments =
            QStringList{QStringLiteral("-T"), title, QStringLiteral("-e")} + shellCommand;
    return launch;
}

Result<qint64> TerminalLauncher::openTerminalFile(const QString& terminalFile,
                                                  const QString& launchToken,
                                                  const QString& logFile)
{
    const PlistReader::Result file = PlistReader::parseFile(terminalFile);
    const QVariantMap settings =
        file.value.toMap().value(QStringLiteral("WindowSettings")).toList().value(0).toMap();
    const QString command = settings.value(QStringLiteral("ExecutionString")).toString();
    if (!file.ok() || command.isEmpty())
        return Result<qint64>::failure(
            QStringLiteral("%1 holds no server command").arg(terminalFile));
    const QString title = settings.value(QStringLiteral("CustomTitle")).toString();
    Launch launch = launchFor(chosenTerminal(), title, command);
    if (!launch.logFile.isEmpty() && !logFile.isEmpty())
        launch.logFile = logFile;

    QProcess process;
    process.setProgram(launch.program);
    process.setArguments(launch.arguments);
    process.setWorkingDirectory(QDir::homePath());
    process.setStandardInputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(LaunchToken::variableName());
    if (!launchToken.isEmpty())
        environment.insert(LaunchToken::variableName(), launchToken);
    process.setProcessEnvironment(environment);
    if (!launch.logFile.isEmpty()) {
        DataDirectory::prepare();
        process.setStandardOutputFile(launch.logFile, QIODevice::Append);
        process.setStandardErrorFile(launch.logFile, QIODevice::Append);
    }
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return Result<qint64>::failure(
            QStringLiteral("%1 could not be started").arg(launch.program));
    return Result<qint64>::success(pid);
}
