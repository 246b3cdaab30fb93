#include "app/SetupEditorView.h"

#include "app/FormControls.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "app/StepperButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

using namespace FormControls;

namespace {

QWidget* limitRow(const QString& field, const QString& stepperName, QWidget* parent,
                  int maximum = 999)
{
    return fieldWithStepper(integerField(field, parent, 0, 999999),
                            stepper(stepperName, 0, maximum, parent), parent);
}

QGroupBox* group(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    return box;
}

// A tab's page that scrolls rather than squeezes its controls in a small window.
QWidget* scrollable(QWidget* page)
{
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

} // namespace

SetupEditorView::SetupEditorView(QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("setupTabView"));
    addTab(scrollable(makeGameTab()), tr("Game"));
    addTab(scrollable(makeNetworkTab()), tr("Network"));
    addTab(scrollable(makeBotsTab()), tr("Bots"));
    addTab(makeMapsTab(), tr("Maps"));
    addTab(makeAdvancedTab(), tr("Advanced"));
}

QWidget* SetupEditorView::makeGameTab()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);

    auto* server = group(tr("Server"), tab);
    auto* serverForm = new QFormLayout(server);
    QLineEdit* name = textField(QStringLiteral("configNameFieldAdvTab"), server);
    showOnly(name);
    serverForm->addRow(tr("Configuration:"), name);
    serverForm->addRow(tr("Server name:"), textField(QStringLiteral("serverNameField"), server));
    serverForm->addRow(tr("Welcome text:"), textField(QStringLiteral("welcomeTextField"), server));
    auto* gameType = new QComboBox(server);
    gameType->setObjectName(QStringLiteral("gameTypeDynamicPopUpMenu"));
    serverForm->addRow(tr("Game type:"), gameType);
    layout->addWidget(server);

    auto* limits = group(tr("Limits"), tab);
    auto* limitsForm = new QFormLayout(limits);
    limitsForm->addRow(tr("Frag limit:"), limitRow(QStringLiteral("fragLimitField"),
                                                   QStringLiteral("fragLimitStepper"), limits));
    limitsForm->addRow(
        tr("Time limit (minutes):"),
        limitRow(QStringLiteral("timeLimitField"), QStringLiteral("timeLimitStepper"), limits));
    limitsForm->addRow(tr("Capture limit:"),
                       limitRow(QStringLiteral("captureLimitField"),
                                QStringLiteral("captureLimitStepper"), limits));
    limitsForm->addRow(tr("Max players:"),
                       limitRow(QStringLiteral("maxPlayersField"),
                                QStringLiteral("maxPlayersStepper"), limits, 64));
    limitsForm->addRow(tr("Warm-up (seconds):"),
                       integerField(QStringLiteral("warmupField"), limits));
    auto* columns = new QHBoxLayout;
    columns->addWidget(limits, 1);

    auto* rules = group(tr("Rules"), tab);
    auto* grid = new QGridLayout(rules);
    grid->addWidget(switchButton(QStringLiteral("friendlyFireSwitch"), tr("Friendly fire"), rules),
                    0, 0);
    grid->addWidget(switchButton(QStringLiteral("allowVotingSwitch"), tr("Allow voting"), rules), 0,
                    1);
    grid->addWidget(
        switchButton(QStringLiteral("autoJoinTeamsSwitch"), tr("Auto-join teams"), rules), 1, 0);
    grid->addWidget(
        switchButton(QStringLiteral("forceTeamBalanceSwitch"), tr("Force team balance"), rules), 1,
        1);
    auto* numbers = new QFormLayout;
    numbers->addRow(tr("Weapon respawn (seconds):"),
                    integerField(QStringLiteral("weaponsRespawnField"), rules));
    numbers->addRow(tr("Quad damage factor:"),
                    decimalField(QStringLiteral("quadFactorField"), rules));
    numbers->addRow(tr("Knockback:"), integerField(QStringLiteral("knockbackField"), rules));
    numbers->addRow(tr("Inactivity limit (seconds):"),
                    integerField(QStringLiteral("inactivityField"), rules));
    grid->addLayout(numbers, 2, 0, 1, 2);
    columns->addWidget(rules, 1);
    layout->addLayout(columns);
    layout->addStretch();
    return tab;
}

QWidget* SetupEditorView::makeNetworkTab()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);

    auto* connection = group(tr("Connection"), tab);
    auto* form = new QFormLayout(connection);
    auto* dedicated = new RadioMatrix({tr("LAN"), tr("Internet")}, Qt::Horizontal, connection);
    dedicated->setObjectName(QStringLiteral("dedicatedTypeMatrix"));
    form->addRow(tr("Server type:"), dedicated);
    auto* rate = new RadioMatrix({tr("LAN"), tr("Custom")}, Qt::Horizontal, connection);
    rate->setObjectName(QStringLiteral("optimizeNetworkMatrix"));
    auto* rateRow = new QWidget(connection);
    auto* rateLayout = new QHBoxLayout(rateRow);
    rateLayout->setContentsMargins(0, 0, 0, 0);
    rate->setParent(rateRow);
    rateLayout->addWidget(rate);
    rateLayout->addWidget(
        integerField(QStringLiteral("optimizeNetworkField"), rateRow, 0, 1000000));
    rateLayout->addStretch();
    form->addRow(tr("Max rate:"), rateRow);
    form->addRow(tr("IP address:"), textField(QStringLiteral("netIPField"), connection));
    form->addRow(tr("Port:"), integerField(QStringLiteral("netPortField"), connection, 0, 65535));
    layout->addWidget(connection);

    auto* access = group(tr("Access"), tab);
    auto* accessForm = new QFormLayout(access);
    accessForm->addRow(tr("Remote control password:"),
                       textField(QStringLiteral("rconPasswordField"), access));
    accessForm->addRow(tr("Private slots:"),
                       integerField(QStringLiteral("nPrivateClientsField"), access, 0, 64));
    accessForm->addRow(tr("Private slots password:"),
                       textField(QStringLiteral("privateClientPasswdField"), access));
    accessForm->addRow(switchButton(QStringLiteral("pureServerSwitch"), tr("Pure server"), access));
    accessForm->addRow(
        switchButton(QStringLiteral("allowDownloadsSwitch"), tr("Allow downloads"), access));
    accessForm->addRow(
        switchButton(QStringLiteral("punkBusterEnabledSwitch"), tr("PunkBuster"), access));
    layout->addWidget(access);

    auto* clients = group(tr("Clients"), tab);
    auto* clientsForm = new QFormLayout(clients);
    clientsForm->addRow(tr("Time-out (seconds):"),
                        integerField(QStringLiteral("timeoutField"), clients));
    clientsForm->addRow(tr("Minimum ping:"), integerField(QStringLiteral("minPingField"), clients));
    clientsForm->addRow(tr("Maximum ping:"), integerField(QStringLiteral("maxPingField"), clients));
    layout->addWidget(clients);
    layout->addStretch();
    return tab;
}

QWidget* SetupEditorView::makeBotsTab()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* players = group(tr("Bots fill the server up to"), tab);
    auto* row = new QHBoxLayout(players);
    auto* slider = new QSlider(Qt::Horizontal, players);
    slider->setObjectName(QStringLiteral("botMinPlayersSlider"));
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setMinimum(0);
    QLineEdit* current = integerField(QStringLiteral("botMinPlayersField"), players);
    showOnly(current);
    QLineEdit* maximum = integerField(QStringLiteral("botMaxPlayersField"), players);
    showOnly(maximum);
    row->addWidget(current);
    row->addWidget(slider, 1);
    row->addWidget(new QLabel(tr("of"), players));
    row->addWidget(maximum);
    layout->addWidget(players);

    auto* behaviour = group(tr("Bot behaviour"), tab);
    auto* form = new QFormLayout(behaviour);
    form->addRow(
        tr("Default skill:"),
        fieldWithStepper(integerField(QStringLiteral("defaultBotSkillField"), behaviour, 1, 5),
                         stepper(QStringLiteral("defaultBotSkillStepper"), 1, 5, behaviour),
                         behaviour));
    form->addRow(
        switchButton(QStringLiteral("botNoChatSwitch"), tr("Bots stay silent"), behaviour));
    form->addRow(
        switchButton(QStringLiteral("botRocketJumpSwitch"), tr("Bots rocket-jump"), behaviour));
    form->addRow(
        switchButton(QStringLiteral("botGrappleSwitch"), tr("Bots use the grapple"), behaviour));
    layout->addWidget(behaviour);
    layout->addStretch();
    return tab;
}

QWidget* SetupEditorView::makeMapsTab()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* lists = new QHBoxLayout;

    auto* libraryColumn = new QVBoxLayout;
    libraryColumn->addWidget(new QLabel(tr("Map library"), tab));
    auto* library = new MapTableView(tab);
    library->setObjectName(QStringLiteral("mapLibraryTableView"));
    libraryColumn->addWidget(library);
    libraryColumn->addWidget(
        switchButton(QStringLiteral("listAllMapsSwitch"), tr("List all maps"), tab));
    lists->addLayout(libraryColumn, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(FormControls::pushButton(QStringLiteral("addMapsButton"), tr("Add →"), tab));
    buttons->addWidget(
        FormControls::pushButton(QStringLiteral("removeMapsButton"), tr("← Remove"), tab));
    buttons->addStretch();
    lists->addLayout(buttons);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(new QLabel(tr("Map rotation"), tab));
    auto* mapList = new MapTableView(tab);
    mapList->setObjectName(QStringLiteral("mapListTableView"));
    listColumn->addWidget(mapList);
    listColumn->addWidget(switchButton(QStringLiteral("rotateMapsSwitch"), tr("Rotate maps"), tab));
    lists->addLayout(listColumn, 1);
    layout->addLayout(lists, 1);

    auto* preview = group(tr("Preview"), tab);
    auto* previewLayout = new QHBoxLayout(preview);
    auto* image = new QLabel(preview);
    image->setObjectName(QStringLiteral("mapImageView"));
    image->setFixedSize(200, 150);
    image->setScaledContents(true);
    image->setFrameShape(QFrame::StyledPanel);
    previewLayout->addWidget(image);
    auto* names = new QFormLayout;
    auto* title = new QLabel(preview);
    title->setObjectName(QStringLiteral("mapNameField"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* mapName = new QLabel(preview);
    mapName->setObjectName(QStringLiteral("selectedMapField"));
    names->addRow(tr("Title:"), title);
    names->addRow(tr("Map:"), mapName);
    previewLayout->addLayout(names, 1);
    layout->addWidget(preview);
    return tab;
}

QWidget* SetupEditorView::makeAdvancedTab()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* memory = group(tr("Memory"), tab);
    auto* memoryRow = new QHBoxLayout(memory);
    memoryRow->addWidget(
        switchButton(QStringLiteral("hunkMegsUseSwitch"), tr("Game memory (MB):"), memory));
    memoryRow->addWidget(integerField(QStringLiteral("hunkMegsField"), memory, 0, 4096));
    memoryRow->addStretch();
    layout->addWidget(memory);

    auto* extras = group(tr("Extra console variables"), tab);
    auto* extrasLayout = new QVBoxLayout(extras);
    extrasLayout->addWidget(plainTable(QStringLiteral("extraParametersTableView"), extras), 1);
    auto* extraButtons = new QHBoxLayout;
    extraButtons->addWidget(
        FormControls::pushButton(QStringLiteral("addExtraParameterButton"), tr("Add"), extras));
    extraButtons->addWidget(FormControls::pushButton(QStringLiteral("deleteExtraParameterButton"),
                                                     tr("Delete"), extras));
    extraButtons->addStretch();
    extrasLayout->addLayout(extraButtons);
    layout->addWidget(extras, 1);
    return tab;
}
