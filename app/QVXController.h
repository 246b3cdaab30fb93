#pragma once

#include "app/ControllerState.h"
#include "app/ServerState.h"
#include "app/UnparsedMapsWindow.h"
#include "config/StoreLock.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AlertPresenter;
class AppScanInteraction;
class ConfigActions;
class HostedServers;
class MainWindow;
class PreferenceController;
class RemoteControlActions;
class RemoteControlPane;
class ServerControl;
class SetupEditor;
class StartupProgress;

// The main controller: owns the long-lived objects, brings them up at start, wires the
// main window to them, and writes the configurations at the end. Its behaviour lives in the
// helpers it owns: the setup editor, the configuration actions, the server control, the
// remote-control pane and its commands.
class QVXController : public QObject
{
    Q_OBJECT
public:
    // Every alert and directory panel goes through alerts.
    QVXController(MainWindow& window, AlertPresenter& alerts, QObject* parent = nullptr);
    ~QVXController() override;

    // Takes the store's lock, loads the store and settles the game directory (asking the
    // user when needed). False when the application cannot go on.
    bool init();
    // Opens the libraries of the default mod (scanning the paks the first time) and shows
    // the first configuration.
    void awakeFromNib();
    // Once the window is up: lists, on the next turn of the event loop, the maps whose
    // scripts could not be parsed, if any.
    void applicationDidFinishLaunching();
    // Writes the editor into its record and the store to disk (when that fails the user
    // chooses to stay or to quit anyway), stops the remote control's timers and, with a
    // controlled server, asks whether to quit it too; true when the application may quit now.
    bool applicationShouldTerminate();

    ControllerState& state() { return m_state; }
    SetupEditor& editor() { return *m_editor; }
    ConfigActions& actions() { return *m_actions; }
    ServerControl& serverControl() { return *m_serverControl; }
    RemoteControlPane& remoteControlPane() { return *m_remoteControlPane; }
    RemoteControlActions& remoteControlActions() { return *m_remoteControlActions; }
    HostedServers& servers() { return *m_servers; }
    // Made by the first showPreferencePanel; none before.
    PreferenceController* preferenceController() const { return m_preferenceController.get(); }
    UnparsedMapsWindow* unparsedMapsWindow() const { return m_unparsedMapsWindow; }

    void showPreferencePanel();
    // Shows the printout of the maps that could not be parsed as a sheet; its answer may save
    // the printout as a log.
    void raiseUnparsedMapsWindow();

    // Switches to the mod of the mod menu's item at that index.
    void changeMod(int index);
    // Enables the menu items as the current state allows.
    void validateMenuItems();
    // The icon and the menu items that follow the server's state.
    void showServerState(ServerState state);

private:
    // At start-up: the first running server's configuration, when the one selected has none.
    void showFirstRunningServer();
    // Alerts and answers false when the data directory cannot be made.
    bool prepareDataDirectory();
    bool acquireStoreLock();
    void loadStore();
    bool settleGameDirectory();
    bool openPanelGameRootDir();
    void showFirstStartupNoticeOnce();
    void scanAndOpenDefaultLibraries();
    void openLibraries(const QString& mod, StartupProgress* progress = nullptr);
    void fillGameTypeMenus();
    void addModMenuItems();
    void connectWindow();
    void selectFirstRows();
    void selectFirstDetailRows();
    void unparsedMapsSheetDidEnd(int returnCode);
    bool archiveStoreForQuit();
    void showAlert(const QString& title, const QString& message);
    // True when the user was asked (and the server quit or left running).
    // What the quit question adds about the servers that services host.
    QString servicesNote() const;
    bool askWhetherToQuitTheServer();
    void saveStoreAfterTheQuitQuestion();
    // The map library of a mod: the window's own when it shows that mod.
    std::shared_ptr<MapLibrary> mapLibraryFor(const QString& mod) const;

    ControllerState m_state;
    StoreLock m_storeLock;
    std::unique_ptr<AppScanInteraction> m_scanInteraction;
    SetupEditor* m_editor = nullptr;
    ConfigActions* m_actions = nullptr;
    ServerControl* m_serverControl = nullptr;
    RemoteControlPane* m_remoteControlPane = nullptr;
    RemoteControlActions* m_remoteControlActions = nullptr;
    HostedServers* m_servers = nullptr;
    // The user chose to leave the server running when quitting.
    bool m_allowServerRunningAtTerminate = false;
    std::unique_ptr<PreferenceController> m_preferenceController;
    QPointer<UnparsedMapsWindow> m_unparsedMapsWindow;
};
