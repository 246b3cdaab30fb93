#include "app/RemoteControlActions.h"

#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/KZColorView.h"
#include "app/RadioMatrix.h"
#include "app/RemoteControlPane.h"
#include "app/SetupEditor.h"
#include "app/EditorControls.h"
#include "content/BotLibrary.h"
#include "rcon/RemoteControl.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

// Frag and time limits change in fives, the others one by one.
constexpr int coarseLimitStep = 5;

} // namespace

RemoteControlActions::RemoteControlActions(ControllerState& state, RemoteControlPane& pane,
                                           SetupEditor& editor,
                                           const RemoteControlControls& controls, QObject* parent)
    : QObject(parent), m_state(state), m_pane(pane), m_editor(editor), m_controls(controls)
{
    m_previewRepeat.setInterval(previewRepeatMs);
    connect(&m_previewRepeat, &QTimer::timeout, this, [this] { rconPreviewNextMap(true); });
    m_inputHold.setSingleShot(true);
    connect(&m_inputHold, &QTimer::timeout, this, &RemoteControlActions::endInputHold);
    connect(&m_pane, &RemoteControlPane::remoteControlReleased, this,
            &RemoteControlActions::forgetPendingWork);
    wireControls();
    rconTeamColorRadioClicked(m_controls.rconBotsTeamColorMatrix->selectedTag());
}

void RemoteControlActions::wireControls()
{
    const RemoteControlControls& c = m_controls;
    connect(c.rconServerCommandSendButton, &QPushButton::clicked, this,
            &RemoteControlActions::sendCommandRequest);
    connect(c.rconRequestTextField, &QLineEdit::returnPressed, this,
            &RemoteControlActions::sendCommandRequest);
    connect(c.rconSayButton, &QPushButton::clicked, this,
            [this] { rconSay(m_controls.rconRequestTextField->text()); });
    connect(c.rconPlayersKickButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconPlayersKick);
    connect(c.rconPlayersDumpUserButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconPlayersDumpUser);
    connect(c.rconRestartCurrentMapButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconRestartCurrentMap);
    connect(c.rconChangeToNextMapButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconChangeToNextMap);
    connect(c.rconPreviewNextMapButton, &QPushButton::pressed, this,
            &RemoteControlActions::pressPreview);
    connect(c.rconPreviewNextMapButton, &QPushButton::released, this,
            &RemoteControlActions::releasePreview);
    connect(c.rconLimitsPopUpMenu, &QComboBox::activated, this,
            &RemoteControlActions::rconPopupClicked);
    connect(c.rconLimitsChangeButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconLimitsChange);
    connect(c.rconBotsTeamColorMatrix, &RadioMatrix::clicked, this,
            &RemoteControlActions::rconTeamColorRadioClicked);
    connect(c.rconBotsAddBotButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconBotsAddBot);
}

std::optional<RemoteCommands::Sent>
RemoteControlActions::send(const RemoteControlPane::Command& command, QProgressBar* progress)
{
    std::optional<RemoteCommands::Sent> result = m_pane.sendRemoteControlCommand(command);
    if (result && result->sent)
        carryOut(result->followUp, progress);
    return result;
}

void RemoteControlActions::carryOut(const RemoteCommands::FollowUp& followUp,
                                    QProgressBar* progress)
{
    using Kind = RemoteCommands::FollowUp::Kind;
    switch (followUp.kind) {
    case Kind::OneShotStatus:
        if (progress)
            m_pane.startProgress(progress);
        m_pane.waitThenGetStatus(followUp.delaySeconds, followUp.complete);
        break;
    case Kind::PauseInput:
        holdInput(followUp.delaySeconds);
        break;
    case Kind::DisablePane:
        m_pane.deactivateAllRconGUIButtons();
        break;
    case Kind::ReadLimitBack:
    case Kind::None:
        break;
    }
}

void RemoteControlActions::holdInput(double seconds, std::function<void()> then)
{
    m_pane.setRconLocked(true);
    m_afterInputHold = std::move(then);
    m_inputHold.start(int(seconds * 1000));
}

void RemoteControlActions::endInputHold()
{
    m_pane.setRconLocked(false);
    if (const std::function<void()> then = std::exchange(m_afterInputHold, {}))
        then();
}

void RemoteControlActions::forgetPendingWork()
{
    m_inputHold.stop();
    m_afterInputHold = {};
    m_previewRepeat.stop();
    m_previewInitiated = false;
}

// Console and players ------------------------------------------------------------------------

void RemoteControlActions::sendCommandRequest()
{
    const QString text = m_controls.rconRequestTextField->text();
    send([text](RemoteCommands& commands) { return commands.freeCommand(text); });
}

bool RemoteControlActions::rconSay(const QString& text)
{
    const std::optional<RemoteCommands::Sent> result =
        send([text](RemoteCommands& commands) { return commands.say(text); });
    return result && result->sent;
}

QString RemoteControlActions::selectedPlayer() const
{
    const QList<int> rows = FormControls::selectedRows(m_controls.rconPlayersTableView);
    if (rows.isEmpty() || !m_pane.remoteControl())
        return {};
    return m_pane.remoteControl()->playerNameAtIndex(rows.first());
}

void RemoteControlActions::rconPlayersKick()
{
    const QString player = selectedPlayer();
    if (!m_pane.connected() || player.isEmpty())
        return;
    send([player](RemoteCommands& commands) { return commands.kick(player); });
}

void RemoteControlActions::rconPlayersDumpUser()
{
    const QString player = selectedPlayer();
    if (!m_pane.connected() || player.isEmpty())
        return;
    send([player](RemoteCommands& commands) { return commands.dumpUser(player); });
}

// Maps ---------------------------------------------------------------------------------------

void RemoteControlActions::rconRestartCurrentMap()
{
    if (!m_pane.connected())
        return;
    const std::optional<RemoteCommands::Sent> result =
        send([](RemoteCommands& commands) { return commands.restartMap(); },
             m_controls.restartMapProgressCircle);
    if (!result || !result->sent)
        m_controls.restartMapProgressCircle->hide();
}

void RemoteControlActions::rconChangeToNextMap()
{
    if (!m_pane.connected())
        return;
    send([](RemoteCommands& commands) { return commands.changeToNextMap(); },
         m_controls.nextMapProgressCircle);
}

void RemoteControlActions::pressPreview()
{
    m_previewHeld = true;
    rconPreviewNextMap(true);
    m_previewRepeat.start();
}

void RemoteControlActions::releasePreview()
{
    m_previewHeld = false;
    m_previewRepeat.stop();
    rconPreviewNextMap(false);
}

void RemoteControlActions::rconPreviewNextMap(bool held)
{
    RemoteControl* client = m_pane.remoteControl();
    if (!client || client->wrongPassword())
        return;
    if (!held) {
        // Only a preview that is shown holds the flag; any other holder keeps it.
        if (!m_previewInitiated)
            return;
        m_previewInitiated = false;
        m_pane.updateRemoteControlMapInfo(false);
        m_pane.setRconLocked(false);
        return;
    }
    // One query per hold.
    if (m_previewInitiated || m_pane.rconLocked())
        return;
    m_pane.setRconLocked(true);
    const std::shared_ptr<const bool> alive = client->lifeToken();
    const bool read = RemoteCommands(*client).previewNextMap();
    if (!*alive)
        return;
    // Not read: the next repeated action asks again. Released during the query: nothing to
    // show any more.
    if (!read || !m_previewHeld) {
        m_pane.setRconLocked(false);
        return;
    }
    // Held while the preview is shown, so that no refresh replaces it.
    m_pane.updateRemoteControlMapInfo(true);
    m_previewInitiated = true;
}

// Limits -------------------------------------------------------------------------------------

void RemoteControlActions::rconPopupClicked(int item)
{
    const RemoteControl* client = m_pane.remoteControl();
    const std::optional<RemoteCommands::LimitType> type = RemoteCommands::limitTypeForItem(item);
    if (!client || !type)
        return;
    QSpinBox* field = m_controls.rconLimitsField;
    using Type = RemoteCommands::LimitType;
    switch (*type) {
    case Type::Frag:
        field->setValue(client->fragLimit());
        field->setSingleStep(coarseLimitStep);
        break;
    case Type::Time:
        field->setValue(client->timeLimit());
        field->setSingleStep(coarseLimitStep);
        break;
    case Type::Capture:
        field->setValue(client->captureLimit());
        field->setSingleStep(1);
        break;
    case Type::MaxPlayers:
        field->setValue(client->maxPlayers());
        field->setSingleStep(1);
        break;
    case Type::None:
        break;
    }
}

void RemoteControlActions::rconLimitsChange()
{
    const std::optional<RemoteCommands::LimitType> type =
        RemoteCommands::limitTypeForItem(m_controls.rconLimitsPopUpMenu->currentIndex());
    if (!m_pane.connected() || !type)
        return;
    const int value = m_controls.rconLimitsField->value();
    const std::optional<RemoteCommands::Sent> result =
        send([&](RemoteCommands& commands) { return commands.changeLimit(*type, value); });
    if (!result || !result->sent)
        return;
    // The server's own answer to the variable shows the value it took.
    const RemoteCommands::LimitType readBack = *type;
    holdInput(result->followUp.delaySeconds, [this, readBack] {
        send([readBack](RemoteCommands& commands) { return commands.readLimit(readBack); });
    });
}

// Bots ---------------------------------------------------------------------------------------

QColor RemoteControlActions::teamColor(int row)
{
    switch (RemoteCommands::teamForRow(row)) {
    case RemoteCommands::Team::Blue:
        return QColor::fromRgbF(0.3f, 0.3f, 1.0f, 1.0f);
    case RemoteCommands::Team::Red:
        return QColor::fromRgbF(1.0f, 0.3f, 0.3f, 1.0f);
    case RemoteCommands::Team::None:
        break;
    }
    return QColor::fromRgbF(0.8f, 0.85f, 0.85f, 1.0f);
}

void RemoteControlActions::rconTeamColorRadioClicked(int row)
{
    m_controls.rconBotsTeamColorView->setFillColor(teamColor(row));
    m_controls.rconBotsTeamColorView->update();
}

void RemoteControlActions::rconBotsAddBot()
{
    if (!m_pane.connected())
        return;
    const QList<int> rows = FormControls::selectedRows(m_controls.rconBotsTableView);
    const BotLibrary* bots = m_pane.shownBotLibrary();
    if (rows.isEmpty() || !bots) {
        QApplication::beep();
        return;
    }
    QStringList names;
    for (const int row : rows)
        names.append(bots->botNameAtIndex(row));
    const int skill = m_controls.rconBotsNumberField->value();
    const RemoteCommands::Team team =
        RemoteCommands::teamForRow(m_controls.rconBotsTeamColorMatrix->selectedTag());
    send([&](RemoteCommands& commands) { return commands.addBots(names, skill, team); },
         m_controls.addbotProgressCircle);
}

// The running configuration ------------------------------------------------------------------

void RemoteControlActions::rconRunConfig()
{
    const QString name = m_editor.controls().configNameFieldAdvTab->text();
    ServerConfig* config = m_state.store.find(name);
    if (!m_pane.connected() || name.isEmpty() || !config || config->rconPassword().isEmpty())
        return;
    if (m_editor.recordNeedsSaving())
        m_editor.extractFields(*config);
    const ServerConfig chosen = ServerConfig::copyOf(*config);
    const QString gameRoot = m_state.paths.qGameRootDir();
    const std::optional<RemoteCommands::Sent> result =
        m_pane.sendRemoteControlCommand([&](RemoteCommands& commands) {
            return commands.runConfig(chosen, gameRoot);
        });
    if (!result)
        return;
    if (result->wrongPassword) {
        emit quitServerRequested();
        return;
    }
    if (!result->sent)
        return;
    m_pane.setRconLimitFields();
    rconPopupClicked(m_controls.rconLimitsPopUpMenu->currentIndex());
    carryOut(result->followUp, nullptr);
}

bool RemoteControlActions::rconQuitServer()
{
    m_pane.invalidateAllTimers();
    const std::optional<RemoteCommands::Sent> result =
        send([](RemoteCommands& commands) { return commands.quit(); });
    m_pane.deactivateAllRconGUIButtons();
    return result && result->sent;
}
