#pragma once

#include "app/ElidedLabel.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTableView;
class RemoteControlView;
class SetupEditorView;

// The main window: the configuration list, the setup editor and the remote-control pane,
// and the server buttons. Every control carries its outlet name; the controller reaches it
// through the typed pointers below and fills it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // The list of configurations and the buttons beneath it.
    struct ConfigList
    {
        // The mod's name from its gameinfo.txt: cut to the room there is.
        ElidedLabel* modNameField = nullptr;
        QTableView* configFilesTableView = nullptr;
        QPushButton* newConfigButton = nullptr;
        QPushButton* duplicateConfigButton = nullptr;
        QPushButton* renameConfigButton = nullptr;
        QPushButton* deleteConfigButton = nullptr;
    };
    // The server's state and the buttons that start and quit it.
    struct ServerBar
    {
        QLabel* serverRunStatusField = nullptr;
        QPushButton* runConfigButton = nullptr;
        QPushButton* quitServerButton = nullptr;
        QPushButton* saveAndStartButton = nullptr;
    };
    struct Menus
    {
        QMenu* fileMenu = nullptr;
        QAction* newMenuItem = nullptr;
        QAction* duplicateMenuItem = nullptr;
        QAction* renameMenuItem = nullptr;
        QAction* deleteMenuItem = nullptr;
        QAction* preferencesMenuItem = nullptr;
        QAction* quitMenuItem = nullptr;
        QMenu* mapsMenu = nullptr;
        QAction* addMapsMenuItem = nullptr;
        QAction* removeMapsMenuItem = nullptr;
        QMenu* serverMenu = nullptr;
        QAction* startServerMenuItem = nullptr;
        QAction* quitServerMenuItem = nullptr;
        QAction* runConfigMenuItem = nullptr;
        // Filled by the controller with the installed mods.
        QMenu* modMenu = nullptr;
        QMenu* helpMenu = nullptr;
        QAction* aboutMenuItem = nullptr;
        QAction* aboutQtMenuItem = nullptr;
    };

    explicit MainWindow(QWidget* parent = nullptr);

    const ConfigList& configList() const { return m_configList; }
    const ServerBar& serverBar() const { return m_serverBar; }
    const Menus& menus() const { return m_menus; }
    SetupEditorView& setupEditor() const { return *m_setupEditor; }
    RemoteControlView& remoteControl() const { return *m_remoteControl; }
    // The divider between the configuration list and the editor.
    QSplitter& splitter() const { return *m_splitter; }

    // Shows version and licence.
    void showAbout();

    // Asked when the window is about to close: false keeps it open.
    void setCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The size of a first start, before the user has given the window one.
    QSize firstStartSize() const;
    QWidget* makeConfigList();
    QWidget* makeServerBar();
    void makeMenus();
    void makeHelpMenu();
    void giveActionsIcons();
    // Delete and Rename by key act on the configuration list only, where the keys mean it.
    void limitListShortcutsTo(QWidget* configListPanel);

    ConfigList m_configList;
    ServerBar m_serverBar;
    Menus m_menus;
    SetupEditorView* m_setupEditor = nullptr;
    RemoteControlView* m_remoteControl = nullptr;
    QSplitter* m_splitter = nullptr;
    std::function<bool()> m_closeHandler;
};
