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
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
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
    auto* editor = new SetupEditorView(splitter);
    editor->addTab(new RemoteControlView(editor), tr("Remote Control"));
    splitter->addWidget(editor);
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
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(tr("Configurations"), panel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    auto* mod = new QLabel(panel);
    mod->setObjectName(QStringLiteral("modNameField"));
    layout->addWidget(mod);

    auto* list = new QTableView(panel);
    list->setObjectName(QStringLiteral("configFilesTableView"));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->verticalHeader()->hide();
    list->horizontalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    list->setShowGrid(false);
    FormControls::useCompactRows(list);
    layout->addWidget(list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(
        FormControls::pushButton(QStringLiteral("newConfigButton"), tr("New…"), panel));
    buttons->addWidget(
        FormControls::pushButton(QStringLiteral("duplicateConfigButton"), tr("Duplicate"), panel));
    layout->addLayout(buttons);
    auto* more = new QHBoxLayout;
    more->addWidget(
        FormControls::pushButton(QStringLiteral("renameConfigButton"), tr("Rename…"), panel));
    more->addWidget(
        FormControls::pushButton(QStringLiteral("deleteConfigButton"), tr("Delete"), panel));
    layout->addLayout(more);
    panel->setMinimumWidth(180);
    return panel;
}

QWidget* MainWindow::makeServerBar()
{
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* status = new QLabel(bar);
    status->setObjectName(QStringLiteral("serverRunStatusField"));
    layout->addWidget(status, 1);
    layout->addWidget(
        FormControls::pushButton(QStringLiteral("runConfigButton"), tr("Run Config"), bar));
    layout->addWidget(
        FormControls::pushButton(QStringLiteral("quitServerButton"), tr("Quit Server"), bar));
    QPushButton* start =
        FormControls::pushButton(QStringLiteral("saveAndStartButton"), tr("Start Server"), bar);
    start->setDefault(true);
    layout->addWidget(start);
    return bar;
}

void MainWindow::makeMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    action(file, QStringLiteral("newMenuItem"), tr("New…"), QKeySequence::New);
    action(file, QStringLiteral("duplicateMenuItem"), tr("Duplicate"), QKeySequence(tr("Ctrl+D")));
    action(file, QStringLiteral("renameMenuItem"), tr("Rename…"));
    action(file, QStringLiteral("deleteMenuItem"), tr("Delete"));
    file->addSeparator();
    action(file, QStringLiteral("preferencesMenuItem"), tr("Preferences…"),
           QKeySequence::Preferences);
    file->addSeparator();
    action(file, QStringLiteral("quitMenuItem"), tr("Quit"), QKeySequence::Quit);

    QMenu* maps = menuBar()->addMenu(tr("&Maps"));
    maps->setObjectName(QStringLiteral("mapsMenu"));
    action(maps, QStringLiteral("addMapsMenuItem"), tr("Add maps"));
    action(maps, QStringLiteral("removeMapsMenuItem"), tr("Remove maps"));

    QMenu* server = menuBar()->addMenu(tr("&Server"));
    server->setObjectName(QStringLiteral("serverMenu"));
    action(server, QStringLiteral("startServerMenuItem"), tr("Start Server"),
           QKeySequence(tr("Ctrl+R")));
    action(server, QStringLiteral("quitServerMenuItem"), tr("Quit Server"));
    action(server, QStringLiteral("runConfigMenuItem"), tr("Run Config"));

    m_modMenu = menuBar()->addMenu(tr("M&od"));
    m_modMenu->setObjectName(QStringLiteral("modMenu"));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}
