#include "app/RemoteControlPane.h"

#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/KeyedTableModel.h"
#include "app/PlayerHistoryChart.h"
#include "app/PlayersModel.h"
#include "app/RadioMatrix.h"
#include "config/StringTable.h"
#include "content/BotLibrary.h"
#include "content/MapLibrary.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerSession.h"
#include "rcon/ServerWatch.h"
#include "server/LogFollower.h"
#include "server/PlayerHistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>
#include <QTextEdit>
#include <QUrl>

RemoteControlPane::RemoteControlPane(ControllerState& state, const RemoteControlControls& controls,
                                     QObject* parent)
    : QObject(parent), m_state(state), m_controls(controls)
{
    wireControls();
    wireLog();
    showSession(nullptr);
}

RemoteControlPane::~RemoteControlPane() = default;

void RemoteControlPane::wireLog()
{
    m_log = new LogFollower(this);
    QPlainTextEdit* view = m_controls.serverLogView;
    // A maximum keeps a long session's view small; the file keeps everything.
    view->setMaximumBlockCount(LogFollower::shownLineCount * 2);
    connect(m_log, &LogFollower::started, this, [this, view](const QStringList& lines) {
        view->setPlainText(lines.join(QLatin1Char('\n')));
        view->setPlaceholderText(m_log->path().isEmpty()
                                     ? rconCommText(QStringLiteral("LogInTerminal"),
                                                    QStringLiteral("No log: the server's output "
                                                                   "shows in its terminal."))
                                     : QString());
        // At the last line's start: the view shows the end of the log from its left.
        view->moveCursor(QTextCursor::End);
        view->moveCursor(QTextCursor::StartOfLine);
        m_controls.openServerLogButton->setEnabled(!m_log->path().isEmpty());
    });
    connect(m_log, &LogFollower::linesAdded, this, [view](const QStringList& lines) {
        // Following the end only while the user has not scrolled up to read.
        QScrollBar* bar = view->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        for (const QString& line : lines)
            view->appendPlainText(line);
        if (atEnd)
            bar->setValue(bar->maximum());
    });
    connect(m_controls.historySpanMenu, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_controls.historyChart->setSpan(index == 1 ? PlayerHistoryChart::Span::Week
                                                    : PlayerHistoryChart::Span::Day);
        showHistory();
    });
    connect(m_controls.openServerLogButton, &QPushButton::clicked, this, [this] {
        if (!m_log->path().isEmpty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(m_log->path()));
    });
}

void RemoteControlPane::showWatch(ServerWatch* watch)
{
    if (watch == m_watch) {
        showPublicStatus();
        return;
    }
    for (const QMetaObject::Connection& connection : std::as_const(m_watchConnections))
        disconnect(connection);
    m_watchConnections.clear();
    m_watch = watch;
    if (watch)
        m_watchConnections = {
            connect(watch, &ServerWatch::reportChanged, this, &RemoteControlPane::showPublicStatus),
            connect(watch, &ServerWatch::sampled, this, &RemoteControlPane::showHistory)};
    showPublicStatus();
    showHistory();
}

namespace {

QString peopleText(const QueryReport& report)
{
    const std::optional<PeopleCount> count = report.count();
    const std::optional<int> most = report.maxClients();
    if (!count || !most)
        return {};
    const QString people =
        count->people == 1
            ? rconCommText(QStringLiteral("OnePerson"), QStringLiteral("1 person"))
            : rconCommText(QStringLiteral("PeopleCount"), QStringLiteral("%@ people"),
                           {QString::number(count->people)});
    const QString bots = count->bots == 1
                             ? rconCommText(QStringLiteral("OneBot"), QStringLiteral("1 bot"))
                             : rconCommText(QStringLiteral("BotsCount"), QStringLiteral("%@ bots"),
                                            {QString::number(count->bots)});
    return rconCommText(QStringLiteral("PlayersOfMost"), QStringLiteral("Players: %@, %@ of %@"),
                        {people, bots, QString::number(*most)});
}

// The players of a getstatus reply as the players table lists them (in the server's order;
// without remote control nobody is kicked, so the slot is only their place).
QList<PlayerStatus> publicPlayers(const QueryReport& report)
{
    QList<PlayerStatus> players;
    for (const QueryPlayer& player : report.players()) {
        PlayerStatus status;
        status.setSlot(int(players.size()));
        status.setName(player.name);
        status.setPing(QString::number(player.ping));
        status.setScore(QString::number(player.score));
        players.append(status);
    }
    return players;
}

} // namespace

void RemoteControlPane::showPublicStatus()
{
    const bool answered = m_watch && m_watch->report().answered();
    m_controls.rconPeopleField->setText(answered ? peopleText(m_watch->report()) : QString());
    // A server without remote control is shown as anyone sees it.
    if (!answered || !m_session || m_session->state() != ServerSession::State::Uncontrolled)
        return;
    const QueryReport& report = m_watch->report();
    m_playersModel->setPlayers(publicPlayers(report));
    m_controls.rconServerNameField->setText(InfoString::withoutColourCodes(report.hostName()));
    const QString map = report.mapName();
    showMap(
        rconCommText(QStringLiteral("RconCurrentMap"), QStringLiteral("Current map: %@"), {map}),
        map, m_state.theMapLibrary.get());
}

void RemoteControlPane::showHistory()
{
    PlayerHistoryChart* chart = m_controls.historyChart;
    if (!m_watch) {
        chart->setSamples({}, PlayerHistory(QString()).nowMinute());
        return;
    }
    const PlayerHistory& history = m_watch->history();
    const Result<PlayerHistory::Reading> read =
        history.readLast(PlayerHistoryChart::spanMinutes(chart->span()));
    chart->setSamples(read.ok() ? read.value.samples : QList<HistorySample>(), history.nowMinute());
}

void RemoteControlPane::showLog(const QString& logFile)
{
    m_log->follow(logFile);
}

void RemoteControlPane::wireControls()
{
    m_playersModel = new PlayersModel(this);
    // A player who leaves takes the selection along; the view would otherwise select the
    // next row, and Kick would act on a player nobody chose. Connected before the view's
    // own handler, which runs after this one.
    connect(m_playersModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                QItemSelectionModel* selection = m_controls.rconPlayersTableView->selectionModel();
                const int current = selection ? selection->currentIndex().row() : -1;
                if (current >= first && current <= last)
                    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            });
    m_controls.rconPlayersTableView->setModel(m_playersModel);
    // The name takes the room; ping and score are short numbers.
    QHeaderView* header = m_controls.rconPlayersTableView->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);

    m_botsModel = new KeyedTableModel({{QStringLiteral("botName"), tr("Bot")}}, this);
    m_controls.rconBotsTableView->setModel(m_botsModel);

    connect(m_controls.rconPlayersGetStatusButton, &QPushButton::clicked, this, [this] {
        if (m_session && m_session->connected())
            m_session->updateRemoteControlStatus(false);
    });
    connect(m_controls.rconPlayersGetStatusSwitch, &QCheckBox::toggled, this,
            &RemoteControlPane::automaticStatusToggled);
}

// The shown session ------------------------------------------------------------------------

void RemoteControlPane::showSession(ServerSession* session)
{
    for (const QMetaObject::Connection& connection : std::as_const(m_sessionConnections))
        disconnect(connection);
    m_sessionConnections.clear();
    m_session = session;
    m_controls.rconPlayersTableView->clearSelection();
    if (session)
        follow(session);
    stopProgressIndicators();
    showState();
    showNames();
    showPlayers();
    updateRemoteControlMapInfo();
    showResponse(session ? session->response() : QString());
    showAutomaticStatus(session && session->automaticStatus());
    if (session && session->automaticStatusSeconds() > 0)
        m_controls.rconPlayersGetStatusSecondsField->setValue(session->automaticStatusSeconds());
    reloadBots();
    setRconLimitFields();
}

void RemoteControlPane::follow(ServerSession* session)
{
    m_sessionConnections = {
        connect(session, &ServerSession::stateChanged, this,
                [this] {
                    showState();
                    // The client is made: the bots are the running server's now.
                    reloadBots();
                }),
        connect(session, &ServerSession::statusRefreshed, this,
                [this] {
                    showNames();
                    showPlayers();
                    updateRemoteControlMapInfo();
                }),
        connect(session, &ServerSession::shownMapChanged, this,
                &RemoteControlPane::updateRemoteControlMapInfo),
        connect(session, &ServerSession::limitsLoaded, this,
                &RemoteControlPane::setRconLimitFields),
        connect(session, &ServerSession::responseChanged, this, &RemoteControlPane::showResponse),
        connect(session, &ServerSession::automaticStatusChanged, this,
                &RemoteControlPane::showAutomaticStatus),
        connect(session, &ServerSession::progressStarted, this,
                [this](ServerSession::Progress progress) { startProgress(int(progress)); }),
        connect(session, &ServerSession::progressStopped, this,
                &RemoteControlPane::stopProgressIndicators),
        connect(session, &QObject::destroyed, this, [this] { showSession(nullptr); }),
    };
}

void RemoteControlPane::showState()
{
    if (m_session && m_session->state() == ServerSession::State::Controlled)
        activateAllRconGUIButtons();
    else
        deactivateAllRconGUIButtons();
}

void RemoteControlPane::showNames()
{
    const RemoteControl* client = m_session ? m_session->remoteControl() : nullptr;
    if (!client || m_session->state() != ServerSession::State::Controlled) {
        m_controls.rconServerNameField->setText(RemoteControl::unknownMap);
        m_controls.rconServerConfigNameField->setText(RemoteControl::unknownMap);
        return;
    }
    m_controls.rconServerNameField->setText(client->serverName());
    m_controls.rconServerConfigNameField->setText(client->runningServerConfigName());
}

void RemoteControlPane::showPlayers()
{
    m_playersModel->setPlayers(m_session ? m_session->players() : QList<PlayerStatus>());
}

void RemoteControlPane::showResponse(const QString& response)
{
    QTextEdit* view = m_controls.rconResponseTextView;
    view->setPlainText(response);
    view->moveCursor(QTextCursor::End);
    view->ensureCursorVisible();
}

void RemoteControlPane::showAutomaticStatus(bool on)
{
    {
        const QSignalBlocker blocker(m_controls.rconPlayersGetStatusSwitch);
        m_controls.rconPlayersGetStatusSwitch->setChecked(on);
    }
    // The interval cannot change while the automatic status runs with it.
    const bool controlled = m_session && m_session->state() == ServerSession::State::Controlled;
    m_controls.rconPlayersGetStatusSecondsField->setEnabled(controlled && !on);
}

void RemoteControlPane::automaticStatusToggled(bool on)
{
    if (!m_session) {
        showAutomaticStatus(false);
        return;
    }
    m_session->setAutomaticStatus(on, m_controls.rconPlayersGetStatusSecondsField->value());
}

// The map --------------------------------------------------------------------------------------

void RemoteControlPane::updateRemoteControlMapInfo()
{
    const RemoteControl* client = m_session ? m_session->remoteControl() : nullptr;
    if (!client || !client->serverStatusOK() || client->wrongPassword() ||
        m_session->state() != ServerSession::State::Controlled) {
        clearRconFields();
        return;
    }
    if (m_session->showingNextMap())
        showMap(rconCommText(QStringLiteral("RconNextMap"), QStringLiteral("Next map: %@"),
                             {client->nextMap()}),
                client->nextMap(), client->rconMapLibrary().get());
    else
        showMap(rconCommText(QStringLiteral("RconCurrentMap"), QStringLiteral("Current map: %@"),
                             {client->currentMap()}),
                client->currentMap(), client->rconMapLibrary().get());
}

void RemoteControlPane::showMap(const QString& label, const QString& map, MapLibrary* library)
{
    m_controls.rconCurrentMapNameField->setText(label);
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

void RemoteControlPane::clearRconFields()
{
    m_controls.rconCurrentMapNameField->setText(rconCommText(QStringLiteral("RconCurrentMap"),
                                                             QStringLiteral("Current map: %@"),
                                                             {QStringLiteral("-")}) +
                                                QLatin1Char(' '));
    m_controls.rconCurrentMapImageView->clear();
    m_controls.rconCurrentMapImageView->setAccessibleDescription(QString());
    m_controls.rconCurrentMapTitleField->setText(RemoteControl::unknownMap);
}

// Enabling -------------------------------------------------------------------------------------

QList<QWidget*> RemoteControlPane::commandControls() const
{
    const RemoteControlControls& c = m_controls;
    // The Say button goes with the request field it sends.
    return {c.rconRequestTextField,        c.rconBotsAddBotButton,   c.rconPreviewNextMapButton,
            c.rconChangeToNextMapButton,   c.rconLimitsChangeButton, c.rconPlayersGetStatusButton,
            c.rconPlayersDumpUserButton,   c.rconPlayersKickButton,  c.rconRestartCurrentMapButton,
            c.rconServerCommandSendButton, c.rconSayButton,          c.rconLimitsField,
            c.rconLimitsPopUpMenu,         c.rconQuitServerButton,   c.rconPlayersGetStatusSwitch};
}

void RemoteControlPane::activateAllRconGUIButtons()
{
    for (QWidget* control : commandControls())
        control->setEnabled(true);
    m_controls.rconPlayersGetStatusSecondsField->setEnabled(
        !(m_session && m_session->automaticStatus()));
}

void RemoteControlPane::deactivateAllRconGUIButtons()
{
    for (QWidget* control : commandControls())
        control->setEnabled(false);
    m_controls.rconPlayersGetStatusSecondsField->setEnabled(false);
}

void RemoteControlPane::setRconLimitFields()
{
    const RemoteControl* client = m_session ? m_session->remoteControl() : nullptr;
    if (!client || client->runningServerConfigName().isEmpty())
        return;
    // The field shows the frag limit: the pop-up says so.
    const QSignalBlocker blocker(m_controls.rconLimitsPopUpMenu);
    m_controls.rconLimitsPopUpMenu->setCurrentIndex(int(RemoteCommands::LimitType::Frag));
    m_controls.rconLimitsField->setValue(client->fragLimit());
}

// Tables and indicators --------------------------------------------------------------------------

const BotLibrary* RemoteControlPane::shownBotLibrary() const
{
    const RemoteControl* client = m_session ? m_session->remoteControl() : nullptr;
    if (client && client->rconBotLibrary())
        return client->rconBotLibrary().get();
    return m_state.theBotLibrary.get();
}

void RemoteControlPane::reloadBots()
{
    QStringList names;
    if (const BotLibrary* bots = shownBotLibrary())
        for (int row = 0; row < bots->numberOfBots(); ++row)
            names.append(bots->botNameAtIndex(row));
    QList<KeyedTableModel::Row> rows;
    for (const QString& name : std::as_const(names))
        rows.append({name, {{QStringLiteral("botName"), name}}});
    if (rows.size() == m_botsModel->rows().size() &&
        std::equal(rows.cbegin(), rows.cend(), m_botsModel->rows().cbegin(),
                   [](const auto& a, const auto& b) { return a.key == b.key; }))
        return;
    m_botsModel->setRows(rows);
    // A table filled anew offers its first bot.
    FormControls::selectRow(m_controls.rconBotsTableView, 0);
}

int RemoteControlPane::selectedPlayerSlot() const
{
    const QList<int> rows = FormControls::selectedRows(m_controls.rconPlayersTableView);
    return rows.isEmpty() ? -1 : m_playersModel->slotAt(rows.first());
}

void RemoteControlPane::startProgress(int progress)
{
    switch (ServerSession::Progress(progress)) {
    case ServerSession::Progress::NextMap:
        m_controls.nextMapProgressCircle->show();
        break;
    case ServerSession::Progress::RestartMap:
        m_controls.restartMapProgressCircle->show();
        break;
    case ServerSession::Progress::AddBot:
        m_controls.addbotProgressCircle->show();
        break;
    }
}

void RemoteControlPane::stopProgressIndicators()
{
    for (QProgressBar* indicator :
         {m_controls.nextMapProgressCircle, m_controls.restartMapProgressCircle,
          m_controls.addbotProgressCircle})
        indicator->hide();
}
