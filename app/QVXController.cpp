#include "app/QVXController.h"

#include "app/AlertPresenter.h"
#include "app/AppScanInteraction.h"
#include "app/ApplicationIcon.h"
#include "app/ComboBoxGameTypeMenu.h"
#include "app/ConfigActions.h"
#include "app/DirectoryPanel.h"
#include "app/FormControls.h"
#include "app/MainWindow.h"
#include "app/NewConfigSheet.h"
#include "app/ServerControl.h"
#include "app/SetupEditor.h"
#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "config/GameDirectory.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "content/PakScanner.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

namespace {

AlertRequest okAlert(const QString& title, const QString& message)
{
    return {title, message, {QStringLiteral("OK")}, false};
}

} // namespace

QVXController::QVXController(MainWindow& window, QObject* parent)
    : QObject(parent), m_state(window),
      m_scanInteraction(std::make_unique<AppScanInteraction>(&window))
{}

QVXController::~QVXController() = default;

bool QVXController::init()
{
    if (!prepareDataDirectory())
        return false;
    if (!acquireStoreLock())
        return false;
    loadStore();
    m_state.recordNeedsSaving = false;
    return settleGameDirectory();
}

bool QVXController::prepareDataDirectory()
{
    const DataDirectory::Result directory = DataDirectory::prepare();
    if (directory.ok)
        return true;
    AlertPresenter::show(nullptr, okAlert(DataDirectory::unusableTitle(),
                                          DataDirectory::unusableMessage(directory)));
    return false;
}

bool QVXController::acquireStoreLock()
{
    if (m_storeLock.tryLock())
        return true;
    AlertPresenter::show(
        nullptr,
        okAlert(
            voCommonText(QStringLiteral("AlreadyRunningTitle"),
                         QStringLiteral("Voranth is already running!")),
            voCommonText(
                QStringLiteral("AlreadyRunningMsg"),
                QStringLiteral("Another Voranth (process %@) is using your server configurations. "
                               "Please use that window, or quit it first."),
                {QString::number(m_storeLock.holderPid())})));
    return false;
}

void QVXController::loadStore()
{
    m_state.store.load();
    if (m_state.store.movedAsidePath().isEmpty())
        return;
    AlertPresenter::show(
        nullptr,
        okAlert(voCommonText(QStringLiteral("StoreUnreadableTitle"),
                             QStringLiteral("Your server configurations could not be read!")),
                voCommonText(QStringLiteral("StoreUnreadableMsg"),
                             QStringLiteral(
                                 "The file was kept, unchanged, as:\n%@\n\nVoranth starts with no "
                                 "configurations and will not overwrite it."),
                             {m_state.store.movedAsidePath()})));
}

bool QVXController::settleGameDirectory()
{
    if (!GameDirectory::settle().isEmpty())
        return true;
    AlertPresenter::show(
        nullptr,
        okAlert(voCommonText(QStringLiteral("GameDirNotKnownTitle"),
                             QStringLiteral("Game directory not known!")),
                voCommonText(
                    QStringLiteral("GameDirNotKnownMsg"),
                    QStringLiteral("Please select your Quake 3 Arena installation directory."))));
    while (true) {
        if (!openPanelGameRootDir()) {
            AlertPresenter::show(
                nullptr,
                okAlert(
                    voCommonText(QStringLiteral("GameDirSelectionCancelledTitle"),
                                 QStringLiteral("Dialog cancelled.")),
                    voCommonText(
                        QStringLiteral("GameDirSelectionCancelledMsg"),
                        QStringLiteral("To be able to run %@ the game installation directory must "
                                       "be known. \nPress OK to exit."),
                        {CommonData::applicationName()})));
            return false;
        }
        if (GameDirectory::isValid(CommonData::qGameRootDir()))
            return true;
        const QString message =
            voCommonText(QStringLiteral("GameDirNotValidMsg"),
                         QStringLiteral("Your %@ installation directory should at least "
                                        "contain the '%@' directory"),
                         {CommonData::qGameAppFullName(), CommonData::qGameDefaultModDir()});
        AlertPresenter::show(nullptr,
                             okAlert(voCommonText(QStringLiteral("GameDirNotValidTitle"),
                                                  QStringLiteral("Not a valid game directory!")),
                                     message));
    }
}

bool QVXController::openPanelGameRootDir()
{
    const QString dir = DirectoryPanel::chooseDirectory(
        &m_state.window, tr("Choose the game directory"), QStringLiteral("/usr/share/games"));
    if (dir.isEmpty())
        return false;
    GameDirectory::choose(dir);
    return true;
}

void QVXController::showFirstStartupNoticeOnce()
{
    // The first start is the one that finds no record of a scan.
    if (PakScanner::hasPaksInfo())
        return;
    AlertRequest notice = okAlert(
        voCommonText(QStringLiteral("VOFirstStartupTitle"),
                     QStringLiteral("First startup of Voranth!")),
        voCommonText(
            QStringLiteral("VOFirstStartupMsg"),
            QStringLiteral("Please note that Voranth will now start to create its map & bot "
                           "database. This might take several seconds to complete, dependning "
                           "of how many mods and maps you have installed in your Quake3 retail "
                           "installation folder. This procedure will not be needed next time you "
                           "start Voranth.")));
    notice.informational = true;
    AlertPresenter::show(nullptr, notice);
}

void QVXController::openLibraries(const QString& mod)
{
    m_state.theBotLibrary.reset();
    m_state.theMapLibrary.reset();
    m_state.theMapLibrary = std::make_unique<MapLibrary>(mod, *m_scanInteraction);
    m_state.theBotLibrary = std::make_unique<BotLibrary>();
    m_state.serverConfigKeysModFiltered =
        ModSupport::serverConfigKeysModFiltered(m_state.store.serverConfigDict());
}

void QVXController::awakeFromNib()
{
    showFirstStartupNoticeOnce();
    openLibraries(CommonData::qGameDefaultModDir());
    m_state.modDB = std::make_unique<ModSupport>();
    m_editor = new SetupEditor(m_state, this);
    m_actions = new ConfigActions(m_state, *m_editor, this);
    m_serverControl = new ServerControl(m_state, *m_editor, this);
    m_actions->setRunningConfigNameQuery([this] { return m_serverControl->runningConfigName(); });
    addModMenuItems();
    fillGameTypeMenus();
    connectWindow();
    selectFirstRows();
    m_state.recordNeedsSaving = true;
    m_editor->handleTVClick();
    m_serverControl->showInitialState();
    validateMenuItems();
    ApplicationIcon::show(ApplicationIcon::State::Orange);
}

void QVXController::fillGameTypeMenus()
{
    const QString mod = CommonData::qGameModDir();
    ComboBoxGameTypeMenu editorMenu(*m_editor->controls().gameTypeDynamicPopUpMenu);
    ComboBoxGameTypeMenu sheetMenu(*m_actions->newConfigWindow()->gameTypePopUpMenu());
    m_state.modDB->setGameTypesMenu(editorMenu, mod);
    m_state.modDB->setGameTypesMenu(sheetMenu, mod);
    const QString longName = m_state.modDB->longnameForMod(mod).value_or(mod);
    m_state.window.findChild<QLabel*>(QStringLiteral("modNameField"))->setText(longName);
    m_actions->newConfigWindow()->newConfigModNameField()->setText(longName);
}

void QVXController::addModMenuItems()
{
    QMenu* menu = m_state.window.modMenu();
    menu->clear();
    auto* group = new QActionGroup(menu);
    const QStringList& mods = m_state.modDB->foundMods();
    for (int i = 0; i < mods.size(); ++i) {
        const QString& mod = mods.at(i);
        QAction* item = menu->addAction(
            QStringLiteral("%1 (%2)").arg(m_state.modDB->longnameForMod(mod).value_or(mod), mod));
        item->setObjectName(QStringLiteral("modMenuItem") + QString::number(i));
        item->setCheckable(true);
        item->setChecked(mod == CommonData::qGameModDir());
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
    const QList<QAction*> items = m_state.window.modMenu()->actions();
    for (QAction* item : items)
        item->setChecked(item->data().toInt() == index);
    if (m_state.recordNeedsSaving)
        if (ServerConfig* record = m_editor->currentRecord())
            m_editor->extractFields(*record);
    m_editor->controls().configNameFieldAdvTab->clear();
    openLibraries(mod);
    fillGameTypeMenus();
    m_editor->clearPreview();
    m_editor->reloadConfigList();
    m_state.recordNeedsSaving = false;
    selectFirstRows();
    m_editor->handleTVClick();
    validateMenuItems();
}

void QVXController::selectFirstRows()
{
    const EditorControls& c = m_editor->controls();
    m_editor->reloadConfigList();
    if (!m_state.serverConfigKeysModFiltered.isEmpty())
        FormControls::selectRow(c.configFilesTableView, 0);
    else
        c.configFilesTableView->selectionModel()->clearSelection();
}

QAction* QVXController::action(const char* name) const
{
    return m_state.window.findChild<QAction*>(QLatin1String(name));
}

void QVXController::connectWindow()
{
    MainWindow& w = m_state.window;
    const auto button = [&w](const char* name) {
        return w.findChild<QAbstractButton*>(QLatin1String(name));
    };
    connect(button("newConfigButton"), &QAbstractButton::clicked, m_actions,
            &ConfigActions::raiseNewConfigWindow);
    connect(button("duplicateConfigButton"), &QAbstractButton::clicked, m_actions,
            &ConfigActions::duplicateFile);
    connect(button("renameConfigButton"), &QAbstractButton::clicked, m_actions,
            &ConfigActions::raiseRenameConfigWindow);
    connect(button("deleteConfigButton"), &QAbstractButton::clicked, m_actions,
            &ConfigActions::deleteFile);
    connect(action("newMenuItem"), &QAction::triggered, m_actions,
            &ConfigActions::raiseNewConfigWindow);
    connect(action("duplicateMenuItem"), &QAction::triggered, m_actions,
            &ConfigActions::duplicateFile);
    connect(action("renameMenuItem"), &QAction::triggered, m_actions,
            &ConfigActions::raiseRenameConfigWindow);
    connect(action("deleteMenuItem"), &QAction::triggered, m_actions, &ConfigActions::deleteFile);
    connect(action("addMapsMenuItem"), &QAction::triggered, m_editor, &SetupEditor::addMapToList);
    connect(action("removeMapsMenuItem"), &QAction::triggered, m_editor,
            &SetupEditor::removeMapFromList);
    connect(action("quitMenuItem"), &QAction::triggered, &w, &QWidget::close);
    connect(action("startServerMenuItem"), &QAction::triggered, m_serverControl,
            &ServerControl::saveAndStart);
    connect(action("quitServerMenuItem"), &QAction::triggered, m_serverControl,
            &ServerControl::quitServer);
    for (const char* name : {"fileMenu", "mapsMenu", "serverMenu"})
        if (QMenu* menu = w.findChild<QMenu*>(QLatin1String(name)))
            connect(menu, &QMenu::aboutToShow, this, &QVXController::validateMenuItems);
    connect(m_editor->controls().configFilesTableView->selectionModel(),
            &QItemSelectionModel::selectionChanged, this, &QVXController::validateMenuItems);
}

void QVXController::validateMenuItems()
{
    const bool configSelected =
        !FormControls::selectedRows(m_editor->controls().configFilesTableView).isEmpty();
    for (const char* name : {"deleteMenuItem", "duplicateMenuItem", "renameMenuItem",
                             "addMapsMenuItem", "removeMapsMenuItem"})
        action(name)->setEnabled(configSelected);
    // No remote-control client exists yet in this version of the window.
    const bool launched = m_serverControl->serverLaunched();
    action("quitServerMenuItem")->setEnabled(launched);
    action("startServerMenuItem")->setEnabled(!launched);
    action("runConfigMenuItem")->setEnabled(false);
}

bool QVXController::applicationShouldTerminate()
{
    if (m_editor && m_state.recordNeedsSaving)
        if (ServerConfig* record = m_editor->currentRecord())
            m_editor->extractFields(*record);
    m_state.recordNeedsSaving = false;
    QString error;
    if (!m_state.store.save(&error))
        qWarning("The configurations could not be saved: %s", qPrintable(error));
    ApplicationIcon::show(ApplicationIcon::State::Yellow);
    return true;
}
