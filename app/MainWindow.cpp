#include "app/MainWindow.h"

#include "app/ElidedLabel.h"
#include "app/FormControls.h"
#include "app/RemoteControlView.h"
#include "app/SetupEditorView.h"
#include "app/StandardIcons.h"
#include "app/WindowLayoutMemory.h"
#include "config/CommonData.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QAction* action(QMenu* menu, const QString& name, const QString& title,
                const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(title);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    return a;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(CommonData::applicationName());

    m_splitter = new QSplitter(Qt::Horizontal, this);
    QSplitter* splitter = m_splitter;
    splitter->setObjectName(QStringLiteral("mainSplitter"));
    QWidget* configListPanel = makeConfigList();
    splitter->addWidget(configListPanel);
    m_setupEditor = new SetupEditorView(splitter);
    m_remoteControl = new RemoteControlView(m_setupEditor);
    m_setupEditor->addTab(m_remoteControl, tr("Remote Control"));
    splitter->addWidget(m_setupEditor);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 780});

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(splitter, 1);
    layout->addWidget(makeServerBar());
    setCentralWidget(central);
    makeMenus();
    giveActionsIcons();
    limitListShortcutsTo(configListPanel);
    if (!WindowLayoutMemory(*this, *m_splitter, *m_setupEditor).restore())
        resize(firstStartSize());
}

QSize MainWindow::firstStartSize() const
{
    // Room for every tab without scrolling, but never more than the screen has.
    const QSize preferred(1060, 720);
    const QScreen* shown = screen();
    return shown ? preferred.boundedTo(shown->availableGeometry().size()) : preferred;
}

QWidget* MainWindow::makeConfigList()
{
    ConfigList& c = m_configList;
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(tr("Configurations"), panel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    c.modNameField = new ElidedLabel(panel);
    c.modNameField->setObjectName(QStringLiteral("modNameField"));
    layout->addWidget(c.modNameField);

    c.configFilesTableView = new QTableView(panel);
    QTableView* list = c.configFilesTableView;
    list->setObjectName(QStringLiteral("configFilesTableView"));
    list->setAccessibleName(tr("Configurations"));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->verticalHeader()->hide();
    list->horizontalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    list->setShowGrid(false);
    FormControls::useCompactRows(list);
    layout->addWidget(list, 1);

    using FormControls::pushButton;
    auto* buttons = new QHBoxLayout;
    c.newConfigButton = pushButton(QStringLiteral("newConfigButton"), tr("New…"), panel);
    buttons->addWidget(c.newConfigButton);
    c.duplicateConfigButton =
        pushButton(QStringLiteral("duplicateConfigButton"), tr("Duplicate"), panel);
    buttons->addWidget(c.duplicateConfigButton);
    layout->addLayout(buttons);
    auto* more = new QHBoxLayout;
    c.renameConfigButton = pushButton(QStringLiteral("renameConfigButton"), tr("Rename…"), panel);
    more->addWidget(c.renameConfigButton);
    c.deleteConfigButton = pushButton(QStringLiteral("deleteConfigButton"), tr("Delete"), panel);
    more->addWidget(c.deleteConfigButton);
    layout->addLayout(more);
    panel->setMinimumWidth(180);
    return panel;
}

QWidget* MainWindow::makeServerBar()
{
    ServerBar& c = m_serverBar;
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    c.serverRunStatusField = new QLabel(bar);
    c.serverRunStatusField->setObjectName(QStringLiteral("serverRunStatusField"));
    layout->addWidget(c.serverRunStatusField, 1);
    using FormControls::pushButton;
    c.runConfigButton = pushButton(QStringLiteral("runConfigButton"), tr("Run Config"), bar);
    layout->addWidget(c.runConfigButton);
    c.quitServerButton = pushButton(QStringLiteral("quitServerButton"), tr("Quit Server"), bar);
    layout->addWidget(c.quitServerButton);
    c.saveAndStartButton =
        pushButton(QStringLiteral("saveAndStartButton"), tr("Start Server"), bar);
    c.saveAndStartButton->setDefault(true);
    layout->addWidget(c.saveAndStartButton);
    return bar;
}

void MainWindow::makeMenus()
{
    Menus& m = m_menus;
    m.fileMenu = menuBar()->addMenu(tr("&File"));
    m.fileMenu->setObjectName(QStringLiteral("fileMenu"));
    m.newMenuItem =
        action(m.fileMenu, QStringLiteral("newMenuItem"), tr("New…"), QKeySequence::New);
    m.duplicateMenuItem = action(m.fileMenu, QStringLiteral("duplicateMenuItem"), tr("Duplicate"),
                                 QKeySequence(tr("Ctrl+D")));
    m.renameMenuItem = action(m.fileMenu, QStringLiteral("renameMenuItem"), tr("Rename…"),
                              QKeySequence(Qt::Key_F2));
    m.deleteMenuItem =
        action(m.fileMenu, QStringLiteral("deleteMenuItem"), tr("Delete…"), QKeySequence::Delete);
    m.fileMenu->addSeparator();
    m.preferencesMenuItem = action(m.fileMenu, QStringLiteral("preferencesMenuItem"),
                                   tr("Preferences…"), QKeySequence::Preferences);
    m.fileMenu->addSeparator();
    m.quitMenuItem =
        action(m.fileMenu, QStringLiteral("quitMenuItem"), tr("Quit"), QKeySequence::Quit);

    m.mapsMenu = menuBar()->addMenu(tr("&Maps"));
    m.mapsMenu->setObjectName(QStringLiteral("mapsMenu"));
    m.addMapsMenuItem = action(m.mapsMenu, QStringLiteral("addMapsMenuItem"), tr("Add maps"));
    m.removeMapsMenuItem =
        action(m.mapsMenu, QStringLiteral("removeMapsMenuItem"), tr("Remove maps"));

    m.serverMenu = menuBar()->addMenu(tr("&Server"));
    m.serverMenu->setObjectName(QStringLiteral("serverMenu"));
    m.startServerMenuItem = action(m.serverMenu, QStringLiteral("startServerMenuItem"),
                                   tr("Start Server"), QKeySequence(tr("Ctrl+R")));
    m.quitServerMenuItem =
        action(m.serverMenu, QStringLiteral("quitServerMenuItem"), tr("Quit Server"));
    m.runConfigMenuItem =
        action(m.serverMenu, QStringLiteral("runConfigMenuItem"), tr("Run Config"));

    m.modMenu = menuBar()->addMenu(tr("M&od"));
    m.modMenu->setObjectName(QStringLiteral("modMenu"));
    makeHelpMenu();
}

void MainWindow::makeHelpMenu()
{
    Menus& m = m_menus;
    m.helpMenu = menuBar()->addMenu(tr("&Help"));
    m.helpMenu->setObjectName(QStringLiteral("helpMenu"));
    m.aboutMenuItem = action(m.helpMenu, QStringLiteral("aboutMenuItem"),
                             tr("About %1").arg(CommonData::applicationName()));
    m.aboutMenuItem->setMenuRole(QAction::AboutRole);
    m.aboutQtMenuItem = action(m.helpMenu, QStringLiteral("aboutQtMenuItem"), tr("About Qt"));
    m.aboutQtMenuItem->setMenuRole(QAction::AboutQtRole);
    connect(m.aboutMenuItem, &QAction::triggered, this, &MainWindow::showAbout);
    connect(m.aboutQtMenuItem, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::giveActionsIcons()
{
    using A = StandardIcons::Action;
    const struct
    {
        A icon;
        QAction* item;
        QPushButton* button;
    } uses[] = {
        {A::New, m_menus.newMenuItem, m_configList.newConfigButton},
        {A::Copy, m_menus.duplicateMenuItem, m_configList.duplicateConfigButton},
        {A::Rename, m_menus.renameMenuItem, m_configList.renameConfigButton},
        {A::Delete, m_menus.deleteMenuItem, m_configList.deleteConfigButton},
        {A::Start, m_menus.startServerMenuItem, m_serverBar.saveAndStartButton},
        {A::Stop, m_menus.quitServerMenuItem, m_serverBar.quitServerButton},
        {A::Preferences, m_menus.preferencesMenuItem, nullptr},
        {A::Quit, m_menus.quitMenuItem, nullptr},
    };
    for (const auto& use : uses) {
        const QIcon icon = StandardIcons::icon(use.icon);
        use.item->setIcon(icon);
        if (use.button)
            use.button->setIcon(icon);
    }
}

void MainWindow::limitListShortcutsTo(QWidget* configListPanel)
{
    for (QAction* item : {m_menus.deleteMenuItem, m_menus.renameMenuItem}) {
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        configListPanel->addAction(item);
    }
}

void MainWindow::showAbout()
{
    const QString name = CommonData::applicationName();
    QMessageBox::about(
        this, tr("About %1").arg(name),
        tr("<h3>%1 %2</h3><p>Hosts Quake III Arena dedicated servers and those of its mods: "
           "server configurations, the map library, the server in a terminal and its remote "
           "control.</p><p>Licence: %3</p>")
            .arg(name, CommonData::applicationVersion(), QStringLiteral(VORANTH_LICENSE)));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    WindowLayoutMemory(*this, *m_splitter, *m_setupEditor).save();
    event->accept();
}
