#include "ctl/LogCommands.h"

#include "ctl/ServerChoice.h"

#include "config/VisibleText.h"
#include "server/ConfigFiles.h"
#include "server/LogTail.h"
#include "server/ServerLog.h"

#include <QFileInfo>
#include <QThread>

namespace {

constexpr int defaultLineCount = 10;
// How often a followed log is looked at.
constexpr int followIntervalMs = 200;

const char* usageText = "usage: voranthctl logs [--server NAME] [-n N] [-f]\n";

// The log of the named configuration's server, running or not; without a name, the running
// server's.
QString logOf(const QString& configName, CtlIo& io)
{
    if (!configName.isEmpty())
        return ServerLog::pathFor(ConfigFiles::configFileReplacedSpaces(configName));
    const std::optional<RunningServer::Record> server =
        ServerChoice::findStartedOrStarting(configName, io);
    if (!server)
        return {};
    return ServerLog::pathFor(server->execFile);
}

void print(const QStringList& lines, CtlIo& io)
{
    for (const QString& line : lines)
        io.out << line << '\n';
    io.out.flush();
}

} // namespace

void LogCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("logs"), QStringLiteral("[--server NAME] [-n N] [-f]"),
                     QStringLiteral("the last N lines (10) of a server's log; -f: and what it "
                                    "writes from then on, until interrupted"),
                     &logs});
}

int LogCommands::logs(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool follow = arguments.takeFlag(QStringLiteral("-f"));
    bool ok = true;
    const QString name = ServerChoice::take(arguments, ok);
    bool countOk = true;
    const QString countText = arguments.takeOption(QStringLiteral("-n"), countOk);
    const int count = countText.isEmpty() ? defaultLineCount : countText.toInt(&countOk);
    if (!ok || !countOk || count < 0 || !arguments.rest().isEmpty()) {
        io.err << usageText;
        return CtlUsageError;
    }
    const QString path = logOf(name, io);
    if (path.isEmpty())
        return CtlRefused;
    if (!QFileInfo(path).isFile()) {
        io.err << "voranthctl: no log of '" << VisibleText::escaped(name)
               << "' (a server in a terminal writes none): " << path << '\n';
        return CtlRefused;
    }
    LogTail tail(path);
    const qint64 end = tail.skipToEnd();
    print(ServerLog::lastLines(path, count, end), io);
    while (follow) {
        QThread::msleep(followIntervalMs);
        print(tail.readNewLines(), io);
    }
    return CtlOk;
}
