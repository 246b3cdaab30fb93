#include "app/RemoteControlView.h"

#include "app/FormControls.h"
#include "app/KZColorView.h"
#include "app/RadioMatrix.h"
#include "app/StepperButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace FormControls;

namespace {

QLabel* label(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(QStringLiteral(" - "), parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
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
    auto* box = new QGroupBox(tr("Server"), this);
    auto* layout = new QHBoxLayout(box);
    auto* image = new QLabel(box);
    image->setObjectName(QStringLiteral("rconCurrentMapImageView"));
    image->setFixedSize(160, 120);
    image->setScaledContents(true);
    image->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(image);

    auto* form = new QFormLayout;
    form->addRow(tr("Name:"), label(QStringLiteral("rconServerNameField"), box));
    form->addRow(tr("Configuration:"), label(QStringLiteral("rconServerConfigNameField"), box));
    auto* mapName = label(QStringLiteral("rconCurrentMapNameField"), box);
    mapName->setText(QStringLiteral("Current map: - "));
    form->addRow(mapName);
    form->addRow(tr("Title:"), label(QStringLiteral("rconCurrentMapTitleField"), box));

    auto* mapButtons = new QHBoxLayout;
    mapButtons->addWidget(
        FormControls::pushButton(QStringLiteral("rconPreviewNextMapButton"), tr("Next Map?"), box));
    mapButtons->addWidget(progressCircle(QStringLiteral("nextMapProgressCircle"), box));
    mapButtons->addWidget(FormControls::pushButton(QStringLiteral("rconChangeToNextMapButton"),
                                                   tr("Go to Next Map"), box));
    mapButtons->addWidget(FormControls::pushButton(QStringLiteral("rconRestartCurrentMapButton"),
                                                   tr("Restart Map"), box));
    mapButtons->addWidget(progressCircle(QStringLiteral("restartMapProgressCircle"), box));
    form->addRow(mapButtons);

    auto* limits = new QHBoxLayout;
    auto* limitMenu = new QComboBox(box);
    limitMenu->setObjectName(QStringLiteral("rconLimitsPopUpMenu"));
    limitMenu->addItems({tr("Frag limit"), tr("Time limit"), tr("Capture limit"), tr("Max players"),
                         tr("Bot minimum")});
    limits->addWidget(limitMenu);
    limits->addWidget(
        fieldWithStepper(integerField(QStringLiteral("rconLimitsField"), box, 0, 999999),
                         stepper(QStringLiteral("rconLimitsStepper"), 0, 999, box), box));
    limits->addWidget(
        FormControls::pushButton(QStringLiteral("rconLimitsChangeButton"), tr("Change"), box));
    form->addRow(limits);
    layout->addLayout(form, 1);
    return box;
}

QWidget* RemoteControlView::makePlayersBox()
{
    auto* box = new QGroupBox(tr("Players"), this);
    auto* layout = new QVBoxLayout(box);
    QTableView* players = plainTable(QStringLiteral("rconPlayersTableView"), box);
    layout->addWidget(players, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FormControls::pushButton(QStringLiteral("rconPlayersGetStatusButton"),
                                                tr("Get Status"), box));
    buttons->addWidget(
        switchButton(QStringLiteral("rconPlayersGetStatusSwitch"), tr("Every"), box));
    buttons->addWidget(fieldWithStepper(
        integerField(QStringLiteral("rconPlayersGetStatusSecondsField"), box, 1, 3600),
        stepper(QStringLiteral("rconPlayersGetStatusSecondsStepper"), 1, 3600, box), box));
    buttons->addWidget(new QLabel(tr("seconds"), box));
    buttons->addStretch();
    buttons->addWidget(FormControls::pushButton(QStringLiteral("rconPlayersDumpUserButton"),
                                                tr("Player Info"), box));
    buttons->addWidget(
        FormControls::pushButton(QStringLiteral("rconPlayersKickButton"), tr("Kick"), box));
    layout->addLayout(buttons);
    return box;
}

QWidget* RemoteControlView::makeBotsBox()
{
    auto* box = new QGroupBox(tr("Add bot"), this);
    auto* layout = new QHBoxLayout(box);
    QTableView* bots = plainTable(QStringLiteral("rconBotsTableView"), box);
    bots->horizontalHeader()->hide();
    layout->addWidget(bots, 1);
    auto* options = new QFormLayout;
    options->addRow(tr("Skill:"),
                    fieldWithStepper(integerField(QStringLiteral("rconBotsNumberField"), box, 1, 5),
                                     stepper(QStringLiteral("rconBotsNumberStepper"), 1, 5, box),
                                     box));
    auto* teams = new RadioMatrix({tr("No team"), tr("Red"), tr("Blue")}, Qt::Vertical, box);
    teams->setObjectName(QStringLiteral("rconBotsTeamColorMatrix"));
    auto* swatch = new KZColorView(box);
    swatch->setObjectName(QStringLiteral("rconBotsTeamColorView"));
    swatch->setFixedSize(24, 24);
    auto* teamRow = new QHBoxLayout;
    teamRow->addWidget(teams);
    teamRow->addWidget(swatch, 0, Qt::AlignTop);
    options->addRow(tr("Team:"), teamRow);
    auto* add = new QHBoxLayout;
    add->addWidget(
        FormControls::pushButton(QStringLiteral("rconBotsAddBotButton"), tr("Add Bot"), box));
    add->addWidget(progressCircle(QStringLiteral("addbotProgressCircle"), box));
    options->addRow(add);
    layout->addLayout(options);
    return box;
}

QWidget* RemoteControlView::makeConsoleBox()
{
    auto* box = new QGroupBox(tr("Console"), this);
    auto* layout = new QVBoxLayout(box);
    auto* response = new QTextEdit(box);
    response->setObjectName(QStringLiteral("rconResponseTextView"));
    response->setReadOnly(true);
    useFixedFont(response, 9);
    layout->addWidget(response, 1);
    auto* request = new QHBoxLayout;
    QLineEdit* command = textField(QStringLiteral("rconRequestTextField"), box);
    command->setPlaceholderText(tr("Console command"));
    request->addWidget(command, 1);
    request->addWidget(
        FormControls::pushButton(QStringLiteral("rconServerCommandSendButton"), tr("Send"), box));
    layout->addLayout(request);
    layout->addWidget(
        FormControls::pushButton(QStringLiteral("rconQuitServerButton"), tr("Quit Server"), box), 0,
        Qt::AlignRight);
    return box;
}
