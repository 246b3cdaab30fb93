#include "server/ServerCommand.h"

#include "config/ServerConfig.h"
#include "format/PlistReader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString bundleSuffix = QStringLiteral(".app");

// A value the server reads between double quotes on its command line: it cannot hold one.
QString engineQuoted(const QString& value)
{
    QString text = value;
    text.remove(QLatin1Char('"'));
    return QStringLiteral("'\"") + ServerCommand::shellSingleQuoted(text) + QStringLiteral("\"'");
}

// The game directory for the server's fs_basepath. The command has changed into it, so "."
// names it too, for the rare directory whose name the server cannot quote.
QString basePath(const QString& gameRoot)
{
    return gameRoot.contains(QLatin1Char('"')) ? QStringLiteral(".") : gameRoot;
}

QString networkSettings(const ServerConfig& config)
{
    QString text;
    const QString address = config.netIP().trimmed();
    if (!address.isEmpty() && address != QLatin1String("localhost"))
        text += QStringLiteral("+set net_ip ") + engineQuoted(address) + QLatin1Char(' ');
    if (config.netPort() != ServerCommand::defaultPort)
        text +=
            QStringLiteral("+set net_port ") + QString::number(config.netPort()) + QLatin1Char(' ');
    return text;
}

} // namespace

QString ServerCommand::shellSingleQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return quoted;
}

QString ServerCommand::shellDoubleQuoted(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('$') ||
            c == QLatin1Char('`'))
            quoted.append(QLatin1Char('\\'));
        quoted.append(c);
    }
    return quoted;
}

QString ServerCommand::shellWord(const QString& text)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._+,:@%/=-]+$"));
    if (safe.match(text).hasMatch())
        return text;
    return QLatin1Char('\'') + shellSingleQuoted(text) + QLatin1Char('\'');
}

bool ServerCommand::isApplicationBundle(const QString& appName)
{
    return appName.endsWith(bundleSuffix);
}

QString ServerCommand::bundleExecutableName(const QString& bundlePath)
{
    const PlistReader::Result info =
        PlistReader::parseFile(bundlePath + QStringLiteral("/Contents/Info.plist"));
    const QString executable =
        info.value.toMap().value(QStringLiteral("CFBundleExecutable")).toString();
    if (info.ok() && !executable.isEmpty() && !executable.contains(QLatin1Char('/')))
        return executable;
    const QString name = QFileInfo(bundlePath).fileName();
    return name.left(name.size() - bundleSuffix.size());
}

QString ServerCommand::executablePath(const QString& gameRoot, const QString& appName)
{
    const QString path = gameRoot + QLatin1Char('/') + appName;
    if (!isApplicationBundle(appName))
        return path;
    return path + QStringLiteral("/Contents/MacOS/") + bundleExecutableName(path);
}

QString ServerCommand::build(const ServerConfig& config, const Inputs& inputs)
{
    // Concatenated rather than filled in with arg(): a '%' in a path must stay as it is.
    const QString pb = config.punkBusterEnabled() ? QStringLiteral("1") : QStringLiteral("0");
    const QString hunk = config.hunkMegsUse()
                             ? QStringLiteral("+set com_hunkmegs ") +
                                   QString::number(config.hunkMegs()) + QLatin1Char(' ')
                             : QString();
    const QString tail = QStringLiteral("+set sv_punkbuster ") + pb +
                         QStringLiteral(" +set cl_punkbuster ") + pb + QLatin1Char(' ') +
                         networkSettings(config) + QStringLiteral("+exec ") +
                         engineQuoted(inputs.configFile);

    const QString start =
        QStringLiteral("cd '") + shellSingleQuoted(inputs.gameRoot) + QStringLiteral("'; ./");
    const QString basePathSetting =
        QStringLiteral(" +set fs_basepath ") + engineQuoted(basePath(inputs.gameRoot));
    const QString modSetting = QStringLiteral(" +set fs_game ") + engineQuoted(config.modName());
    if (isApplicationBundle(inputs.appName)) {
        const QString executable =
            inputs.appName + QStringLiteral("/Contents/MacOS/") + inputs.bundleExecutable;
        return start + QLatin1Char('"') + shellDoubleQuoted(executable) + QLatin1Char('"') +
               basePathSetting + modSetting + QLatin1Char(' ') + hunk +
               QStringLiteral("+set in_nomouse 1 ") + tail;
    }
    return start + shellWord(inputs.appName) + basePathSetting +
           QStringLiteral(" +set dedicated ") + QString::number(config.radioDedicatedType() + 1) +
           modSetting + QLatin1Char(' ') + hunk + tail;
}
