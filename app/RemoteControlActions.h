#pragma once

#include "app/RemoteControlView.h"

#include <QColor>
#include <QObject>
#include <QTimer>

class RemoteControlPane;
class ServerSession;

// The commands of the remote-control pane, sent to the session the pane shows: the free
// console command, chat, kick, player info, restart and next map, the press-and-hold next-map
// preview, limits, bots. Each is queued on the server and never dropped; the session shows
// its outcome. Running another configuration and quitting are the server control's.
class RemoteControlActions : public QObject
{
    Q_OBJECT
public:
    // While the preview button is held its action repeats this often.
    static constexpr int previewRepeatMs = 75;

    RemoteControlActions(RemoteControlPane& pane, const RemoteControlControls& controls,
                         QObject* parent = nullptr);

    void sendCommandRequest();
    void rconSay();
    void rconPlayersKick();
    void rconPlayersDumpUser();
    void rconRestartCurrentMap();
    void rconChangeToNextMap();
    // One action of the preview button: held (pressed or repeating) or released.
    void rconPreviewNextMap(bool held);
    // A new choice of the limits pop-up loads that limit into the field.
    void rconPopupClicked(int item);
    void rconLimitsChange();
    void rconTeamColorRadioClicked(int row);
    static QColor teamColor(int row);
    void rconBotsAddBot();

private:
    void wireControls();
    // The session shown, when its server is controlled.
    ServerSession* controlled() const;

    RemoteControlPane& m_pane;
    const RemoteControlControls& m_controls;
    QTimer m_previewRepeat;
};
