#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

class RemoteControl;

// What the remote-control pane asks of one server on its own, made through the same client
// calls the window makes: the automatic status (skipped while the last one is out, as the
// window does) and a person's commands, chat and a limit read in turn. Counts what came back.
class PaneTraffic
{
public:
    // The window's schedule: the automatic status every second, a person's command every
    // 2 s, falling between the polls as clicks do not wait for a timer.
    static constexpr int pollIntervalMs = 1000;
    static constexpr int commandIntervalMs = 2000;
    static constexpr int commandOffsetMs = 300;
    // The server forgets a sender's count after ten quiet seconds; runs one after another
    // wait a little more.
    static constexpr int drainMs = 12000;

    struct Figures
    {
        int pollsAsked = 0;
        int pollsLost = 0;
        int pollsGaveWay = 0;
        int pollsSkippedBusy = 0;
        int commandsAsked = 0;
        int commandsDone = 0;
        int commandsLost = 0;
        qint64 longestCommandWaitMs = 0;
        // Commands whose outcome never arrived count as lost too.
        int commandsLostInAll() const { return commandsLost + commandsAsked - commandsDone; }
        Figures& operator+=(const Figures& other);
    };

    // clock measures the commands' waits; it must outlive the traffic.
    PaneTraffic(RemoteControl& client, const QElapsedTimer& clock);

    void automaticStatus();
    void askCommand();

    const Figures& figures() const { return m_figures; }

private:
    RemoteControl& m_client;
    const QElapsedTimer& m_clock;
    bool m_pollOut = false;
    int m_nextCommand = 0;
    Figures m_figures;
};
