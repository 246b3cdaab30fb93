#include "app/RemoteControlView.h"

#include "app/ElidedLabel.h"
#include "app/FormControls.h"
#include "app/KZColorView.h"
#include "app/PlayerHistoryChart.h"
#include "app/RadioMatrix.h"
#include "config/GameLimits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace FormControls;

namespace {

constexpr int maxStatusSeconds = 3600;
using GameLimits::maxBotSkill;
using GameLimits::maxLimit;
using GameLimits::minBotSkill;

// A name or title the server sends, shown without its colour codes and cut to the room the
// window has: a server can send one of thousands of characters.
ElidedLabel* label(const QString& name, QWidget* parent)
{
    auto* l = new ElidedLabel(parent, ElidedLabel::ColourCodes::Stripped);
    l->setObjectName(name);
    l->setText(QStringLiteral(" - "));
    return l;
}

// A busy indicator: an indeterminate bar, hidden while stopped.
QProgressBar* progressCircle(const QString& name, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setMaximumSize(40, 10);
    bar->hide();
    return bar;
}

} // namespace

RemoteControlView::RemoteControlView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("remoteControlView"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(makeServerBox(), 0, 0);
    layout->addWidget(makeBotsBox(), 0, 1);
    layout->addWidget(makePlayersBox(), 1, 0);
    layout->addWidget(makeConsoleBox(), 1, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);
}

QWidget* RemoteControlView::makeServerBox()
{
    RemoteControlControls& c = m_controls;
    auto* box = new QGroupBox(tr("Server"), this);
    auto* layout = new QHBoxLayout(box);
    c.rconCurrentMapImageView = new QLabel(box);
    c.rconCurrentMapImageView->setObjectName(QStringLiteral("rconCurrentMapImageView"));
    c.rconCurrentMapImageView->setFixedSize(160, 120);
    c.rconCurrentMapImageView->setScaledContents(true);
    c.rconCurrentMapImageView->setFrameShape(QFrame::StyledPanel);
    c.rconCurrentMapImageView->setAccessibleName(tr("Level shot of the current map"));
    layout->addWidget(c.rconCurrentMapImageView);

    auto* form = new QFormLayout;
    c.rconServerNameField = label(QStringLiteral("rconServerNameField"), box);
    form->addRow(tr("Name:"), c.rconServerNameField);
    c.rconServerConfigNameField = label(QStringLiteral("rconServerConfigNameField"), box);
    form->addRow(tr("Configuration:"), c.rconServerConfigNameField);
    c.rconCurrentMapNameField = label(QStringLiteral("rconCurrentMapNameField"), box);
    c.rconCurrentMapNameField->setText(QStringLiteral("Current map: - "));
    form->addRow(c.rconCurrentMapNameField);
    c.rconCurrentMapTitleField = label(QStringLiteral("rconCurrentMapTitleField"), box);
    form->addRow(tr("Title:"), c.rconCurrentMapTitleField);

    auto* mapButtons = new QHBoxLayout;
    c.rconPreviewNextMapButton =
        pushButton(QStringLiteral("rconPreviewNextMapButton"), tr("Next Map?"), box);
    mapButtons->addWidget(c.rconPreviewNextMapButton);
    c.nextMapProgressCircle = progressCircle(QStringLiteral("nextMapProgressCircle"), box);
    mapButtons->addWidget(c.nextMapProgressCircle);
    c.rconChangeToNextMapButton =
        pushButton(QStringLiteral("rconChangeToNextMapButton"), tr("Go to Next Map"), box);
    mapButtons->addWidget(c.rconChangeToNextMapButton);
    c.rconRestartCurrentMapButton =
        pushButton(QStringLiteral("rconRestartCurrentMapButton"), tr("Restart Map"), box);
    mapButtons->addWidget(c.rconRestartCurrentMapButton);
    c.restartMapProgressCircle = progressCircle(QStringLiteral("restartMapProgressCircle"), box);
    mapButtons->addWidget(c.restartMapProgressCircle);
    form->addRow(mapButtons);

    auto* limits = new QHBoxLayout;
    c.rconLimitsPopUpMenu = new QComboBox(box);
    c.rconLimitsPopUpMenu->setObjectName(QStringLiteral("rconLimitsPopUpMenu"));
    c.rconLimitsPopUpMenu->setAccessibleName(tr("Limit"));
    // Items in the order of the limit types; item 3 stands for no limit and cannot be chosen.
    c.rconLimitsPopUpMenu->addItems({tr("Frag limit"), tr("Time limit"), tr("Capture limit")});
    c.rconLimitsPopUpMenu->insertSeparator(3);
    c.rconLimitsPopUpMenu->addItem(tr("Max players"));
    limits->addWidget(c.rconLimitsPopUpMenu);
    c.rconLimitsField = numberField(QStringLiteral("rconLimitsField"), 0, maxLimit, box);
    c.rconLimitsField->setAccessibleName(tr("Value of the limit"));
    limits->addWidget(c.rconLimitsField);
    c.rconLimitsChangeButton =
        pushButton(QStringLiteral("rconLimitsChangeButton"), tr("Change"), box);
    limits->addWidget(c.rconLimitsChangeButton);
    form->addRow(limits);
    layout->addLayout(form, 1);
    return box;
}

QWidget* RemoteControlView::makePlayersBox()
{
    RemoteControlControls& c = m_controls;
    auto* box = new QGroupBox(tr("Players"), this);
    auto* layout = new QVBoxLayout(box);
    c.rconPeopleField = new QLabel(box);
    c.rconPeopleField->setObjectName(QStringLiteral("rconPeopleField"));
    layout->addWidget(c.rconPeopleField);
    c.rconPlayersTableView = plainTable(QStringLiteral("rconPlayersTableView"), box);
    c.rconPlayersTableView->setAccessibleName(tr("Players"));
    c.rconPlayersTableView->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(c.rconPlayersTableView, 1);
    auto* buttons = new QHBoxLayout;
    c.rconPlayersGetStatusButton =
        pushButton(QStringLiteral("rconPlayersGetStatusButton"), tr("Get Status"), box);
    buttons->addWidget(c.rconPlayersGetStatusButton);
    c.rconPlayersGetStatusSwitch =
        switchButton(QStringLiteral("rconPlayersGetStatusSwitch"), tr("Every"), box);
    buttons->addWidget(c.rconPlayersGetStatusSwitch);
    c.rconPlayersGetStatusSecondsField =
        numberField(QStringLiteral("rconPlayersGetStatusSecondsField"), 1, maxStatusSeconds, box);
    c.rconPlayersGetStatusSecondsField->setAccessibleName(tr("Seconds between statuses"));
    buttons->addWidget(c.rconPlayersGetStatusSecondsField);
    buttons->addWidget(new QLabel(tr("seconds"), box));
    buttons->addStretch();
    c.rconPlayersDumpUserButton =
        pushButton(QStringLiteral("rconPlayersDumpUserButton"), tr("Player Info"), box);
    buttons->addWidget(c.rconPlayersDumpUserButton);
    c.rconPlayersKickButton = pushButton(QStringLiteral("rconPlayersKickButton"), tr("Kick"), box);
    buttons->addWidget(c.rconPlayersKickButton);
    layout->addLayout(buttons);
    return box;
}

QWidget* RemoteControlView::makeBotsBox()
{
    RemoteControlControls& c = m_controls;
    auto* box = new QGroupBox(tr("Add bot"), this);
    auto* layout = new QHBoxLayout(box);
    c.rconBotsTableView = plainTable(QStringLiteral("rconBotsTableView"), box);
    c.rconBotsTableView->setAccessibleName(tr("Bots to add"));
    c.rconBotsTableView->horizontalHeader()->hide();
    c.rconBotsTableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(c.rconBotsTableView, 1);
    auto* options = new QFormLayout;
    c.rconBotsNumberField =
        numberField(QStringLiteral("rconBotsNumberField"), minBotSkill, maxBotSkill, box);
    options->addRow(tr("Skill:"), c.rconBotsNumberField);
    c.rconBotsTeamColorMatrix =
        new RadioMatrix({tr("No team"), tr("Blue"), tr("Red")}, Qt::Vertical, box);
    c.rconBotsTeamColorMatrix->setObjectName(QStringLiteral("rconBotsTeamColorMatrix"));
    c.rconBotsTeamColorView = new KZColorView(box);
    c.rconBotsTeamColorView->setObjectName(QStringLiteral("rconBotsTeamColorView"));
    c.rconBotsTeamColorView->setFixedSize(24, 24);
    auto* teamRow = new QHBoxLayout;
    teamRow->addWidget(c.rconBotsTeamColorMatrix);
    teamRow->addWidget(c.rconBotsTeamColorView, 0, Qt::AlignTop);
    options->addRow(tr("Team:"), teamRow);
    auto* add = new QHBoxLayout;
    c.rconBotsAddBotButton = pushButton(QStringLiteral("rconBotsAddBotButton"), tr("Add Bot"), box);
    add->addWidget(c.rconBotsAddBotButton);
    c.addbotProgressCircle = progressCircle(QStringLiteral("addbotProgressCircle"), box);
    add->addWidget(c.addbotProgressCircle);
    options->addRow(add);
    layout->addLayout(options);
    return box;
}

namespace {

// Lays out a page of the console's tabs: its view filling it, a row of controls beneath.
QWidget* laidOutPage(QWidget* page, QWidget* view, QHBoxLayout* row)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 1);
    layout->addLayout(row);
    return page;
}

} // namespace

QWidget* RemoteControlView::makeLogPage(QWidget* parent)
{
    RemoteControlControls& c = m_controls;
    auto* page = new QWidget(parent);
    c.serverLogView = new QPlainTextEdit(page);
    c.serverLogView->setObjectName(QStringLiteral("serverLogView"));
    c.serverLogView->setReadOnly(true);
    c.serverLogView->setLineWrapMode(QPlainTextEdit::NoWrap);
    c.serverLogView->setAccessibleName(tr("Log of the server"));
    useFixedFont(c.serverLogView, 9);
    c.openServerLogButton =
        pushButton(QStringLiteral("openServerLogButton"), tr("&Open Log"), page);
    c.openServerLogButton->setToolTip(tr("Opens the log in the desktop's text viewer"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(c.openServerLogButton);
    return laidOutPage(page, c.serverLogView, buttons);
}

QWidget* RemoteControlView::makeHistoryPage(QWidget* parent)
{
    RemoteControlControls& c = m_controls;
    auto* page = new QWidget(parent);
    c.historyChart = new PlayerHistoryChart(page);
    c.historyChart->setObjectName(QStringLiteral("historyChart"));
    c.historySpanMenu = new QComboBox(page);
    c.historySpanMenu->setObjectName(QStringLiteral("historySpanMenu"));
    c.historySpanMenu->addItems({tr("Last 24 hours"), tr("Last 7 days")});
    c.historySpanMenu->setAccessibleName(tr("Span of the player history"));
    auto* row = new QHBoxLayout;
    row->addWidget(c.historySpanMenu);
    row->addStretch();
    return laidOutPage(page, c.historyChart, row);
}

QWidget* RemoteControlView::makeConsoleBox()
{
    RemoteControlControls& c = m_controls;
    auto* box = new QGroupBox(tr("Console"), this);
    auto* layout = new QVBoxLayout(box);
    auto* pages = new QTabWidget(box);
    pages->setObjectName(QStringLiteral("consolePages"));
    pages->setDocumentMode(true);
    c.rconResponseTextView = new QTextEdit(pages);
    c.rconResponseTextView->setObjectName(QStringLiteral("rconResponseTextView"));
    c.rconResponseTextView->setReadOnly(true);
    c.rconResponseTextView->setAccessibleName(tr("Replies of the server"));
    useFixedFont(c.rconResponseTextView, 9);
    pages->addTab(c.rconResponseTextView, tr("&Replies"));
    pages->addTab(makeLogPage(pages), tr("Server &Log"));
    pages->addTab(makeHistoryPage(pages), tr("&History"));
    layout->addWidget(pages, 1);
    // The command takes the whole width; its buttons go beneath it.
    c.rconRequestTextField = textField(QStringLiteral("rconRequestTextField"), box);
    c.rconRequestTextField->setPlaceholderText(tr("Console command or chat"));
    c.rconRequestTextField->setAccessibleName(tr("Console command"));
    layout->addWidget(c.rconRequestTextField);
    auto* buttons = new QHBoxLayout;
    c.rconServerCommandSendButton =
        pushButton(QStringLiteral("rconServerCommandSendButton"), tr("Send"), box);
    buttons->addWidget(c.rconServerCommandSendButton);
    c.rconSayButton = pushButton(QStringLiteral("rconSayButton"), tr("Say"), box);
    c.rconSayButton->setToolTip(tr("Sends the text to the players as chat"));
    buttons->addWidget(c.rconSayButton);
    buttons->addStretch();
    c.rconQuitServerButton =
        pushButton(QStringLiteral("rconQuitServerButton"), tr("Quit Server"), box);
    buttons->addWidget(c.rconQuitServerButton);
    layout->addLayout(buttons);
    return box;
}
