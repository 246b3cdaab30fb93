#include "app/MainWindow.h"

#include "app/FormControls.h"
#include "app/RemoteControlView.h"
#include "app/SetupEditorView.h"
#include "config/CommonData.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
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

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("mainSplitter"));
    splitter->addWidget(makeConfigList());
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
    resize(1060, 720);
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
    c.modNameField = new QLabel(panel);
    c.modNameField->setObjectName(QStringLiteral("modNameField"));
    layout->addWidget(c.modNameField);

    c.configFilesTableView = new QTableView(panel);
    QTableView* list = c.configFilesTableView;
    list->setObjectName(QStringLiteral("configFilesTableView"));
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
    m.renameMenuItem = action(m.fileMenu, QStringLiteral("renameMenuItem"), tr("Rename…"));
    m.deleteMenuItem = action(m.fileMenu, QStringLiteral("deleteMenuItem"), tr("Delete"));
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
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}
