#pragma once

#include "ScriptedAlerts.h"
#include "support/RealServer.h"

#include "app/MainWindow.h"
#include "app/QVXController.h"
#include "app/SetupEditor.h"
#include "config/ServerConfig.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class HostedServers;
class RemoteControlPane;
class ServerControl;
struct RemoteControlControls;
class QCheckBox;
class QComboBox;
class QLineEdit;

// A main window with its controller on a small game of its own: maps A, B, C, D, E with the
// types ffa, ctf, "ffa tourney", ctf, team, and the bots Sarge and Grunt.
class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Makes the game directory; the small game of five maps unless a test wants another.
    virtual QString prepareGame();

    // Starts (again) a window and controller, as a new start of the application does.
    void startApplication();
    void stopApplication();

    SetupEditor& editor() { return controller->editor(); }
    ServerConfig* record(const QString& name);
    ServerConfig* shown() { return editor().currentRecord(); }
    // Makes a configuration through the New sheet, with the game type's title.
    void newConfig(const QString& name, const QString& gameType = "Free For All");
    void selectConfig(const QString& name);
    QStringList listedConfigs() const;
    QStringList libraryMaps() const;

    template <typename T> T* control(const char* outlet) const
    {
        T* widget = window->findChild<T*>(QLatin1String(outlet));
        EXPECT_NE(widget, nullptr) << outlet;
        return widget;
    }

    const MainWindow::ConfigList& configList() const { return window->configList(); }

    QString gameRoot;
    ScriptedAlerts scriptedAlerts;
    QList<AlertRequest> startupAlerts; // shown while the application started
    QList<AlertRequest>& alerts = scriptedAlerts.shown;
    QList<int>& alertAnswers = scriptedAlerts.answers; // 0, the default, when none is left
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QVXController> controller;
};

// The same window on the demo game, whose dedicated server runs; no server outlives a test.
class DemoServerFixture : public EditorFixture
{
protected:
    QString prepareGame() override;
    void TearDown() override;

    ServerControl& server();
    HostedServers& servers();
    RemoteControlPane& pane();
    const RemoteControlControls& rcon() const;
    // The server bar's status line.
    QString status() const;

    // A configuration of the demo game on port with the password "secret", its rotation
    // starting with firstMap, made through the New sheet and shown.
    void makeConfig(const QString& name, int port, const QString& firstMap);
    bool controlled(const QString& name);
    // The process id of the configuration's server, -1 while none is known.
    static qint32 pidOf(const QString& name);

private:
    // Every server the test started is gone when it ends, also one still starting.
    RealServer::Reaper m_reaper;
};
