#include "ctl/HistoryCommands.h"

#include "ctl/ServerChoice.h"

#include "config/VisibleText.h"
#include "rcon/HistorySampler.h"
#include "rcon/ServerEndpoint.h"
#include "server/PlayerHistory.h"
#include "server/ServerLauncher.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString historyUsage = QStringLiteral("[--server NAME] [--since 24h|7d] [--csv|--json]");
const QString sampleUsage = QStringLiteral("--all");

int usage(CtlIo& io, const QString& command, const QString& text)
{
    io.err << "usage: voranthctl " << command << ' ' << text << '\n';
    return CtlUsageError;
}

QString isoTime(const HistorySample& sample)
{
    return sample.time().toString(Qt::ISODate);
}

QString localTime(const HistorySample& sample)
{
    return sample.time().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// A CSV field: quoted when it holds a quote, a comma or a line break; control characters
// shown as escapes.
QString csvField(const QString& text)
{
    const QString visible = VisibleText::escaped(text);
    if (!visible.contains(QLatin1Char('"')) && !visible.contains(QLatin1Char(',')))
        return visible;
    QString quoted = visible;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void printSamples(const PlayerHistory::Reading& reading, CtlIo& io)
{
    QList<QStringList> rows{{QStringLiteral("TIME"), QStringLiteral("PEOPLE"),
                             QStringLiteral("BOTS"), QStringLiteral("MAP")}};
    for (const HistorySample& sample : reading.samples)
        rows.append({localTime(sample), QString::number(sample.people), QString::number(sample.bots),
                     sample.map.isEmpty() ? QStringLiteral("-") : sample.map});
    printColumns(rows, io.out);
}

void printCsv(const PlayerHistory::Reading& reading, CtlIo& io)
{
    io.out << "time,people,bots,map\n";
    for (const HistorySample& sample : reading.samples)
        io.out << isoTime(sample) << ',' << sample.people << ',' << sample.bots << ','
               << csvField(sample.map) << '\n';
}

void printJson(const QString& name, const QString& since, const PlayerHistory& history,
               const PlayerHistory::Reading& reading, CtlIo& io)
{
    QJsonArray samples;
    for (const HistorySample& sample : reading.samples)
        samples.append(QJsonObject{{QStringLiteral("time"), isoTime(sample)},
                                   {QStringLiteral("minute"), sample.minute},
                                   {QStringLiteral("people"), sample.people},
                                   {QStringLiteral("bots"), sample.bots},
                                   {QStringLiteral("map"), sample.map}});
    io.out << QJsonDocument(QJsonObject{{QStringLiteral("server"), name},
                                        {QStringLiteral("file"), history.path()},
                                        {QStringLiteral("since"), since},
                                        {QStringLiteral("linesSkipped"), reading.linesSkipped},
                                        {QStringLiteral("samples"), samples}})
                  .toJson();
}

// The servers of ours to sample: every one that runs, with its process found.
QList<RunningServer::Record> runningServersToSample()
{
    QList<RunningServer::Record> servers = ServerLauncher::runningServers();
    servers.removeIf([](const RunningServer::Record& server) { return !server.serverFound(); });
    return servers;
}

// Samples one server, waiting for the outcome; the text of the outcome on the right stream.
bool sampleServer(const RunningServer::Record& record, CtlIo& io)
{
    const QString name = record.config.configName();
    const ServerEndpoint endpoint = ServerEndpoint::ofServer(record.config);
    HistorySampler sampler(PlayerHistory(PlayerHistory::pathForServer(name)), endpoint.host,
                           endpoint.port);
    QEventLoop loop;
    HistorySampler::Outcome outcome;
    QObject::connect(&sampler, &HistorySampler::finished, &loop,
                     [&](const HistorySampler::Outcome& finished) {
                         outcome = finished;
                         loop.quit();
                     });
    sampler.sample();
    loop.exec();

    using Kind = HistorySampler::Outcome::Kind;
    const HistorySample& sample = outcome.sample;
    const QString shown = VisibleText::escaped(name);
    switch (outcome.kind) {
    case Kind::Recorded:
    case Kind::AlreadyRecorded:
        io.out << shown << ": " << sample.people << (sample.people == 1 ? " person, " : " people, ")
               << sample.bots << (sample.bots == 1 ? " bot" : " bots") << " on "
               << VisibleText::escaped(sample.map.isEmpty() ? QStringLiteral("-") : sample.map)
               << " at " << localTime(sample)
               << (outcome.kind == Kind::Recorded ? " (recorded)" : " (this minute was recorded already)")
               << '\n';
        return true;
    case Kind::NotAnswered:
    case Kind::NotCounted:
    case Kind::NotWritten:
        break;
    }
    io.err << "voranthctl: " << shown << ": " << outcome.message << '\n';
    return false;
}

} // namespace

void HistoryCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("history"), historyUsage,
                     QStringLiteral("a server's player history: people, bots and map per minute"),
                     &history});
    commands.append({QStringLiteral("sample"), sampleUsage,
                     QStringLiteral("adds one sample to the player history of every running "
                                    "server of ours (for a timer, every minute)"),
                     &sample});
}

std::optional<qint64> HistoryCommands::sinceMinutes(const QString& text)
{
    if (text.size() < 2 || text.size() > 5)
        return std::nullopt;
    const QChar unit = text.back();
    bool ok = false;
    const int number = text.chopped(1).toInt(&ok);
    if (!ok || number < 1 || !text.at(0).isDigit())
        return std::nullopt;
    qint64 minutes = 0;
    if (unit == QLatin1Char('h'))
        minutes = qint64(number) * 60;
    else if (unit == QLatin1Char('d'))
        minutes = qint64(number) * 24 * 60;
    else
        return std::nullopt;
    if (minutes > PlayerHistory::keptMinutes)
        return std::nullopt;
    return minutes;
}

int HistoryCommands::history(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool csv = arguments.takeFlag(QStringLiteral("--csv"));
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    bool ok = true;
    QString name = arguments.takeOption(QStringLiteral("--server"), ok);
    QString since = arguments.takeOption(QStringLiteral("--since"), ok);
    if (!ok || (csv && json) || !arguments.rest().isEmpty())
        return usage(io, QStringLiteral("history"), historyUsage);
    if (since.isEmpty())
        since = QStringLiteral("24h");
    const std::optional<qint64> minutes = sinceMinutes(since);
    if (!minutes) {
        io.err << "voranthctl: --since takes hours or days, such as 24h or 7d (at most "
               << PlayerHistory::keptDays << "d)\n";
        return CtlUsageError;
    }
    if (name.isEmpty() && ServerLauncher::runningServers().isEmpty()) {
        // The history outlives its server: a stopped one is named.
        io.err << "voranthctl: no server running: name one with --server NAME\n";
        return CtlRefused;
    }
    if (name.isEmpty()) {
        const std::optional<RunningServer::Record> running =
            ServerChoice::findStartedOrStarting(QString(), io);
        if (!running)
            return CtlRefused;
        name = running->config.configName();
    }
    const PlayerHistory history(PlayerHistory::pathForServer(name));
    if (!history.exists()) {
        io.err << "voranthctl: no player history for '" << VisibleText::escaped(name)
               << "' (voranthctl sample --all records one while it runs)\n";
        return CtlRefused;
    }
    const Result<PlayerHistory::Reading> reading = history.readLast(*minutes);
    if (!reading.ok()) {
        io.err << "voranthctl: " << VisibleText::escaped(reading.error) << '\n';
        return CtlRefused;
    }
    if (json)
        printJson(name, since, history, reading.value, io);
    else if (csv)
        printCsv(reading.value, io);
    else
        printSamples(reading.value, io);
    return CtlOk;
}

int HistoryCommands::sample(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool all = arguments.takeFlag(QStringLiteral("--all"));
    if (!all || !arguments.rest().isEmpty())
        return usage(io, QStringLiteral("sample"), sampleUsage);
    const QList<RunningServer::Record> servers = runningServersToSample();
    if (servers.isEmpty()) {
        io.out << "no server of ours runs: nothing sampled\n";
        return CtlOk;
    }
    bool allSampled = true;
    for (const RunningServer::Record& record : servers)
        allSampled = sampleServer(record, io) && allSampled;
    return allSampled ? CtlOk : CtlRefused;
}
