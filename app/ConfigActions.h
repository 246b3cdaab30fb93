#pragma once

#include "config/ConfigStore.h"
#include "server/RunningConfigGuard.h"

#include <QObject>

class NewConfigSheet;
class RenameConfigSheet;
class SetupEditor;
struct ControllerState;

// New, Duplicate, Rename and Delete of configurations, with their sheets and alerts. Every
// change reaches the store file at once, so that a crash loses nothing.
class ConfigActions : public QObject
{
    Q_OBJECT
public:
    ConfigActions(ControllerState& state, SetupEditor& editor, QObject* parent = nullptr);

    NewConfigSheet* newConfigWindow() const { return m_newConfigWindow; }
    RenameConfigSheet* renameConfigWindow() const { return m_renameConfigWindow; }

    void raiseNewConfigWindow();
    void raiseRenameConfigWindow();
    void addFile(const QString& name, int gameType);
    void duplicateFile();
    void renameFile();
    void deleteFile();

    // Writes the store; tells the user when that fails.
    bool saveStore();
    // The names of the current mod again, sorted, after the store changed.
    void sortLists();
    // Selects the configuration in the list (and so shows it), scrolled into view.
    void selectConfig(const QString& name);

private:
    void showRefusal(const ConfigStore::Outcome& outcome);
    // Shows why the configuration cannot be changed so while its server runs; true when it
    // cannot.
    bool refusedWhileRunning(const QString& name, RunningConfigGuard::Change change);
    // Asks before a configuration and its server file go; true to go on.
    bool confirmDeletion(const ServerConfig& record);

    ControllerState& m_state;
    SetupEditor& m_editor;
    NewConfigSheet* m_newConfigWindow;
    RenameConfigSheet* m_renameConfigWindow;
};
