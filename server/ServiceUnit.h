#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A server hosted by the user's service manager (systemd's user instance): the unit's name and
// its settings, once, for a transient start through systemd-run and for a unit file that
// starts the server at login. The service runs exactly the program and arguments of a terminal
// start from the game directory, restarts it when it fails (at most five times in two
// minutes), and appends its output to the server's log, with a line before each start.
class ServiceUnit
{
public:
    struct Definition
    {
        QString name; // nameFor()
        QString description;
        QString workingDirectory;
        // The absolute path of the server executable and its arguments.
        QString program;
        QStringList arguments;
        QString logFile;
        // "NAME=VALUE" entries.
        QStringList environment;
    };

    static constexpr int restartSeconds = 2;
    static constexpr int startLimitIntervalSeconds = 120;
    static constexpr int startLimitBurst = 5;
    static constexpr int stopTimeoutSeconds = 10;

    // systemd's escaping of a text for a unit name (systemd-escape): '/' becomes '-', and
    // every byte but a letter, digit, ':', '_' or a '.' not first becomes "\xNN".
    static QString escaped(const QString& text);
    // "voranth-<escaped file name without .config>.service" for the server file
    // "VO_<name>.config".
    static QString nameFor(const QString& execFile);
    // Whether a unit name is one Voranth gives.
    static bool isVoranthUnit(const QString& unitName);

    // The arguments of "systemd-run --user" that start the definition as a transient unit.
    static QStringList transientArguments(const Definition& definition);
    // A unit file of the same settings, with an [Install] section for default.target; its
    // first line is unitFileMark().
    static QString unitFileText(const Definition& definition);
    static QString unitFileMark()
    {
        return QStringLiteral("# Written by Voranth; voranthctl disable removes it.");
    }

    // A command line as a unit file holds it: each word quoted, '$' and '%' doubled.
    static QString commandLine(const QStringList& words);

    // The settings of the unit's [Unit] and [Service] sections, as a transient unit takes
    // them (no specifiers, a '$' doubled: the manager expands variables in commands).
    static QList<QPair<QString, QString>> unitSettings(const Definition& definition);
    static QList<QPair<QString, QString>> serviceSettings(const Definition& definition);
};
