#include "app/SetupEditorView.h"

#include "app/ElidedLabel.h"
#include "app/FormControls.h"
#include "app/LevelShotView.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "config/GameLimits.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

using namespace FormControls;

namespace {

using namespace GameLimits;

QGroupBox* group(const QString& title, QWidget* parent)
{
    return new QGroupBox(title, parent);
}

QSpinBox* plainNumber(const QString& name, int minimum, int maximum, QWidget* parent)
{
    return numberField(name, minimum, maximum, parent, Arrows::Hidden);
}

// An action of a list's keys, offered in the list's context menu too.
QAction* keyAction(QWidget* owner, const QString& title, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(title, owner);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    owner->addAction(action);
    return action;
}

// Text fields as wide as a long line of their kind, not as the window.
constexpr int readableFieldCharacters = 48;
// A page of fields stays this wide, so that labels, fields and units stay together.
constexpr int readablePageCharacters = 120;

void limitToReadableWidth(QWidget* field)
{
    field->setMaximumWidth(field->fontMetrics().averageCharWidth() * readableFieldCharacters);
}

// A tab's page that scrolls rather than squeezes its controls in a small window.
QWidget* scrollable(QWidget* page)
{
    page->setMaximumWidth(page->fontMetrics().averageCharWidth() * readablePageCharacters);
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
    EditorControls& c = m_controls;
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);

    auto* server = group(tr("Server"), tab);
    auto* serverForm = new QFormLayout(server);
    c.configNameFieldAdvTab = textField(QStringLiteral("configNameFieldAdvTab"), server);
    limitToReadableWidth(c.configNameFieldAdvTab);
    showOnly(c.configNameFieldAdvTab);
    serverForm->addRow(tr("Configuration:"), c.configNameFieldAdvTab);
    c.serverNameField = textField(QStringLiteral("serverNameField"), server);
    limitToReadableWidth(c.serverNameField);
    serverForm->addRow(tr("Server name:"), c.serverNameField);
    c.welcomeTextField = textField(QStringLiteral("welcomeTextField"), server);
    limitToReadableWidth(c.welcomeTextField);
    serverForm->addRow(tr("Welcome text:"), c.welcomeTextField);
    c.gameTypeDynamicPopUpMenu = new QComboBox(server);
    c.gameTypeDynamicPopUpMenu->setObjectName(QStringLiteral("gameTypeDynamicPopUpMenu"));
    c.gameTypeDynamicPopUpMenu->setAccessibleName(tr("Game type"));
    limitToReadableWidth(c.gameTypeDynamicPopUpMenu);
    serverForm->addRow(tr("Game type:"), c.gameTypeDynamicPopUpMenu);
    layout->addWidget(server);

    auto* limits = group(tr("Limits"), tab);
    auto* limitsForm = new QFormLayout(limits);
    c.fragLimitField = numberField(QStringLiteral("fragLimitField"), 0, maxLimit, limits);
    limitsForm->addRow(tr("Frag limit:"), c.fragLimitField);
    c.timeLimitField =
        numberField(QStringLiteral("timeLimitField"), 0, maxTimeLimitMinutes, limits);
    limitsForm->addRow(tr("Time limit (minutes):"), c.timeLimitField);
    c.captureLimitField = numberField(QStringLiteral("captureLimitField"), 0, maxLimit, limits);
    limitsForm->addRow(tr("Capture limit:"), c.captureLimitField);
    c.maxPlayersField = numberField(QStringLiteral("maxPlayersField"), 1, maxClients, limits);
    // The bot slider follows the number once it is entered, not each digit typed.
    c.maxPlayersField->setKeyboardTracking(false);
    limitsForm->addRow(tr("Max players:"), c.maxPlayersField);
    c.warmupField = plainNumber(QStringLiteral("warmupField"), 0, maxAmount, limits);
    limitsForm->addRow(tr("Warm-up (seconds):"), c.warmupField);
    auto* columns = new QHBoxLayout;
    columns->addWidget(limits, 1);

    auto* rules = group(tr("Rules"), tab);
    auto* grid = new QGridLayout(rules);
    c.friendlyFireSwitch =
        switchButton(QStringLiteral("friendlyFireSwitch"), tr("Friendly fire"), rules);
    grid->addWidget(c.friendlyFireSwitch, 0, 0);
    c.allowVotingSwitch =
        switchButton(QStringLiteral("allowVotingSwitch"), tr("Allow voting"), rules);
    grid->addWidget(c.allowVotingSwitch, 0, 1);
    c.autoJoinTeamsSwitch =
        switchButton(QStringLiteral("autoJoinTeamsSwitch"), tr("Auto-join teams"), rules);
    grid->addWidget(c.autoJoinTeamsSwitch, 1, 0);
    c.forceTeamBalanceSwitch =
        switchButton(QStringLiteral("forceTeamBalanceSwitch"), tr("Force team balance"), rules);
    grid->addWidget(c.forceTeamBalanceSwitch, 1, 1);
    auto* numbers = new QFormLayout;
    c.weaponsRespawnField = plainNumber(QStringLiteral("weaponsRespawnField"), 0, maxAmount, rules);
    numbers->addRow(tr("Weapon respawn (seconds):"), c.weaponsRespawnField);
    c.quadFactorField = decimalField(QStringLiteral("quadFactorField"), 0.0, maxQuadFactor, rules);
    numbers->addRow(tr("Quad damage factor:"), c.quadFactorField);
    c.knockbackField = plainNumber(QStringLiteral("knockbackField"), 0, maxAmount, rules);
    numbers->addRow(tr("Knockback:"), c.knockbackField);
    c.inactivityField = plainNumber(QStringLiteral("inactivityField"), 0, maxAmount, rules);
    numbers->addRow(tr("Inactivity limit (seconds):"), c.inactivityField);
    grid->addLayout(numbers, 2, 0, 1, 2);
    columns->addWidget(rules, 1);
    layout->addLayout(columns);
    layout->addStretch();
    return tab;
}

QWidget* SetupEditorView::makeNetworkTab()
{
    EditorControls& c = m_controls;
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);

    auto* connection = group(tr("Connection"), tab);
    auto* form = new QFormLayout(connection);
    c.dedicatedTypeMatrix =
        new RadioMatrix({tr("LAN"), tr("Internet")}, Qt::Horizontal, connection);
    c.dedicatedTypeMatrix->setObjectName(QStringLiteral("dedicatedTypeMatrix"));
    form->addRow(tr("Server type:"), c.dedicatedTypeMatrix);
    auto* rateRow = new QWidget(connection);
    auto* rateLayout = new QHBoxLayout(rateRow);
    rateLayout->setContentsMargins(0, 0, 0, 0);
    c.optimizeNetworkMatrix = new RadioMatrix({tr("LAN"), tr("Custom")}, Qt::Horizontal, rateRow);
    c.optimizeNetworkMatrix->setObjectName(QStringLiteral("optimizeNetworkMatrix"));
    // The custom rate's field follows "Custom" at once.
    c.optimizeNetworkMatrix->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    rateLayout->addWidget(c.optimizeNetworkMatrix);
    c.optimizeNetworkField =
        plainNumber(QStringLiteral("optimizeNetworkField"), 0, maxRate, rateRow);
    c.optimizeNetworkField->setAccessibleName(tr("Custom max rate"));
    rateLayout->addWidget(c.optimizeNetworkField);
    rateLayout->addStretch();
    form->addRow(tr("Max rate:"), rateRow);
    c.netIPField = textField(QStringLiteral("netIPField"), connection);
    limitToReadableWidth(c.netIPField);
    form->addRow(tr("IP address:"), c.netIPField);
    c.netPortField = plainNumber(QStringLiteral("netPortField"), 1, maxPort, connection);
    form->addRow(tr("Port:"), c.netPortField);
    layout->addWidget(connection);

    auto* access = group(tr("Access"), tab);
    auto* accessForm = new QFormLayout(access);
    c.rconPasswordField = textField(QStringLiteral("rconPasswordField"), access);
    limitToReadableWidth(c.rconPasswordField);
    accessForm->addRow(tr("Remote control password:"), c.rconPasswordField);
    c.nPrivateClientsField =
        plainNumber(QStringLiteral("nPrivateClientsField"), 0, maxClients, access);
    accessForm->addRow(tr("Private slots:"), c.nPrivateClientsField);
    c.privateClientPasswdField = textField(QStringLiteral("privateClientPasswdField"), access);
    limitToReadableWidth(c.privateClientPasswdField);
    accessForm->addRow(tr("Private slots password:"), c.privateClientPasswdField);
    c.pureServerSwitch =
        switchButton(QStringLiteral("pureServerSwitch"), tr("Pure server"), access);
    accessForm->addRow(c.pureServerSwitch);
    c.allowDownloadsSwitch =
        switchButton(QStringLiteral("allowDownloadsSwitch"), tr("Allow downloads"), access);
    accessForm->addRow(c.allowDownloadsSwitch);
    c.punkBusterEnabledSwitch =
        switchButton(QStringLiteral("punkBusterEnabledSwitch"), tr("PunkBuster"), access);
    accessForm->addRow(c.punkBusterEnabledSwitch);
    layout->addWidget(access);

    auto* clients = group(tr("Clients"), tab);
    auto* clientsForm = new QFormLayout(clients);
    c.timeoutField = plainNumber(QStringLiteral("timeoutField"), 0, maxAmount, clients);
    clientsForm->addRow(tr("Time-out (seconds):"), c.timeoutField);
    c.minPingField = plainNumber(QStringLiteral("minPingField"), 0, maxAmount, clients);
    clientsForm->addRow(tr("Minimum ping:"), c.minPingField);
    c.maxPingField = plainNumber(QStringLiteral("maxPingField"), 0, maxAmount, clients);
    clientsForm->addRow(tr("Maximum ping:"), c.maxPingField);
    layout->addWidget(clients);
    layout->addStretch();
    return tab;
}

QWidget* SetupEditorView::makeBotsTab()
{
    EditorControls& c = m_controls;
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* players = group(tr("Bots fill the server up to"), tab);
    auto* row = new QHBoxLayout(players);
    c.botMinPlayersSlider = new QSlider(Qt::Horizontal, players);
    c.botMinPlayersSlider->setObjectName(QStringLiteral("botMinPlayersSlider"));
    c.botMinPlayersSlider->setTickPosition(QSlider::TicksBelow);
    c.botMinPlayersSlider->setMinimum(0);
    c.botMinPlayersField = displayField(QStringLiteral("botMinPlayersField"), players);
    c.botMaxPlayersField = displayField(QStringLiteral("botMaxPlayersField"), players);
    c.botMaxPlayersField->setAccessibleName(tr("Bots fill the server up to at most"));
    row->addWidget(c.botMinPlayersField);
    row->addWidget(c.botMinPlayersSlider, 1);
    row->addWidget(new QLabel(tr("of"), players));
    row->addWidget(c.botMaxPlayersField);
    layout->addWidget(players);

    auto* behaviour = group(tr("Bot behaviour"), tab);
    auto* form = new QFormLayout(behaviour);
    c.defaultBotSkillField =
        numberField(QStringLiteral("defaultBotSkillField"), minBotSkill, maxBotSkill, behaviour);
    form->addRow(tr("Default skill:"), c.defaultBotSkillField);
    c.botNoChatSwitch =
        switchButton(QStringLiteral("botNoChatSwitch"), tr("Bots stay silent"), behaviour);
    form->addRow(c.botNoChatSwitch);
    c.botRocketJumpSwitch =
        switchButton(QStringLiteral("botRocketJumpSwitch"), tr("Bots rocket-jump"), behaviour);
    form->addRow(c.botRocketJumpSwitch);
    c.botGrappleSwitch =
        switchButton(QStringLiteral("botGrappleSwitch"), tr("Bots use the grapple"), behaviour);
    form->addRow(c.botGrappleSwitch);
    layout->addWidget(behaviour);
    layout->addStretch();
    return tab;
}

QWidget* SetupEditorView::makeMapsTab()
{
    EditorControls& c = m_controls;
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* lists = new QHBoxLayout;

    auto* libraryColumn = new QVBoxLayout;
    libraryColumn->addWidget(new QLabel(tr("Map library"), tab));
    c.mapLibrarySearchField = textField(QStringLiteral("mapLibrarySearchField"), tab);
    c.mapLibrarySearchField->setPlaceholderText(tr("Search by name or title"));
    c.mapLibrarySearchField->setClearButtonEnabled(true);
    c.mapLibrarySearchField->setAccessibleName(tr("Search the map library"));
    libraryColumn->addWidget(c.mapLibrarySearchField);
    c.mapLibraryTableView = new MapTableView(tab);
    c.mapLibraryTableView->setObjectName(QStringLiteral("mapLibraryTableView"));
    c.mapLibraryTableView->setAccessibleName(tr("Map library"));
    libraryColumn->addWidget(c.mapLibraryTableView);
    c.listAllMapsSwitch =
        switchButton(QStringLiteral("listAllMapsSwitch"), tr("List all maps"), tab);
    libraryColumn->addWidget(c.listAllMapsSwitch);
    lists->addLayout(libraryColumn, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    c.addMapsButton = pushButton(QStringLiteral("addMapsButton"), tr("Add →"), tab);
    buttons->addWidget(c.addMapsButton);
    c.removeMapsButton = pushButton(QStringLiteral("removeMapsButton"), tr("← Remove"), tab);
    buttons->addWidget(c.removeMapsButton);
    buttons->addStretch();
    lists->addLayout(buttons);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(new QLabel(tr("Map rotation"), tab));
    c.mapListTableView = new MapTableView(tab);
    c.mapListTableView->setObjectName(QStringLiteral("mapListTableView"));
    c.mapListTableView->setAccessibleName(tr("Map rotation"));
    listColumn->addWidget(c.mapListTableView);
    c.rotateMapsSwitch = switchButton(QStringLiteral("rotateMapsSwitch"), tr("Rotate maps"), tab);
    listColumn->addWidget(c.rotateMapsSwitch);
    lists->addLayout(listColumn, 1);
    layout->addLayout(lists);
    makeMapListKeys(tab);

    auto* preview = group(tr("Preview"), tab);
    auto* previewLayout = new QVBoxLayout(preview);
    auto* names = new QFormLayout;
    c.mapNameField = new ElidedLabel(preview);
    c.mapNameField->setObjectName(QStringLiteral("mapNameField"));
    QFont bold = c.mapNameField->font();
    bold.setBold(true);
    c.mapNameField->setFont(bold);
    c.selectedMapField = new ElidedLabel(preview);
    c.selectedMapField->setObjectName(QStringLiteral("selectedMapField"));
    names->addRow(tr("Title:"), c.mapNameField);
    names->addRow(tr("Map:"), c.selectedMapField);
    previewLayout->addLayout(names);
    c.mapImageView = new LevelShotView(preview);
    c.mapImageView->setObjectName(QStringLiteral("mapImageView"));
    c.mapImageView->setAccessibleName(tr("Level shot"));
    previewLayout->addWidget(c.mapImageView, 1);
    // The lists and the level shot share the height the window gives.
    layout->setStretch(0, 3);
    layout->addWidget(preview, 2);
    return tab;
}

void SetupEditorView::makeMapListKeys(QWidget* tab)
{
    EditorControls& c = m_controls;
    c.addSelectedMapsAction = keyAction(c.mapLibraryTableView, tr("Add to the rotation"),
                                        {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    c.moveMapsUpAction =
        keyAction(c.mapListTableView, tr("Move up"), {QKeySequence(Qt::ALT | Qt::Key_Up)});
    c.moveMapsDownAction =
        keyAction(c.mapListTableView, tr("Move down"), {QKeySequence(Qt::ALT | Qt::Key_Down)});
    c.removeSelectedMapsAction = keyAction(c.mapListTableView, tr("Remove from the rotation"),
                                           {QKeySequence(QKeySequence::Delete)});
    c.mapLibraryTableView->setContextMenuPolicy(Qt::ActionsContextMenu);
    c.mapListTableView->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* find = keyAction(tab, tr("Search maps"), {QKeySequence(QKeySequence::Find)});
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QLineEdit* search = c.mapLibrarySearchField;
    connect(find, &QAction::triggered, search, [search] {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
}

QWidget* SetupEditorView::makeAdvancedTab()
{
    EditorControls& c = m_controls;
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* memory = group(tr("Memory"), tab);
    auto* memoryRow = new QHBoxLayout(memory);
    c.hunkMegsUseSwitch =
        switchButton(QStringLiteral("hunkMegsUseSwitch"), tr("Game memory (MB):"), memory);
    memoryRow->addWidget(c.hunkMegsUseSwitch);
    c.hunkMegsField = plainNumber(QStringLiteral("hunkMegsField"), 0, maxHunkMegs, memory);
    c.hunkMegsField->setAccessibleName(tr("Game memory (MB)"));
    memoryRow->addWidget(c.hunkMegsField);
    memoryRow->addStretch();
    layout->addWidget(memory);

    auto* extras = group(tr("Extra console variables"), tab);
    auto* extrasLayout = new QVBoxLayout(extras);
    c.extraParametersTableView = plainTable(QStringLiteral("extraParametersTableView"), extras);
    c.extraParametersTableView->setAccessibleName(tr("Extra console variables"));
    extrasLayout->addWidget(c.extraParametersTableView, 1);
    auto* extraButtons = new QHBoxLayout;
    c.addExtraParameterButton =
        pushButton(QStringLiteral("addExtraParameterButton"), tr("Add"), extras);
    extraButtons->addWidget(c.addExtraParameterButton);
    c.deleteExtraParameterButton =
        pushButton(QStringLiteral("deleteExtraParameterButton"), tr("Delete"), extras);
    extraButtons->addWidget(c.deleteExtraParameterButton);
    extraButtons->addStretch();
    extrasLayout->addLayout(extraButtons);
    layout->addWidget(extras, 1);
    return tab;
}
