#include "ctl/RunningServerSession.h"

#include "ctl/Await.h"
#include "ctl/ServerChoice.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "content/MapLibrary.h"
#include "rcon/RconAlerts.h"
#include "rcon/RemoteControl.h"
#include "server/ServerLauncher.h"


namespace {

class StderrRconAlerts : public RconAlerts
{
public:
    explicit StderrRconAlerts(QTextStream& err) : m_err(err) {}
    void showRconPasswordError(const QString& title, const QString& message) override
    {
        m_err << "voranthctl: " << title << ' ' << message.trimmed() << '\n';
    }

private:
    QTextStream& m_err;
};

QString modOf(const ServerConfig& config)
{
    return CommonData::modDirOrDefault(config.modName());
}

} // namespace

RunningServerSession::RunningServerSession(CtlIo& io)
    : m_io(io), m_alerts(std::make_unique<StderrRconAlerts>(io.err))
{}

RunningServerSession::~RunningServerSession()
{
    // Said once, at the end: the requests were paced all the same, on this command's own count.
    if (m_client)
        if (const std::optional<QString> problem = m_client->pacer()->ledgerProblem())
            m_io.err << "voranthctl: the remote-console pacing ledger cannot be used (" << *problem
                     << "); this command paced its requests on its own count\n";
}

bool RunningServerSession::open(const QString& serverName)
{
    m_record = ServerChoice::find(serverName, m_io);
    if (!m_record)
        return false;
    m_library =
        std::make_shared<MapLibrary>(GamePaths(GameDirectory::settle(), modOf(m_record->config)));
    m_client = RemoteControl::create(
        m_record->config,
        RemoteControlServices::forLaunch(m_record->launchToken, m_library, m_alerts.get()));
    if (!m_client) {
        m_io.err << "voranthctl: cannot reach the server at " << endpointText() << '\n';
        return false;
    }
    return true;
}

QString RunningServerSession::endpointText() const
{
    if (!m_record)
        return {};
    const auto endpoint = RemoteControl::serverEndpoint(m_record->config);
    if (!endpoint)
        return m_record->config.netIP();
    return endpoint->first.toString() + QLatin1Char(':') + QString::number(endpoint->second);
}

int RunningServerSession::reportMissingReply()
{
    if (!m_client || !m_client->wrongPassword())
        m_io.err << "voranthctl: " << RemoteControl::noResponseText << " at " << endpointText()
                 << '\n';
    return CtlRefused;
}

RemoteCommands::Sent RunningServerSession::run(const Command& command)
{
    return Await::value<RemoteCommands::Sent>([&](QObject* context, auto done) {
        RemoteCommands commands(*m_client, context);
        command(commands, done);
    });
}

RemoteCommands::Refresh RunningServerSession::refreshStatus()
{
    return Await::value<RemoteCommands::Refresh>([&](QObject* context, auto done) {
        RemoteCommands(*m_client, context).refreshStatus(RconPacer::Traffic::Command, done);
    });
}

bool RunningServerSession::readNextMap()
{
    return Await::value<bool>([&](QObject* context, auto done) {
        RemoteCommands(*m_client, context).previewNextMap(done);
    });
}

int RunningServerSession::slotOf(const QString& name) const
{
    const QList<PlayerStatus> players = m_client->playersStatus().value_or(QList<PlayerStatus>());
    for (const PlayerStatus& player : players)
        if (player.name() == name)
            return player.slot();
    const QString plain = PlayerStatus::stringStrippedFromCaretChars(name);
    for (const PlayerStatus& player : players)
        if (player.name().compare(plain, Qt::CaseInsensitive) == 0)
            return player.slot();
    return -1;
}
