#include "app/QVXController.h"

#include "app/AlertPresenter.h"
#include "app/AppScanInteraction.h"
#include "app/ApplicationIcon.h"
#include "app/ComboBoxGameTypeMenu.h"
#include "app/ConfigActions.h"
#include "app/FormControls.h"
#include "app/MainWindow.h"
#include "app/MapTableView.h"
#include "app/NewConfigSheet.h"
#include "app/PreferenceController.h"
#include "app/RemoteControlActions.h"
#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "app/ServerControl.h"
#include "app/SetupEditor.h"
#include "app/SetupEditorView.h"
#include "app/UnparsedMapsWindow.h"
#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "config/GameDirectory.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "content/ContentScan.h"
#include "content/PakScanner.h"
#include "format/Logging.h"
#include "rcon/HostedServers.h"
#include "server/ServerLauncher.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

QVXController::QVXController(MainWindow& window, AlertPresenter& alerts, QObject* parent)
    : QObject(parent), m_state(window, alerts),
      m_scanInteraction(std::make_unique<AppScanInteraction>(alerts, &window))
{}

QVXController::~QVXController()
{
    // The helpers use the state, which goes with this object: they go first, the servers'
    // sessions before the pane that shows them.
    delete m_servers;
    const QList<QObject*> helpers = children();
    qDeleteAll(helpers);
}

void QVXController::showAlert(const QString& title, const QString& message)
{
    m_state.alerts.show(nullptr, {title, message, {QStringLiteral("OK")}, false});
}

bool QVXController::init()
{
    if (!prepareDataDirectory())
        return false;
    if (!acquireStoreLock())
        return false;
    loadStore();
    return settleGameDirectory();
}

bool QVXController::prepareDataDirectory()
{
    const Result<void> directory = DataDirectory::prepare();
    if (directory.ok())
        return true;
    showAlert(DataDirectory::unusableTitle(), DataDirectory::unusableMessage(directory));
    return false;
}

bool QVXController::acquireStoreLock()
{
    if (m_storeLock.tryLock())
        return true;
    showAlert(voCommonText(QStringLiteral("AlreadyRunningTitle"),
                           QStringLiteral("Voranth is already running!")),
              voCommonText(QStringLiteral("AlreadyRunningMsg"),
                           QStringLiteral("Another Voranth (process %@) is using your server "
                                          "configurations. Please use that window, or quit it "
                                          "first."),
                           {QString::number(m_storeLock.holderPid())}));
    return false;
}

void QVXController::loadStore()
{
    m_state.store.load();
    if (m_state.store.movedAsidePath().isEmpty())
        return;
    showAlert(voCommonText(QStringLiteral("StoreUnreadableTitle"),
                           QStringLiteral("Your server configurations could not be read!")),
              voCommonText(QStringLiteral("StoreUnreadableMsg"),
                           QStringLiteral("The file was kept, unchanged, as:\n%@\n\nVoranth "
                                          "starts with no configurations and will not "
                                          "overwrite it."),
                           {m_state.store.movedAsidePath()}));
}

bool QVXController::settleGameDirectory()
{
    m_state.paths = GamePaths(GameDirectory::settle(), CommonData::qGameDefaultModDir());
    if (!m_state.paths.qGameRootDir().isEmpty())
        return true;
    showAlert(
        voCommonText(QStringLiteral("GameDirNotKnownTitle"),
                     QStringLiteral("Game directory not known!")),
        voCommonText(QStringLiteral("GameDirNotKnownMsg"),
                     QStringLiteral("Please select your Quake 3 Arena installation directory.")));
    while (true) {
        if (!openPanelGameRootDir()) {
            showAlert(voCommonText(QStringLiteral("GameDirSelectionCancelledTitle"),
                                   QStringLiteral("Dialog cancelled.")),
                      voCommonText(QStringLiteral("GameDirSelectionCancelledMsg"),
                                   QStringLiteral("To be able to run %@ the game installation "
                                                  "directory must be known. \nPress OK to exit."),
                                   {CommonData::applicationName()}));
            return false;
        }
        if (GameDirectory::isValid(m_state.paths.qGameRootDir()))
            return true;
        showAlert(voCommonText(QStringLiteral("GameDirNotValidTitle"),
                               QStringLiteral("Not a valid game directory!")),
                  voCommonText(QStringLiteral("GameDirNotValidMsg"),
                               QStringLiteral("Your %@ installation directory should at least "
                                              "contain the '%@' directory"),
                               {CommonData::qGameAppFullName(), CommonData::qGameDefaultModDir()}));
    }
}

bool QVXController::openPanelGameRootDir()
{
    const QString dir = m_state.alerts.chooseDirectory(
        &m_state.window, tr("Choose the game directory"), QStringLiteral("/usr/share/games"));
    if (dir.isEmpty())
        return false;
    m_state.paths = m_state.paths.withGameRoot(GameDirectory::choose(dir));
    return true;
}

void QVXController::showFirstStartupNoticeOnce()
{
    // The first start is the one that finds no record of a scan.
    if (PakScanner::hasPaksInfo())
        return;
    AlertRequest notice{
        voCommonText(QStringLiteral("VOFirstStartupTitle"),
                     QStringLiteral("First startup of Voranth!")),
        voCommonText(
            QStringLiteral("VOFirstStartupMsg"),
            QStringLiteral("Please note that Voranth will now start to create its map & bot "
                           "database. This might take several seconds to complete, depending "
                           "of how many mods and maps you have installed in your Quake3 retail "
                           "installation folder. This procedure will not be needed next time you "
                           "start Voranth."))};
    notice.informational = true;
    m_state.alerts.show(nullptr, notice);
}

void QVXController::openLibraries(const QString& mod, StartupProgress* progress)
{
    m_state.paths = m_state.paths.withMod(mod);
    m_state.theBotLibrary.reset();
    m_state.theMapLibrary.reset();
    m_state.theMapLibrary = std::make_shared<MapLibrary>(m_state.paths, progress);
    m_state.theBotLibrary = std::make_unique<BotLibrary>(m_state.paths);
    m_state.serverConfigKeysModFiltered =
        ModSupport::serverConfigKeysModFiltered(m_state.store.serverConfigDict(), mod);
}

void QVXController::scanAndOpenDefaultLibraries()
{
    ContentScan scan(m_state.paths.qGameRootDir(), *m_scanInteraction);
    scan.run();
    openLibraries(CommonData::qGameDefaultModDir(), scan.progress());
    scan.closeProgress();
    m_state.unparsableMaps = scan.unparsable();
}

void QVXController::awakeFromNib()
{
    MainWindow& window = m_state.window;
    showFirstStartupNoticeOnce();
    scanAndOpenDefaultLibraries();
    m_state.modDB = std::make_unique<ModSupport>();
    m_editor = new SetupEditor(m_state, window.configList(), window.setupEditor().controls(), this);
    m_actions = new ConfigActions(m_state, *m_editor, this);
    const RemoteControlControls& rcon = window.remoteControl().controls();
    m_servers = new HostedServers([this](const QString& mod) { return mapLibraryFor(mod); }, this);
    m_remoteControlPane = new RemoteControlPane(m_state, rcon, this);
    m_remoteControlActions = new RemoteControlActions(*m_remoteControlPane, rcon, this);
    m_serverControl = new ServerControl(m_state, *m_editor, window.serverBar(),
                                        *m_remoteControlPane, *m_servers, this);
    addModMenuItems();
    fillGameTypeMenus();
    connectWindow();
    selectFirstRows();
    m_editor->setRecordNeedsSaving(true);
    m_editor->handleTVClick();
    selectFirstDetailRows();
    FormControls::selectRow(rcon.rconBotsTableView, 0);
    m_serverControl->showInitialState();
    showFirstRunningServer();
    showServerState(m_serverControl->state());
}

void QVXController::showFirstRunningServer()
{
    // A window opened while servers of ours run shows the first of them (of the mod shown),
    // unless the configuration it selected has one.
    if (m_serverControl->state() != ServerState::NoServer)
        return;
    for (const QString& name : m_serverControl->runningConfigNames())
        if (m_state.serverConfigKeysModFiltered.contains(name)) {
            m_actions->selectConfig(name);
            return;
        }
}

std::shared_ptr<MapLibrary> QVXController::mapLibraryFor(const QString& mod) const
{
    if (m_state.theMapLibrary && m_state.theMapLibrary->mod() == mod)
        return m_state.theMapLibrary;
    return std::make_shared<MapLibrary>(m_state.paths.withMod(mod));
}

void QVXController::fillGameTypeMenus()
{
    const QString& mod = m_state.paths.qGameModDir();
    ComboBoxGameTypeMenu editorMenu(*m_editor->controls().gameTypeDynamicPopUpMenu);
    ComboBoxGameTypeMenu sheetMenu(*m_actions->newConfigWindow()->gameTypePopUpMenu());
    m_state.modDB->setGameTypesMenu(editorMenu, mod);
    m_state.modDB->setGameTypesMenu(sheetMenu, mod);
    const QString longName = m_state.modDB->longnameForMod(mod).value_or(mod);
    m_state.window.configList().modNameField->setText(longName);
    m_actions->newConfigWindow()->newConfigModNameField()->setText(longName);
}

void QVXController::addModMenuItems()
{
    QMenu* menu = m_state.window.menus().modMenu;
    menu->clear();
    auto* group = new QActionGroup(menu);
    const QStringList& mods = m_state.modDB->foundMods();
    for (int i = 0; i < mods.size(); ++i) {
        const QString& mod = mods.at(i);
        QAction* item = menu->addAction(
            QStringLiteral("%1 (%2)").arg(m_state.modDB->longnameForMod(mod).value_or(mod), mod));
        item->setObjectName(QStringLiteral("modMenuItem") + QString::number(i));
        item->setCheckable(true);
        item->setChecked(mod == m_state.paths.qGameModDir());
        item->setData(i);
        if (i < 10)
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + i)));
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, i] { changeMod(i); });
    }
}

void QVXController::changeMod(int index)
{
    const QString mod = m_state.modDB->modNameAtIndex(index);
    const QList<QAction*> items = m_state.window.menus().modMenu->actions();
    for (QAction* item : items)
        item->setChecked(item->data().toInt() == index);
    m_editor->storePendingEdits();
    m_editor->controls().configNameFieldAdvTab->clear();
    openLibraries(mod);
    fillGameTypeMenus();
    m_editor->clearPreview();
    m_editor->reloadConfigList();
    selectFirstRows();
    m_editor->handleTVClick();
    selectFirstDetailRows();
    // While a server is controlled the bots are its mod's; otherwise the new mod's.
    m_remoteControlPane->reloadBots();
    m_serverControl->showState();
    validateMenuItems();
}

void QVXController::selectFirstRows()
{
    QTableView* configs = m_state.window.configList().configFilesTableView;
    m_editor->reloadConfigList();
    if (!m_state.serverConfigKeysModFiltered.isEmpty())
        FormControls::selectRow(configs, 0);
    else
        configs->selectionModel()->clearSelection();
}

void QVXController::selectFirstDetailRows()
{
    // The tables of another configuration may still show its rows.
    const EditorControls& c = m_editor->controls();
    m_editor->reloadMapList();
    m_editor->reloadExtraParameters();
    // Row 0 of an empty table selects nothing.
    FormControls::selectRow(c.mapListTableView, 0);
    FormControls::selectRow(c.extraParametersTableView, 0);
}

void QVXController::connectWindow()
{
    const MainWindow::ConfigList& list = m_state.window.configList();
    const MainWindow::Menus& menus = m_state.window.menus();
    connect(list.newConfigButton, &QPushButton::clicked, m_actions,
            &ConfigActions::raiseNewConfigWindow);
    connect(list.duplicateConfigButton, &QPushButton::clicked, m_actions,
            &ConfigActions::duplicateFile);
    connect(list.renameConfigButton, &QPushButton::clicked, m_actions,
            &ConfigActions::raiseRenameConfigWindow);
    connect(list.deleteConfigButton, &QPushButton::clicked, m_actions, &ConfigActions::deleteFile);
    connect(menus.newMenuItem, &QAction::triggered, m_actions,
            &ConfigActions::raiseNewConfigWindow);
    connect(menus.duplicateMenuItem, &QAction::triggered, m_actions, &ConfigActions::duplicateFile);
    connect(menus.renameMenuItem, &QAction::triggered, m_actions,
            &ConfigActions::raiseRenameConfigWindow);
    connect(menus.deleteMenuItem, &QAction::triggered, m_actions, &ConfigActions::deleteFile);
    connect(menus.addMapsMenuItem, &QAction::triggered, m_editor, &SetupEditor::addMapToList);
    connect(menus.removeMapsMenuItem, &QAction::triggered, m_editor,
            &SetupEditor::removeMapFromList);
    connect(menus.preferencesMenuItem, &QAction::triggered, this,
            &QVXController::showPreferencePanel);
    connect(menus.quitMenuItem, &QAction::triggered, &m_state.window, &QWidget::close);
    connect(menus.runConfigMenuItem, &QAction::triggered, m_serverControl,
            &ServerControl::rconRunConfig);
    connect(menus.startServerMenuItem, &QAction::triggered, m_serverControl,
            &ServerControl::saveAndStart);
    connect(menus.quitServerMenuItem, &QAction::triggered, m_serverControl,
            &ServerControl::quitServer);
    for (QMenu* menu : {menus.fileMenu, menus.mapsMenu, menus.serverMenu})
        connect(menu, &QMenu::aboutToShow, this, &QVXController::validateMenuItems);
    connect(list.configFilesTableView->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, [this] {
                // The shown configuration's server, if it runs, is the one the pane shows.
                m_serverControl->showState();
                validateMenuItems();
            });
    connect(m_serverControl, &ServerControl::stateChanged, this, &QVXController::showServerState);
}

void QVXController::showServerState(ServerState state)
{
    // Red while any server is controlled, whichever the window shows.
    if (state == ServerState::Quitting)
        ApplicationIcon::show(ApplicationIcon::State::Yellow);
    else
        ApplicationIcon::show(m_servers->anyControlled() ? ApplicationIcon::State::Red
                                                         : ApplicationIcon::State::Orange);
    // Once the server answers, its pane is what the user wants to see.
    if (state == ServerState::Controlled)
        m_state.window.setupEditor().setCurrentWidget(&m_state.window.remoteControl());
    validateMenuItems();
}

void QVXController::validateMenuItems()
{
    const MainWindow::Menus& menus = m_state.window.menus();
    const bool configSelected =
        !FormControls::selectedRows(m_state.window.configList().configFilesTableView).isEmpty();
    for (QAction* item : {menus.deleteMenuItem, menus.duplicateMenuItem, menus.renameMenuItem,
                          menus.addMapsMenuItem, menus.removeMapsMenuItem})
        item->setEnabled(configSelected);
    const ServerState state = m_serverControl->state();
    menus.quitServerMenuItem->setEnabled(m_serverControl->serverRuns());
    menus.startServerMenuItem->setEnabled(state == ServerState::NoServer);
    menus.runConfigMenuItem->setEnabled(state == ServerState::Controlled &&
                                        m_serverControl->mayRunConfig());
}

void QVXController::showPreferencePanel()
{
    if (!m_preferenceController)
        m_preferenceController = std::make_unique<PreferenceController>(
            m_state.alerts, [this] { return m_state.paths.qGameRootDir(); }, &m_state.window);
    m_preferenceController->showWindow();
}

void QVXController::applicationDidFinishLaunching()
{
    if (m_state.unparsableMaps.foundUnparsableMaps())
        QTimer::singleShot(0, this, &QVXController::raiseUnparsedMapsWindow);
}

void QVXController::raiseUnparsedMapsWindow()
{
    if (!m_unparsedMapsWindow) {
        m_unparsedMapsWindow = new UnparsedMapsWindow(&m_state.window);
        connect(m_unparsedMapsWindow, &QDialog::finished, this,
                &QVXController::unparsedMapsSheetDidEnd);
    }
    m_unparsedMapsWindow->showPrintout(m_state.unparsableMaps.unparsableMapsPrintoutTable());
    m_unparsedMapsWindow->open();
}

void QVXController::unparsedMapsSheetDidEnd(int returnCode)
{
    if (returnCode != UnparsedMapsWindow::SaveAndContinue)
        return;
    const Result<void> saved = m_state.unparsableMaps.saveUnparsableMapsLog();
    if (saved.ok())
        return;
    m_state.alerts.show(&m_state.window,
                        {mapsText(QStringLiteral("UnparsableMapsLogNotSavedTitle"),
                                  QStringLiteral("The list of unparsed maps could not be saved!")),
                         mapsText(QStringLiteral("UnparsableMapsLogNotSavedMsg"),
                                  QStringLiteral("No log file could be written in:\n%@\n\n%@"),
                                  {CommonData::appSupportQ3VXDir(), saved.error}),
                         {QStringLiteral("OK")},
                         true});
}

bool QVXController::applicationShouldTerminate()
{
    if (m_editor)
        m_editor->storePendingEdits();
    if (!archiveStoreForQuit())
        return false;
    if (m_servers) {
        m_servers->stopTimers();
        if (askWhetherToQuitTheServer())
            saveStoreAfterTheQuitQuestion();
    }
    if (m_serverControl)
        m_serverControl->setApplicationQuitting();
    else
        ApplicationIcon::show(ApplicationIcon::forServerState(ServerState::Quitting));
    return true;
}

bool QVXController::archiveStoreForQuit()
{
    const Result<void> saved = m_state.store.save();
    if (saved.ok())
        return true;
    qCWarning(lcApp, "The configurations could not be saved: %s", qPrintable(saved.error));
    AlertRequest question{
        voCommonText(QStringLiteral("StoreNotSavedTitle"),
                     QStringLiteral("Configurations could not be saved!")),
        voCommonText(QStringLiteral("StoreNotSavedAtQuitMsg"),
                     QStringLiteral("%@\n\nQuitting now loses every change made since Voranth "
                                    "started. Stay to put the cause right and quit again, or "
                                    "quit anyway."),
                     {saved.error}),
        {voCommonText(QStringLiteral("StayButton"), QStringLiteral("Stay")),
         voCommonText(QStringLiteral("QuitAnywayButton"), QStringLiteral("Quit Anyway"))},
        true};
    question.escapeButton = 0;
    const int quitAnyway = 1;
    return m_state.alerts.show(&m_state.window, question) == quitAnyway;
}

bool QVXController::askWhetherToQuitTheServer()
{
    // Only a server under control is asked about; one still connecting is left running.
    if (!m_servers->anyControlled() || m_allowServerRunningAtTerminate)
        return false;
    const QStringList running = m_serverControl->runningConfigNames();
    const QString message =
        running.size() == 1
            ? voCommonText(QStringLiteral("VOWillQuitMsg"),
                           QStringLiteral("You have a game server running. Do you want to quit "
                                          "server also?"))
            : voCommonText(QStringLiteral("VOWillQuitServersMsg"),
                           QStringLiteral("You have %@ game servers running: %@. Do you want to "
                                          "quit them all also?"),
                           {QString::number(running.size()),
                            // The texts are English, whatever the locale.
                            QLocale(QLocale::English).createSeparatedList(running)});
    const int answer = m_state.alerts.show(
        &m_state.window,
        {voCommonText(QStringLiteral("VOWillQuitTitle"), QStringLiteral("Voranth will quit!")),
         message + servicesNote(),
         {QStringLiteral("Yes"), QStringLiteral("No")},
         true});
    if (answer == 0)
        m_serverControl->quitAllServersNow();
    else
        m_allowServerRunningAtTerminate = true;
    return true;
}

QString QVXController::servicesNote() const
{
    QStringList services;
    for (const ServerSession* session : m_servers->sessions())
        if (!m_servers->hosted(session).unitName.isEmpty())
            services.append(session->configName());
    if (services.isEmpty())
        return {};
    const QString names = QLocale(QLocale::English).createSeparatedList(services);
    return QStringLiteral("\n\n") +
           (services.size() == 1
                ? voCommonText(QStringLiteral("VOWillQuitServiceMsg"),
                               QStringLiteral("Hosted as a service, %@ keeps running (and is "
                                              "restarted after a crash) once Voranth has quit, "
                                              "unless you quit it."),
                               {names})
                : voCommonText(QStringLiteral("VOWillQuitServicesMsg"),
                               QStringLiteral("Hosted as services, %@ keep running (and are "
                                              "restarted after a crash) once Voranth has quit, "
                                              "unless you quit them."),
                               {names}));
}

void QVXController::saveStoreAfterTheQuitQuestion()
{
    // Quitting the server may have changed what the store holds; the first save succeeded, so
    // a failure now is only logged.
    if (const Result<void> saved = m_state.store.save(); !saved.ok())
        qCWarning(lcApp, "The configurations could not be saved: %s", qPrintable(saved.error));
}
