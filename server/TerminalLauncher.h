#pragma once

#include "format/Result.h"

#include <QString>
#include <QStringList>

// Starts the server command of a terminal launch file: in a terminal emulator window
// titled as the file says, or, without a terminal or a display, detached with its output
// appended to a log file. The command runs under "sh -c" exactly as written in the file;
// nothing else reaches a shell.
class TerminalLauncher
{
public:
    // The setting's values besides a program name.
    static QString automaticChoice() { return QStringLiteral("automatic"); }
    static QString noTerminalChoice() { return QStringLiteral("none"); }
    static const QStringList& knownTerminals();

    struct Launch
    {
        QString program;
        QStringList arguments;
        QString logFile; // set when the command runs without a window
    };

    // The terminal the setting asks for: a program found on PATH, or empty for none.
    static QString chosenTerminal();
    // How a command with a window title is started with the given terminal ("" for none).
    static Launch launchFor(const QString& terminal, const QString& title, const QString& command);
    static QString serverLogFile();

    // Reads the launch file and starts its command, with the launch token (LaunchToken) in
    // the environment of what it starts, which hands it on to the shell and the server; a
    // token this process inherited is never passed on. The id of the process started (the
    // terminal, or the shell without one); a failure when the file holds no command or
    // nothing could be started.
    // Without a terminal the output is appended to logFile (serverLogFile() when empty).
    static Result<qint64> openTerminalFile(const QString& terminalFile,
                                           const QString& launchToken = QString(),
                                           const QString& logFile = QString());

    static bool hasDisplay();
};
