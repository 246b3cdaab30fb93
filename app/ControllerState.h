#pragma once

#include "config/ConfigStore.h"
#include "config/GamePaths.h"
#include "content/BotLibrary.h"
#include "content/MapLibrary.h"
#include "content/ModSupport.h"
#include "content/UnparsableMaps.h"

#include <QStringList>

#include <memory>

class AlertPresenter;
class MainWindow;

// The long-lived objects of the main controller, shared by the helpers that carry its
// behaviour (editor, store actions, server control).
struct ControllerState
{
    ControllerState(MainWindow& mainWindow, AlertPresenter& alertPresenter)
        : window(mainWindow), alerts(alertPresenter)
    {}

    MainWindow& window;
    // The game directory and the mod the window shows.
    GamePaths paths;
    AlertPresenter& alerts;
    ConfigStore store;
    QStringList serverConfigKeysModFiltered;
    // Shared with the remote control of a server of the same mod.
    std::shared_ptr<MapLibrary> theMapLibrary;
    std::unique_ptr<ModSupport> modDB;
    std::unique_ptr<BotLibrary> theBotLibrary;
    // The maps whose scripts the start's scan could not parse.
    UnparsableMaps unparsableMaps;
};
