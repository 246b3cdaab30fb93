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
    return QStringLiteral("'\"") + ServerCommand::shellSingleQuoted(text) + QStringLiteral("\"'");
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

QString networkSettings(const ServerConfig& config)
{
    QString text;
    const QString address = config.netIP();
    // Anything but an address could smuggle a command in; the start refuses it beforehand.
    if (!address.isEmpty() && address != QLatin1String("localhost") &&
        NetAddress::isHostNameOrAddress(address))
        text += QStringLiteral("+set net_ip ") + engineQuoted(address) + QLatin1Char(' ');
    if (config.netPort() != ServerConfig::defaultNetPort)
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
