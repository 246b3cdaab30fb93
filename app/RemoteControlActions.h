#pragma once

#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "rcon/RemoteCommands.h"

#include <QColor>
#include <QObject>
#include <QTimer>

#include <functional>

class QProgressBar;
class SetupEditor;
struct ControllerState;

// The commands of the remote-control pane: the free console command, kick, player info,
// restart and next map, the press-and-hold next-map preview, limits, bots, running another
// configuration, chat and the server's quit. Each sends the console text RemoteCommands builds
// through the pane's sender (dropped while the pane is busy) and carries out the follow-up
// the command asks for.
class RemoteControlActions : public QObject
{
    Q_OBJECT
public:
    // While the preview button is held its action repeats this often.
    static constexpr int previewRepeatMs = 75;

    RemoteControlActions(ControllerState& state, RemoteControlPane& pane, SetupEditor& editor,
                         const RemoteControlControls& controls, QObject* parent = nullptr);

    void sendCommandRequest();
    void rconPlayersKick();
    void rconPlayersDumpUser();
    void rconRestartCurrentMap();
    void rconChangeToNextMap();
    // One action of the preview button: held (pressed or repeating) or released.
    void rconPreviewNextMap(bool held);
    bool previewInitiated() const { return m_previewInitiated; }
    // A new choice of the limits pop-up loads that limit into the field.
    void rconPopupClicked(int item);
    void rconLimitsChange();
    void rconTeamColorRadioClicked(int row);
    static QColor teamColor(int row);
    void rconBotsAddBot();
    // Runs the configuration the editor shows on the running server.
    void rconRunConfig();
    // Asks the server to quit; false when the request could not go.
    bool rconQuitServer();
    // Chat to the players; false when it could not be sent.
    bool rconSay(const QString& text);

signals:
    // The server turned the password down after running another configuration.
    void quitServerRequested();

private:
    void wireControls();
    void pressPreview();
    void releasePreview();
    // The selected player's name; empty when none is selected.
    QString selectedPlayer() const;
    // Sends through the pane's sender and carries out the follow-up; nullopt when dropped.
    std::optional<RemoteCommands::Sent> send(const RemoteControlPane::Command& command,
                                               QProgressBar* progress = nullptr);
    void carryOut(const RemoteCommands::FollowUp& followUp, QProgressBar* progress);
    // Keeps other exchanges out for seconds while input is accepted, then runs then.
    void holdInput(double seconds, std::function<void()> then = {});
    void endInputHold();
    void forgetPendingWork();

    ControllerState& m_state;
    RemoteControlPane& m_pane;
    SetupEditor& m_editor;
    const RemoteControlControls& m_controls;
    QTimer m_previewRepeat;
    bool m_previewHeld = false;
    bool m_previewInitiated = false;
    QTimer m_inputHold;
    std::function<void()> m_afterInputHold;
};
