#include "app/RemoteControlActions.h"

#include "app/FormControls.h"
#include "app/KZColorView.h"
#include "app/RadioMatrix.h"
#include "app/RemoteControlPane.h"
#include "content/BotLibrary.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerSession.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

// Frag and time limits change in fives, the others one by one.
constexpr int coarseLimitStep = 5;

} // namespace

RemoteControlActions::RemoteControlActions(RemoteControlPane& pane,
                                           const RemoteControlControls& controls, QObject* parent)
    : QObject(parent), m_pane(pane), m_controls(controls)
{
    m_previewRepeat.setInterval(previewRepeatMs);
    connect(&m_previewRepeat, &QTimer::timeout, this, [this] { rconPreviewNextMap(true); });
    wireControls();
}

void RemoteControlActions::wireControls()
{
    const RemoteControlControls& c = m_controls;
    connect(c.rconServerCommandSendButton, &QPushButton::clicked, this,
            &RemoteControlActions::sendCommandRequest);
    connect(c.rconRequestTextField, &QLineEdit::returnPressed, this,
            &RemoteControlActions::sendCommandRequest);
    connect(c.rconSayButton, &QPushButton::clicked, this, &RemoteControlActions::rconSay);
    connect(c.rconPlayersKickButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconPlayersKick);
    connect(c.rconPlayersDumpUserButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconPlayersDumpUser);
    connect(c.rconRestartCurrentMapButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconRestartCurrentMap);
    connect(c.rconChangeToNextMapButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconChangeToNextMap);
    connect(c.rconPreviewNextMapButton, &QPushButton::pressed, this, [this] {
        rconPreviewNextMap(true);
        m_previewRepeat.start();
    });
    connect(c.rconPreviewNextMapButton, &QPushButton::released, this, [this] {
        m_previewRepeat.stop();
        rconPreviewNextMap(false);
    });
    connect(c.rconLimitsPopUpMenu, &QComboBox::activated, this,
            &RemoteControlActions::rconPopupClicked);
    connect(c.rconLimitsChangeButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconLimitsChange);
    connect(c.rconBotsTeamColorMatrix, &RadioMatrix::choiceChanged, this,
            &RemoteControlActions::rconTeamColorRadioClicked);
    connect(c.rconBotsAddBotButton, &QPushButton::clicked, this,
            &RemoteControlActions::rconBotsAddBot);
}

ServerSession* RemoteControlActions::controlled() const
{
    ServerSession* session = m_pane.session();
    return session && session->state() == ServerSession::State::Controlled && session->connected()
               ? session
               : nullptr;
}

// Console and players ------------------------------------------------------------------------

void RemoteControlActions::sendCommandRequest()
{
    if (ServerSession* session = m_pane.session(); session && session->remoteControl())
        session->sendCommand(m_controls.rconRequestTextField->text());
}

void RemoteControlActions::rconSay()
{
    if (ServerSession* session = m_pane.session(); session && session->remoteControl())
        session->say(m_controls.rconRequestTextField->text());
}

void RemoteControlActions::rconPlayersKick()
{
    const int slot = m_pane.selectedPlayerSlot();
    if (ServerSession* session = controlled(); session && slot >= 0)
        session->kick(slot);
}

void RemoteControlActions::rconPlayersDumpUser()
{
    const int slot = m_pane.selectedPlayerSlot();
    if (ServerSession* session = controlled(); session && slot >= 0)
        session->dumpUser(slot);
}

// Maps ---------------------------------------------------------------------------------------

void RemoteControlActions::rconRestartCurrentMap()
{
    if (ServerSession* session = controlled())
        session->restartMap();
}

void RemoteControlActions::rconChangeToNextMap()
{
    if (ServerSession* session = controlled())
        session->changeToNextMap();
}

void RemoteControlActions::rconPreviewNextMap(bool held)
{
    ServerSession* session = m_pane.session();
    if (!session || !session->remoteControl())
        return;
    if (held)
        session->holdPreview();
    else
        session->releasePreview();
}

// Limits -------------------------------------------------------------------------------------

void RemoteControlActions::rconPopupClicked(int item)
{
    ServerSession* session = m_pane.session();
    const RemoteControl* client = session ? session->remoteControl() : nullptr;
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
    if (ServerSession* session = controlled(); session && type)
        session->changeLimit(*type, m_controls.rconLimitsField->value());
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
    ServerSession* session = controlled();
    if (!session)
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
    session->addBots(names, m_controls.rconBotsNumberField->value(),
                     RemoteCommands::teamForRow(m_controls.rconBotsTeamColorMatrix->selectedTag()));
}
