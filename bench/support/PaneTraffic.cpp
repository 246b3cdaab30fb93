#include "bench/support/PaneTraffic.h"

#include "rcon/RconPacer.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"

#include <algorithm>

PaneTraffic::Figures& PaneTraffic::Figures::operator+=(const Figures& other)
{
    pollsAsked += other.pollsAsked;
    pollsLost += other.pollsLost;
    pollsGaveWay += other.pollsGaveWay;
    pollsSkippedBusy += other.pollsSkippedBusy;
    commandsAsked += other.commandsAsked;
    commandsDone += other.commandsDone;
    commandsLost += other.commandsLost;
    longestCommandWaitMs = std::max(longestCommandWaitMs, other.longestCommandWaitMs);
    return *this;
}

PaneTraffic::PaneTraffic(RemoteControl& client, const QElapsedTimer& clock)
    : m_client(client), m_clock(clock)
{}

void PaneTraffic::automaticStatus()
{
    if (m_pollOut) {
        ++m_figures.pollsSkippedBusy;
        return;
    }
    m_pollOut = true;
    RemoteCommands(m_client, nullptr)
        .refreshStatus(RconPacer::Traffic::Poll, [this](RemoteCommands::Refresh refresh) {
            m_pollOut = false;
            if (refresh == RemoteCommands::Refresh::GaveWay) {
                ++m_figures.pollsGaveWay;
                return;
            }
            ++m_figures.pollsAsked;
            if (refresh == RemoteCommands::Refresh::NoReply)
                ++m_figures.pollsLost;
        });
}

// Chat (after which the server's requests pause for 0.5 s) and a limit read in turn.
void PaneTraffic::askCommand()
{
    const int number = m_nextCommand++;
    const qint64 askedAtMs = m_clock.elapsed();
    ++m_figures.commandsAsked;
    const RemoteCommands::Done done = [this, askedAtMs](const RemoteCommands::Sent& result) {
        ++m_figures.commandsDone;
        if (!result.answered)
            ++m_figures.commandsLost;
        m_figures.longestCommandWaitMs =
            std::max(m_figures.longestCommandWaitMs, m_clock.elapsed() - askedAtMs);
    };
    RemoteCommands commands(m_client, nullptr);
    if (number % 2 == 0)
        commands.say(QStringLiteral("bench %1").arg(number), done);
    else
        commands.readLimit(RemoteCommands::LimitType::Frag, done);
}
