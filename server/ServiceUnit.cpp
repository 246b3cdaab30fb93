#include "server/ServiceUnit.h"

#include <QStandardPaths>

namespace {

const QString unitPrefix = QStringLiteral("voranth-");
const QString unitSuffix = QStringLiteral(".service");
const QString configSuffix = QStringLiteral(".config");

bool keptInUnitName(char c, bool first)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
           c == '_' || (c == '.' && !first);
}

// The manager expands "$NAME" in a command's words when it runs it; "$$" is a '$'.
QString withDollarsDoubled(const QString& word)
{
    QString doubled = word;
    doubled.replace(QLatin1Char('$'), QStringLiteral("$$"));
    return doubled;
}

// How the manager reads a word in double quotes: '\\' and '"' escaped; in a command a '$'
// doubled (it expands variables there), in a unit file a '%' doubled (it expands specifiers
// there; a transient unit's settings are taken as they are).
struct Reading
{
    bool command = true;
    bool unitFile = true;
};

QString quotedWord(const QString& word, Reading reading)
{
    QString quoted;
    for (QChar c : word) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\');
        if ((c == QLatin1Char('%') && reading.unitFile) ||
            (c == QLatin1Char('$') && reading.command))
            quoted += c;
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString quotedCommand(const QStringList& words, bool unitFile)
{
    QStringList quoted;
    for (const QString& word : words)
        quoted.append(quotedWord(word, {true, unitFile}));
    return quoted.join(QLatin1Char(' '));
}

// The line before each start of the server in its log, with the time: "date" writes it ('-':
// a start goes on without it).
QStringList startMarker()
{
    const QString date = QStandardPaths::findExecutable(QStringLiteral("date"));
    if (date.isEmpty())
        return {};
    return {date, QStringLiteral("+-- %Y-%m-%d %H:%M:%S: the server starts --")};
}

QString withSpecifiersEscaped(QString text)
{
    return text.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

} // namespace

QString ServiceUnit::escaped(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QString result;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '/')
            result += QLatin1Char('-');
        else if (keptInUnitName(c, i == 0))
            result += QLatin1Char(c);
        else
            result += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return result;
}

QString ServiceUnit::nameFor(const QString& execFile)
{
    QString base = execFile;
    if (base.endsWith(configSuffix))
        base.chop(configSuffix.size());
    return unitPrefix + escaped(base) + unitSuffix;
}

bool ServiceUnit::isVoranthUnit(const QString& unitName)
{
    return unitName.startsWith(unitPrefix) && unitName.endsWith(unitSuffix) &&
           unitName.size() > unitPrefix.size() + unitSuffix.size() &&
           !unitName.contains(QLatin1Char('/'));
}

QList<QPair<QString, QString>> ServiceUnit::unitSettings(const Definition& definition)
{
    return {{QStringLiteral("Description"), definition.description},
            {QStringLiteral("StartLimitIntervalSec"), QString::number(startLimitIntervalSeconds)},
            {QStringLiteral("StartLimitBurst"), QString::number(startLimitBurst)}};
}

QList<QPair<QString, QString>> ServiceUnit::serviceSettings(const Definition& definition)
{
    const QString output = QStringLiteral("append:") + definition.logFile;
    return {{QStringLiteral("WorkingDirectory"), definition.workingDirectory},
            {QStringLiteral("Restart"), QStringLiteral("on-failure")},
            {QStringLiteral("RestartSec"), QString::number(restartSeconds)},
            {QStringLiteral("TimeoutStopSec"), QString::number(stopTimeoutSeconds)},
            {QStringLiteral("StandardInput"), QStringLiteral("null")},
            {QStringLiteral("StandardOutput"), output},
            {QStringLiteral("StandardError"), output}};
}

QStringList ServiceUnit::transientArguments(const Definition& definition)
{
    // Not collected when it fails: a unit the manager gave up on stays, failed, to be seen.
    QStringList arguments{QStringLiteral("--user"), QStringLiteral("--quiet"),
                          QStringLiteral("--unit=") + definition.name};
    for (const auto& [key, value] : unitSettings(definition) + serviceSettings(definition))
        arguments += {QStringLiteral("--property"), key + QLatin1Char('=') + value};
    if (const QStringList marker = startMarker(); !marker.isEmpty())
        arguments += {QStringLiteral("--property"),
                      QStringLiteral("ExecStartPre=-") + quotedCommand(marker, false)};
    for (const QString& entry : definition.environment)
        arguments += QStringLiteral("--setenv=") + entry;
    arguments += QStringLiteral("--");
    arguments += withDollarsDoubled(definition.program);
    for (const QString& argument : definition.arguments)
        arguments += withDollarsDoubled(argument);
    return arguments;
}

QString ServiceUnit::commandLine(const QStringList& words)
{
    return quotedCommand(words, true);
}

QString ServiceUnit::unitFileText(const Definition& definition)
{
    QString text = unitFileMark() + QStringLiteral("\n[Unit]\n");
    for (const auto& [key, value] : unitSettings(definition))
        text += key + QLatin1Char('=') + withSpecifiersEscaped(value) + QLatin1Char('\n');
    text += QStringLiteral("\n[Service]\n");
    for (const auto& [key, value] : serviceSettings(definition))
        text += key + QLatin1Char('=') + withSpecifiersEscaped(value) + QLatin1Char('\n');
    for (const QString& entry : definition.environment)
        text +=
            QStringLiteral("Environment=") + quotedWord(entry, {false, true}) + QLatin1Char('\n');
    if (const QStringList marker = startMarker(); !marker.isEmpty())
        text += QStringLiteral("ExecStartPre=-") + quotedCommand(marker, true) + QLatin1Char('\n');
    text += QStringLiteral("ExecStart=") +
            quotedCommand(QStringList{definition.program} + definition.arguments, true) +
            QStringLiteral("\n\n[Install]\nWantedBy=default.target\n");
    return text;
}
