#include "ctl/ServerChoice.h"

#include "config/VisibleText.h"
#include "server/ServerLauncher.h"

namespace {

QString quotedNames(const QList<RunningServer::Record>& servers)
{
    QStringList names;
    for (const RunningServer::Record& server : servers)
        names.append(QLatin1Char('\'') + VisibleText::escaped(server.config.configName()) +
                     QLatin1Char('\''));
    return names.join(QStringLiteral(", "));
}

} // namespace

QString ServerChoice::take(CtlArguments& arguments, bool& ok)
{
    return arguments.takeOption(QString::fromLatin1(option), ok);
}

QString ServerChoice::takeLeading(QStringList& args, bool& ok)
{
    if (args.isEmpty() || args.first() != QLatin1String(option))
        return {};
    if (args.size() < 2) {
        ok = false;
        return {};
    }
    const QString name = args.at(1);
    args.remove(0, 2);
    return name;
}

std::optional<RunningServer::Record> ServerChoice::findStartedOrStarting(const QString& configName,
                                                                         CtlIo& io)
{
    if (!configName.isEmpty()) {
        std::optional<RunningServer::Record> named = ServerLauncher::runningServerOf(configName);
        if (!named)
            io.err << "voranthctl: no server of '" << VisibleText::escaped(configName)
                   << "' runs\n";
        return named;
    }
    const QList<RunningServer::Record> servers = ServerLauncher::runningServers();
    if (servers.isEmpty()) {
        io.err << "voranthctl: no server running\n";
        return std::nullopt;
    }
    if (servers.size() > 1) {
        io.err << "voranthctl: " << servers.size() << " servers run (" << quotedNames(servers)
               << "): name one with --server NAME\n";
        return std::nullopt;
    }
    return servers.first();
}

std::optional<RunningServer::Record> ServerChoice::find(const QString& configName, CtlIo& io)
{
    std::optional<RunningServer::Record> server = findStartedOrStarting(configName, io);
    if (server && !server->serverFound()) {
        io.err << "voranthctl: " << ServerLauncher::startingMessage(*server) << '\n';
        return std::nullopt;
    }
    return server;
}
