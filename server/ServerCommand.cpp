#include "server/ServerCommand.h"

#include "config/NetAddress.h"
#include "config/ServerConfig.h"
#include "format/PlistReader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString bundleSuffix = QStringLiteral(".app");

// A value the server reads between double quotes on its command line: it cannot hold one.
QString engineQuoted(const QString& value)
{
    QString text = value;
    text.remove(QLatin1Char('"'));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The longest game directory passed as it is. The engine joins its arguments into a buffer of
// 1024 bytes and cuts what does not fit: the "+exec" at the end would be lost.
constexpr qsizetype longestBasePath = 256;

// The game directory for the server's fs_basepath. The command has changed into it, so "."
// names it too, for a directory whose name the server could split or cut.
QString basePath(const QString& gameRoot)
{
    return ServerCommand::engineCanTake(gameRoot) && gameRoot.size() <= longestBasePath
               ? gameRoot
               : QStringLiteral(".");
}

QStringList setting(const QString& name, const QString& value)
{
    return {QStringLiteral("+set"), name, value};
}

QStringList networkSettings(const ServerConfig& config)
{
    QStringList arguments;
    const QString address = config.netIP();
    // Anything but an address could smuggle a command in; the start refuses it beforehand.
    if (!address.isEmpty() && address != QLatin1String("localhost") &&
        NetAddress::isHostNameOrAddress(address))
        arguments += setting(QStringLiteral("net_ip"), engineQuoted(address));
    if (config.netPort() != ServerConfig::defaultNetPort)
        arguments += setting(QStringLiteral("net_port"), QString::number(config.netPort()));
    return arguments;
}

QString bundleExecutable(const ServerCommand::Inputs& inputs)
{
    return inputs.appName + QStringLiteral("/Contents/MacOS/") + inputs.bundleExecutable;
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

bool ServerCommand::engineCanTake(const QString& value)
{
    return std::none_of(value.cbegin(), value.cend(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char('"') || c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
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

QString ServerCommand::program(const Inputs& inputs)
{
    return QStringLiteral("./") +
           (isApplicationBundle(inputs.appName) ? bundleExecutable(inputs) : inputs.appName);
}

QStringList ServerCommand::arguments(const ServerConfig& config, const Inputs& inputs)
{
    const QString pb = config.punkBusterEnabled() ? QStringLiteral("1") : QStringLiteral("0");
    const bool bundle = isApplicationBundle(inputs.appName);
    QStringList arguments =
        setting(QStringLiteral("fs_basepath"), engineQuoted(basePath(inputs.gameRoot)));
    if (!bundle)
        arguments +=
            setting(QStringLiteral("dedicated"), QString::number(config.radioDedicatedType() + 1));
    arguments += setting(QStringLiteral("fs_game"), engineQuoted(config.modName()));
    if (config.hunkMegsUse())
        arguments += setting(QStringLiteral("com_hunkmegs"), QString::number(config.hunkMegs()));
    if (bundle)
        arguments += setting(QStringLiteral("in_nomouse"), QStringLiteral("1"));
    arguments += setting(QStringLiteral("sv_punkbuster"), pb);
    arguments += setting(QStringLiteral("cl_punkbuster"), pb);
    arguments += networkSettings(config);
    arguments += {QStringLiteral("+exec"), engineQuoted(inputs.configFile)};
    return arguments;
}

QString ServerCommand::build(const ServerConfig& config, const Inputs& inputs)
{
    // Concatenated rather than filled in with arg(): a '%' in a path must stay as it is.
    QString command =
        QStringLiteral("cd '") + shellSingleQuoted(inputs.gameRoot) + QStringLiteral("'; ./");
    if (isApplicationBundle(inputs.appName))
        command +=
            QLatin1Char('"') + shellDoubleQuoted(bundleExecutable(inputs)) + QLatin1Char('"');
    else
        command += shellWord(inputs.appName);
    for (const QString& argument : arguments(config, inputs))
        command += QLatin1Char(' ') + shellWord(argument);
    return command;
}
