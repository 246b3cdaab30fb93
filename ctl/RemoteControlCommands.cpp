#include "ctl/RemoteControlCommands.h"

#include "config/GameDirectory.h"
#include "config/GameLimits.h"
#include "config/VisibleText.h"
#include "content/MapLibrary.h"
#include "ctl/RunningServerSession.h"
#include "ctl/ServerChoice.h"
#include "ctl/StoreAccess.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerReplyParser.h"

#include <QMap>

namespace {

using Sent = RemoteCommands::Sent;
using LimitType = RemoteCommands::LimitType;

using GameLimits::defaultBotSkill;

const QString serverUsage = QStringLiteral("[--server NAME]");

const QMap<QString, LimitType>& limitNames()
{
    static const QMap<QString, LimitType> names{
        {QStringLiteral("frag"), LimitType::Frag},
        {QStringLiteral("time"), LimitType::Time},
        {QStringLiteral("capture"), LimitType::Capture},
        {QStringLiteral("maxplayers"), LimitType::MaxPlayers}};
    return names;
}

// The highest value a limit may be set to: the window's limits field's range.
int limitRange(LimitType type)
{
    switch (type) {
    case LimitType::Time:
        return GameLimits::maxTimeLimitMinutes;
    case LimitType::MaxPlayers:
        return GameLimits::maxClients;
    case LimitType::Frag:
    case LimitType::Capture:
    case LimitType::None:
        break;
    }
    return GameLimits::maxLimit;
}

int usage(CtlIo& io, const QString& command, const QString& arguments)
{
    io.err << "usage: voranthctl " << command << (arguments.isEmpty() ? "" : " ") << arguments
           << '\n';
    return CtlUsageError;
}

void printReply(const QString& reply, CtlIo& io)
{
    if (reply.isEmpty() || reply == RemoteControl::noResponseText)
        return;
    io.out << reply;
    if (!reply.endsWith(QLatin1Char('\n')))
        io.out << '\n';
}

// The outcome of a command as voranthctl reports it: the visible replies on standard output;
// a refusal, a request that could not go, a rejected password or a missing reply as an error.
int finish(const Sent& result, RunningServerSession& session, CtlIo& io)
{
    if (!result.refusal.isEmpty()) {
        io.err << "voranthctl: " << result.refusal << '\n';
        return CtlRefused;
    }
    if (!result.sent) {
        io.err << "voranthctl: the command could not be sent to " << session.endpointText() << '\n';
        return CtlRefused;
    }
    if (result.wrongPassword)
        return CtlRefused;
    for (const QString& reply : result.replies)
        printReply(reply, io);
    return result.answered ? CtlOk : session.reportMissingReply();
}

std::optional<int> integerArgument(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The current map, which the Urban Terror rules start from.
bool readCurrentMapWhenNeeded(RunningServerSession& session)
{
    if (!RemoteCommands::isUrbanTerror(session.client().rconMod()))
        return true;
    return session.refreshStatus() == RemoteCommands::Refresh::Refreshed;
}

// The slot of the player a command names: "--slot N", or a name as status lists it (read
// from a status first). -1, with a message, when no such player is listed.
int playerSlot(const CtlArguments& arguments, const QString& slotText,
               RunningServerSession& session, CtlIo& io)
{
    if (!slotText.isEmpty())
        return slotText.toInt();
    if (session.refreshStatus() != RemoteCommands::Refresh::Refreshed) {
        session.reportMissingReply();
        return -1;
    }
    const QString name = arguments.rest().first();
    const int slot = session.slotOf(name);
    if (slot < 0)
        io.err << "voranthctl: no player named '" << VisibleText::escaped(name)
               << "' is on the server (voranthctl status lists them)\n";
    return slot;
}

// PLAYER or --slot N, checked.
bool playerArgumentsOk(CtlArguments& arguments, QString& slotText)
{
    bool ok = true;
    slotText = arguments.takeOption(QStringLiteral("--slot"), ok);
    if (!ok || !arguments.firstUnknownOption().isEmpty())
        return false;
    if (!slotText.isEmpty())
        return arguments.rest().isEmpty() && integerArgument(slotText).value_or(-1) >= 0 &&
               integerArgument(slotText).value_or(-1) < GameLimits::maxClients;
    return arguments.rest().size() == 1;
}

// Runs one command against the server of ours it names (or the one that runs), with the
// arguments already checked.
template <typename Run> int withSession(CtlIo& io, const QString& serverName, Run run)
{
    RunningServerSession session(io);
    if (!session.open(serverName))
        return CtlRefused;
    return run(session);
}

// The arguments of a command that takes "--server NAME" and otherwise only what
// rest() leaves; ok false for a missing NAME.
struct ServerArguments
{
    explicit ServerArguments(const QStringList& args) : arguments(args)
    {
        server = ServerChoice::take(arguments, ok);
        ok = ok && arguments.firstUnknownOption().isEmpty();
    }
    CtlArguments arguments;
    QString server;
    bool ok = true;
    const QStringList& rest() const { return arguments.rest(); }
};

int printLimit(const Sent& result, RunningServerSession& session, CtlIo& io)
{
    if (!result.refusal.isEmpty() || !result.sent || result.wrongPassword || !result.answered)
        return finish(result, session, io);
    const std::optional<QString> value = ServerReplyParser::variableValue(result.reply);
    if (!value)
        printReply(result.reply, io);
    else
        io.out << *value << '\n';
    return CtlOk;
}


} // namespace

void RemoteControlCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("kick"), QStringLiteral("[--server NAME] PLAYER | --slot N"),
                     QStringLiteral("kicks a player (by the name status shows, or by its slot) "
                                    "off the running server"),
                     &kick});
    commands.append(
        {QStringLiteral("dumpuser"), QStringLiteral("[--server NAME] PLAYER | --slot N"),
         QStringLiteral("prints what the running server knows of a player"), &dumpUser});
    commands.append({QStringLiteral("restart-map"), serverUsage,
                     QStringLiteral("restarts the running server's map"), &restartMap});
    commands.append({QStringLiteral("next-map"), serverUsage,
                     QStringLiteral("changes the running server to the next map of its "
                                    "rotation"),
                     &nextMap});
    commands.append({QStringLiteral("preview-next-map"), serverUsage,
                     QStringLiteral("the next map of the running server's rotation, with its "
                                    "title"),
                     &previewNextMap});
    commands.append({QStringLiteral("limit"),
                     QStringLiteral("[--server NAME] frag|time|capture|maxplayers [VALUE]"),
                     QStringLiteral("prints a limit of the running server; with VALUE sets it "
                                    "and prints it as the server reads it back"),
                     &limit});
    commands.append({QStringLiteral("addbot"),
                     QStringLiteral("[--server NAME] BOT... [--skill N] [--team red|blue]"),
                     QStringLiteral("adds bots in order, with skill N (1 to 5, default 4) on a "
                                    "team; prints the server's replies"),
                     &addBot});
    commands.append({QStringLiteral("say"), QStringLiteral("[--server NAME] TEXT..."),
                     QStringLiteral("sends the words, joined by blanks, as chat to every player"),
                     &say});
    commands.append({QStringLiteral("run-config"), QStringLiteral("[--server NAME] NAME"),
                     QStringLiteral("runs another configuration of the server's mod on the "
                                    "running server and makes it the running one"),
                     &runConfig});
}

int RemoteControlCommands::kick(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const QString server = ServerChoice::take(arguments, ok);
    QString slotText;
    if (!ok || !playerArgumentsOk(arguments, slotText))
        return usage(io, QStringLiteral("kick"),
                     QStringLiteral("[--server NAME] PLAYER | --slot N"));
    return withSession(io, server, [&](RunningServerSession& session) {
        const int slot = playerSlot(arguments, slotText, session, io);
        if (slot < 0)
            return int(CtlRefused);
        return finish(session.run([slot](RemoteCommands& commands, auto done) {
            commands.kick(slot, done);
        }),
                      session, io);
    });
}

int RemoteControlCommands::dumpUser(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    bool ok = true;
    const QString server = ServerChoice::take(arguments, ok);
    QString slotText;
    if (!ok || !playerArgumentsOk(arguments, slotText))
        return usage(io, QStringLiteral("dumpuser"),
                     QStringLiteral("[--server NAME] PLAYER | --slot N"));
    return withSession(io, server, [&](RunningServerSession& session) {
        const int slot = playerSlot(arguments, slotText, session, io);
        if (slot < 0)
            return int(CtlRefused);
        return finish(session.run([slot](RemoteCommands& commands, auto done) {
            commands.dumpUser(slot, done);
        }),
                      session, io);
    });
}

int RemoteControlCommands::restartMap(const QStringList& args, CtlIo& io)
{
    const ServerArguments arguments(args);
    if (!arguments.ok || !arguments.rest().isEmpty())
        return usage(io, QStringLiteral("restart-map"), serverUsage);
    return withSession(io, arguments.server, [&](RunningServerSession& session) {
        // The players listed make the refresh delay; Urban Terror restarts the current map.
        if (session.refreshStatus() != RemoteCommands::Refresh::Refreshed)
            return session.reportMissingReply();
        return finish(session.run([](RemoteCommands& commands, auto done) {
            commands.restartMap(done);
        }),
                      session, io);
    });
}

int RemoteControlCommands::nextMap(const QStringList& args, CtlIo& io)
{
    const ServerArguments arguments(args);
    if (!arguments.ok || !arguments.rest().isEmpty())
        return usage(io, QStringLiteral("next-map"), serverUsage);
    return withSession(io, arguments.server, [&](RunningServerSession& session) {
        if (!readCurrentMapWhenNeeded(session))
            return session.reportMissingReply();
        return finish(session.run([](RemoteCommands& commands, auto done) {
            commands.changeToNextMap(done);
        }),
                      session, io);
    });
}

int RemoteControlCommands::previewNextMap(const QStringList& args, CtlIo& io)
{
    const ServerArguments arguments(args);
    if (!arguments.ok || !arguments.rest().isEmpty())
        return usage(io, QStringLiteral("preview-next-map"), serverUsage);
    return withSession(io, arguments.server, [&](RunningServerSession& session) {
        if (!readCurrentMapWhenNeeded(session))
            return session.reportMissingReply();
        RemoteControl& client = session.client();
        if (!session.readNextMap()) {
            if (client.wrongPassword())
                return int(CtlRefused);
            io.err << "voranthctl: the next map is not known\n";
            return int(CtlRefused);
        }
        const QString title = session.library().mapTitleForMap(client.nextMap()).trimmed();
        const bool known = !title.isEmpty() && title != MapLibrary::unknownMapMarker().trimmed();
        printColumns({{client.nextMap(), known ? title : QStringLiteral("-")}}, io.out);
        return int(CtlOk);
    });
}

int RemoteControlCommands::limit(const QStringList& args, CtlIo& io)
{
    const QString usageText =
        QStringLiteral("[--server NAME] frag|time|capture|maxplayers [VALUE]");
    const ServerArguments arguments(args);
    const QStringList& rest = arguments.rest();
    if (!arguments.ok || rest.isEmpty() || rest.size() > 2 || !limitNames().contains(rest.first()))
        return usage(io, QStringLiteral("limit"), usageText);
    const LimitType type = limitNames().value(rest.first());
    const bool setting = rest.size() == 2;
    const int value = setting ? integerArgument(rest.at(1)).value_or(-1) : 0;
    if (value < 0)
        return usage(io, QStringLiteral("limit"), usageText);
    // The window's limits field takes the same range.
    const int highest = limitRange(type);
    if (value > highest) {
        io.err << "voranthctl: the " << rest.first() << " limit is at most " << highest << '\n';
        return CtlUsageError;
    }
    return withSession(io, arguments.server, [&](RunningServerSession& session) {
        // Setting reads the limit back, as the server took it.
        return printLimit(session.run([&](RemoteCommands& commands, auto done) {
            if (setting)
                commands.changeLimit(type, value, done);
            else
                commands.readLimit(type, done);
        }),
                          session, io);
    });
}

int RemoteControlCommands::addBot(const QStringList& args, CtlIo& io)
{
    const QString usageText =
        QStringLiteral("[--server NAME] BOT... [--skill N] [--team red|blue]");
    CtlArguments arguments(args);
    bool ok = true;
    const QString server = ServerChoice::take(arguments, ok);
    const QString skillText = arguments.takeOption(QStringLiteral("--skill"), ok);
    const QString teamText = arguments.takeOption(QStringLiteral("--team"), ok);
    const std::optional<int> skill =
        skillText.isEmpty() ? std::optional<int>(defaultBotSkill) : integerArgument(skillText);
    const QMap<QString, RemoteCommands::Team> teams{
        {QString(), RemoteCommands::Team::None},
        {QStringLiteral("red"), RemoteCommands::Team::Red},
        {QStringLiteral("blue"), RemoteCommands::Team::Blue}};
    if (!ok || !arguments.firstUnknownOption().isEmpty() || arguments.rest().isEmpty() || !skill ||
        *skill < GameLimits::minBotSkill || *skill > GameLimits::maxBotSkill || !teams.contains(teamText))
        return usage(io, QStringLiteral("addbot"), usageText);
    return withSession(io, server, [&](RunningServerSession& session) {
        const RemoteCommands::Team team = teams.value(teamText);
        return finish(session.run([&](RemoteCommands& commands, auto done) {
            commands.addBots(arguments.rest(), *skill, team, {}, done);
        }),
                      session, io);
    });
}

int RemoteControlCommands::say(const QStringList& args, CtlIo& io)
{
    QStringList words = args;
    bool ok = true;
    const QString server = ServerChoice::takeLeading(words, ok);
    const QString text = words.join(QLatin1Char(' '));
    if (!ok || text.trimmed().isEmpty())
        return usage(io, QStringLiteral("say"), QStringLiteral("[--server NAME] TEXT..."));
    return withSession(io, server, [&](RunningServerSession& session) {
        return finish(
            session.run([&](RemoteCommands& commands, auto done) { commands.say(text, done); }),
            session, io);
    });
}

int RemoteControlCommands::runConfig(const QStringList& args, CtlIo& io)
{
    const ServerArguments arguments(args);
    if (!arguments.ok || arguments.rest().size() != 1)
        return usage(io, QStringLiteral("run-config"), QStringLiteral("[--server NAME] NAME"));
    const QString name = arguments.rest().first();
    return withSession(io, arguments.server, [&](RunningServerSession& session) {
        StoreAccess access(io);
        if (!access.openForReading())
            return int(CtlRefused);
        const ServerConfig* config = access.findOrComplain(name);
        if (!config)
            return int(CtlRefused);
        const ServerConfig chosen = ServerConfig::copyOf(*config);
        const QString gameRoot = GameDirectory::settle();
        const Sent result = session.run([&](RemoteCommands& commands, auto done) {
            commands.runConfig(chosen, gameRoot, done);
        });
        const int status = finish(result, session, io);
        // Switched as soon as the server took the file, even when its reply went missing.
        if (result.sent && !result.wrongPassword)
            io.out << "running: " << config->configName() << '\n';
        return status;
    });
}
