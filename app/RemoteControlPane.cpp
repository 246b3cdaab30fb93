#include "app/RemoteControlPane.h"

#include "app/AlertPresenter.h"
#include "app/CallbackTableModel.h"
#include "app/ControllerState.h"
#include "app/MainWindow.h"
#include "app/RadioMatrix.h"
#include "config/StringTable.h"
#include "content/BotLibrary.h"
#include "content/MapLibrary.h"
#include "rcon/RconAlerts.h"
#include "rcon/RemoteControl.h"
#include "rcon/RemoteControlServices.h"
#include "server/ServerLauncher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>
#include <QTextEdit>

const QString RemoteControlPane::supportAddress =
    QStringLiteral("https://github.com/voranth/voranth/issues");

namespace {

// The wrong-password alert of the channel, as a sheet on the main window.
class WindowRconAlerts : public RconAlerts
{
public:
    WindowRconAlerts(AlertPresenter& alerts, QWidget& window) : m_alerts(alerts), m_window(window)
    {}
    void showRconPasswordError(const QString& title, const QString& message) override
    {
        m_alerts.show(&m_window, {title, message.trimmed(), {QStringLiteral("OK")}, true});
    }

private:
    AlertPresenter& m_alerts;
    QWidget& m_window;
};

int secondsToMs(double seconds)
{
    return int(seconds * 1000.0 + 0.5);
}

} // namespace

RemoteControlPane::RemoteControlPane(ControllerState& state, const RemoteControlControls& controls,
                                     QObject* parent)
    : QObject(parent), m_state(state), m_controls(controls),
      m_rconAlerts(std::make_unique<WindowRconAlerts>(state.alerts, state.window))
{
    m_oneStatusTimer.setSingleShot(true);
    connect(&m_initTimer, &QTimer::timeout, this, &RemoteControlPane::tryInitRemoteControl);
    connect(&m_statusTimer, &QTimer::timeout, this, &RemoteControlPane::automaticStatusTick);
    connect(&m_oneStatusTimer, &QTimer::timeout, this, &RemoteControlPane::oneShotStatusFired);
    wireControls();
    updateAllRconFieldsAsServerDown();
}

RemoteControlPane::~RemoteControlPane() = default;

void RemoteControlPane::wireControls()
{
    m_playersModel = new CallbackTableModel(
        {QStringLiteral("name"), QStringLiteral("ping"), QStringLiteral("score")},
        [this] {
            const auto& players =
                m_remoteControl ? m_remoteControl->playersStatus() : std::nullopt;
            return players ? int(players->size()) : 0;
        },
        [this](int row, const QString& column) -> QVariant {
            if (!m_remoteControl || !m_remoteControl->playersStatus())
                return {};
            const PlayerStatus& player = m_remoteControl->playersStatus()->at(row);
            if (column == QLatin1String("name"))
                return player.name();
            return (column == QLatin1String("ping") ? player.ping() : player.score()).trimmed();
        },
        this);
    m_playersModel->setHeaders({tr("Name"), tr("Ping"), tr("Score")});
    m_controls.rconPlayersTableView->setModel(m_playersModel);
    // The name takes the room; ping and score are short numbers.
    QHeaderView* header = m_controls.rconPlayersTableView->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);

    m_botsModel = new CallbackTableModel(
        {QStringLiteral("botName")},
        [this] {
            const BotLibrary* bots = shownBotLibrary();
            return bots ? bots->numberOfBots() : 0;
        },
        [this](int row, const QString&) -> QVariant {
            const BotLibrary* bots = shownBotLibrary();
            return bots ? bots->botNameAtIndex(row) : QString();
        },
        this);
    m_botsModel->setHeaders({tr("Bot")});
    m_controls.rconBotsTableView->setModel(m_botsModel);

    connect(m_controls.rconPlayersGetStatusButton, &QPushButton::clicked, this,
            &RemoteControlPane::rconPlayersGetStatus);
    connect(m_controls.rconPlayersGetStatusSwitch, &QCheckBox::toggled, this,
            &RemoteControlPane::rconPlayersGetStatusAuto);
}

bool RemoteControlPane::connected() const
{
    return m_remoteControl && m_remoteControl->connectedToServer();
}

// Connecting -------------------------------------------------------------------------------

void RemoteControlPane::waitThenTryInitRemoteControl(double intervalSeconds)
{
    if (m_initTimer.isActive())
        return;
    m_initTimer.start(secondsToMs(intervalSeconds));
}

void RemoteControlPane::invalidateRemoteControlInitTimer()
{
    m_initTimer.stop();
}

std::shared_ptr<MapLibrary> RemoteControlPane::mapLibraryFor(const ServerConfig& config) const
{
    const QString mod = config.modName().isEmpty() ? m_state.paths.qGameModDir() : config.modName();
    if (m_state.theMapLibrary && m_state.theMapLibrary->mod() == mod)
        return m_state.theMapLibrary;
    return std::make_shared<MapLibrary>(m_state.paths.withMod(mod));
}

bool RemoteControlPane::createRemoteControl()
{
    // The server as the launcher recorded it, whatever configuration the editor shows now.
    const std::optional<RunningServer::Record> record = ServerLauncher::runningServer();
    if (!record)
        return false;
    m_remoteControl = RemoteControl::create(
        record->config, RemoteControlServices::forRecordedServer(mapLibraryFor(record->config),
                                                                 m_rconAlerts.get()));
    if (m_remoteControl)
        reloadBots();
    return m_remoteControl != nullptr;
}

void RemoteControlPane::tryInitRemoteControl()
{
    // An attempt waits for its reply in a nested event loop, where the next tick may come.
    if (m_tryingInit)
        return;
    m_tryingInit = true;
    const auto done = qScopeGuard([this] { m_tryingInit = false; });
    emit initAttempted();

    if (!m_remoteControl && !createRemoteControl()) {
        if (m_failedRemoteControlInits > maxFailedInitsWithoutProcess)
            giveUpConnecting(
                QStringLiteral("RconStartServerFailedTitle"),
                QStringLiteral("Starting up Server failed!"),
                QStringLiteral("RconStartServerFailedMsg"),
                QStringLiteral("Could not find any running game server process. Please check the "
                               "startup string at top of your foremost Terminal window. Please "
                               "insert this string into a Bug Report and send it to"));
        else
            ++m_failedRemoteControlInits;
        return;
    }
    const std::shared_ptr<const bool> alive = m_remoteControl->lifeToken();
    if (updateRemoteControlStatus(true)) {
        invalidateRemoteControlInitTimer();
        activateAllRconGUIButtons();
        m_failedRemoteControlInits = 0;
        emit serverControlled();
        return;
    }
    // Quit meanwhile: nothing left to try.
    if (!*alive || !m_initTimer.isActive())
        return;
    if (m_remoteControl->wrongPassword()) {
        m_failedRemoteControlInits = 0;
        emit quitServerRequested();
        return;
    }
    if (m_failedRemoteControlInits > maxFailedInitsWithoutReply)
        giveUpConnecting(
            QStringLiteral("RconCommFailureTitle"),
            QStringLiteral("Game server communication failure!"),
            QStringLiteral("RconCommFailureMsg"),
            QStringLiteral("Unable to set up a communication channel with your Quake3 server "
                           "application. Please copy the complete log text of your foremost "
                           "Terminal window. Please insert this string into a Bug Report and "
                           "send to"));
    else
        ++m_failedRemoteControlInits;
}

void RemoteControlPane::giveUpConnecting(const QString& titleKey, const QString& title,
                                         const QString& msgKey, const QString& msg)
{
    m_failedRemoteControlInits = 0;
    emit quitServerRequested();
    m_state.alerts.show(&m_state.window,
                        {rconCommText(titleKey, title),
                         rconCommText(msgKey, msg) + QLatin1Char(' ') + supportAddress +
                             QLatin1Char('.'),
                         {QStringLiteral("OK")},
                         true});
}

// The sender ---------------------------------------------------------------------------------

std::optional<RemoteCommands::Sent>
RemoteControlPane::sendRemoteControlCommand(const Command& command)
{
    if (m_rconLocked || !m_remoteControl)
        return std::nullopt;
    const std::shared_ptr<const bool> alive = m_remoteControl->lifeToken();
    m_rconLocked = true;
    RemoteCommands commands(*m_remoteControl);
    RemoteCommands::Sent result = command(commands);
    // A quit during the exchange has released the client and the flag already.
    if (!*alive)
        return result;
    m_rconLocked = false;
    if (!result.refusal.isEmpty())
        showResponse({result.refusal});
    else if (result.visible)
        showResponse(result.replies);
    return result;
}

void RemoteControlPane::showResponse(const QStringList& replies)
{
    QTextEdit* view = m_controls.rconResponseTextView;
    view->setPlainText(replies.join(QString()));
    view->moveCursor(QTextCursor::End);
    view->ensureCursorVisible();
}

// Status -------------------------------------------------------------------------------------

bool RemoteControlPane::updateRemoteControlStatus(bool complete, RconPacer::Traffic traffic)
{
    if (m_rconLocked || !m_remoteControl)
        return false;
    RemoteControl& client = *m_remoteControl;
    const std::shared_ptr<const bool> alive = client.lifeToken();
    m_rconLocked = true;
    const RemoteCommands::Refresh refresh = RemoteCommands(client).refreshStatus(traffic);
    if (!*alive)
        return false;
    m_rconLocked = false;
    if (refresh != RemoteCommands::Refresh::Refreshed)
        return false;
    if (complete) {
        updateAllRconFieldsAsServerRunning(false);
        client.setServerNameFromConfig(client.rconServerConfig().serverName());
    }
    m_controls.rconServerNameField->setText(client.serverName());
    m_controls.rconServerConfigNameField->setText(client.runningServerConfigName());
    updateRemoteControlMapInfo(false);
    reloadPlayers();
    emit statusRefreshed();
    return true;
}

void RemoteControlPane::updateRemoteControlMapInfo(bool showNext)
{
    if (!m_remoteControl || m_remoteControl->wrongPassword() ||
        !m_remoteControl->serverStatusOK())
        return;
    const RemoteControl& client = *m_remoteControl;
    if (showNext && client.nextMap() != RemoteControl::unknownMap)
        showMap(rconCommText(QStringLiteral("RconNextMap"), QStringLiteral("Next map: %@"),
                             {client.nextMap()}),
                client.nextMap());
    else
        showMap(rconCommText(QStringLiteral("RconCurrentMap"), QStringLiteral("Current map: %@"),
                             {client.currentMap()}),
                client.currentMap());
}

void RemoteControlPane::showMap(const QString& label, const QString& map)
{
    m_controls.rconCurrentMapNameField->setText(label);
    const std::shared_ptr<MapLibrary>& library = m_remoteControl->rconMapLibrary();
    if (!library) {
        m_controls.rconCurrentMapTitleField->setText(RemoteControl::unknownMap);
        m_controls.rconCurrentMapImageView->clear();
        m_controls.rconCurrentMapImageView->setAccessibleDescription(QString());
        return;
    }
    const QString title = library->mapTitleForMap(map);
    m_controls.rconCurrentMapTitleField->setText(title);
    m_controls.rconCurrentMapImageView->setPixmap(QPixmap::fromImage(library->mapImageForMap(map)));
    m_controls.rconCurrentMapImageView->setAccessibleDescription(
        tr("Level shot of %1 (%2)").arg(title, map));
}

void RemoteControlPane::updateAllRconFieldsAsServerRunning(bool withStatus)
{
    activateAllRconGUIButtons();
    setRconLimitFields();
    if (m_remoteControl)
        m_remoteControl->setCurrentMap();
    if (withStatus)
        updateRemoteControlStatus(true);
}

void RemoteControlPane::updateAllRconFieldsAsServerDown()
{
    deactivateAllRconGUIButtons();
    clearRconFields();
}

void RemoteControlPane::clearRconFields()
{
    m_controls.rconServerNameField->setText(RemoteControl::unknownMap);
    m_controls.rconServerConfigNameField->setText(RemoteControl::unknownMap);
    m_controls.rconCurrentMapNameField->setText(rconCommText(
        QStringLiteral("RconCurrentMap"), QStringLiteral("Current map: %@"), {QStringLiteral("-")}) +
                                                QLatin1Char(' '));
    m_controls.rconCurrentMapImageView->clear();
    m_controls.rconCurrentMapImageView->setAccessibleDescription(QString());
    m_controls.rconCurrentMapTitleField->setText(RemoteControl::unknownMap);
    reloadPlayers();
}

QList<QWidget*> RemoteControlPane::commandControls() const
{
    const RemoteControlControls& c = m_controls;
    return {c.rconRequestTextField,        c.rconBotsAddBotButton,
            c.rconPreviewNextMapButton,    c.rconChangeToNextMapButton,
            c.rconLimitsChangeButton,      c.rconPlayersGetStatusButton,
            c.rconPlayersDumpUserButton,   c.rconPlayersKickButton,
            c.rconRestartCurrentMapButton, c.rconServerCommandSendButton,
            c.rconSayButton,               c.rconLimitsField,
            c.rconLimitsPopUpMenu,         c.rconQuitServerButton,
            c.rconPlayersGetStatusSwitch,  c.rconBotsNumberField,
            c.rconBotsTeamColorMatrix};
}

void RemoteControlPane::activateAllRconGUIButtons()
{
    for (QWidget* control : commandControls())
        control->setEnabled(true);
    // The interval cannot change while the automatic status runs with it.
    m_controls.rconPlayersGetStatusSecondsField->setEnabled(!m_statusTimer.isActive());
}

void RemoteControlPane::deactivateAllRconGUIButtons()
{
    for (QWidget* control : commandControls())
        control->setEnabled(false);
    m_controls.rconPlayersGetStatusSecondsField->setEnabled(false);
}

void RemoteControlPane::setRconLimitFields()
{
    if (!m_remoteControl || m_remoteControl->runningServerConfigName().isEmpty())
        return;
    RemoteControl& client = *m_remoteControl;
    const ServerConfig& running = client.rconServerConfig();
    client.setFragLimit(running.fragLimit());
    client.setTimeLimit(running.timeLimit());
    client.setCaptureLimit(running.captureLimit());
    client.setMaxPlayers(running.maxPlayers());
    // The field shows the frag limit: the pop-up says so.
    const QSignalBlocker blocker(m_controls.rconLimitsPopUpMenu);
    m_controls.rconLimitsPopUpMenu->setCurrentIndex(int(RemoteCommands::LimitType::Frag));
    m_controls.rconLimitsField->setValue(client.fragLimit());
}

// Timers -------------------------------------------------------------------------------------

void RemoteControlPane::waitThenGetStatus(double delaySeconds, bool complete)
{
    if (m_oneStatusTimer.isActive())
        return;
    // Held until the timer fires: no other exchange, no automatic poll in between.
    m_rconLocked = true;
    m_oneStatusComplete = complete;
    m_oneStatusTimer.start(secondsToMs(delaySeconds));
}

void RemoteControlPane::oneShotStatusFired()
{
    m_rconLocked = false;
    updateRemoteControlStatus(m_oneStatusComplete);
    stopProgressIndicators();
}

void RemoteControlPane::automaticStatusTick()
{
    // Skipped while busy; under the rate limit the poll gives way to commands.
    if (!m_rconLocked)
        updateRemoteControlStatus(false, RconPacer::Traffic::Poll);
}

void RemoteControlPane::rconPlayersGetStatus()
{
    if (connected())
        updateRemoteControlStatus(false);
}

void RemoteControlPane::rconPlayersGetStatusAuto(bool on)
{
    QSpinBox* seconds = m_controls.rconPlayersGetStatusSecondsField;
    if (!on) {
        invalidateAutoStatusTimer();
        seconds->setEnabled(m_remoteControl != nullptr);
        return;
    }
    if (!connected()) {
        const QSignalBlocker blocker(m_controls.rconPlayersGetStatusSwitch);
        m_controls.rconPlayersGetStatusSwitch->setChecked(false);
        return;
    }
    const std::shared_ptr<const bool> alive = m_remoteControl->lifeToken();
    updateRemoteControlStatus(false);
    if (!*alive)
        return;
    if (m_remoteControl->wrongPassword()) {
        emit quitServerRequested();
        return;
    }
    seconds->setEnabled(false);
    m_statusTimer.start(std::max(1, seconds->value()) * 1000);
}

void RemoteControlPane::invalidateAutoStatusTimer()
{
    m_statusTimer.stop();
}

void RemoteControlPane::invalidateOneStatusTimer()
{
    if (!m_oneStatusTimer.isActive())
        return;
    m_oneStatusTimer.stop();
    // The flag was the pending refresh's; it goes with it.
    m_rconLocked = false;
}

void RemoteControlPane::invalidateAllTimers()
{
    invalidateRemoteControlInitTimer();
    invalidateAutoStatusTimer();
    invalidateOneStatusTimer();
}

void RemoteControlPane::releaseRemoteControl()
{
    invalidateAllTimers();
    {
        const QSignalBlocker blocker(m_controls.rconPlayersGetStatusSwitch);
        m_controls.rconPlayersGetStatusSwitch->setChecked(false);
    }
    m_remoteControl.reset();
    m_rconLocked = false;
    m_failedRemoteControlInits = 0;
    stopProgressIndicators();
    updateAllRconFieldsAsServerDown();
    reloadBots();
    emit remoteControlReleased();
}

// Tables and indicators ----------------------------------------------------------------------

const BotLibrary* RemoteControlPane::shownBotLibrary() const
{
    if (m_remoteControl && m_remoteControl->rconBotLibrary())
        return m_remoteControl->rconBotLibrary().get();
    return m_state.theBotLibrary.get();
}

void RemoteControlPane::reloadBots()
{
    m_botsModel->reload();
}

void RemoteControlPane::reloadPlayers()
{
    m_playersModel->reload();
}

void RemoteControlPane::startProgress(QProgressBar* indicator)
{
    indicator->show();
}

void RemoteControlPane::stopProgressIndicators()
{
    for (QProgressBar* indicator : {m_controls.nextMapProgressCircle,
                                    m_controls.restartMapProgressCircle,
                                    m_controls.addbotProgressCircle})
        indicator->hide();
}
